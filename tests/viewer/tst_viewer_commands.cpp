#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "TestImages.h"
#include "about/frmAbout.h"
#include "components/ImgX.h"
#include "fileops/DestinationPicker.h"
#include "fileops/FileOperationRunner.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/FakeShellFileOperation.h"
#include "platform/fakes/RecordingLauncher.h"
#include "platform/fakes/RecordingWallpaper.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "settings/CRegister.h"
#include "tools/MyPrinter.h"
#include "tools/PrintDialogs.h"
#include "viewer/ViewerGeometry.h"
#include "viewer/ViewerHost.h"
#include "viewer/frmViwer.h"

using namespace lorvane;

namespace {

const QString kSettingsKey = QStringLiteral("SOFTWARE\\Harrowdale\\Lorvane Settings\\");

const QString kExpectedOpenFilter = QStringLiteral(
    "All Images|*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.png;*.psd;*.tif;*.pcx;*.tga;*.wbmp;*.wmf;*.ico;"
    "*.cur;*.emf;*.tla|Joint Photographic Experts Group  <JPG,JPEG>|*.jpg;*.jpeg|Graphics "
    "Interchange Format  <GIF>|*.gif|Windows Bitmap  <BMP,DIB>|*.bmp;*.dib|Portable Network "
    "Graphics  <PNG>|*.png|Photoshop  <PSD>|*.psd|Tagged Image File  <TIF>|*.tif|ZSoft "
    "PaintBrush  <PCX>|*.pcx|Truevision Targa  <TGA>|*.tga|Wireless Bitmap  <WBMP>|*.wbmp|Windows "
    "Meta File  <WMF>|*.wmf|ICO Files  <ICO>|*.ICO|Windows Enhanced Meta File <EMF>|*.emf|All "
    "Files|*.*");

const QString kExpectedSaveFilter = QStringLiteral(
    "Joint Photographic Experts Group  <JPG>|*.jpg|Portable Network Graphics  <PNG>|*.png|"
    "Photoshop  <PSD>|*.psd|Tagged Image File  <TIF>|*.tif|ZSoft PaintBrush  <PCX>|*.pcx|"
    "Truevision Targa  <TGA>|*.tga|Wireless Bitmap  <WBMP>|*.wbmp|Windows Bitmap  <BMP>|*.bmp|"
    "Windows Metafile  <WMF>|*.wmf|Windows Enhanced Metafile  <EMF>|*.emf");

// Print dialogs for tests: the printer writes a PDF of A4 with margins of 10 mm, the range is as
// scripted, and the presets the viewer made are recorded.
struct ScriptedPrintDialogs : PrintDialogs {
    bool confirm = true;
    QPrinter::PrintRange range = QPrinter::AllPages;
    int from = 0;
    int to = 0;
    QString pdf;
    QList<QPair<int, int>> presets;
    int pageSetups = 0;
    bool ShowPrintDialog(QPrinter& printer, QWidget*) override {
        presets.append({printer.fromPage(), printer.toPage()});
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        printer.setPrintRange(range);
        if (range == QPrinter::PageRange)
            printer.setFromTo(from, to);
        return confirm;
    }
    void ShowPageSetup(QPrinter&, QWidget*) override { ++pageSetups; }
};

struct QuietHost : ViewerHost {
    void showBrowser() override {}
    void RefreshImages(const QString&, const QString&) override {}
    void CheckPath(const QString&) override {}
    void viewerUnloaded() override {}
    void endProgram() override {}
};

QString title(const QString& name) {
    return QStringLiteral("%1- Lorvane %2.%3")
        .arg(name)
        .arg(LORVANE_VERSION_MAJOR)
        .arg(LORVANE_VERSION_MINOR);
}

// The box of every non-white pixel on each page of a PDF rasterised at 50 dots per inch, one
// rectangle per page; empty when pdftoppm failed.
QList<QRect> PrintedBoxes(const QString& pdftoppm, const QString& pdf, const QString& prefix) {
    if (QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("50"),
                                     QStringLiteral("-png"), pdf, prefix}) != 0)
        return {};
    QList<QRect> boxes;
    const QFileInfo base(prefix);
    QStringList pages = base.dir().entryList({base.fileName() + QStringLiteral("-*.png")});
    pages.sort();
    for (const QString& name : pages) {
        const QImage page(base.dir().filePath(name));
        QRect box;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                if (qGray(page.pixel(x, y)) < 200)
                    box |= QRect(x, y, 1, 1);
            }
        }
        boxes.append(box);
    }
    return boxes;
}

bool Near(const QRect& box, const QRectF& expected) {
    return qAbs(box.x() - expected.x()) <= 2 && qAbs(box.y() - expected.y()) <= 2 &&
           qAbs(box.width() - expected.width()) <= 2 && qAbs(box.height() - expected.height()) <= 2;
}

QString Describe(const QList<QRect>& boxes) {
    QStringList texts;
    for (const QRect& box : boxes)
        texts.append(QStringLiteral("%1,%2 %3x%4")
                         .arg(box.x())
                         .arg(box.y())
                         .arg(box.width())
                         .arg(box.height()));
    return texts.join(QStringLiteral("; "));
}

}  // namespace

class ViewerCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void everyRouteReachesItsCommandOnce_data();
    void everyRouteReachesItsCommandOnce();
    void cancelledOpenChangesNothing();
    void openAppendsAndShowsTheFirstChosenFile_data();
    void openAppendsAndShowsTheFirstChosenFile();
    void openIntoAnEmptyViewerStartsTheList();
    void openedPictureLoaderTypeGoesThroughThePictureLoader();
    void saveAsPreselectsTheImagesFormat_data();
    void saveAsPreselectsTheImagesFormat();
    void saveAsWritesTheChosenFormatAndChangesNothingElse_data();
    void saveAsWritesTheChosenFormatAndChangesNothingElse();
    void failedSaveIsReportedAndCancelWritesNothing();
    void copyImagePutsTheImageAsShownOnTheClipboard();
    void toolsMenuSetsTheShownImageAsWallpaper();
    void contextMenuSetsTheShownImageAsWallpaper();
    void helpMenuOpensTheHelpAndStartsTheUpdate_data();
    void helpMenuOpensTheHelpAndStartsTheUpdate();
    void printMenuPlacesTheImageOnThePage_data();
    void printMenuPlacesTheImageOnThePage();
    void cancelledPrintPrintsNothing();
    void multiPageImagePrintsTheChosenRange_data();
    void multiPageImagePrintsTheChosenRange();
    void printChoiceTellsAFileFromAPrinter();

