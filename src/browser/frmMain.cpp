#include "browser/frmMain.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>
#include <QSplitter>
#include <QToolButton>

#include "assoc/ImageTypeAssociations.h"
#include "assoc/ModAssoc.h"
#include "browser/FolderTree.h"
#include "components/ImageCodecs.h"
#include "components/ImgX.h"
#include "components/PictureLoader.h"
#include "explorer/ExtensionLists.h"
#include "explorer/ImageExplore.h"
#include "fileops/ExplorerFileOperation.h"
#include "fileops/FileOperationProgress.h"
#include "fileops/FileOperationRunner.h"
#include "fileops/frmFile.h"
#include "platform/SpecialFolders.h"
#include "platform/XdgLauncher.h"
#include "platform/XdgShellFileOperation.h"
#include "platform/XdgWallpaper.h"
#include "tools/MyPrinter.h"
#include "tools/QtPrintDialogs.h"
#include "tools/SetWallpaper.h"
#include "viewer/ToolIcons.h"
#include "viewer/frmViwer.h"

namespace lorvane {

namespace {

// Design sizes, twips.
constexpr int kClientWidthTwips = 9510;
constexpr int kClientHeightTwips = 8085;
constexpr int kMinimumWidthTwips = 3700;
constexpr int kMinimumHeightTwips = 2400;
constexpr int kSplitter2Left = 60;
constexpr int kSplitter2Top = 90;
constexpr int kSplitterBar = 90;
constexpr int kTreeWidth = 3060;
constexpr int kContainerWidth = 6285;
constexpr int kSplitter1Left = 75;
constexpr int kSplitter1Top = 630;
constexpr int kPreviewHeight = 3135;
constexpr int kExplorerHeight = 3480;
constexpr int kToolbarTop = 45;
constexpr int kToolbarHeight = 525;
constexpr int kButtonTop = 45;
constexpr int kButtonSide = 450;

constexpr double kZoomInLimitPercent = 1600.0;
constexpr double kZoomOutLimitPercent = 0.5;

}  // namespace

frmMain::frmMain(Registry& registry, Prompts& prompts, SpecialFolders& specialFolders,
                 QWidget* parent)
    : QMainWindow(parent),
      m_registry(registry),
      m_prompts(prompts),
      m_specialFolders(specialFolders),
      m_previewCache(kPreviewCacheBytes,
                     [](const QString& path) { return DecodeImageFile(path); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lorvane"));
    buildLayout();
    buildToolbar();

    connect(m_imageExplore, &ImageExplore::CurrSelectedImage, this, &frmMain::ShowPreview);
    connect(m_imageExplore, &ImageExplore::OpenItem, this, &frmMain::OpenItem);
    connect(m_imageExplore, &ImageExplore::FileOperationRequested, this,
            &frmMain::onFileOperationRequested);
    connect(m_imageExplore, &ImageExplore::CopyImageRequested, this, &frmMain::CopyItemImage);
    connect(m_ImgX, &ImgX::DblClick, this, &frmMain::OpenPreviewInViewer);
    connect(m_TV1, &FolderTree::TreeClick, this, &frmMain::onTreeClick);
    connect(m_TV1, &FolderTree::NodeClick, this, &frmMain::onFolderNotification);
    connect(m_TV1, &FolderTree::FolderSelected, this, [this] {
        if (m_FollowSelection)
            onFolderNotification();
    });
    connect(m_TV1, &FolderTree::RootSelected, this, &frmMain::onRootSelected);

    setMinimumSize(toPixelsX(kMinimumWidthTwips), toPixelsY(kMinimumHeightTwips));
    resize(toPixelsX(kClientWidthTwips), toPixelsY(kClientHeightTwips));
    layoutWindow();
}

frmMain::~frmMain() = default;

void frmMain::setAssociationServices(AssociationNotifier& notifier, const QString& programFolder) {
    m_associationNotifier = &notifier;
    m_programFolder = programFolder;
}

void frmMain::AssociateImageTypes() {
    if (!m_associationNotifier)
        return;
    ModAssoc assoc(m_registry, *m_associationNotifier, AssocEnvironment{m_programFolder});
    lorvane::AssociateImageTypes(assoc, m_prompts);
}

void frmMain::DeassociateImageTypes() {
    if (!m_associationNotifier)
        return;
    ModAssoc assoc(m_registry, *m_associationNotifier, AssocEnvironment{m_programFolder});
    lorvane::DeassociateImageTypes(assoc);
}

void frmMain::buildLayout() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    m_Splitter2 = new QSplitter(Qt::Horizontal, client);
    m_Splitter2->setObjectName(QStringLiteral("Splitter2"));
    m_Splitter2->setHandleWidth(toPixelsX(kSplitterBar));
    m_Splitter2->setChildrenCollapsible(false);

    m_TV1 = new FolderTree(m_Splitter2);
    m_container = new QWidget(m_Splitter2);
    m_container->setObjectName(QStringLiteral("container"));
    m_container->installEventFilter(this);
    m_Splitter2->addWidget(m_TV1);
    m_Splitter2->addWidget(m_container);
    // Widening the window widens the pictures, not the tree.
    m_Splitter2->setStretchFactor(0, 0);
    m_Splitter2->setStretchFactor(1, 1);

    m_Toolbar = new QWidget(m_container);
    m_Toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_Toolbar->setAttribute(Qt::WA_StyledBackground);

    m_Splitter1 = new QSplitter(Qt::Vertical, m_container);
    m_Splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_Splitter1->setHandleWidth(toPixelsY(kSplitterBar));
    m_Splitter1->setChildrenCollapsible(false);

    m_ImgX = new ImgX(m_Splitter1);
    m_ImgX->setObjectName(QStringLiteral("ImgX"));
    m_ImgX->setAntiAliasDisplay(true);
    m_ImgX->setBackgroundColour(Qt::white);
    m_ImgX->setMouseTool(ImgX::MouseNone);
    m_ImgX->installEventFilter(this);
    m_ImgX->document().setDecodeCache(&m_previewCache);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_previewCache.setPreviewSize(screen->size() * screen->devicePixelRatio());
    connect(m_ImgX, &ImgX::Painted, this, [this] {
        if (m_previewPrefetchPending && m_imageExplore->StopScan()) {
            m_previewPrefetchPending = false;
            prefetchPreviewNeighbours();
        }
    });
    m_imageExplore = new ImageExplore(m_prompts, m_Splitter1);
    m_imageExplore->setObjectName(QStringLiteral("ImageExplore1"));
    m_Splitter1->addWidget(m_ImgX);
    m_Splitter1->addWidget(m_imageExplore);

    m_Splitter2->setSizes({toPixelsX(kTreeWidth), toPixelsX(kContainerWidth)});
    m_Splitter1->setSizes({toPixelsY(kPreviewHeight), toPixelsY(kExplorerHeight)});
}

QToolButton* frmMain::addButton(const QString& iconKey, const QString& tooltip, int leftTwips) {
    auto* button = new QToolButton(m_Toolbar);
    button->setIcon(ToolIcon(iconKey));
    button->setToolTip(tooltip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    const int side = toPixelsX(kButtonSide);
    button->setGeometry(toPixelsX(leftTwips), toPixelsY(kButtonTop), side, side);
    button->setIconSize(QSize(side - 8, side - 8));
    // The bar's padding is meant for captioned buttons; these are square pictures.
    button->setStyleSheet(QStringLiteral("QToolButton { padding: 2px; }"));
    return button;
}

void frmMain::buildToolbar() {
    m_cmdPrev = addButton(QStringLiteral("previous32"), QStringLiteral("Previous"), 15);
    m_cmdNext = addButton(QStringLiteral("next32"), QStringLiteral("Next"), 480);
    m_cmdZoomIn = addButton(QStringLiteral("zoomin32"), QStringLiteral("Zoom In"), 960);
    m_cmdZoomOut = addButton(QStringLiteral("zoomiout32"), QStringLiteral("Zoom Out"), 1440);
    m_cmdWallPaper =
        addButton(QStringLiteral("wallpaper32"), QStringLiteral("Set as wallpaper"), 1920);
    m_cmdView = addButton(QStringLiteral("view32"), QStringLiteral("View Image"), 2400);

    connect(m_cmdPrev, &QToolButton::clicked, m_imageExplore, &ImageExplore::PrevItem);
    connect(m_cmdNext, &QToolButton::clicked, m_imageExplore, &ImageExplore::NextItem);
    connect(m_cmdZoomIn, &QToolButton::clicked, this, &frmMain::PreviewZoomIn);
    connect(m_cmdZoomOut, &QToolButton::clicked, this, &frmMain::PreviewZoomOut);
    connect(m_cmdView, &QToolButton::clicked, this, &frmMain::OpenPreviewInViewer);
    connect(m_cmdWallPaper, &QToolButton::clicked, this, &frmMain::SetPreviewAsWallpaper);
}

void frmMain::ApplySkin() {
    m_skin.SkinControlWindow(QStringLiteral("Toolbar"), m_Toolbar);
    m_skin.SkinTopWindow(this);
    m_skin.SkinControlWindow(QStringLiteral("Toolbar"), m_Toolbar);
    m_skin.SkinControlWindow(QStringLiteral("Splitter"), m_TV1);
    m_skin.SkinControlWindow(QStringLiteral("Splitter"), m_Splitter2);
    m_skin.SkinControlWindow(QStringLiteral("Splitter"), m_Splitter1);
    m_skin.SkinControlWindow(QStringLiteral("Splitter"), m_container);
}

double frmMain::twipsPerPixelX() const {
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double frmMain::twipsPerPixelY() const {
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int frmMain::toPixelsX(double twips) const {
    return qRound(twips / twipsPerPixelX());
}

int frmMain::toPixelsY(double twips) const {
    return qRound(twips / twipsPerPixelY());
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutWindow();
}

// The splitter keeps the design margins on every side; the splitter sizes the panes itself.
void frmMain::layoutWindow() {
    if (isMinimized())
        return;
    const QSize minimum(toPixelsX(kMinimumWidthTwips), toPixelsY(kMinimumHeightTwips));
    if (width() < minimum.width() || height() < minimum.height())
        resize(std::max(width(), minimum.width()), std::max(height(), minimum.height()));
    const QWidget* client = centralWidget();
    const int left = toPixelsX(kSplitter2Left);
    const int top = toPixelsY(kSplitter2Top);
    const int w = client->width() - 2 * left;
    const int h = client->height() - 2 * top;
    if (w > 0 && h > 0)
        m_Splitter2->setGeometry(left, top, w, h);
}

void frmMain::layoutContainer() {
    const int left = toPixelsX(kSplitter1Left);
    const int top = toPixelsY(kSplitter1Top);
    const int w = m_container->width() - 2 * left;
    const int h = m_container->height() - top - toPixelsY(kSplitter1Left);
    if (w > 0 && h > 0)
        m_Splitter1->setGeometry(left, top, w, h);
    // The bar spans the preview exactly, also before the splitter has laid out its panes.
    const int barWidth = m_ImgX->isVisible() ? m_ImgX->width() : m_Splitter1->width();
    m_Toolbar->setGeometry(left, toPixelsY(kToolbarTop), barWidth, toPixelsY(kToolbarHeight));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == m_container)
            layoutContainer();
        else if (watched == m_ImgX)
            m_Toolbar->resize(m_ImgX->width(), m_Toolbar->height());
    }
    return QMainWindow::eventFilter(watched, event);
}

QString frmMain::SpecialFolderPath(int id) const {
    return m_specialFolders.SpecialFolderPath(id);
}

void frmMain::onTreeClick() {
    const QString path = m_TV1->path();
    if (path.isEmpty())
        return;
    m_imageExplore->ExplorePath(path);
    m_FollowSelection = true;
}

void frmMain::onFolderNotification() {
    const QString path = m_TV1->path();
    if (!path.isEmpty())
        m_imageExplore->ExplorePath(path);
}

void frmMain::onRootSelected() {
    m_imageExplore->ExplorePath(SpecialFolderPath(SpecialFolders::kDesktop));
}

void frmMain::ShowPreview(const QString& path) {
    ImageDocument& document = m_ImgX->document();
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        document.Clear();
        return;
    }
    if (UsesPictureLoader(path)) {
        // The picture comes without its source path, so the viewer cannot be opened on it.
        const PictureResult result = LoadPicture(path);
        if (!result.ok()) {
            document.Clear();
            return;
        }
        document.LoadFromPicture(result.picture, QString());
    } else if (!document.LoadFile(path)) {
        document.Clear();
        return;
    } else {
        m_previewPrefetchPending = true;
    }
    m_ImgX->setMouseTool(ImgX::MouseNone);
}

void frmMain::prefetchPreviewNeighbours() {
    const QStringList& images = m_imageExplore->ImagePaths();
    const qsizetype at = images.indexOf(m_ImgX->document().FileName());
    if (at < 0)
        return;
    QStringList wanted;
    for (const qsizetype neighbour : {at + 1, at - 1}) {
        if (neighbour >= 0 && neighbour < images.size() && !UsesPictureLoader(images.at(neighbour)))
            wanted.append(images.at(neighbour));
    }
    m_previewCache.prefetch(wanted);
}

void frmMain::CopyItemImage(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir())
        return;
    QImage image;
    if (UsesPictureLoader(path)) {
        const PictureResult result = LoadPicture(path);
        if (!result.ok())
            return;
        image = result.picture;
    } else {
        ImageDocument document;
        if (!document.LoadFile(path))
            return;
        image = document.activeImage();
    }
    QGuiApplication::clipboard()->setImage(image);
}

