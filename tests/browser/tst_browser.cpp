#include <QClipboard>
#include <QDir>
#include <QFileSystemWatcher>
#include <QImage>
#include <QListView>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <memory>

#include "browser/FolderTree.h"
#include "browser/frmMain.h"
#include "components/ImgX.h"
#include "explorer/ExplorerItemModel.h"
#include "explorer/ExtensionLists.h"
#include "explorer/ImageExplore.h"
#include "fileops/DestinationPicker.h"
#include "fileops/FileOperationRunner.h"
#include "platform/XdgShellFileOperation.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/FakeSpecialFolders.h"
#include "platform/fakes/RecordingWallpaper.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "viewer/frmViwer.h"

using namespace lorvane;

// A photo folder tree: A (a1, a2 and a subfolder), B (b1, b2), "case" and "Case" (the same name
// in other letter cases), Desktop (one image) and odd files: a picture-loader file, a file that
// is no image at all.
class BrowserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void windowNeverShrinksBelowTheMinimum();
    void barIsAsWideAsThePreview_data();
    void barIsAsWideAsThePreview();
    void splitterBarsAre90Twips();

    void startExploresNothing();
    void selectionBeforeAnyClickScansNothing();
    void clickInTheTreeExploresAndFollowsTheSelection();
    void activatingANodeExploresIt();
    void desktopRootExploresTheDesktopFolder();
    void treePathIsWrittenAndReadBack_data();
    void treePathIsWrittenAndReadBack();
    void treeFollowsSubFolderChanges_data();
    void treeFollowsSubFolderChanges();
    void closedFolderIsNoLongerWatched();

    void previewReactsToTheReportedPath_data();
    void previewReactsToTheReportedPath();
    void previewIsSmoothedOnWhite();
    void zoomButtonsOnAnEmptyPreviewDoNothing();
    void zoomButtonsStopPastTheirLimits();
    void zoomSetsTheHandOnlyWhileTheImageExceedsThePreview();
    void zoomSurvivesAnotherImage();
    void buttonsStepTheExplorer();

    void checkPathOfTheShownFolderRescansNothing();
    void checkPathOfAnotherFolderMovesAndSelects_data();
    void checkPathOfAnotherFolderMovesAndSelects();
    void previewDecodesItsNeighboursOnceTheScanIsOver();
    void refreshImagesReachesTheExplorer();
    void refreshImagesLetsThePreviewFollowItsFile_data();
    void refreshImagesLetsThePreviewFollowItsFile();
    void explorerMoveOfSeveralItemsKeepsNamesAndEmptiesTheirPlaces();
    void explorerDeclinedDeleteKeepsEveryItem();

    void viewImageWithoutASourcePathKeepsTheBrowser_data();
    void viewImageWithoutASourcePathKeepsTheBrowser();
    void browseToViewerAndBack();
    void viewerOnAnotherFolderReturnsToThatFolder();
    void aWindowStaysVisibleWhenTheFileIsGone();
    void openItemWithAFolderExploresIt();
    void explorerCopyImageCopiesOnlyADecodableFile_data();
    void explorerCopyImageCopiesOnlyADecodableFile();
    void wallpaperButtonSetsThePreviewsImage();

private:
    QString path(const QString& relative) const { return m_dir->filePath(relative); }
    void writeImage(const QString& relative, QSize size, QColor colour = Qt::darkCyan) const;
    void clickNode(const QModelIndex& index);
    void exploreByClick(const QString& folder);
    void showPreviewOf(const QString& file);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeRegistry> m_registry;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    FakeSpecialFolders m_specialFolders;
    std::unique_ptr<frmMain> m_window;
};

void BrowserTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void BrowserTest::writeImage(const QString& relative, QSize size, QColor colour) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path(relative), relative.endsWith(QLatin1String(".dib")) ? "BMP" : nullptr));
}

void BrowserTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char* folder : {"A/sub", "B", "case", "Case", "Desktop"})
        QVERIFY(QDir(m_dir->path()).mkpath(QLatin1String(folder)));
    writeImage(QStringLiteral("A/a1.png"), QSize(40, 30));
    writeImage(QStringLiteral("A/a2.png"), QSize(800, 600), Qt::darkRed);
    writeImage(QStringLiteral("B/b1.png"), QSize(20, 20));
    writeImage(QStringLiteral("B/b2.png"), QSize(20, 20));
    writeImage(QStringLiteral("case/c.png"), QSize(8, 8));
    writeImage(QStringLiteral("Case/c1.png"), QSize(8, 8));
    writeImage(QStringLiteral("Case/c2.png"), QSize(8, 8));
    writeImage(QStringLiteral("Desktop/d.png"), QSize(8, 8));
    writeImage(QStringLiteral("A/icon.dib"), QSize(16, 16));
    QFile broken(path(QStringLiteral("A/broken.jpg")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("this is no picture");
    broken.close();

    m_specialFolders.setPath(SpecialFolders::kDesktop, path(QStringLiteral("Desktop/")));
    m_registry = std::make_unique<FakeRegistry>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_window = std::make_unique<frmMain>(*m_registry, *m_prompts, m_specialFolders);
    m_window->ImageExplore1().SetExt(QString(ExplorerExtensions));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void BrowserTest::cleanup() {
    m_window.reset();
    m_prompts.reset();
    m_registry.reset();
    m_dir.reset();
}

void BrowserTest::clickNode(const QModelIndex& index) {
    FolderTree& tree = m_window->TV1();
    tree.scrollTo(index);
    const QRect rect = tree.visualRect(index);
    QVERIFY(rect.isValid());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
}

void BrowserTest::exploreByClick(const QString& folder) {
    const QModelIndex index = m_window->TV1().indexOf(path(folder));
    clickNode(index);
    QCOMPARE(m_window->TV1().path(), path(folder) + QLatin1Char('/'));
}

void BrowserTest::showPreviewOf(const QString& file) {
    m_window->ShowPreview(path(file));
    QCOMPARE(m_window->preview().document().FileName(), path(file));
}

// ---- Layout ----------------------------------------------------------------------------------

void BrowserTest::windowNeverShrinksBelowTheMinimum() {
    const int minWidth = int(std::lround(3700 / m_window->twipsPerPixelX()));
    const int minHeight = int(std::lround(2400 / m_window->twipsPerPixelY()));
    m_window->resize(40, 30);
    QTRY_VERIFY(m_window->width() >= minWidth && m_window->height() >= minHeight);
    QVERIFY(m_window->Splitter2()->width() > 0);
    QVERIFY(m_window->Splitter2()->geometry().bottom() < m_window->centralWidget()->height());
}

void BrowserTest::barIsAsWideAsThePreview_data() {
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<int>("treeWidth");
    QTest::newRow("design size") << QSize() << -1;
    QTest::newRow("wide window") << QSize(1200, 700) << -1;
    QTest::newRow("tree dragged wider") << QSize() << 400;
    QTest::newRow("tree dragged narrow") << QSize(900, 600) << 60;
}

void BrowserTest::barIsAsWideAsThePreview() {
    QFETCH(QSize, windowSize);
    QFETCH(int, treeWidth);
    if (windowSize.isValid())
        m_window->resize(windowSize);
    if (treeWidth >= 0) {
        const int total =
            m_window->Splitter2()->sizes().at(0) + m_window->Splitter2()->sizes().at(1);
        m_window->Splitter2()->setSizes({treeWidth, total - treeWidth});
    }
    QWidget* bar = m_window->Toolbar();
    ImgX& preview = m_window->preview();
    QTRY_COMPARE(bar->width(), preview.width());
    QCOMPARE(bar->mapTo(m_window.get(), QPoint()).x(), preview.mapTo(m_window.get(), QPoint()).x());
    // The preview and the explorer fill the container below the bar.
    QWidget* container = m_window->container();
    QVERIFY(m_window->Splitter1()->geometry().top() > bar->geometry().bottom());
    QVERIFY(m_window->Splitter1()->geometry().bottom() < container->height());
    QVERIFY(m_window->Splitter1()->width() > container->width() * 9 / 10);
}

void BrowserTest::splitterBarsAre90Twips() {
    QCOMPARE(m_window->Splitter2()->handleWidth(),
             int(std::lround(90 / m_window->twipsPerPixelX())));
    QCOMPARE(m_window->Splitter1()->handleWidth(),
             int(std::lround(90 / m_window->twipsPerPixelY())));
    const QList<int> panes = m_window->Splitter1()->sizes();
    QVERIFY(panes.at(0) > 0 && panes.at(1) > 0);
}

// ---- Folder tree -----------------------------------------------------------------------------

void BrowserTest::startExploresNothing() {
    QVERIFY(m_window->ImageExplore1().ImagePaths().isEmpty());
    QCOMPARE(m_window->preview().document().Count(), 0);
    m_window->TV1().setFocus();
    QApplication::processEvents();
    QVERIFY(m_window->ImageExplore1().ImagePaths().isEmpty());
}

void BrowserTest::selectionBeforeAnyClickScansNothing() {
    FolderTree& tree = m_window->TV1();
    QSignalSpy reports(&m_window->ImageExplore1(), &ImageExplore::CurrSelectedImage);
    tree.setPath(path(QStringLiteral("A")));
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    QVERIFY(tree.path() != path(QStringLiteral("A/")));
    QVERIFY(!m_window->FollowSelection());
    QCOMPARE(reports.count(), 0);
    QVERIFY(m_window->ImageExplore1().ImagePaths().isEmpty());
}

void BrowserTest::clickInTheTreeExploresAndFollowsTheSelection() {
    FolderTree& tree = m_window->TV1();
    QSignalSpy reports(&m_window->ImageExplore1(), &ImageExplore::CurrSelectedImage);
    tree.setPath(path(QStringLiteral("A")));
    exploreByClick(QStringLiteral("B"));
    QVERIFY(m_window->FollowSelection());
    QCOMPARE(m_window->ImageExplore1().ImagePaths(),
             QStringList({path(QStringLiteral("B/b1.png")), path(QStringLiteral("B/b2.png"))}));
    // One scan for one click: a report of "" and one of the first item.
    QCOMPARE(reports.count(), 2);
    QCOMPARE(m_window->preview().document().FileName(), path(QStringLiteral("B/b1.png")));

    // From now on a move by keys explores: B is followed by "Case" and "case" by name order.
    reports.clear();
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Up);
    QCOMPARE(tree.path(), path(QStringLiteral("A/")));
    QVERIFY(!reports.isEmpty());
    QCOMPARE(m_window->ImageExplore1().ImagePaths().first(), path(QStringLiteral("A/a1.png")));
}

void BrowserTest::activatingANodeExploresIt() {
    FolderTree& tree = m_window->TV1();
    tree.setPath(path(QStringLiteral("B")));
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Return);
    QCOMPARE(m_window->ImageExplore1().ImagePaths().size(), 2);
    QVERIFY(!m_window->FollowSelection());
}