private:
    QString writeImage(const QString& name, QSize size, const char* format = nullptr);
    frmViwer& viewer();
    void showList(const QStringList& paths, int index);
    QAction* menuItem(const QString& menu, const QString& caption);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeRegistry> m_registry;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<QuietHost> m_host;
    std::unique_ptr<frmViwer> m_viewer;
};

void ViewerCommandsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry = std::make_unique<FakeRegistry>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_host = std::make_unique<QuietHost>();
    // A normal window keeps the menus and their shortcuts.
    QVERIFY(CRegister(*m_registry)
                .REGSaveSetting(RegRoot::LocalMachine, kSettingsKey, QStringLiteral("FullScreen"),
                                QStringLiteral("0")));
}

void ViewerCommandsTest::cleanup() {
    m_viewer.reset();
    m_host.reset();
    m_prompts.reset();
    m_registry.reset();
    m_dir.reset();
}

QString ViewerCommandsTest::writeImage(const QString& name, QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    const QString path = m_dir->filePath(name);
    if (!image.save(path, format))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

frmViwer& ViewerCommandsTest::viewer() {
    if (!m_viewer)
        m_viewer = std::make_unique<frmViwer>(*m_registry, *m_prompts, nullptr, *m_host);
    return *m_viewer;
}

void ViewerCommandsTest::showList(const QStringList& paths, int index) {
    viewer().ViewImage(paths, index);
}

QAction* ViewerCommandsTest::menuItem(const QString& menu, const QString& caption) {
    for (QAction* top : viewer().menuBar()->actions()) {
        if (top->text() != menu || !top->menu())
            continue;
        for (QAction* item : top->menu()->actions()) {
            if (item->text() == caption)
                return item;
        }
    }
    return nullptr;
}

void ViewerCommandsTest::everyRouteReachesItsCommandOnce_data() {
    // route: "menu:Menu/Caption" (or "menu:File/Print/Placement"), "shortcut:sequence" and
    // "key:sequence" typed on the window, "imagekey:sequence" typed on the image area,
    // "button:key" clicked on the button bar, "context:Caption" chosen from the image's pop-up
    // ("context:" dismisses it), "doubleclick" on the image.
    // effects: what changed, each exactly once, as named by RouteEffects.
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("effects");
    const auto row = [](const char* name, bool fullScreen, const char* route, const char* effects) {
        QTest::newRow(name) << fullScreen << QString::fromLatin1(route)
                            << QString::fromLatin1(effects);
    };

    // The menu bar.
    row("File Open", false, "menu:File/Open     ", "open");
    row("File Browse", false, "menu:File/Browse     ", "browser");
    row("File Save As", false, "menu:File/Save As     ", "save");
    row("File Page Setup", false, "menu:File/Page Setup", "pageSetup");
    row("File Print Top Left", false, "menu:File/Print/Top Left", "print");
    row("File Print Centered", false, "menu:File/Print/Centered", "print");
    row("File Print Fit To Page", false, "menu:File/Print/Fit To Page", "print");
    row("File Exit", false, "menu:File/Exit         ", "browser");
    row("Edit Copy To", false, "menu:Edit/Copy To", "copyTo");
    row("Edit Move To", false, "menu:Edit/Move To", "moveTo");
    row("Edit Copy Image", false, "menu:Edit/Copy Image", "clipboard");
    row("Edit Delete", false, "menu:Edit/Delete     ", "delete");
    row("Edit Rename", false, "menu:Edit/Rename", "renamePrompt");
    row("View Full Screen", false, "menu:View/Full Screen", "fullScreen");
    row("View Zoom In", false, "menu:View/Zoom In     ", "zoomIn");
    row("View Zoom Out", false, "menu:View/Zoom Out     ", "zoomOut");
    row("Image Next", false, "menu:Image/Next", "next");
    row("Image Previous", false, "menu:Image/Previous", "previous");
    row("Tools Slide Show", false, "menu:Tools/Slide Show", "slideShow");
    row("Tools Slide Show Delay", false, "menu:Tools/Slide Show Delay", "delayPrompt");
    row("Tools AntiAlias Display", false, "menu:Tools/AntiAlias Display", "antiAlias");
    row("Tools Rotate +90", false, "menu:Tools/Rotate +90", "rotatePlus90");
    row("Tools Rotate -90", false, "menu:Tools/Rotate -90", "rotateMinus90");
    row("Tools Set As Wallpaper", false, "menu:Tools/Set As Wallpaper", "wallpaper");
    row("Help About", false, "menu:Help/About", "about");
    row("Help Help Index", false, "menu:Help/Help Index", "help");
    row("Help update", false, "menu:Help/update", "update");

    // The menus' shortcuts, in the normal window.
    row("Ctrl+O", false, "shortcut:Ctrl+O", "open");
    row("Ctrl+B", false, "shortcut:Ctrl+B", "browser");
    row("Ctrl+S", false, "shortcut:Ctrl+S", "save");
    row("Ctrl+Q", false, "shortcut:Ctrl+Q", "browser");
    row("Ctrl+C", false, "shortcut:Ctrl+C", "copyTo");
    row("Ctrl+M", false, "shortcut:Ctrl+M", "moveTo");
    row("Ctrl+G", false, "shortcut:Ctrl+G", "clipboard");
    row("Del", false, "shortcut:Del", "delete");
    row("F2", false, "shortcut:F2", "renamePrompt");
    row("Ctrl+F", false, "shortcut:Ctrl+F", "fullScreen");
    row("Ctrl+N", false, "shortcut:Ctrl+N", "zoomIn");
    row("Ctrl+U", false, "shortcut:Ctrl+U", "zoomOut");

    // The key map, on the window and on the image area.
    row("Esc", false, "key:Esc", "browser,unloaded");
    row("Enter", false, "key:Return", "browser");
    row("keypad Enter on the image", false, "imagekey:Enter", "browser");
    row("Space", false, "key:Space", "next");
    row("Space on the image", false, "imagekey:Space", "next");
    row("Page Down", false, "key:PgDown", "next");
    row("Backspace", false, "key:Backspace", "previous");
    row("Page Up on the image", false, "imagekey:PgUp", "previous");
    row("F", false, "key:F", "fullScreen");
    row("F on the image", false, "imagekey:F", "fullScreen");
    row("= +", false, "key:=", "zoomIn");
    row("keypad +", false, "key:Num++", "zoomIn");
    row("keypad - on the image", false, "imagekey:Num+-", "zoomOut");
    row("main - does nothing", false, "key:-", "");
    row("an arrow on a fitting image does nothing", false, "imagekey:Left", "");
    row("an unlisted key does nothing", false, "key:X", "");

    // The button bar, clicked.
    row("button Open", false, "button:open32", "open");
    row("button Browse", false, "button:browsed32", "browser");
    row("button Previous", false, "button:previous32", "previous");
    row("button Next", false, "button:next32", "next");
    row("button Slide Show", false, "button:slidshow32", "slideShow");
    row("button Zoom In", false, "button:zoomin32", "zoomIn");
    row("button Zoom Out", false, "button:zoomiout32", "zoomOut");
    row("button Full Screen", false, "button:fullscreen32", "fullScreen");

    // The image's context menu, and the mouse.
    row("context Full Screen", false, "context:Full Screen", "fullScreen");
    row("context Next", false, "context:Next", "next");
    row("context Previous", false, "context:Previous", "previous");
    row("context Slide Show", false, "context:Slide Show", "slideShow");
    row("context Antialias Display", false, "context:Antialias Display", "antiAlias");
    row("context Rotate +90", false, "context:Rotate +90", "rotatePlus90");
    row("context Rotate -90", false, "context:Rotate -90", "rotateMinus90");
    row("context Zoom In", false, "context:Zoom In", "zoomIn");
    row("context Zoom Out", false, "context:Zoom Out", "zoomOut");
    row("context Set As Wallpaper", false, "context:Set As Wallpaper", "wallpaper");
    row("context dismissed", false, "context:", "");
    row("double click", false, "doubleclick", "browser");

    // Full screen: the menus' shortcuts are gone with the menus; the key map stays.
    row("full screen: Ctrl+O does nothing", true, "shortcut:Ctrl+O", "");
    row("full screen: Ctrl+N does nothing", true, "shortcut:Ctrl+N", "");
    // The key map does not look at Ctrl: Ctrl+F is F there.
    row("full screen: Ctrl+F is the key map's F", true, "shortcut:Ctrl+F", "fullScreen");
    row("full screen: Delete", true, "key:Del", "delete");
    row("full screen: Delete on the image", true, "imagekey:Del", "delete");
    row("full screen: F", true, "key:F", "fullScreen");
    row("full screen: Space", true, "imagekey:Space", "next");
    row("full screen: keypad +", true, "key:Num++", "zoomIn");
    row("full screen: context Full Screen", true, "context:Full Screen", "fullScreen");
    row("full screen: double click", true, "doubleclick", "browser");
}

namespace {

// Everything a viewer command can change that the route table looks at.
struct RouteState {
    int opens = 0;
    int saves = 0;
    int browser = 0;
    int unloaded = 0;
    int pageSetups = 0;
    int printDialogs = 0;
    int copyTo = 0;
    int moveTo = 0;
    int clipboard = 0;
    int deletes = 0;
    int renamePrompts = 0;
    int delayPrompts = 0;
    int otherMessages = 0;
    int wallpapers = 0;
    int helps = 0;
    int updates = 0;
    bool about = false;
    int index = 0;
    double zoom = 0;
    bool fullScreen = false;
    bool slideShow = false;
    bool antiAlias = false;
    bool antiAliasChecked = false;
    QString redCorner;  // where the red top-left pixel of the file is shown now
};

QStringList RouteEffects(const RouteState& before, const RouteState& after) {
    QStringList effects;
    const auto count = [&effects](const char* name, int from, int to) {
        if (to == from + 1)
            effects.append(QLatin1String(name));
        else if (to != from)
            effects.append(QStringLiteral("%1 %2 times").arg(QLatin1String(name)).arg(to - from));
    };
    const auto toggle = [&effects](const char* name, bool from, bool to) {
        if (from != to)
            effects.append(QLatin1String(name));
    };
    count("open", before.opens, after.opens);
    count("save", before.saves, after.saves);
    count("browser", before.browser, after.browser);
    count("unloaded", before.unloaded, after.unloaded);
    count("pageSetup", before.pageSetups, after.pageSetups);
    count("print", before.printDialogs, after.printDialogs);
    count("copyTo", before.copyTo, after.copyTo);
    count("moveTo", before.moveTo, after.moveTo);
    count("clipboard", before.clipboard, after.clipboard);
    count("delete", before.deletes, after.deletes);
    count("renamePrompt", before.renamePrompts, after.renamePrompts);
    count("delayPrompt", before.delayPrompts, after.delayPrompts);
    count("message", before.otherMessages, after.otherMessages);
    count("wallpaper", before.wallpapers, after.wallpapers);
    count("help", before.helps, after.helps);
    count("update", before.updates, after.updates);
    toggle("about", before.about, after.about);
    if (after.index == before.index + 1)
        effects.append(QStringLiteral("next"));
    else if (after.index == before.index - 1)
        effects.append(QStringLiteral("previous"));
    else if (after.index != before.index)
        effects.append(QStringLiteral("index %1 to %2").arg(before.index).arg(after.index));
    // Full screen and stepping choose their own zoom; only zoom on its own is looked at.
    if (after.zoom != before.zoom && after.fullScreen == before.fullScreen &&
        after.index == before.index) {
        if (after.zoom == ZoomInStep(before.zoom))
            effects.append(QStringLiteral("zoomIn"));
        else if (after.zoom == ZoomOutStep(before.zoom))
            effects.append(QStringLiteral("zoomOut"));
        else
            effects.append(QStringLiteral("zoom %1 to %2").arg(before.zoom).arg(after.zoom));
    }
    toggle("fullScreen", before.fullScreen, after.fullScreen);
    toggle("slideShow", before.slideShow, after.slideShow);
    toggle("antiAlias", before.antiAlias, after.antiAlias);
    if (after.antiAlias != after.antiAliasChecked)
        effects.append(QStringLiteral("check mark out of step"));
    if (after.redCorner != before.redCorner && after.index == before.index) {
        if (before.redCorner == QLatin1String("top left") &&
            after.redCorner == QLatin1String("top right"))
            effects.append(QStringLiteral("rotatePlus90"));
        else if (before.redCorner == QLatin1String("top left") &&
                 after.redCorner == QLatin1String("bottom left"))
            effects.append(QStringLiteral("rotateMinus90"));
        else
            effects.append(QStringLiteral("turned to the ") + after.redCorner);
    }
    return effects;
}

QString RedCorner(const QImage& image) {
    if (image.isNull())
        return QStringLiteral("no image");
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    const auto red = [&image](int x, int y) { return image.pixel(x, y) == qRgb(255, 0, 0); };
    if (red(0, 0))
        return QStringLiteral("top left");
    if (red(right, 0))
        return QStringLiteral("top right");
    if (red(0, bottom))
        return QStringLiteral("bottom left");
    if (red(right, bottom))
        return QStringLiteral("bottom right");
    return QStringLiteral("nowhere");
}

struct CountingPicker : DestinationPicker {
    QList<int> asked;  // the operation of each request; every request is cancelled
    QString ShowFileForm(int opType, const QString&) override {
        asked.append(opType);
        return {};
    }
};

struct CountingHost : ViewerHost {
    int browserShown = 0;
    int unloaded = 0;
    void showBrowser() override { ++browserShown; }
    void CheckPath(const QString&) override {}
    void viewerUnloaded() override { ++unloaded; }
    void endProgram() override {}
};

}  // namespace

void ViewerCommandsTest::everyRouteReachesItsCommandOnce() {
    QFETCH(bool, fullScreen);
    QFETCH(QString, route);
    QFETCH(QString, effects);

    // Every service the viewer can call, each recording what it was asked.
    CountingHost host;
    FakeShellFileOperation shell;
    shell.scriptResult({ShellResult::Cancelled, true});  // the user says No to the deletion
    CountingPicker picker;
    FileOperationRunner fileOperations(shell, *m_prompts, picker);
    QTemporaryDir wallpaperFolder;
    RecordingWallpaper wallpaper(wallpaperFolder.path() + QLatin1Char('/'));
    RecordingLauncher launcher;
    QTemporaryDir program;
    QVERIFY(QFile(QDir(program.path()).filePath(QStringLiteral("lorvane.html")))
                .open(QIODevice::WriteOnly));
    QVERIFY(QDir(program.path()).mkpath(QStringLiteral("update")));
    QFile update(QDir(program.path()).filePath(QStringLiteral("update/update")));
    QVERIFY(update.open(QIODevice::WriteOnly));
    update.close();
    QVERIFY(update.setPermissions(update.permissions() | QFileDevice::ExeOwner));
    ScriptedPrintDialogs dialogs;
    dialogs.confirm = false;
    MyPrinter printer(dialogs);
    int clipboardChanges = 0;
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMetaObject::Connection clipboardWatch = connect(
        clipboard, &QClipboard::dataChanged, this, [&clipboardChanges] { ++clipboardChanges; });

    frmViwer viewer(*m_registry, *m_prompts, nullptr, host);
    viewer.setFileOperations(&fileOperations);
    viewer.setWallpaper(&wallpaper);
    viewer.setHelpServices(&launcher, program.path());
    viewer.setPrinter(&printer);
    int index = 1;
    viewer.ViewImage({writeImage(QStringLiteral("a.png"), QSize(20, 10)),
                      writeImage(QStringLiteral("b.png"), QSize(20, 10)),
                      writeImage(QStringLiteral("c.png"), QSize(20, 10))},
                     index);
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    if (fullScreen) {
        viewer.ToggleFullScreen();
        QVERIFY(viewer.IsFullScreen());
    }
    QCoreApplication::processEvents();

    const auto state = [&]() {
        RouteState s;
        s.opens = int(m_prompts->openRequests().size());
        s.saves = int(m_prompts->saveRequests().size());
        s.browser = host.browserShown;
        s.unloaded = host.unloaded;
        s.pageSetups = dialogs.pageSetups;
        s.printDialogs = int(dialogs.presets.size());
        s.copyTo = int(picker.asked.count(1));
        s.moveTo = int(picker.asked.count(4));
        s.clipboard = clipboardChanges;
        for (const ShellFileOperationRequest& request : shell.requests()) {
            if (request.function == ShellFunction::Delete)
                ++s.deletes;
        }
        s.otherMessages = int(m_prompts->messages().size());
        for (const ScriptedPrompts::Input& input : m_prompts->inputs()) {
            if (input.title == QLatin1String("Rename File"))
                ++s.renamePrompts;
            else if (input.prompt.startsWith(QLatin1String("Delay in Milliseconds")))
                ++s.delayPrompts;
        }
        s.wallpapers = int(wallpaper.applied().size());
        s.helps = int(launcher.opened().size());
        s.updates = int(launcher.started().size());
        s.about = viewer.aboutBox() && viewer.aboutBox()->isVisible();
        s.index = viewer.CurrentIndex();
        s.zoom = viewer.imgX().zoom();
        s.fullScreen = viewer.IsFullScreen();
        s.slideShow = viewer.isSlideShowOn();
        s.antiAlias = viewer.imgX().antiAliasDisplay();
        s.antiAliasChecked = viewer.antiAliasAction()->isChecked();
        s.redCorner = RedCorner(viewer.imgX().document().activeImage());
        return s;
    };
    const RouteState before = state();

    const QString target = route.section(QLatin1Char(':'), 1);
    if (route.startsWith(QLatin1String("menu:"))) {
        QMenu* menu = nullptr;
        QAction* item = nullptr;
        for (QAction* top : viewer.menuBar()->actions()) {
            if (top->text() == target.section(QLatin1Char('/'), 0, 0))
                menu = top->menu();
        }
        for (int level = 1; menu && !item; ++level) {
            const QString caption = target.section(QLatin1Char('/'), level, level);
            QMenu* next = nullptr;
            for (QAction* candidate : menu->actions()) {
                if (candidate->text() != caption)
                    continue;
                if (candidate->menu())
                    next = candidate->menu();
                else
                    item = candidate;
            }
            menu = next;
        }
        QVERIFY2(item, qPrintable(target));
        QVERIFY(item->isEnabled());
        item->trigger();
    } else if (route.startsWith(QLatin1String("shortcut:")) ||
               route.startsWith(QLatin1String("key:"))) {
        QTest::keySequence(&viewer, QKeySequence(target));
    } else if (route.startsWith(QLatin1String("imagekey:"))) {
        QTest::keySequence(&viewer.imgX(), QKeySequence(target));
    } else if (route.startsWith(QLatin1String("button:"))) {
        auto* toolbar = viewer.findChild<QToolBar*>(QStringLiteral("Toolbar"));
        QVERIFY(toolbar);
        QAction* button = toolbar->findChild<QAction*>(target);
        QVERIFY(button && button->isEnabled());
        QWidget* clickable = toolbar->widgetForAction(button);
        QVERIFY(clickable);
        QTest::mouseClick(clickable, Qt::LeftButton);
    } else if (route.startsWith(QLatin1String("context:"))) {
        bool offered = target.isEmpty();
        QTimer::singleShot(0, [&offered, target] {
            QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* item : menu->actions()) {
                if (!target.isEmpty() && item->text() == target && item->isEnabled()) {
                    offered = true;
                    menu->setActiveAction(item);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(&viewer.imgX(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY2(offered, qPrintable(target));
    } else if (route == QLatin1String("doubleclick")) {
        QTest::mouseDClick(&viewer.imgX(), Qt::LeftButton, {}, QPoint(5, 5));
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown route ") + route));
    }
    QCoreApplication::processEvents();

    const QStringList expected =
        effects.isEmpty() ? QStringList{} : effects.split(QLatin1Char(','));
    QCOMPARE(RouteEffects(before, state()), expected);
    disconnect(clipboardWatch);
    viewer.setFileOperations(nullptr);
}

void ViewerCommandsTest::cancelledOpenChangesNothing() {
    const QStringList paths = {writeImage(QStringLiteral("a.png"), QSize(20, 10)),
                               writeImage(QStringLiteral("b.png"), QSize(30, 10))};
    showList(paths, 1);
    QVERIFY(!viewer().LoadImage());
    QCOMPARE(m_prompts->openRequests(), QStringList{kExpectedOpenFilter});
    QCOMPARE(viewer().ImagePaths(), paths);
    QCOMPARE(viewer().CurrentIndex(), 1);
    QCOMPARE(viewer().windowTitle(), title(QStringLiteral("b.png")));
    QCOMPARE(viewer().imgX().document().Width(), 30);
}

void ViewerCommandsTest::openAppendsAndShowsTheFirstChosenFile_data() {
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("one file") << QStringList{QStringLiteral("c.png")};
    QTest::newRow("several files") << QStringList{QStringLiteral("d.png"), QStringLiteral("c.png")};
}

void ViewerCommandsTest::openAppendsAndShowsTheFirstChosenFile() {
    QFETCH(QStringList, chosen);
    const QStringList listed = {writeImage(QStringLiteral("a.png"), QSize(20, 10)),
                                writeImage(QStringLiteral("b.png"), QSize(30, 10))};
    writeImage(QStringLiteral("c.png"), QSize(40, 10));
    writeImage(QStringLiteral("d.png"), QSize(50, 10));
    QStringList chosenPaths;
    for (const QString& name : chosen)
        chosenPaths.append(m_dir->filePath(name));
    showList(listed, 1);

    m_prompts->scriptOpenFiles(chosenPaths);
    QVERIFY(viewer().LoadImage());

    QCOMPARE(viewer().ImagePaths(), listed + chosenPaths);
    // The dialog started in the folder of the image on screen.
    QCOMPARE(m_prompts->openFolders(), QStringList{m_dir->path()});
    QCOMPARE(viewer().CurrentIndex(), 1);
    QCOMPARE(viewer().windowTitle(), title(chosen.constFirst()));
    QCOMPARE(viewer().imgX().document().FileName(), chosenPaths.constFirst());
    QVERIFY(m_prompts->messages().isEmpty());

    // The list goes on from the image shown before the dialog: the first opened file is next.
    viewer().ShowNextImage();
    QCOMPARE(viewer().CurrentIndex(), 2);
    QCOMPARE(viewer().imgX().document().FileName(), chosenPaths.constFirst());
}

void ViewerCommandsTest::openIntoAnEmptyViewerStartsTheList() {
    const QStringList chosen = {writeImage(QStringLiteral("a.png"), QSize(20, 10)),
                                writeImage(QStringLiteral("b.png"), QSize(30, 10))};
    viewer().show();
    m_prompts->scriptOpenFiles(chosen);
    QVERIFY(viewer().LoadImage());
    QCOMPARE(viewer().ImagePaths(), chosen);
    QCOMPARE(viewer().CurrentIndex(), 0);
    viewer().ShowNextImage();
    QCOMPARE(viewer().imgX().document().FileName(), chosen.at(1));
}

void ViewerCommandsTest::openedPictureLoaderTypeGoesThroughThePictureLoader() {
    const QStringList listed = {writeImage(QStringLiteral("a.png"), QSize(20, 10))};
    const QString dib = writeImage(QStringLiteral("icon.dib"), QSize(16, 16), "BMP");
    showList(listed, 0);
    m_prompts->scriptOpenFiles({dib});
    QVERIFY(viewer().LoadImage());
    // The picture loader hands over pixels only: the control learns no file name.
    QCOMPARE(viewer().imgX().document().Width(), 16);
    QVERIFY(viewer().imgX().document().FileName().isEmpty());
    QCOMPARE(viewer().windowTitle(), title(QStringLiteral("icon.dib")));
    QCOMPARE(viewer().ImagePaths(), listed + QStringList{dib});
}

void ViewerCommandsTest::saveAsPreselectsTheImagesFormat_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("extension");
    QTest::newRow("PNG") << "a.png" << QByteArray("PNG") << 2 << "png";
    QTest::newRow("JPEG") << "a.jpg" << QByteArray("JPEG") << 1 << "jpg";
    QTest::newRow("BMP") << "a.bmp" << QByteArray("BMP") << 8 << "bmp";
    QTest::newRow("TIFF") << "a.tif" << QByteArray("TIFF") << 4 << "tif";
    // A format the dialog does not offer keeps the filter the user last left: PNG here.
    QTest::newRow("icon keeps the last filter") << "a.ico" << QByteArray("ICO") << 2 << "png";
}

void ViewerCommandsTest::saveAsPreselectsTheImagesFormat() {
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(int, filter);
    QFETCH(QString, extension);
    const QString first = writeImage(QStringLiteral("first.png"), QSize(8, 8));
    const QString path = writeImage(name, QSize(8, 8), format.constData());
    QVERIFY(QFileInfo::exists(path));
    showList({first, path}, 0);
    m_prompts->scriptSaveFile(QString(), 2);  // cancelled; the PNG filter is now the last one
    viewer().SaveAs();
    viewer().ShowNextImage();
    viewer().SaveAs();
    QCOMPARE(m_prompts->saveRequests().size(), 2);
    const ScriptedPrompts::SaveRequest request = m_prompts->saveRequests().at(1);
    QCOMPARE(request.filter, kExpectedSaveFilter);
    QCOMPARE(request.filterIndex, filter);
    QCOMPARE(request.defaultExtension, extension);
    // The image's own folder and name are suggested; the dialog adds the extension.
    QCOMPARE(request.suggestedPath, m_dir->filePath(QStringLiteral("a")));
}

void ViewerCommandsTest::saveAsWritesTheChosenFormatAndChangesNothingElse_data() {
    QTest::addColumn<int>("filter");
    QTest::addColumn<QByteArray>("written");  // as a reader that looks at the bytes sees it
    QTest::newRow("JPEG") << 1 << QByteArray("jpeg");
    QTest::newRow("PNG") << 2 << QByteArray("png");
    QTest::newRow("Windows bitmap") << 8 << QByteArray("bmp");
}

void ViewerCommandsTest::saveAsWritesTheChosenFormatAndChangesNothingElse() {
    QFETCH(int, filter);
    QFETCH(QByteArray, written);
    const QStringList listed = {writeImage(QStringLiteral("a.png"), QSize(20, 10))};
    showList(listed, 0);
    viewer().RotatePlus90();
    const QString titleBefore = viewer().windowTitle();
    // Into the folder of the list, under a name that does not tell the format.
    const QString target = m_dir->filePath(QStringLiteral("copy.out"));
    m_prompts->scriptSaveFile(target, filter);
    viewer().SaveAs();

    QImageReader reader(target);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), written);
    QCOMPARE(reader.size(), QSize(10, 20));  // the image as shown, turned
    QCOMPARE(viewer().ImagePaths(), listed);
    QCOMPARE(viewer().windowTitle(), titleBefore);
    QCOMPARE(viewer().imgX().document().FileName(), listed.constFirst());
    QVERIFY(m_prompts->messages().isEmpty());
}

void ViewerCommandsTest::failedSaveIsReportedAndCancelWritesNothing() {
    const QStringList listed = {writeImage(QStringLiteral("a.png"), QSize(20, 10))};
    showList(listed, 0);
    const QString missingFolder = m_dir->filePath(QStringLiteral("gone/b.png"));
    m_prompts->scriptSaveFile(missingFolder, 2);
    viewer().SaveAs();
    QCOMPARE(m_prompts->messages().size(), 1);
    QCOMPARE(m_prompts->messages().at(0).caption, QStringLiteral("Lorvane"));
    QVERIFY(!QFileInfo::exists(missingFolder));
    QCOMPARE(viewer().ImagePaths(), listed);

    m_prompts->clearRecords();
    viewer().SaveAs();  // nothing scripted: cancelled
    QCOMPARE(m_prompts->saveRequests().size(), 1);
    QVERIFY(m_prompts->messages().isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("a.png")});
}

void ViewerCommandsTest::copyImagePutsTheImageAsShownOnTheClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    viewer().CopyImage();  // nothing shown: the clipboard stays as it was
    QVERIFY(clipboard->image().isNull());

    showList({writeImage(QStringLiteral("a.png"), QSize(20, 10))}, 0);
    viewer().RotatePlus90();
    QAction* item = menuItem(QStringLiteral("Edit"), QStringLiteral("Copy Image"));
    QVERIFY(item);
    QCOMPARE(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    item->trigger();
    const QImage copied = clipboard->image();
    QCOMPARE(copied.size(), QSize(10, 20));
    // Turned clockwise, the red top-left pixel is now at the top right.
    QCOMPARE(copied.pixel(9, 0), qRgb(255, 0, 0));
}

void ViewerCommandsTest::toolsMenuSetsTheShownImageAsWallpaper() {
    QTemporaryDir folder;
    RecordingWallpaper wallpaper(folder.path() + QLatin1Char('/'));
    viewer().setWallpaper(&wallpaper);
    QAction* item = menuItem(QStringLiteral("Tools"), QStringLiteral("Set As Wallpaper"));
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    item->trigger();  // nothing shown yet
    QVERIFY(wallpaper.applied().isEmpty());

    showList({writeImage(QStringLiteral("beach.png"), QSize(20, 10))}, 0);
    item->trigger();
    QCOMPARE(wallpaper.applied(), QStringList{folder.filePath(QStringLiteral("beach.png"))});
    QImageReader written(wallpaper.applied().constFirst());
    written.setDecideFormatFromContent(true);
    QCOMPARE(written.format(), QByteArray("bmp"));
    QVERIFY(m_prompts->messages().isEmpty());
}

void ViewerCommandsTest::helpMenuOpensTheHelpAndStartsTheUpdate_data() {
    QTest::addColumn<bool>("chmInstalled");
    QTest::addColumn<bool>("updateInstalled");
    QTest::addColumn<QString>("openedHelp");
    QTest::newRow("shipped help, no update") << false << false << "lorvane.html";
    QTest::newRow("compiled help and update") << true << true << "lorvane.chm";
}

void ViewerCommandsTest::helpMenuOpensTheHelpAndStartsTheUpdate() {
    QFETCH(bool, chmInstalled);
    QFETCH(bool, updateInstalled);
    QFETCH(QString, openedHelp);
    QTemporaryDir program;
    const QDir folder(program.path());
    QVERIFY(QFile(folder.filePath(QStringLiteral("lorvane.html"))).open(QIODevice::WriteOnly));
    if (chmInstalled)
        QVERIFY(QFile(folder.filePath(QStringLiteral("lorvane.chm"))).open(QIODevice::WriteOnly));
    const QString update = folder.filePath(QStringLiteral("update/update"));
    if (updateInstalled) {
        QVERIFY(folder.mkpath(QStringLiteral("update")));
        QFile file(update);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
    }
    RecordingLauncher launcher;
    viewer().setHelpServices(&launcher, program.path());

    QAction* help = menuItem(QStringLiteral("Help"), QStringLiteral("Help Index"));
    QAction* updateItem = menuItem(QStringLiteral("Help"), QStringLiteral("update"));
    QVERIFY(help && updateItem);
    help->trigger();
    updateItem->trigger();
    QCOMPARE(launcher.opened(), QStringList{folder.filePath(openedHelp)});
    QCOMPARE(launcher.started().size(), updateInstalled ? 1 : 0);
    if (updateInstalled) {
        QCOMPARE(launcher.started().at(0).program, update);
        QVERIFY(launcher.started().at(0).arguments.isEmpty());
    }
}

void ViewerCommandsTest::printMenuPlacesTheImageOnThePage_data() {
    // Where the black image lies on the page rasterised at 50 dots per inch: A4 is 413 x 585
    // dots, its margins 19.7 dots; the image is 2 x 1 inches at its own size.
    QTest::addColumn<QString>("placement");
    QTest::addColumn<QRectF>("expected");
    QTest::newRow("Top Left") << "Top Left" << QRectF(19.7, 19.7, 100, 50);
    QTest::newRow("Centered") << "Centered" << QRectF(156.7, 267.3, 100, 50);
    QTest::newRow("Fit To Page") << "Fit To Page" << QRectF(19.7, 198.8, 373.9, 187.0);
}

void ViewerCommandsTest::printMenuPlacesTheImageOnThePage() {
    QFETCH(QString, placement);
    QFETCH(QRectF, expected);
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    QImage black(192, 96, QImage::Format_RGB32);  // 2 x 1 inches at 96 dots per inch
    black.fill(Qt::black);
    black.setDotsPerMeterX(3780);
    black.setDotsPerMeterY(3780);
    const QString image = m_dir->filePath(QStringLiteral("black.png"));
    QVERIFY(black.save(image));
    showList({image}, 0);

    ScriptedPrintDialogs dialogs;
    dialogs.pdf = m_dir->filePath(QStringLiteral("out.pdf"));
    MyPrinter printer(dialogs);
    viewer().setPrinter(&printer);
    QMenu* print = nullptr;
    for (QAction* top : viewer().menuBar()->actions()) {
        if (top->text() != QLatin1String("File"))
            continue;
        for (QAction* item : top->menu()->actions()) {
            if (item->text() == QLatin1String("Print"))
                print = item->menu();
        }
    }
    QVERIFY(print);
    QAction* chosen = nullptr;
    for (QAction* item : print->actions()) {
        if (item->text() == placement)
            chosen = item;
    }
    QVERIFY(chosen);
    chosen->trigger();

    QCOMPARE(dialogs.presets, (QList<QPair<int, int>>{{1, 1}}));
    QCOMPARE(printer.jobs().size(), 1);
    QCOMPARE(printer.jobs().at(0).documentName, QStringLiteral("ZozezAzAvezi"));
    QCOMPARE(printer.jobs().at(0).pages, 1);

    const QString prefix = m_dir->filePath(QStringLiteral("page"));
    QCOMPARE(QProcess::execute(pdftoppm,
                               {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), dialogs.pdf, prefix}),
             0);
    const QImage page(prefix + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    QVERIFY(qAbs(page.width() - 413) <= 1 && qAbs(page.height() - 585) <= 1);
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY2(qAbs(box.x() - expected.x()) <= 2 && qAbs(box.y() - expected.y()) <= 2 &&
                 qAbs(box.width() - expected.width()) <= 2 &&
                 qAbs(box.height() - expected.height()) <= 2,
             qPrintable(QStringLiteral("image at %1,%2 %3x%4")
                            .arg(box.x())
                            .arg(box.y())
                            .arg(box.width())
                            .arg(box.height())));
}

void ViewerCommandsTest::cancelledPrintPrintsNothing() {
    showList({writeImage(QStringLiteral("a.png"), QSize(20, 10))}, 0);
    ScriptedPrintDialogs dialogs;
    dialogs.confirm = false;
    dialogs.pdf = m_dir->filePath(QStringLiteral("out.pdf"));
    MyPrinter printer(dialogs);
    viewer().setPrinter(&printer);
    viewer().PrintCurrent(2);
    QCOMPARE(dialogs.presets.size(), 1);
    QVERIFY(printer.jobs().isEmpty());
    QVERIFY(!QFileInfo::exists(dialogs.pdf));
    QAction* setup = menuItem(QStringLiteral("File"), QStringLiteral("Page Setup"));
    QVERIFY(setup);
    setup->trigger();
    QCOMPARE(dialogs.pageSetups, 1);
}

void ViewerCommandsTest::contextMenuSetsTheShownImageAsWallpaper() {
    QTemporaryDir folder;
    RecordingWallpaper wallpaper(folder.path() + QLatin1Char('/'));
    viewer().setWallpaper(&wallpaper);
    showList({writeImage(QStringLiteral("beach.png"), QSize(20, 10))}, 0);
    bool offered = false;
    QTimer::singleShot(0, [&offered] {
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        const QList<QAction*> items = menu->actions();
        // The sixth choice, last in the menu after four separators.
        QAction* last = items.constLast();
        offered = last->text() == QLatin1String("Set As Wallpaper") && last->isEnabled();
        menu->setActiveAction(last);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    Q_EMIT viewer().imgX().MouseDown(Qt::RightButton, Qt::NoModifier, 5, 5);
    QVERIFY(offered);
    QCOMPARE(wallpaper.applied(), QStringList{folder.filePath(QStringLiteral("beach.png"))});
}

void ViewerCommandsTest::multiPageImagePrintsTheChosenRange_data() {
    // A TIFF of three pages: 2 x 1, 1 x 2 and 1 x 1 inches at 96 dots per inch. Expected boxes
    // are at 50 dots per inch on A4 (413 x 585) with margins of 19.7 dots, one per page of the
    // file written.
    QTest::addColumn<QString>("placement");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("jobPages");
    QTest::addColumn<QList<QRectF>>("pageBoxes");
    QTest::newRow("all pages, centred: one job of three pages")
        << "Centered" << int(QPrinter::AllPages) << 0 << 0 << QList<int>{3}
        << QList<QRectF>{QRectF(156.7, 267.3, 100, 50), QRectF(181.7, 242.3, 50, 100),
                         QRectF(181.7, 267.3, 50, 50)};
    // Into a file the range is one job: a job per page would leave only the last page.
    QTest::newRow("pages 2 to 3 into a file, fit: one job of both pages in order")
        << "Fit To Page" << int(QPrinter::PageRange) << 2 << 3 << QList<int>{2}
        << QList<QRectF>{QRectF(70.4, 19.7, 272.6, 545.2), QRectF(19.7, 105.5, 373.9, 373.9)};
    QTest::newRow("selection from top left: the shown page, centred at its own size")
        << "Top Left" << int(QPrinter::Selection) << 0 << 0 << QList<int>{1}
        << QList<QRectF>{QRectF(156.7, 267.3, 100, 50)};
}

void ViewerCommandsTest::multiPageImagePrintsTheChosenRange() {
    QFETCH(QString, placement);
    QFETCH(int, range);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QList<int>, jobPages);
    QFETCH(QList<QRectF>, pageBoxes);
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    const QString tiff = m_dir->filePath(QStringLiteral("pages.tif"));
    QVERIFY(testimages::writeFile(
        tiff, testimages::tiff({QSize(192, 96), QSize(96, 192), QSize(96, 96)})));
    showList({tiff}, 0);
    QCOMPARE(viewer().imgX().document().Count(), 3);

    ScriptedPrintDialogs dialogs;
    dialogs.pdf = m_dir->filePath(QStringLiteral("out.pdf"));
    dialogs.range = QPrinter::PrintRange(range);
    dialogs.from = from;
    dialogs.to = to;
    MyPrinter printer(dialogs);
    viewer().setPrinter(&printer);
    QAction* print = menuItem(QStringLiteral("File"), QStringLiteral("Print"));
    QVERIFY(print && print->menu());
    bool chosen = false;
    for (QAction* item : print->menu()->actions()) {
        if (item->text() == placement) {
            item->trigger();
            chosen = true;
        }
    }
    QVERIFY(chosen);

    QCOMPARE(dialogs.presets, (QList<QPair<int, int>>{{1, 3}}));
    QList<int> pages;
    for (const MyPrinter::JobRecord& job : printer.jobs()) {
        QCOMPARE(job.documentName, QStringLiteral("ZozezAzAvezi"));
        pages.append(job.pages);
    }
    QCOMPARE(pages, jobPages);
    const QList<QRect> boxes =
        PrintedBoxes(pdftoppm, dialogs.pdf, m_dir->filePath(QStringLiteral("page")));
    QVERIFY2(boxes.size() == pageBoxes.size(), qPrintable(Describe(boxes)));
    for (qsizetype i = 0; i < boxes.size(); ++i)
        QVERIFY2(Near(boxes.at(i), pageBoxes.at(i)), qPrintable(Describe(boxes)));
}

void ViewerCommandsTest::printChoiceTellsAFileFromAPrinter() {
    ScriptedPrintDialogs dialogs;
    MyPrinter printer(dialogs);
    dialogs.pdf = m_dir->filePath(QStringLiteral("out.pdf"));
    const MyPrinter::Choice toFile = printer.ShowPrintDialog(nullptr, 3);
    QVERIFY(toFile.confirmed);
    QCOMPARE(toFile.output, PrintOutput::File);
    // No file name: the printer prints, a job per page of a range.
    dialogs.pdf.clear();
    const MyPrinter::Choice toPrinter = printer.ShowPrintDialog(nullptr, 3);
    QVERIFY(toPrinter.confirmed);
    QCOMPARE(toPrinter.output, PrintOutput::Device);
}

QTEST_MAIN(ViewerCommandsTest)
#include "tst_viewer_commands.moc"