void frmMain::PreviewZoomIn() {
    if (m_ImgX->document().Count() == 0)
        return;
    if (m_ImgX->zoom() * 100 > kZoomInLimitPercent)
        return;
    m_ImgX->setZoom(m_ImgX->zoom() * 1.25);
    updatePreviewMouseTool();
}

void frmMain::PreviewZoomOut() {
    if (m_ImgX->document().Count() == 0)
        return;
    if (m_ImgX->zoom() * 100 < kZoomOutLimitPercent)
        return;
    m_ImgX->setZoom(m_ImgX->zoom() * 0.75);
    updatePreviewMouseTool();
}

void frmMain::updatePreviewMouseTool() {
    const double zoom = m_ImgX->zoom();
    const ImageDocument& document = m_ImgX->document();
    const bool exceeds =
        m_ImgX->width() * twipsPerPixelX() < zoom * document.Width() * twipsPerPixelX() ||
        m_ImgX->height() * twipsPerPixelY() < zoom * document.Height() * twipsPerPixelY();
    m_ImgX->setMouseTool(exceeds ? ImgX::MouseHand : ImgX::MouseNone);
}

void frmMain::OpenPreviewInViewer() {
    const QString fileName = m_ImgX->document().FileName();
    if (fileName.isEmpty())
        return;
    showViewerWith(QStringList{fileName}, 0, false);
}