void BrowserTest::desktopRootExploresTheDesktopFolder() {
    clickNode(m_window->TV1().desktopIndex());
    QCOMPARE(m_window->TV1().path(), QString());
    QCOMPARE(m_window->ImageExplore1().ImagePaths(),
             QStringList{path(QStringLiteral("Desktop/d.png"))});
    // The root has no path of its own, so the click does not start following the selection.
    QVERIFY(!m_window->FollowSelection());
}

void BrowserTest::treePathIsWrittenAndReadBack_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("folder") << "A/sub"
                            << "A/sub/";
    QTest::newRow("trailing separator") << "B/"
                                        << "B/";
    QTest::newRow("letter case is kept apart") << "Case"
                                               << "Case/";
    QTest::newRow("missing folder: its parent") << "A/gone"
                                                << "A/";
}

void BrowserTest::treePathIsWrittenAndReadBack() {
    QFETCH(QString, written);
    QFETCH(QString, readBack);
    QSignalSpy reports(&m_window->ImageExplore1(), &ImageExplore::CurrSelectedImage);
    m_window->TV1().setPath(path(written));
    QCOMPARE(m_window->TV1().path(), path(readBack));
    QCOMPARE(reports.count(), 0);
}

namespace {

QStringList childNames(const QModelIndex& node) {
    QStringList names;
    for (int row = 0; row < node.model()->rowCount(node); ++row)
        names.append(node.model()->index(row, 0, node).data().toString());
    return names;
}

}  // namespace

void BrowserTest::treeFollowsSubFolderChanges_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("byReopening");
    QTest::addColumn<QStringList>("children");
    for (const bool reopen : {true, false}) {
        const char* how = reopen ? "closed and opened again" : "while open";
        QTest::addRow("made, %s", how) << "make" << reopen << QStringList{"new", "sub"};
        QTest::addRow("renamed, %s", how) << "rename" << reopen << QStringList{"renamed"};
        QTest::addRow("removed, %s", how) << "remove" << reopen << QStringList{};
    }
}

