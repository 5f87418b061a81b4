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

#include "components/ImgX.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/RecordingLauncher.h"
#include "platform/fakes/RecordingWallpaper.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "settings/CRegister.h"
#include "tools/MyPrinter.h"
#include "tools/PrintDialogs.h"
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
    QTest::addColumn<QString>("route");  // "menu:Menu/Caption", "button:key" or "key:sequence"
    QTest::addColumn<int>("opens");
    QTest::addColumn<int>("saves");
    QTest::newRow("File Open") << "menu:File/Open     " << 1 << 0;
    QTest::newRow("Open button") << "button:open32" << 1 << 0;
    QTest::newRow("Ctrl+O") << "key:Ctrl+O" << 1 << 0;
    QTest::newRow("File Save As") << "menu:File/Save As     " << 0 << 1;
    QTest::newRow("Ctrl+S") << "key:Ctrl+S" << 0 << 1;
}

void ViewerCommandsTest::everyRouteReachesItsCommandOnce() {
    QFETCH(QString, route);
    QFETCH(int, opens);
    QFETCH(int, saves);
    showList({writeImage(QStringLiteral("a.png"), QSize(20, 10))}, 0);
    QVERIFY(QTest::qWaitForWindowActive(&viewer()));
    const QString target = route.section(QLatin1Char(':'), 1);
    if (route.startsWith(QLatin1String("menu:"))) {
        QAction* item =
            menuItem(target.section(QLatin1Char('/'), 0, 0), target.section(QLatin1Char('/'), 1));
        QVERIFY(item);
        QVERIFY(item->isEnabled());
        item->trigger();
    } else if (route.startsWith(QLatin1String("button:"))) {
        auto* toolbar = viewer().findChild<QToolBar*>(QStringLiteral("Toolbar"));
        QVERIFY(toolbar);
        QAction* button = toolbar->findChild<QAction*>(target);
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        button->trigger();
    } else {
        QTest::keySequence(&viewer(), QKeySequence(target));
    }
    QCOMPARE(m_prompts->openRequests().size(), opens);
    QCOMPARE(m_prompts->saveRequests().size(), saves);
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

QTEST_MAIN(ViewerCommandsTest)
#include "tst_viewer_commands.moc"