void frmMain::OpenItem(const QStringList& ImagePaths, int Index, const QString& sFolderPath) {
    if (!sFolderPath.isEmpty()) {
        m_TV1->setPath(sFolderPath);
        m_imageExplore->ExplorePath(m_TV1->path());
        return;
    }
    if (Index >= 0 && Index < ImagePaths.size() && !ImagePaths.at(Index).isEmpty()) {
        showViewerWith(ImagePaths, Index, true);
        return;
    }
    m_ImgX->document().Clear();
}

void frmMain::showViewerWith(const QStringList& ImagePaths, int Index, bool setCommandOff) {
    hide();
    try {
        frmViwer& shown = viewer();
        shown.imgX().setZoom(1.0);
        if (setCommandOff)
            shown.setBCommand(false);
        int index = Index;
        shown.ViewImage(ImagePaths, index);
    } catch (...) {
        // Nothing to report: the browser comes back below.
    }
    // Some window of the program must stay on screen.
    if (!m_viewer || !m_viewer->isVisible())
        showBrowser();
}

frmViwer& frmMain::viewer() {
    if (!m_viewer) {
        m_viewer = std::make_unique<frmViwer>(m_registry, m_prompts, &m_skin, *this);
        m_viewer->setFileOperations(&fileOperations());
        m_viewer->setWallpaper(&wallpaper());
        if (!m_launcher) {
            m_ownLauncher = std::make_unique<XdgLauncher>();
            m_launcher = m_ownLauncher.get();
        }
        m_viewer->setHelpServices(m_launcher, QCoreApplication::applicationDirPath());
        m_viewer->setPrinter(&printer());
    }
    return *m_viewer;
}