// A's folders change behind the tree's back: it shows them once A is opened again, or at once
// while A is open. The open, selected A/sub stays so when A is read again.
void BrowserTest::treeFollowsSubFolderChanges() {
    QFETCH(QString, change);
    QFETCH(bool, byReopening);
    QFETCH(QStringList, children);
    FolderTree& tree = m_window->TV1();
    tree.setPath(path(QStringLiteral("A/sub")));
    const QModelIndex folder = tree.indexOf(path(QStringLiteral("A")));
    tree.expand(tree.indexOf(path(QStringLiteral("A/sub"))));
    QCOMPARE(childNames(folder), QStringList{"sub"});

    QDir a(path(QStringLiteral("A")));
    if (change == QLatin1String("make"))
        QVERIFY(a.mkdir(QStringLiteral("new")));
    else if (change == QLatin1String("rename"))
        QVERIFY(a.rename(QStringLiteral("sub"), QStringLiteral("renamed")));
    else
        QVERIFY(a.rmdir(QStringLiteral("sub")));

    if (byReopening) {
        tree.collapse(folder);
        tree.expand(folder);
        QCOMPARE(childNames(folder), children);
    } else {
        QTRY_COMPARE(childNames(folder), children);
    }
    if (children.contains(QLatin1String("sub"))) {
        QCOMPARE(tree.path(), path(QStringLiteral("A/sub/")));
        QVERIFY(tree.isExpanded(tree.indexOf(path(QStringLiteral("A/sub")))));
    }
}

void BrowserTest::closedFolderIsNoLongerWatched() {
    FolderTree& tree = m_window->TV1();
    tree.setPath(path(QStringLiteral("A")));
    const QModelIndex folder = tree.indexOf(path(QStringLiteral("A")));
    tree.expand(folder);
    const auto* watcher = tree.findChild<QFileSystemWatcher*>();
    QVERIFY(watcher);
    QVERIFY(watcher->directories().contains(path(QStringLiteral("A"))));
    tree.collapse(folder);
    QVERIFY(!watcher->directories().contains(path(QStringLiteral("A"))));
}

// ---- Preview ---------------------------------------------------------------------------------

void BrowserTest::previewReactsToTheReportedPath_data() {
    QTest::addColumn<QString>("reported");
    QTest::addColumn<bool>("showsImage");
    QTest::addColumn<bool>("hasSourcePath");
    QTest::newRow("empty path") << "" << false << false;
    QTest::newRow("folder") << "A/sub" << false << false;
    QTest::newRow("image file") << "B/b1.png" << true << true;
    QTest::newRow("picture-loader file") << "A/icon.dib" << true << false;
    QTest::newRow("undecodable file") << "A/broken.jpg" << false << false;
    QTest::newRow("missing file") << "A/gone.png" << false << false;
}

void BrowserTest::previewReactsToTheReportedPath() {
    QFETCH(QString, reported);
    QFETCH(bool, showsImage);
    QFETCH(bool, hasSourcePath);
    showPreviewOf(QStringLiteral("A/a2.png"));
    ImgX& preview = m_window->preview();
    preview.setMouseTool(ImgX::MouseHand);
    m_window->ShowPreview(reported.isEmpty() ? QString() : path(reported));
    QCOMPARE(preview.document().Count() > 0, showsImage);
    QCOMPARE(preview.document().FileName(), hasSourcePath ? path(reported) : QString());
    if (showsImage)
        QCOMPARE(preview.mouseTool(), int(ImgX::MouseNone));
    QVERIFY(m_prompts->messages().isEmpty());
}

void BrowserTest::previewIsSmoothedOnWhite() {
    ImgX& preview = m_window->preview();
    QVERIFY(preview.antiAliasDisplay());
    showPreviewOf(QStringLiteral("B/b1.png"));
    const QImage shot = preview.grab().toImage();
    QCOMPARE(QColor(shot.pixel(1, 1)), QColor(Qt::white));
    QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), QColor(Qt::darkCyan));
}

void BrowserTest::zoomButtonsOnAnEmptyPreviewDoNothing() {
    ImgX& preview = m_window->preview();
    preview.setZoom(1.5);
    for (QToolButton* button : {m_window->cmdZoomIn(), m_window->cmdZoomOut()}) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(preview.zoom(), 1.5);
    }
}

