#include "viewer/frmViwer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "about/frmAbout.h"
#include "components/ImgX.h"
#include "components/PictureLoader.h"
#include "components/Skin.h"
#include "explorer/ExtensionLists.h"
#include "fileops/FileOperationRunner.h"
#include "fileops/ViewerFileOperation.h"
#include "platform/Launcher.h"
#include "platform/Prompts.h"
#include "settings/CRegister.h"
#include "settings/ViewerSettings.h"
#include "tools/MyPrinter.h"
#include "tools/PrintPlan.h"
#include "tools/SetWallpaper.h"
#include "viewer/FileDialogFilters.h"
#include "viewer/StatusBarText.h"
#include "viewer/ToolIcons.h"
#include "viewer/ViewerHost.h"
#include "viewer/ViewerLogic.h"

namespace lorvane {

using namespace viewerDesign;

namespace {

constexpr int kPanelCount = 5;
constexpr int kNamePanelMinimumWidth = 60;

qint64 fileLength(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

void processPendingEvents(int passes) {
    for (int i = 0; i < passes; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

frmViwer::frmViwer(Registry& registry, Prompts& prompts, Skin* skin, ViewerHost& host,
                   QWidget* parent)
    : QMainWindow(parent),
      m_registry(registry),
      m_prompts(prompts),
      m_skin(skin),
      m_host(host),
      m_session([this](int position, const QString& path) { return showSlide(position, path); }) {
    setObjectName(QStringLiteral("frmViwer"));
    setWindowTitle(QStringLiteral("Caption will be set at run time.."));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ViewerClient"));
    // The strips above and below the image area (full screen keeps them) match the image's
    // surroundings.
    QPalette clientPalette = m_client->palette();
    clientPalette.setColor(QPalette::Window, QColor(0x1f, 0x1f, 0x21));
    m_client->setPalette(clientPalette);
    m_client->setAutoFillBackground(true);
    setCentralWidget(m_client);

    m_imgX = new ImgX(m_client);
    m_imgX->setObjectName(QStringLiteral("ImgX"));
    m_imgX->setDropEnabled(true);
    m_imgX->document().setDecodeCache(&m_cache);
    // Images decoded ahead of time come with a screen-sized copy, so that showing a large
    // photo scaled down needs no full-image scale on the UI thread.
    if (const QScreen* s = QGuiApplication::primaryScreen())
        m_cache.setPreviewSize(s->size() * s->devicePixelRatio());

    m_menuContainer = new QFrame(m_client);
    m_menuContainer->setObjectName(QStringLiteral("MenuContainer"));

    buildMenus();
    buildToolbar();
    buildStatusBar();

    connect(m_imgX, &ImgX::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers modifiers) { handleKey(key, modifiers); });
    connect(m_imgX, &ImgX::DblClick, this, &frmViwer::ReturnToBrowser);
    connect(m_imgX, &ImgX::MouseWheel, this, &frmViwer::handleWheel);
    connect(m_imgX, &ImgX::MouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                if (button == Qt::RightButton)
                    showContextMenu(x, y);
            });
    connect(m_imgX, &ImgX::ImageChanged, this, &frmViwer::onImageChanged);
    connect(m_imgX, &ImgX::Painted, this, &frmViwer::runPendingPrefetch);
    m_prefetchFallback.setSingleShot(true);
    m_prefetchFallback.setInterval(kPrefetchFallbackMs);
    connect(&m_prefetchFallback, &QTimer::timeout, this, &frmViwer::runPendingPrefetch);
    connect(m_imgX, &ImgX::OLEDragDrop, this, &frmViwer::onFilesDropped);

    // The window as designed, before any image sizes it.
    const TwipsPerPixel tpp = twipsPerPixel();
    setGeometry(static_cast<int>(kCreatedLeft / tpp.x), static_cast<int>(kCreatedTop / tpp.y),
                static_cast<int>(kCreatedClientWidth / tpp.x),
                static_cast<int>(kCreatedClientHeight / tpp.y));

    if (m_skin) {
        m_skin->SkinTopWindow(this);
        m_skin->SkinControlWindow(QStringLiteral("StatusBar"), statusBar());
        m_skin->SkinControlWindow(QStringLiteral("Toolbar"), m_menuContainer);
        fitStatusPanels();
    }
    LoadSettings();
    m_session.list().clear();
}

frmViwer::~frmViwer() = default;

void frmViwer::buildMenus() {
    const auto addItem = [this](QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                                auto slot) {
        QAction* action = menu->addAction(caption);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            m_shortcuts.append({action, shortcut});
        }
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    addItem(file, QStringLiteral("Open     "), QKeySequence(Qt::CTRL | Qt::Key_O),
            [this] { LoadImage(); });
    addItem(file, QStringLiteral("Browse     "), QKeySequence(Qt::CTRL | Qt::Key_B),
            [this] { ReturnToBrowser(); });
    addItem(file, QStringLiteral("Save As     "), QKeySequence(Qt::CTRL | Qt::Key_S),
            [this] { SaveAs(); });
    addItem(file, QStringLiteral("Page Setup"), {}, [this] { ShowPageSetup(); });
    QMenu* print = file->addMenu(QStringLiteral("Print"));
    addItem(print, QStringLiteral("Top Left"), {}, [this] { PrintCurrent(0); });
    addItem(print, QStringLiteral("Centered"), {}, [this] { PrintCurrent(1); });
    addItem(print, QStringLiteral("Fit To Page"), {}, [this] { PrintCurrent(2); });
    addItem(file, QStringLiteral("Exit         "), QKeySequence(Qt::CTRL | Qt::Key_Q),
            [this] { ReturnToBrowser(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    addItem(edit, QStringLiteral("Copy To"), QKeySequence(Qt::CTRL | Qt::Key_C),
            [this] { RunFileOperation(kCopyTo); });
    addItem(edit, QStringLiteral("Move To"), QKeySequence(Qt::CTRL | Qt::Key_M),
            [this] { RunFileOperation(kMoveTo); });
    addItem(edit, QStringLiteral("Copy Image"), QKeySequence(Qt::CTRL | Qt::Key_G),
            [this] { CopyImage(); });
    addItem(edit, QStringLiteral("Delete     "), QKeySequence(Qt::Key_Delete),
            [this] { DeleteCurrentImage(); });
    addItem(edit, QStringLiteral("Rename"), QKeySequence(Qt::Key_F2),
            [this] { RunFileOperation(kRename); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    addItem(view, QStringLiteral("Full Screen"), QKeySequence(Qt::CTRL | Qt::Key_F),
            [this] { ToggleFullScreen(); });
    addItem(view, QStringLiteral("Zoom In     "), QKeySequence(Qt::CTRL | Qt::Key_N),
            [this] { ZoomIn(); });
    addItem(view, QStringLiteral("Zoom Out     "), QKeySequence(Qt::CTRL | Qt::Key_U),
            [this] { ZoomOut(); });

    QMenu* image = menuBar()->addMenu(QStringLiteral("Image"));
    addItem(image, QStringLiteral("Next"), {}, [this] { ShowNextImage(); });
    addItem(image, QStringLiteral("Previous"), {}, [this] { ShowPreviousImage(); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    addItem(tools, QStringLiteral("Slide Show"), {}, [this] { ToggleSlideShow(); });
    addItem(tools, QStringLiteral("Slide Show Delay"), {}, [this] { AskSlideShowDelay(); });
    m_actAntiAlias =
        addItem(tools, QStringLiteral("AntiAlias Display"), {}, [this] { ToggleAntiAlias(); });
    m_actAntiAlias->setCheckable(true);
    addItem(tools, QStringLiteral("Rotate +90"), {}, [this] { RotatePlus90(); });
    addItem(tools, QStringLiteral("Rotate -90"), {}, [this] { RotateMinus90(); });
    addItem(tools, QStringLiteral("Set As Wallpaper"), {}, [this] { SetAsWallpaper(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    addItem(help, QStringLiteral("About"), {}, [this] { ShowAbout(); });
    addItem(help, QStringLiteral("Help Index"), {}, [this] { HelpIndex(); });
    addItem(help, QStringLiteral("update"), {}, [this] { StartUpdate(); });

    // Full screen hides these five; the Image menu is not among them.
    m_topMenus = {file, edit, view, tools, help};
}

void frmViwer::buildToolbar() {
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    m_toolbar->setIconSize(QSize(24, 24));

    struct Button {
        const char* key;
        const char* tooltip;
        void (frmViwer::*operation)();
    };
    // Fifteen positions: buttons at the odd ones, separators between them.
    const Button buttons[] = {
        {"open32", "Open", nullptr},  // LoadImage, whose result the button does not use
        {"browsed32", "Browse", &frmViwer::ReturnToBrowser},
        {"previous32", "Prevoius", &frmViwer::ShowPreviousImage},
        {"next32", "Next", &frmViwer::ShowNextImage},
        {"slidshow32", "Slide Show", &frmViwer::ToggleSlideShow},
        {"zoomin32", "Zoom In", &frmViwer::ZoomIn},
        {"zoomiout32", "Zoom Out", &frmViwer::ZoomOut},
        {"fullscreen32", "Full Screen", &frmViwer::ToggleFullScreen},
    };
    bool first = true;
    for (const Button& button : buttons) {
        if (!first)
            m_toolbar->addSeparator();
        first = false;
        const QString key = QLatin1String(button.key);
        QAction* action = m_toolbar->addAction(ToolIcon(key), QLatin1String(button.tooltip));
        action->setObjectName(key);
        action->setToolTip(QLatin1String(button.tooltip));
        if (button.operation)
            connect(action, &QAction::triggered, this,
                    [this, op = button.operation] { (this->*op)(); });
        else
            connect(action, &QAction::triggered, this, [this] { LoadImage(); });
        if (key == QLatin1String("slidshow32")) {
            // The button's pressed state is the slide show's only on/off state.
            action->setCheckable(true);
            m_btnSlideShow = action;
        } else if (key == QLatin1String("previous32")) {
            m_btnPrevious = action;
        } else if (key == QLatin1String("next32")) {
            m_btnNext = action;
        } else if (key == QLatin1String("fullscreen32")) {
            m_btnFullScreen = action;
        }
    }
    for (QToolButton* tb : m_toolbar->findChildren<QToolButton*>())
        tb->setFocusPolicy(Qt::NoFocus);
}

void frmViwer::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);
    // The file name takes the room the others leave.
    const int stretches[kPanelCount] = {0, 1, 0, 0, 0};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(statusBar());
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setTextInteractionFlags(Qt::NoTextInteraction);
        statusBar()->addPermanentWidget(panel, stretches[i]);
        m_panels.append(panel);
    }
    // A long name is cut rather than widening the window.
    m_panels[1]->setMinimumWidth(kNamePanelMinimumWidth);
    fitStatusPanels();
}

void frmViwer::fitStatusPanels() {
    // The position panel is sized for the list shown, so that a short list leaves its room to
    // the name.
    m_fittedCount = std::max(1, m_session.list().count());
    // Measured on the panel itself, so that the skin's font and padding count.
    for (int i = 0; i < kPanelCount; ++i) {
        QLabel* panel = m_panels.at(i);
        const QStringList widest = WidestStatusTexts(i + 1, m_fittedCount);
        if (widest.isEmpty())
            continue;
        panel->ensurePolished();
        const QString shown = panel->text();
        int width = 0;
        for (const QString& text : widest) {
            panel->setText(text);
            width = std::max(width, panel->sizeHint().width());
        }
        panel->setText(shown);
        panel->setMinimumWidth(width);
    }
}

TwipsPerPixel frmViwer::twipsPerPixel() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    TwipsPerPixel tpp;
    if (s && s->logicalDotsPerInchX() > 0 && s->logicalDotsPerInchY() > 0) {
        tpp.x = 1440.0 / s->logicalDotsPerInchX();
        tpp.y = 1440.0 / s->logicalDotsPerInchY();
    }
    return tpp;
}

QSize frmViwer::outerSizeTwips() const {
    const TwipsPerPixel tpp = twipsPerPixel();
    const QSize outer = frameGeometry().size();
    return QSize(static_cast<int>(std::lround(outer.width() * tpp.x)),
                 static_cast<int>(std::lround(outer.height() * tpp.y)));
}

int frmViwer::toolbarHeightTwips() const {
    return kToolbarHeight;
}

// ---- Showing an image ------------------------------------------------------------------------

LoadResult frmViwer::loadIntoControl(const QString& path) {
    if (UsesPictureLoader(path)) {
        const PictureResult picture = LoadPicture(path);
        if (!picture.ok()) {
            m_imgX->document().Clear();
            return {false, picture.reason};
        }
        m_imgX->document().LoadFromPicture(picture.picture);
        return {true, {}};
    }
    return m_imgX->document().LoadFile(path);
}

void frmViwer::titleFor(const QString& path) {
    m_titledPath = path;
    setWindowTitle(ViewerTitle(path));
}

void frmViwer::reportLoadFailure(const QString& path, const QString& reason) {
    m_prompts.messageBox(QStringLiteral("The image \"%1\" cannot be shown.\n\n%2")
                             .arg(QDir::toNativeSeparators(path), reason),
                         MessageButtons::Ok, MessageIcon::Exclamation, QStringLiteral("Lorvane"));
}

void frmViwer::ViewImage(const QStringList& FilePaths, int& Index) {
    m_session.list().setPaths(FilePaths);
    if (m_session.list().isEmpty())
        return;
    Index = m_session.list().wrap(Index);
    if (!m_session.list().contains(Index))
        return;
    const QString path = m_session.list().at(Index);
    if (path.isEmpty()) {
        m_imgX->document().Clear();
        return;
    }
    m_session.list().setPosition(Index);
    const LoadResult loaded = loadIntoControl(path);

    titleFor(path);
    if (!m_isFullScreen)
        sizeWindowForImage();
    fitLargeImage();
    if (m_isFullScreen)
        enterFullScreen(/*saveRectangle=*/!m_fullScreenShown, /*reload=*/false);
    show();
    raise();
    activateWindow();
    m_imgX->setFocus();
    if (!loaded) {
        // The window is up first, so that the message has an owner and a program window stays
        // visible whatever the user answers.
        reportLoadFailure(path, loaded.reason);
        return;
    }
    prefetchAfterPaint();
}

void frmViwer::prefetchAfterPaint() {
    // The neighbours wait until the image shown has been painted, so that both cores serve
    // the picture on screen first. A window that does not paint (hidden, minimised) prefetches
    // after a moment all the same.
    m_prefetchPending = true;
    m_prefetchFallback.start();
}

void frmViwer::runPendingPrefetch() {
    if (!m_prefetchPending)
        return;
    m_prefetchPending = false;
    m_prefetchFallback.stop();
    prefetchNeighbours();
}

void frmViwer::sizeWindowForImage() {
    const ImageDocument& doc = m_imgX->document();
    const QSize imagePixels = doc.Count() > 0 ? doc.Item(0).size() : QSize(0, 0);
    const TwipsPerPixel tpp = twipsPerPixel();
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect available = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    const WindowShowState state = isMinimized()   ? WindowShowState::Minimized
                                  : isMaximized() ? WindowShowState::Maximized
                                                  : WindowShowState::Normal;
    const ImageWindowPlan plan =
        PlanWindowForImage(imagePixels, tpp, toolbarHeightTwips(), state,
                           QSize(static_cast<int>(available.width() * tpp.x),
                                 static_cast<int>(available.height() * tpp.y)));
    if (!plan.resizeWindow) {
        layoutChildren();
        return;
    }
    // Outer size in pixels, kept on the screen: a window larger than the screen would hide its
    // own title bar and borders from the user.
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    QSize outer(static_cast<int>(plan.windowSize.width() / tpp.x),
                static_cast<int>(plan.windowSize.height() / tpp.y));
    outer = outer.boundedTo(available.size());
    resize(outer - frameExtra);
    move(available.left() + (available.width() - outer.width()) / 2,
         available.top() + (available.height() - outer.height()) / 2);
    layoutChildren();
}

void frmViwer::fitLargeImage() {
    const ImageDocument& doc = m_imgX->document();
    if (doc.isEmpty())
        return;
    // The window may not be laid out for its new size yet (it is sized while hidden, or full
    // screen is entered after the fit), so the image area is worked out from the size it is
    // getting: in full screen the screen with no bars, otherwise the window less its menu and
    // status bars.
    QSize outer;
    QSize client;
    if (m_isFullScreen) {
        outer = screen() ? screen()->geometry().size() : size();
        client = outer;
    } else {
        outer = frameGeometry().size();
        client = size();
        if (!menuBar()->isHidden())
            client.rheight() -= menuBar()->sizeHint().height();
        if (!statusBar()->isHidden())
            client.rheight() -= statusBar()->sizeHint().height();
    }
    const TwipsPerPixel tpp = twipsPerPixel();
    const QSize outerTwips(static_cast<int>(std::lround(outer.width() * tpp.x)),
                           static_cast<int>(std::lround(outer.height() * tpp.y)));
    const QSize area = ImageAreaPixels(outerTwips, client, toolbarHeightTwips(), tpp);
    const double zoom =
        FitZoom(QSize(doc.Width(), doc.Height()), tpp, outerTwips, area, m_imgX->zoom());
    if (zoom != m_imgX->zoom())
        m_imgX->setZoom(zoom);
}

void frmViwer::ReloadCurrentImage() {
    const QString path = m_session.list().at(m_session.list().wrap(m_session.list().position()));
    if (path.isEmpty())
        return;
    loadIntoControl(path);
}

QString frmViwer::shownImagePath() const {
    return m_session.list().current();
}

bool frmViwer::LoadImage() {
    // The dialog opens where the image on screen lives: the likeliest place for its neighbours.
    const QString shown = shownImagePath();
    const QStringList chosen =
        m_prompts.openFileNames(kOpenFilter, shown.isEmpty() ? QString() : QFileInfo(shown).path());
    if (chosen.isEmpty())
        return false;
    // Loading replaces the control's image, so of several files only the first, the one the
    // title names, needs loading.
    const QString& first = chosen.constFirst();
    m_imgX->document().Clear();
    loadIntoControl(first);
    // With nothing listed (the only image was deleted) the opened files become the list, so
    // that stepping and the file commands act on the image on screen.
    if (m_session.list().isEmpty())
        m_session.list().setPosition(0);
    for (const QString& path : chosen) {
        if (!m_session.list().append(path))
            break;
    }
    if (m_imgX->document().Count() > 0)
        m_imgX->document().Select(0);
    titleFor(first);
    UpdateStatusBar();
    return true;
}

void frmViwer::SaveAs() {
    const ImageDocument& doc = m_imgX->document();
    if (doc.isEmpty())
        return;
    if (const std::optional<int> filter = SaveFilterForFormat(static_cast<int>(doc.Format())))
        m_saveFilterIndex = *filter;
    // Suggest the image's own folder and name; the dialog adds the chosen format's extension
    // and asks before replacing a file.
    const QString shown = doc.FileName().isEmpty() ? shownImagePath() : doc.FileName();
    QString suggested;
    if (!shown.isEmpty()) {
        const QFileInfo info(shown);
        suggested = QDir(info.path()).filePath(info.completeBaseName());
    }
    const SaveFileChoice choice =
        m_prompts.saveFileName(kSaveFilter, m_saveFilterIndex,
                               SaveFormatForFilter(m_saveFilterIndex).extension, suggested);
    if (choice.path.isEmpty())
        return;
    m_saveFilterIndex = choice.filterIndex;
    const SaveResult saved =
        doc.SaveFile(choice.path, SaveFormatForFilter(choice.filterIndex).code, 0, true);
    if (!saved) {
        m_prompts.messageBox(QStringLiteral("The image cannot be saved as \"%1\".\n\n%2")
                                 .arg(QDir::toNativeSeparators(choice.path), saved.reason),
                             MessageButtons::Ok, MessageIcon::Exclamation,
                             QStringLiteral("Lorvane"));
    }
}

void frmViwer::SetAsWallpaper() {
    if (m_wallpaper)
        SetWallpaper(m_imgX->document(), *m_wallpaper, m_prompts);
}

void frmViwer::setHelpServices(Launcher* launcher, const QString& programFolder) {
    m_launcher = launcher;
    m_programFolder = programFolder;
}

void frmViwer::HelpIndex() {
    if (!m_launcher)
        return;
    const QDir folder(m_programFolder);
    const QString chm = folder.filePath(QStringLiteral("lorvane.chm"));
    // Few Linux desktops read compiled help, so the program ships its help as a web page.
    m_launcher->openDocument(
        QFileInfo::exists(chm) ? chm : folder.filePath(QStringLiteral("lorvane.html")));
}

void frmViwer::StartUpdate() {
    if (!m_launcher)
        return;
    const QString program = QDir(m_programFolder).filePath(QStringLiteral("update/update"));
    if (QFileInfo(program).isExecutable())
        m_launcher->startProgram(program, {});
}

void frmViwer::ShowPageSetup() {
    if (m_printer)
        m_printer->ShowPageSetup(this);
}

void frmViwer::PrintCurrent(int mode) {
    const ImageDocument& doc = m_imgX->document();
    if (!m_printer || doc.isEmpty())
        return;
    const int count = doc.Count();
    const MyPrinter::Choice choice = m_printer->ShowPrintDialog(this, count);
    if (!choice.confirmed)
        return;
    for (const PrintJob& job :
         PlanPrintJobs(count, choice.range, choice.fromPage, choice.toPage, mode, choice.output)) {
        QList<QImage> images;
        if (job.activeImage)
            images.append(doc.activeImage());
        for (int index : job.images)
            images.append(doc.Item(index));
        // A job the printer refuses ends the printing quietly.
        if (!m_printer->PrintImages(QStringLiteral("ZozezAzAvezi"), images, job.centred, job.fit))
            return;
    }
}

frmAbout* frmViwer::aboutBox() const {
    return m_about;
}

void frmViwer::ShowAbout() {
    if (!m_about)
        m_about = new frmAbout(m_registry, m_prompts, m_launcher, m_skin, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmViwer::CopyImage() {
    const ImageDocument& doc = m_imgX->document();
    if (doc.isEmpty())
        return;
    QGuiApplication::clipboard()->setImage(doc.activeImage());
}

bool frmViwer::IsFolder(const QString& path) {
    return QFileInfo(path).isDir();
}

void frmViwer::prefetchNeighbours() {
    QStringList wanted;
    const auto want = [&](int index) {
        if (m_session.list().contains(index)) {
            const QString p = m_session.list().at(index);
            if (!p.isEmpty() && !UsesPictureLoader(p) && !wanted.contains(p))
                wanted.append(p);
        }
    };
    if (isSlideShowOn()) {
        const int slide = m_session.slidePosition();
        want(slide >= m_session.list().count() ? 0 : slide);
    } else {
        want(m_session.list().position() + 1);
        want(m_session.list().position() - 1);
    }
    m_cache.prefetch(wanted);
}

// ---- Lifecycle and settings -----------------------------------------------------------------

void frmViwer::LoadSettings() {
    const ViewerSettings settings = LoadViewerSettings(CRegister(m_registry));
    m_imgX->setAntiAliasDisplay(settings.antiAlias);
    m_actAntiAlias->setChecked(settings.antiAlias);
    m_session.setSlideInterval(settings.slideShowDelay);
    m_isFullScreen = settings.fullScreen;
}

void frmViwer::ReturnToBrowser() {
    hide();
    m_host.showBrowser();
    if (m_session.list().contains(m_session.list().position()))
        m_host.CheckPath(m_session.list().current());
}

void frmViwer::runCloseSequence(bool endingProgram) {
    if (m_closing)
        return;
    m_closing = true;
    SaveFullScreen(CRegister(m_registry), m_isFullScreen);
    m_session.list().setPaths({});
    m_session.stopSlideShow();
    m_btnSlideShow->setChecked(false);
    processPendingEvents(2);
    if (endingProgram)
        return;
    if (m_bCommand) {
        m_host.endProgram();
        return;
    }
    m_host.viewerUnloaded();
    m_host.showBrowser();
}

void frmViwer::unloadForShutdown() {
    runCloseSequence(/*endingProgram=*/true);
}

void frmViwer::closeEvent(QCloseEvent* event) {
    event->accept();
    runCloseSequence(/*endingProgram=*/false);
}

// ---- Navigation and slide show --------------------------------------------------------------

void frmViwer::ShowNextImage() {
    const std::optional<int> next =
        m_session.list().isEmpty() ? std::nullopt : m_session.list().next();
    if (!next)
        return;
    int p = *next;
    m_imgX->setZoom(1.0);
    ViewImage(m_session.list().paths(), p);
}

void frmViwer::ShowPreviousImage() {
    const std::optional<int> previous =
        m_session.list().isEmpty() ? std::nullopt : m_session.list().previous();
    if (!previous)
        return;
    int p = *previous;
    m_imgX->setZoom(1.0);
    ViewImage(m_session.list().paths(), p);
}

void frmViwer::RunFileOperation(int opType) {
    if (!m_fileOperations || m_session.list().isEmpty())
        return;
    const ViewerFileOperationResult result =
        ViewerFileOperation::Run(*m_fileOperations, opType, m_session.list().paths(),
                                 m_session.list().position(), m_bCommand, this);
    if (!result.changed) {
        // A rename that did not happen (refused, failed or cancelled) still leaves the title
        // naming the image on screen, also when leaving full screen had emptied it.
        if (opType == kRename && !m_titledPath.isEmpty())
            titleFor(m_titledPath);
        return;
    }
    if (result.refreshBrowser)
        m_host.RefreshImages(result.refreshFrom, result.refreshTo);
    if (result.renamed) {
        m_session.list().setPaths(result.ImagePaths);
        titleFor(m_session.list().current());
        UpdateStatusBar();
        return;
    }
    if (result.emptied) {
        // Nothing is left to show or to step to until another image is opened.
        if (m_session.slideShowOn())
            ToggleSlideShow();
        m_session.list().clear();
        m_imgX->document().Clear();
        m_titledPath.clear();
        setWindowTitle(QStringLiteral("Lorvane"));
        for (QLabel* panel : std::as_const(m_panels))
            panel->clear();
        return;
    }
    int index = result.CurrentIndex;
    ViewImage(result.ImagePaths, index);
}

void frmViwer::DeleteCurrentImage() {
    RunFileOperation(kDeleteToTrash);
}

bool frmViwer::isSlideShowOn() const {
    return m_session.slideShowOn();
}

void frmViwer::ToggleSlideShow() {
    // The button shows the state; when it was the trigger it has already flipped itself.
    const bool on = !m_session.slideShowOn();
    m_btnSlideShow->setChecked(on);
    if (!on) {
        m_session.stopSlideShow();
        return;
    }
    m_session.startSlideShow();
    prefetchNeighbours();
}

void frmViwer::SlideShowTick() {
    m_session.tick();
}

bool frmViwer::showSlide(int position, const QString& path) {
    if (!loadIntoControl(path))
        return false;
    // The image on screen is the current one, so that file operations act on what the user
    // sees.
    m_session.list().setPosition(position);
    titleFor(path);
    if (!m_isFullScreen) {
        m_slideShowSizing = true;
        sizeWindowForImage();
        m_slideShowSizing = false;
        layoutChildren();
    }
    fitLargeImage();
    UpdateStatusBar();
    prefetchAfterPaint();
    return true;
}

void frmViwer::AskSlideShowDelay() {
    const QString text = m_prompts.inputBox(QStringLiteral("Delay in Milliseconds(1000=1 Second):"),
                                            QStringLiteral("Slide Show Delay"),
                                            QString::number(m_session.slideInterval()));
    const std::optional<int> delay = ParseSlideShowDelay(text);
    if (!delay)
        return;
    if (isSlideShowOn())
        ToggleSlideShow();
    m_session.setSlideInterval(*delay);
    SaveSlideShowDelay(CRegister(m_registry), m_session.slideInterval());
}

// ---- Zoom, panning, rotation, smoothing -----------------------------------------------------

void frmViwer::ZoomIn() {
    const double zoom = ZoomInStep(m_imgX->zoom());
    if (zoom == m_imgX->zoom())
        return;
    m_imgX->setZoom(zoom);
    UpdateMouseTool();
}

void frmViwer::ZoomOut() {
    const double zoom = ZoomOutStep(m_imgX->zoom());
    if (zoom == m_imgX->zoom())
        return;
    m_imgX->setZoom(zoom);
    UpdateMouseTool();
}

void frmViwer::UpdateMouseTool() {
    const ImageDocument& doc = m_imgX->document();
    const QSize outer = frameGeometry().size();
    const TwipsPerPixel tpp = twipsPerPixel();
    const QSize outerTwips(static_cast<int>(std::lround(outer.width() * tpp.x)),
                           static_cast<int>(std::lround(outer.height() * tpp.y)));
    m_imgX->setMouseTool(
        MouseToolFor(m_imgX->zoom(), QSize(doc.Width(), doc.Height()), tpp, outerTwips));
}

void frmViwer::RotatePlus90() {
    m_imgX->document().Rotate(90.0);
}

void frmViwer::RotateMinus90() {
    m_imgX->document().Rotate(-90.0);
}

void frmViwer::ToggleAntiAlias() {
    const bool on = !m_imgX->antiAliasDisplay();
    m_imgX->setAntiAliasDisplay(on);
    m_actAntiAlias->setChecked(on);
    SaveAntiAlias(CRegister(m_registry), on);
}

// ---- Layout and full screen -----------------------------------------------------------------

void frmViwer::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutChildren();
}

void frmViwer::layoutChildren() {
    if (m_slideShowSizing || !m_imgX)
        return;
    const TwipsPerPixel tpp = twipsPerPixel();
    const ViewerLayout layout = LayoutForWindow(outerSizeTwips(), toolbarHeightTwips());
    const int top = static_cast<int>(kImageAreaTop / tpp.y);
    m_imgX->setGeometry(QRect(QPoint(0, top), ImageAreaPixels(outerSizeTwips(), m_client->size(),
                                                              toolbarHeightTwips(), tpp)));
    m_toolbar->setGeometry(0, 0, static_cast<int>(layout.toolbarWidth / tpp.x),
                           static_cast<int>(kToolbarHeight / tpp.y) + 2);
    m_menuContainer->setGeometry(0, 0, m_client->width(),
                                 std::max(1, static_cast<int>(30 / tpp.y)));
    UpdateMouseTool();
}

void frmViwer::setShortcutsActive(bool active) {
    // Hidden menus take their shortcuts with them.
    for (const auto& [action, shortcut] : m_shortcuts)
        action->setShortcut(active ? shortcut : QKeySequence());
}

void frmViwer::ToggleFullScreen() {
    if (m_isFullScreen)
        leaveFullScreen();
    else
        enterFullScreen(/*saveRectangle=*/true, /*reload=*/true);
}

void frmViwer::enterFullScreen(bool saveRectangle, bool reload) {
    m_isFullScreen = true;
    if (saveRectangle)
        m_savedGeometry = geometry();
    if (reload)
        ReloadCurrentImage();
    m_toolbar->hide();
    statusBar()->hide();
    menuBar()->hide();
    m_menuContainer->hide();
    setShortcutsActive(false);
    // Cover the screen first: without a window manager the full-screen state below is not acted
    // on, and with one the state takes over from this geometry.
    if (const QScreen* s = screen())
        setGeometry(s->geometry());
    showFullScreen();
    m_fullScreenShown = true;
    layoutChildren();
}

void frmViwer::leaveFullScreen() {
    m_isFullScreen = false;
    m_fullScreenShown = false;
    showNormal();
    if (m_skin) {
        m_skin->SkinTopWindow(this);
        m_skin->SkinControlWindow(QStringLiteral("StatusBar"), statusBar());
        m_skin->SkinControlWindow(QStringLiteral("Toolbar"), m_menuContainer);
        fitStatusPanels();
    }
    setWindowTitle(QString());
    menuBar()->show();
    m_toolbar->show();
    statusBar()->show();
    m_menuContainer->show();
    setShortcutsActive(true);
    // Exactly the rectangle the window had before full screen.
    if (m_savedGeometry.isValid())
        setGeometry(m_savedGeometry);
    ReloadCurrentImage();
    layoutChildren();
}

// ---- Status bar ------------------------------------------------------------------------------

void frmViwer::onImageChanged() {
    UpdateMouseTool();
    UpdateStatusBar();
}

void frmViwer::UpdateStatusBar() {
    if (!m_session.list().contains(m_session.list().position()))
        return;
    const ImageDocument& doc = m_imgX->document();
    StatusBarInput input;
    // The current position follows the slide show, so it is the image on screen either way.
    input.position = m_session.list().position() + 1;
    input.count = m_session.list().count();
    input.path = m_session.list().current();
    input.shortName = doc.ShortName();
    input.decodedFileName = doc.FileName();
    input.width = doc.Width();
    input.height = doc.Height();
    input.bitsPerPixel = doc.BitsPerPixel();
    input.zoom = m_imgX->zoom();
    if (input.count != m_fittedCount)
        fitStatusPanels();
    QStringList panels = statusPanels();
    FillStatusPanels(input, panels, &fileLength);
    for (int i = 0; i < kPanelCount; ++i)
        m_panels[i]->setText(panels.at(i));
}

QStringList frmViwer::statusPanels() const {
    QStringList texts;
    for (const QLabel* panel : m_panels)
        texts.append(panel->text());
    return texts;
}

// ---- Keys, mouse, drops ---------------------------------------------------------------------

void frmViwer::keyPressEvent(QKeyEvent* event) {
    handleKey(event->key(), event->modifiers());
    event->accept();
}

void frmViwer::handleKey(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
        case Qt::Key_Escape:
            close();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ReturnToBrowser();
            break;
        case Qt::Key_Space:
        case Qt::Key_PageDown:
            ShowNextImage();
            processPendingEvents(8);
            break;
        case Qt::Key_Backspace:
        case Qt::Key_PageUp:
            ShowPreviousImage();
            processPendingEvents(2);
            break;
        case Qt::Key_Delete:
            // The menu's shortcut is hidden with the menus in full screen.
            if (m_isFullScreen)
                DeleteCurrentImage();
            break;
        case Qt::Key_F:
            ToggleFullScreen();
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomIn();
            break;
        case Qt::Key_Minus:
            if (modifiers & Qt::KeypadModifier)
                ZoomOut();
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (m_imgX->mouseTool() != ImgX::MouseHand)
                break;
            if (key == Qt::Key_Left)
                m_imgX->setScrollX(m_imgX->scrollX() - 5);
            else if (key == Qt::Key_Right)
                m_imgX->setScrollX(m_imgX->scrollX() + 5);
            else if (key == Qt::Key_Up)
                m_imgX->setScrollY(m_imgX->scrollY() - 5);
            else
                m_imgX->setScrollY(m_imgX->scrollY() + 5);
            break;
        default:
            break;
    }
}

void frmViwer::handleWheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers) {
    const WheelCommand command =
        m_wheel.map(angleDelta, modifiers.testFlag(Qt::ControlModifier),
                    modifiers.testFlag(Qt::ShiftModifier), m_imgX->mouseTool() == ImgX::MouseHand);
    for (int step = 0; step < command.zoomSteps; ++step)
        ZoomIn();
    for (int step = 0; step > command.zoomSteps; --step)
        ZoomOut();
    if (command.scrollX != 0)
        m_imgX->setScrollX(m_imgX->scrollX() + command.scrollX);
    if (command.scrollY != 0)
        m_imgX->setScrollY(m_imgX->scrollY() + command.scrollY);
}

void frmViwer::showContextMenu(int x, int y) {
    enum Choice {
        AntiAlias = 1,
        RotPlus,
        RotMinus,
        ZoomInItem,
        ZoomOutItem,
        WallpaperItem,
        Next,
        Previous,
        SlideShow,
        FullScreen
    };
    QMenu menu(this);
    const auto add = [&menu](int id, const QString& caption, bool enabled = true) {
        QAction* action = menu.addAction(caption);
        action->setData(id);
        action->setEnabled(enabled);
        return action;
    };
    add(FullScreen, QStringLiteral("Full Screen"), m_btnFullScreen->isEnabled());
    add(Next, QStringLiteral("Next"), m_btnNext->isEnabled());
    add(Previous, QStringLiteral("Previous"), m_btnPrevious->isEnabled());
    menu.addSeparator();
    QAction* slide = add(SlideShow, QStringLiteral("Slide Show"));
    slide->setCheckable(true);
    slide->setChecked(isSlideShowOn());
    QAction* smooth = add(AntiAlias, QStringLiteral("Antialias Display"));
    smooth->setCheckable(true);
    smooth->setChecked(m_actAntiAlias->isChecked());
    menu.addSeparator();
    add(RotPlus, QStringLiteral("Rotate +90"));
    add(RotMinus, QStringLiteral("Rotate -90"));
    menu.addSeparator();
    add(ZoomInItem, QStringLiteral("Zoom In"));
    add(ZoomOutItem, QStringLiteral("Zoom Out"));
    menu.addSeparator();
    add(WallpaperItem, QStringLiteral("Set As Wallpaper"));

    QAction* chosen = menu.exec(m_imgX->mapToGlobal(QPoint(x, y)));
    switch (chosen ? chosen->data().toInt() : 0) {
        case AntiAlias:
            ToggleAntiAlias();
            break;
        case RotPlus:
            RotatePlus90();
            break;
        case RotMinus:
            RotateMinus90();
            break;
        case ZoomInItem:
            ZoomIn();
            break;
        case ZoomOutItem:
            ZoomOut();
            break;
        case WallpaperItem:
            SetAsWallpaper();
            break;
        case Next:
            ShowNextImage();
            break;
        case Previous:
            ShowPreviousImage();
            break;
        case SlideShow:
            ToggleSlideShow();
            break;
        case FullScreen:
            ToggleFullScreen();
            break;
        default:
            break;
    }
}

void frmViwer::onFilesDropped(bool hasFileList, const QStringList& paths) {
    if (!hasFileList)
        return;
    QStringList kept;
    for (const QString& path : paths) {
        if (IsFolder(path))
            continue;
        if (IsSupportedImage(path) && kept.size() <= kMaxImageListPosition)
            kept.append(path);
    }
    // A drop without a single supported image leaves the viewer as it was.
    if (kept.isEmpty())
        return;
    int index = 0;
    m_imgX->setZoom(1.0);
    ViewImage(kept, index);
}

}  // namespace lorvane