FileOperationRunner& frmMain::fileOperations() {
    if (!m_fileOperations) {
        m_shell = std::make_unique<XdgShellFileOperation>(m_prompts);
        m_frmFile = std::make_unique<frmFile>(m_specialFolders, &m_skin);
        m_ownFileOperations =
            std::make_unique<FileOperationRunner>(*m_shell, m_prompts, *m_frmFile);
        m_progress = std::make_unique<FileOperationProgress>();
        m_ownFileOperations->setProgress(
            [this](const ShellProgress& progress) { return m_progress->update(progress); },
            [this] { m_progress->finish(); });
        m_fileOperations = m_ownFileOperations.get();
    }
    return *m_fileOperations;
}

void frmMain::setFileOperations(FileOperationRunner* runner) {
    m_fileOperations = runner;
    if (m_viewer)
        m_viewer->setFileOperations(runner);
}

Wallpaper& frmMain::wallpaper() {
    if (!m_wallpaper) {
        m_ownWallpaper = std::make_unique<XdgWallpaper>();
        m_wallpaper = m_ownWallpaper.get();
    }
    return *m_wallpaper;
}

void frmMain::setWallpaper(Wallpaper* wallpaper) {
    m_wallpaper = wallpaper;
    if (m_viewer)
        m_viewer->setWallpaper(wallpaper);
}