void BrowserTest::zoomButtonsStopPastTheirLimits() {
    ImgX& preview = m_window->preview();
    showPreviewOf(QStringLiteral("A/a1.png"));
    for (int click = 0; click < 30; ++click)
        QTest::mouseClick(m_window->cmdZoomIn(), Qt::LeftButton);
    // The first step past 1600 % is the last one.
    QVERIFY(qFuzzyCompare(preview.zoom(), std::pow(1.25, 13)));
    preview.setZoom(1.0);
    for (int click = 0; click < 40; ++click)
        QTest::mouseClick(m_window->cmdZoomOut(), Qt::LeftButton);
    // The first step below 0.5 % is the last one.
    QVERIFY(qFuzzyCompare(preview.zoom(), std::pow(0.75, 19)));
}

void BrowserTest::zoomSetsTheHandOnlyWhileTheImageExceedsThePreview() {
    ImgX& preview = m_window->preview();
    showPreviewOf(QStringLiteral("A/a1.png"));  // 40 x 30
    for (int click = 0; click < 14; ++click) {
        QTest::mouseClick(m_window->cmdZoomIn(), Qt::LeftButton);
        const bool exceeds =
            preview.width() < 40 * preview.zoom() || preview.height() < 30 * preview.zoom();
        QCOMPARE(preview.mouseTool(), exceeds ? int(ImgX::MouseHand) : int(ImgX::MouseNone));
    }
    QCOMPARE(preview.mouseTool(), int(ImgX::MouseHand));
    for (int click = 0; click < 14; ++click)
        QTest::mouseClick(m_window->cmdZoomOut(), Qt::LeftButton);
    QCOMPARE(preview.mouseTool(), int(ImgX::MouseNone));
}

void BrowserTest::zoomSurvivesAnotherImage() {
    showPreviewOf(QStringLiteral("A/a1.png"));
    QTest::mouseClick(m_window->cmdZoomOut(), Qt::LeftButton);
    showPreviewOf(QStringLiteral("B/b1.png"));
    QCOMPARE(m_window->preview().zoom(), 0.75);
}

void BrowserTest::buttonsStepTheExplorer() {
    exploreByClick(QStringLiteral("B"));
    QTest::mouseClick(m_window->cmdNext(), Qt::LeftButton);
    QTRY_COMPARE(m_window->preview().document().FileName(), path(QStringLiteral("B/b2.png")));
    QTest::mouseClick(m_window->cmdPrev(), Qt::LeftButton);
    QTRY_COMPARE(m_window->preview().document().FileName(), path(QStringLiteral("B/b1.png")));
    QCOMPARE(m_window->cmdWallPaper()->toolTip(), QStringLiteral("Set as wallpaper"));
    QCOMPARE(m_window->cmdView()->toolTip(), QStringLiteral("View Image"));
}

// ---- CheckPath and RefreshImages -------------------------------------------------------------

void BrowserTest::checkPathOfTheShownFolderRescansNothing() {
    exploreByClick(QStringLiteral("A"));
    ImageExplore& explorer = m_window->ImageExplore1();
    explorer.SetSelectedFocus(path(QStringLiteral("A/a2.png")));
    QSignalSpy reports(&explorer, &ImageExplore::CurrSelectedImage);
    m_window->CheckPath(path(QStringLiteral("A/a1.png")));
    QCOMPARE(reports.count(), 0);
    QCOMPARE(explorer.SelectedPath(), path(QStringLiteral("A/a2.png")));
}

void BrowserTest::checkPathOfAnotherFolderMovesAndSelects_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("image");
    QTest::newRow("other folder") << "A"
                                  << "B/b2.png";
    QTest::newRow("other letter case") << "case"
                                       << "Case/c2.png";
    QTest::newRow("nothing shown yet") << ""
                                       << "B/b2.png";
}

void BrowserTest::checkPathOfAnotherFolderMovesAndSelects() {
    QFETCH(QString, shown);
    QFETCH(QString, image);
    if (!shown.isEmpty())
        exploreByClick(shown);
    ImageExplore& explorer = m_window->ImageExplore1();
    QSignalSpy reports(&explorer, &ImageExplore::CurrSelectedImage);
    const QString file = path(image);
    const QString folder = file.left(file.lastIndexOf(QLatin1Char('/')) + 1);
    m_window->CheckPath(file);
    QCOMPARE(m_window->TV1().path(), folder);
    QVERIFY(explorer.ImagePaths().contains(file));
    QCOMPARE(explorer.SelectedPath(), file);
    // The scan reports as always; the selection of the image itself is not reported.
    QVERIFY(!reports.isEmpty());
    QCOMPARE(reports.first().first().toString(), QString());
    for (const QList<QVariant>& report : reports)
        QVERIFY(report.first().toString() != file);
    // The preview shows the image selected, so that its buttons act on that image.
    QCOMPARE(m_window->preview().document().FileName(), file);
}

void BrowserTest::previewDecodesItsNeighboursOnceTheScanIsOver() {
    exploreByClick(QStringLiteral("B"));
    ImageExplore& explorer = m_window->ImageExplore1();
    // The scan ends on the first item, previewed; its one neighbour is decoded ahead.
    QCOMPARE(m_window->preview().document().FileName(), path(QStringLiteral("B/b1.png")));
    m_window->preview().repaint();
    QCOMPARE(m_window->previewCache().wantedPaths(), QStringList{path(QStringLiteral("B/b2.png"))});
    explorer.SetSelectedFocus(path(QStringLiteral("B/b2.png")));
    showPreviewOf(QStringLiteral("B/b2.png"));
    m_window->preview().repaint();
    QCOMPARE(m_window->previewCache().wantedPaths(), QStringList{path(QStringLiteral("B/b1.png"))});
}

void BrowserTest::refreshImagesReachesTheExplorer() {
    exploreByClick(QStringLiteral("B"));
    const QString from = path(QStringLiteral("B/b2.png"));
    const QString to = path(QStringLiteral("B/b3.png"));
    QVERIFY(QFile::rename(from, to));
    m_window->RefreshImages(from, to);
    QVERIFY(m_window->ImageExplore1().ImagePaths().contains(to));
    QVERIFY(!m_window->ImageExplore1().ImagePaths().contains(from));
}

void BrowserTest::refreshImagesLetsThePreviewFollowItsFile_data() {
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QString>("renamedTo");
    QTest::addColumn<QString>("previewAfter");
    QTest::newRow("previewed file deleted") << "B/b1.png"
                                            << ""
                                            << "";
    QTest::newRow("previewed file renamed") << "B/b1.png"
                                            << "B/b9.png"
                                            << "B/b9.png";
    QTest::newRow("another file deleted") << "B/b2.png"
                                          << ""
                                          << "B/b1.png";
    QTest::newRow("another file renamed") << "B/b2.png"
                                          << "B/b9.png"
                                          << "B/b1.png";
}

void BrowserTest::refreshImagesLetsThePreviewFollowItsFile() {
    QFETCH(QString, changed);
    QFETCH(QString, renamedTo);
    QFETCH(QString, previewAfter);
    exploreByClick(QStringLiteral("B"));
    QCOMPARE(m_window->preview().document().FileName(), path(QStringLiteral("B/b1.png")));
    const QString from = path(changed);
    const QString to = renamedTo.isEmpty() ? QString() : path(renamedTo);
    QVERIFY(to.isEmpty() ? QFile::remove(from) : QFile::rename(from, to));
    m_window->RefreshImages(from, to);
    const ImageDocument& shown = m_window->preview().document();
    if (previewAfter.isEmpty()) {
        QCOMPARE(shown.Count(), 0);
        QCOMPARE(shown.FileName(), QString());
        // View Image on the emptied preview does nothing, so nothing says the file is missing.
        m_window->OpenPreviewInViewer();
        QVERIFY(m_window->isVisible());
        QVERIFY(m_prompts->messages().isEmpty());
    } else {
        QCOMPARE(shown.FileName(), path(previewAfter));
        QVERIFY(shown.Count() > 0);
    }
}

namespace {

struct FixedPicker : DestinationPicker {
    QString folder;
    QString ShowFileForm(int, const QString&) override { return folder; }
};

// Selects the items of `paths` in the explorer, the last one holding the focus.
void selectItems(ImageExplore& explorer, const QStringList& paths) {
    QItemSelectionModel* selection = explorer.lv()->selectionModel();
    selection->clearSelection();
    for (const QString& wanted : paths) {
        for (int row = 0; row < explorer.items()->rowCount(); ++row) {
            if (explorer.items()->pathAt(row) == wanted)
                selection->setCurrentIndex(explorer.items()->index(row, 0),
                                           QItemSelectionModel::Select);
        }
    }
}

QStringList itemPaths(ImageExplore& explorer) {
    QStringList paths;
    for (int row = 0; row < explorer.items()->rowCount(); ++row)
        paths.append(explorer.items()->pathAt(row));
    return paths;
}

}  // namespace