void frmMain::setLauncher(Launcher* launcher) {
    m_launcher = launcher;
    if (m_viewer)
        m_viewer->setHelpServices(launcher, QCoreApplication::applicationDirPath());
}

MyPrinter& frmMain::printer() {
    if (!m_printer) {
        m_printDialogs = std::make_unique<QtPrintDialogs>();
        m_printer = std::make_unique<MyPrinter>(*m_printDialogs);
    }
    return *m_printer;
}

void frmMain::SetPreviewAsWallpaper() {
    SetWallpaper(m_ImgX->document(), wallpaper(), m_prompts);
}

void frmMain::onFileOperationRequested(int opType) {
    const QString focused = m_imageExplore->SelectedPath();
    const QStringList selected =
        m_imageExplore->SelectedPaths().split(QChar(u'\0'), Qt::SkipEmptyParts);
    const ExplorerFileOperationResult result =
        ExplorerFileOperation::Run(fileOperations(), opType, selected, focused);
    if (result.renamed) {
        m_imageExplore->RenameSelectedItem(result.renamedTo);
        return;
    }
    if (result.removed.isEmpty())
        return;
    if (result.removed.contains(focused)) {
        // Takes the other gone items with it and selects the neighbour.
        m_imageExplore->RemoveSelectedItem(m_imageExplore->SelectedIndex());
        return;
    }
    // The focused item's file is still there (its replacement was declined): only the others go.
    for (const QString& path : result.removed)
        m_imageExplore->UpdateAfterOperation(path, QString());
}

void frmMain::EndMe() {
    if (m_ending)
        return;
    m_ending = true;
    // The viewer may be the caller (its close sequence ends the program), so it is only
    // unloaded here and destroyed with this window, after the event loop has ended.
    if (m_viewer) {
        m_viewer->unloadForShutdown();
        m_viewer->hide();
    }
    QCoreApplication::exit(0);
}

void frmMain::showBrowser() {
    show();
    raise();
    activateWindow();
}

void frmMain::CheckPath(const QString& s) {
    const QString folder = s.left(s.lastIndexOf(QLatin1Char('/')));
    // Exact text: a folder named with other letter cases is another folder here.
    if (folder + QLatin1Char('/') == m_TV1->path())
        return;
    m_TV1->setPath(folder);
    m_imageExplore->ExplorePath(m_TV1->path());
    m_imageExplore->SetSelectedFocus(s);
    // The selection is not reported, but the preview (and the buttons that act on it) must
    // show the image selected, not whichever item the scan reported last.
    ShowPreview(m_imageExplore->SelectedPath() == s ? s : QString());
}

void frmMain::RefreshImages(const QString& p, const QString& pTo) {
    m_imageExplore->UpdateAfterOperation(p, pTo);
    // The preview must not keep showing a file that is gone, or View Image opens a missing file.
    if (p.isEmpty() || m_ImgX->document().FileName() != p || QFileInfo::exists(p))
        return;
    ShowPreview(pTo);
}

void frmMain::viewerUnloaded() {
    // The viewer is inside its own close handler: delete it once that has returned.
    if (m_viewer)
        m_viewer.release()->deleteLater();
}

void frmMain::endProgram() {
    EndMe();
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    EndMe();
}

}  // namespace lorvane