void BrowserTest::explorerMoveOfSeveralItemsKeepsNamesAndEmptiesTheirPlaces() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    XdgShellFileOperation shell(*m_prompts);
    FixedPicker picker;
    picker.folder = path(QStringLiteral("B/"));
    FileOperationRunner runner(shell, *m_prompts, picker);
    m_window->setFileOperations(&runner);
    exploreByClick(QStringLiteral("A"));
    ImageExplore& explorer = m_window->ImageExplore1();
    const QString a1 = path(QStringLiteral("A/a1.png"));
    const QString a2 = path(QStringLiteral("A/a2.png"));
    QFile a1File(a1);
    QVERIFY(a1File.open(QIODevice::ReadOnly));
    const QByteArray a1Bytes = a1File.readAll();
    a1File.close();
    selectItems(explorer, {a1, a2});

    Q_EMIT explorer.FileOperationRequested(kMoveTo);

    QVERIFY(!itemPaths(explorer).contains(a1));
    QVERIFY(!itemPaths(explorer).contains(a2));
    QVERIFY(!explorer.ImagePaths().contains(a1));
    QVERIFY(!explorer.ImagePaths().contains(a2));
    QFile moved(path(QStringLiteral("B/a1.png")));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), a1Bytes);
    QVERIFY(QFileInfo::exists(path(QStringLiteral("B/a2.png"))));
    m_window->setFileOperations(nullptr);
}

void BrowserTest::explorerDeclinedDeleteKeepsEveryItem() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    XdgShellFileOperation shell(*m_prompts);
    FixedPicker picker;
    FileOperationRunner runner(shell, *m_prompts, picker);
    m_window->setFileOperations(&runner);
    exploreByClick(QStringLiteral("B"));
    ImageExplore& explorer = m_window->ImageExplore1();
    const QStringList before = itemPaths(explorer);
    selectItems(explorer, {path(QStringLiteral("B/b1.png")), path(QStringLiteral("B/b2.png"))});
    m_prompts->scriptMessageAnswer(MessageResult::No);

    Q_EMIT explorer.FileOperationRequested(kDeletePermanently);

    QCOMPARE(m_prompts->messages().size(), 1);
    QCOMPARE(m_prompts->messages().first().text,
             QStringLiteral("Are you sure you want to permanently delete these 2 items?"));
    QCOMPARE(itemPaths(explorer), before);
    QVERIFY(QFileInfo::exists(path(QStringLiteral("B/b1.png"))));
    m_window->setFileOperations(nullptr);
}

// ---- Viewing ---------------------------------------------------------------------------------

void BrowserTest::viewImageWithoutASourcePathKeepsTheBrowser_data() {
    QTest::addColumn<QString>("previewed");
    QTest::newRow("empty preview") << "";
    QTest::newRow("picture-loader file") << "A/icon.dib";
}

void BrowserTest::viewImageWithoutASourcePathKeepsTheBrowser() {
    QFETCH(QString, previewed);
    m_window->ShowPreview(previewed.isEmpty() ? QString() : path(previewed));
    QTest::mouseClick(m_window->cmdView(), Qt::LeftButton);
    QTest::mouseDClick(&m_window->preview(), Qt::LeftButton);
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->hasViewer());
}

void BrowserTest::browseToViewerAndBack() {
    exploreByClick(QStringLiteral("A"));
    ImageExplore& explorer = m_window->ImageExplore1();
    // The subfolder comes first; Next steps to the first image.
    QTest::mouseClick(m_window->cmdNext(), Qt::LeftButton);
    QTRY_COMPARE(m_window->preview().document().FileName(), path(QStringLiteral("A/a1.png")));
    m_window->preview().setZoom(2.0);

    QTest::mouseClick(m_window->cmdView(), Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_window->hasViewer());
    frmViwer& viewer = m_window->viewer();
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.ImagePaths(), QStringList{path(QStringLiteral("A/a1.png"))});
    QCOMPARE(viewer.imgX().document().FileName(), path(QStringLiteral("A/a1.png")));
    QVERIFY(!viewer.bCommand());

    QSignalSpy reports(&explorer, &ImageExplore::CurrSelectedImage);
    QTest::keyClick(&viewer, Qt::Key_Return);
    QVERIFY(m_window->isVisible());
    QVERIFY(!viewer.isVisible());
    QCOMPARE(m_window->TV1().path(), path(QStringLiteral("A/")));
    QCOMPARE(reports.count(), 0);
    QCOMPARE(explorer.SelectedPath(), path(QStringLiteral("A/a1.png")));

    // A double click on the preview opens it too.
    QTest::mouseDClick(&m_window->preview(), Qt::LeftButton);
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_window->viewer().isVisible());
}

void BrowserTest::viewerOnAnotherFolderReturnsToThatFolder() {
    exploreByClick(QStringLiteral("A"));
    const QStringList list{path(QStringLiteral("B/b1.png")), path(QStringLiteral("B/b2.png"))};
    m_window->OpenItem(list, 1, QString());
    QVERIFY(!m_window->isVisible());
    frmViwer& viewer = m_window->viewer();
    QCOMPARE(viewer.ImagePaths(), list);
    QCOMPARE(viewer.CurrentIndex(), 1);

    QTest::keyClick(&viewer, Qt::Key_Return);
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->TV1().path(), path(QStringLiteral("B/")));
    QCOMPARE(m_window->ImageExplore1().SelectedPath(), path(QStringLiteral("B/b2.png")));
}

void BrowserTest::aWindowStaysVisibleWhenTheFileIsGone() {
    showPreviewOf(QStringLiteral("B/b1.png"));
    QVERIFY(QFile::remove(path(QStringLiteral("B/b1.png"))));
    QTest::mouseClick(m_window->cmdView(), Qt::LeftButton);
    QVERIFY(m_window->isVisible() || (m_window->hasViewer() && m_window->viewer().isVisible()));
}

void BrowserTest::openItemWithAFolderExploresIt() {
    m_window->OpenItem({}, 0, path(QStringLiteral("B")));
    QCOMPARE(m_window->TV1().path(), path(QStringLiteral("B/")));
    QCOMPARE(m_window->ImageExplore1().ImagePaths().size(), 2);
    showPreviewOf(QStringLiteral("B/b1.png"));
    m_window->OpenItem({QString()}, 0, QString());
    QCOMPARE(m_window->preview().document().Count(), 0);
    QVERIFY(m_window->isVisible());
}

void BrowserTest::explorerCopyImageCopiesOnlyADecodableFile_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QSize>("copied");  // empty: the clipboard keeps what it had
    QTest::newRow("image file") << "A/a1.png" << QSize(40, 30);
    QTest::newRow("picture-loader file") << "A/icon.dib" << QSize(16, 16);
    QTest::newRow("folder") << "A/sub" << QSize();
    QTest::newRow("undecodable file") << "A/broken.jpg" << QSize();
    QTest::newRow("no item") << "" << QSize();
}

void BrowserTest::explorerCopyImageCopiesOnlyADecodableFile() {
    QFETCH(QString, item);
    QFETCH(QSize, copied);
    QClipboard* clipboard = QGuiApplication::clipboard();
    QImage before(3, 3, QImage::Format_RGB32);
    before.fill(Qt::yellow);
    clipboard->setImage(before);
    const QString itemPath = item.isEmpty() ? QString() : path(item);
    Q_EMIT m_window->ImageExplore1().CopyImageRequested(itemPath);
    QCOMPARE(clipboard->image().size(), copied.isValid() ? copied : before.size());
    QVERIFY(m_prompts->messages().isEmpty());
}

void BrowserTest::wallpaperButtonSetsThePreviewsImage() {
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("wallpaper")));
    RecordingWallpaper wallpaper(path(QStringLiteral("wallpaper/")));
    m_window->setWallpaper(&wallpaper);
    QVERIFY(m_window->cmdWallPaper()->isEnabled());
    m_window->cmdWallPaper()->click();  // empty preview
    QVERIFY(wallpaper.applied().isEmpty());

    m_window->ShowPreview(path(QStringLiteral("A/a1.png")));
    m_window->cmdWallPaper()->click();
    QCOMPARE(wallpaper.applied(), QStringList{path(QStringLiteral("wallpaper/a1.png"))});
    QVERIFY(m_prompts->messages().isEmpty());
}

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
