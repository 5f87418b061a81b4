#include <QAction>
#include <QImage>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include "components/ImgX.h"
#include "fileops/DestinationPicker.h"
#include "fileops/FileOperationRunner.h"
#include "platform/XdgShellFileOperation.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "settings/CRegister.h"
#include "viewer/ViewerHost.h"
#include "viewer/frmViwer.h"

using namespace lorvane;

namespace {

const QString kSettingsKey = QStringLiteral("SOFTWARE\\Harrowdale\\Lorvane Settings\\");

struct RecordingHost : ViewerHost {
    int browserShown = 0;
    int unloaded = 0;
    int ended = 0;
    QStringList checkedPaths;
    QList<QPair<QString, QString>> refreshed;
    void showBrowser() override { ++browserShown; }
    void RefreshImages(const QString& p, const QString& pTo) override {
        refreshed.append({p, pTo});
    }
    void CheckPath(const QString& s) override { checkedPaths.append(s); }
    void viewerUnloaded() override { ++unloaded; }
    void endProgram() override { ++ended; }
};

struct FixedPicker : DestinationPicker {
    QString folder;
    QString ShowFileForm(int, const QString&) override { return folder; }
};

QAction* editAction(QMenuBar* bar, const QString& caption) {
    for (QAction* menu : bar->actions()) {
        if (menu->text() != QStringLiteral("Edit") || !menu->menu())
            continue;
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == caption)
                return action;
        }
    }
    return nullptr;
}

}  // namespace

class ViewerWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstStartUsesDefaults();
    void storedSettingsAreApplied();
    void showingAnImageTitlesAndWrapsTheIndex_data();
    void showingAnImageTitlesAndWrapsTheIndex();
    void emptyEntryClearsTheImageOnly();
    void undecodableImageIsReportedAndKeepsTheList_data();
    void undecodableImageIsReportedAndKeepsTheList();
    void keysStepThroughTheList_data();
    void keysStepThroughTheList();
    void steppingResetsTheZoom();
    void zoomKeys_data();
    void zoomKeys();
    void arrowsPanOnlyAZoomedImage();
    void rotationTurnsTheImageAndKeepsTheZoom();
    void smoothingSwitchIsStored();
    void slideShowLoopsAndCurrentIndexFollows();
    void slideShowSkipsImagesThatCannotBeShown();
    void slideShowDelayPrompt_data();
    void slideShowDelayPrompt();
    void zeroDelayNeverAdvances();
    void statusBarDescribesTheImage();
    void fullScreenRoundTripRestoresTheWindowExactly();
    void fullScreenHidesMenusAndTheirShortcuts();
    void steppingInFullScreenKeepsTheSavedRectangle();
    void enterReturnsToTheBrowser();
    void closeStoresFullScreenAndEndsACommandLineViewer();
    void closeOfABrowserViewerShowsTheBrowser();
    void droppedFilesReplaceTheList();
    void editMenuFileOperationsFollowTheList();
    void deleteKeyInFullScreenDeletes();
    void neighboursAreDecodedOnceTheImageIsPainted();
    void aViewerThatDoesNotPaintStillDecodesNeighbours();

private:
    void writeImage(const QString& name, QSize size, QColor colour = Qt::red);
    QStringList makeImages(int count);
    QString setting(const QString& name);
    void storeSetting(const QString& name, const QString& value);
    frmViwer& viewer();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeRegistry> m_registry;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<RecordingHost> m_host;
    std::unique_ptr<frmViwer> m_viewer;
};

void ViewerWindowTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry = std::make_unique<FakeRegistry>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_host = std::make_unique<RecordingHost>();
}

void ViewerWindowTest::cleanup() {
    m_viewer.reset();
    m_host.reset();
    m_prompts.reset();
    m_registry.reset();
    m_dir.reset();
}

frmViwer& ViewerWindowTest::viewer() {
    if (!m_viewer)
        m_viewer = std::make_unique<frmViwer>(*m_registry, *m_prompts, nullptr, *m_host);
    return *m_viewer;
}

void ViewerWindowTest::writeImage(const QString& name, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(m_dir->filePath(name)));
}

QStringList ViewerWindowTest::makeImages(int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("img%1.png").arg(i);
        writeImage(name, QSize(40 + i, 30));
        paths.append(m_dir->filePath(name));
    }
    return paths;
}

QString ViewerWindowTest::setting(const QString& name) {
    return CRegister(*m_registry)
        .REGGetSetting(RegRoot::LocalMachine, kSettingsKey, name, QStringLiteral("<absent>"));
}

void ViewerWindowTest::storeSetting(const QString& name, const QString& value) {
    QVERIFY(
        CRegister(*m_registry).REGSaveSetting(RegRoot::LocalMachine, kSettingsKey, name, value));
}

void ViewerWindowTest::firstStartUsesDefaults() {
    QVERIFY(viewer().IsFullScreen());
    QVERIFY(viewer().imgX().antiAliasDisplay());
    QVERIFY(viewer().antiAliasAction()->isChecked());
    QCOMPARE(viewer().slideShowInterval(), 2000);
    QVERIFY(viewer().ImagePaths().isEmpty());
}

void ViewerWindowTest::storedSettingsAreApplied() {
    storeSetting(QStringLiteral("AntiAlias"), QStringLiteral("0"));
    storeSetting(QStringLiteral("Slide Show Delay"), QStringLiteral("750"));
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    QVERIFY(!viewer().IsFullScreen());
    QVERIFY(!viewer().imgX().antiAliasDisplay());
    QVERIFY(!viewer().antiAliasAction()->isChecked());
    QCOMPARE(viewer().slideShowInterval(), 750);
}

void ViewerWindowTest::showingAnImageTitlesAndWrapsTheIndex_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("shown");
    QTest::newRow("inside") << 1 << 1;
    QTest::newRow("one past the end shows the first") << 3 << 0;
    QTest::newRow("one before the start shows the last") << -1 << 2;
}

void ViewerWindowTest::showingAnImageTitlesAndWrapsTheIndex() {
    QFETCH(int, index);
    QFETCH(int, shown);
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int position = index;
    viewer().ViewImage(paths, position);
    QCOMPARE(position, shown);
    QCOMPARE(viewer().CurrentIndex(), shown);
    QCOMPARE(viewer().ImagePaths(), paths);
    QVERIFY(viewer().isVisible());
    QCOMPARE(viewer().windowTitle(), QStringLiteral("img%1.png- Lorvane %2.%3")
                                         .arg(shown)
                                         .arg(LORVANE_VERSION_MAJOR)
                                         .arg(LORVANE_VERSION_MINOR));
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(shown));
    QVERIFY(m_prompts->messages().isEmpty());
}

void ViewerWindowTest::emptyEntryClearsTheImageOnly() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    QStringList paths = makeImages(2);
    int index = 1;
    viewer().ViewImage(paths, index);
    const QString title = viewer().windowTitle();
    paths.append(QString());
    index = 2;
    viewer().ViewImage(paths, index);
    QVERIFY(viewer().imgX().document().isEmpty());
    QCOMPARE(viewer().CurrentIndex(), 1);
    QCOMPARE(viewer().windowTitle(), title);
    QCOMPARE(viewer().ImagePaths(), paths);
}

void ViewerWindowTest::undecodableImageIsReportedAndKeepsTheList_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("corrupt jpg") << "broken.jpg" << QByteArray("not a picture at all");
    QTest::newRow("empty png") << "empty.png" << QByteArray();
    QTest::newRow("corrupt icon (picture loader)") << "bad.ico" << QByteArray("\0\0\1\0", 4);
    QTest::newRow("vanished file") << "gone.png" << QByteArray("<delete>");
}

void ViewerWindowTest::undecodableImageIsReportedAndKeepsTheList() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    QStringList paths = makeImages(2);
    const QString bad = m_dir->filePath(name);
    if (bytes != "<delete>") {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    paths.insert(1, bad);
    int index = 1;
    viewer().ViewImage(paths, index);
    QCOMPARE(viewer().ImagePaths(), paths);
    QCOMPARE(viewer().CurrentIndex(), 1);
    QVERIFY(viewer().imgX().document().isEmpty());
    QVERIFY(viewer().isVisible());
    QCOMPARE(m_prompts->messages().size(), 1);
    QCOMPARE(m_prompts->messages().first().caption, QStringLiteral("Lorvane"));
    QVERIFY2(m_prompts->messages().first().text.contains(name),
             qPrintable(m_prompts->messages().first().text));
    // The viewer keeps working: the next image shows.
    viewer().ShowNextImage();
    QCOMPARE(viewer().CurrentIndex(), 2);
    QVERIFY(!viewer().imgX().document().isEmpty());
}

void ViewerWindowTest::keysStepThroughTheList_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");
    QTest::newRow("Space") << int(Qt::Key_Space) << 1 << 2;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 1 << 2;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 1 << 0;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 1 << 0;
    QTest::newRow("Space on the last does nothing") << int(Qt::Key_Space) << 2 << 2;
    QTest::newRow("Backspace on the first does nothing") << int(Qt::Key_Backspace) << 0 << 0;
}

void ViewerWindowTest::keysStepThroughTheList() {
    QFETCH(int, key);
    QFETCH(int, start);
    QFETCH(int, expected);
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = start;
    viewer().ViewImage(paths, index);
    QTest::keyClick(&viewer().imgX(), Qt::Key(key));
    QCOMPARE(viewer().CurrentIndex(), expected);
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(expected));
}

void ViewerWindowTest::steppingResetsTheZoom() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(2);
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().ZoomIn();
    viewer().ShowNextImage();
    QCOMPARE(viewer().imgX().zoom(), 1.0);
}

void ViewerWindowTest::zoomKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("zoom");
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 1.25;
    QTest::newRow("= + on the main keys") << int(Qt::Key_Equal) << 0 << 1.25;
    QTest::newRow("keypad -") << int(Qt::Key_Minus) << int(Qt::KeypadModifier) << 0.75;
    QTest::newRow("main - does nothing") << int(Qt::Key_Minus) << 0 << 1.0;
}

void ViewerWindowTest::zoomKeys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(double, zoom);
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(1);
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().imgX().setZoom(1.0);
    QTest::keyClick(&viewer().imgX(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(viewer().imgX().zoom(), zoom);
}

void ViewerWindowTest::arrowsPanOnlyAZoomedImage() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    writeImage(QStringLiteral("big.png"), QSize(300, 200));
    int index = 0;
    viewer().ViewImage({m_dir->filePath(QStringLiteral("big.png"))}, index);
    QCOMPARE(viewer().imgX().mouseTool(), 3);
    QTest::keyClick(&viewer().imgX(), Qt::Key_Right);
    QCOMPARE(viewer().imgX().scrollX(), 0);

    for (int i = 0; i < 8; ++i)
        viewer().ZoomIn();
    QCOMPARE(viewer().imgX().mouseTool(), 2);
    const int x = viewer().imgX().scrollX();
    const int y = viewer().imgX().scrollY();
    QTest::keyClick(&viewer().imgX(), Qt::Key_Right);
    QTest::keyClick(&viewer().imgX(), Qt::Key_Down);
    QCOMPARE(viewer().imgX().scrollX(), x + 5);
    QCOMPARE(viewer().imgX().scrollY(), y + 5);
    QTest::keyClick(&viewer().imgX(), Qt::Key_Left);
    QTest::keyClick(&viewer().imgX(), Qt::Key_Up);
    QCOMPARE(viewer().imgX().scrollX(), x);
    QCOMPARE(viewer().imgX().scrollY(), y);
}

void ViewerWindowTest::rotationTurnsTheImageAndKeepsTheZoom() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    writeImage(QStringLiteral("wide.png"), QSize(80, 60));
    int index = 0;
    viewer().ViewImage({m_dir->filePath(QStringLiteral("wide.png"))}, index);
    viewer().ZoomIn();
    viewer().RotatePlus90();
    QCOMPARE(viewer().imgX().document().Width(), 60);
    QCOMPARE(viewer().imgX().document().Height(), 80);
    QCOMPARE(viewer().imgX().zoom(), 1.25);
    viewer().RotateMinus90();
    QCOMPARE(viewer().imgX().document().Width(), 80);
}

void ViewerWindowTest::smoothingSwitchIsStored() {
    QVERIFY(viewer().imgX().antiAliasDisplay());
    viewer().ToggleAntiAlias();
    QCOMPARE(setting(QStringLiteral("AntiAlias")), QStringLiteral("0"));
    QVERIFY(!viewer().imgX().antiAliasDisplay());
    QVERIFY(!viewer().antiAliasAction()->isChecked());
    viewer().antiAliasAction()->trigger();  // the menu route
    QCOMPARE(setting(QStringLiteral("AntiAlias")), QStringLiteral("-1"));
    QVERIFY(viewer().imgX().antiAliasDisplay());
    QVERIFY(viewer().antiAliasAction()->isChecked());
}

void ViewerWindowTest::slideShowLoopsAndCurrentIndexFollows() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 2;
    viewer().ViewImage(paths, index);
    viewer().ToggleSlideShow();
    QVERIFY(viewer().isSlideShowOn());
    QCOMPARE(viewer().SlidePosition(), 3);
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(2));  // nothing shown yet

    viewer().SlideShowTick();
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(0));
    QCOMPARE(viewer().CurrentIndex(), 0);
    QCOMPARE(viewer().statusPanels().at(0), QStringLiteral("1/3"));
    viewer().SlideShowTick();
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(1));
    QCOMPARE(viewer().CurrentIndex(), 1);

    viewer().ToggleSlideShow();
    QVERIFY(!viewer().isSlideShowOn());
}

void ViewerWindowTest::slideShowSkipsImagesThatCannotBeShown() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    QStringList paths = makeImages(2);
    QFile bad(m_dir->filePath(QStringLiteral("bad.png")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("garbage");
    bad.close();
    paths.insert(1, bad.fileName());
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().ToggleSlideShow();
    viewer().SlideShowTick();
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(2));
    QCOMPARE(viewer().CurrentIndex(), 2);
    QVERIFY(m_prompts->messages().isEmpty());
}

void ViewerWindowTest::slideShowDelayPrompt_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("showStillOn");
    QTest::newRow("valid delay switches the show off") << "1500.5" << 1500 << false;
    QTest::newRow("cancel leaves the show running") << "" << 2000 << true;
    QTest::newRow("non-numeric is ignored") << "soon" << 2000 << true;
    QTest::newRow("out of range is ignored") << "40000" << 2000 << true;
}

void ViewerWindowTest::slideShowDelayPrompt() {
    QFETCH(QString, typed);
    QFETCH(int, interval);
    QFETCH(bool, showStillOn);
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(2);
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().ToggleSlideShow();
    m_prompts->scriptInput(typed);
    viewer().AskSlideShowDelay();

    QCOMPARE(m_prompts->inputs().size(), 1);
    QCOMPARE(m_prompts->inputs().first().prompt,
             QStringLiteral("Delay in Milliseconds(1000=1 Second):"));
    QCOMPARE(m_prompts->inputs().first().title, QStringLiteral("Slide Show Delay"));
    QCOMPARE(m_prompts->inputs().first().defaultText, QStringLiteral("2000"));
    QCOMPARE(viewer().slideShowInterval(), interval);
    QCOMPARE(viewer().isSlideShowOn(), showStillOn);
    QCOMPARE(setting(QStringLiteral("Slide Show Delay")),
             showStillOn ? QStringLiteral("<absent>") : QString::number(interval));
}

void ViewerWindowTest::zeroDelayNeverAdvances() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    storeSetting(QStringLiteral("Slide Show Delay"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().ToggleSlideShow();
    QVERIFY(viewer().isSlideShowOn());
    QTest::qWait(50);
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(0));
}

void ViewerWindowTest::statusBarDescribesTheImage() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 1;
    viewer().ViewImage(paths, index);
    const QStringList panels = viewer().statusPanels();
    const ImageDocument& doc = viewer().imgX().document();
    QCOMPARE(panels.at(0), QStringLiteral("2/3"));
    QCOMPARE(panels.at(1), QStringLiteral("img1.png"));
    QVERIFY(panels.at(2).endsWith(QStringLiteral(" Bytes")));
    QCOMPARE(panels.at(3), QStringLiteral("41x30x%1b png").arg(doc.BitsPerPixel()));
    QCOMPARE(panels.at(4), QStringLiteral("100 %"));
    viewer().ZoomOut();
    QCOMPARE(viewer().statusPanels().at(4), QStringLiteral("75 %"));
}

void ViewerWindowTest::fullScreenRoundTripRestoresTheWindowExactly() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(2);
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().setGeometry(QRect(80, 60, 600, 466));
    const QRect before = viewer().geometry();

    QTest::keyClick(&viewer().imgX(), Qt::Key_F);
    QVERIFY(viewer().IsFullScreen());
    QCOMPARE(viewer().savedGeometry(), before);
    QTest::keyClick(&viewer().imgX(), Qt::Key_F);
    QVERIFY(!viewer().IsFullScreen());
    QTRY_COMPARE_WITH_TIMEOUT(viewer().geometry(), before, 2000);
    QVERIFY(viewer().windowTitle().isEmpty());
    QVERIFY(viewer().menuBar()->isVisible());
}

void ViewerWindowTest::fullScreenHidesMenusAndTheirShortcuts() {
    const QStringList paths = makeImages(1);
    int index = 0;
    viewer().ViewImage(paths, index);  // default settings: full screen
    QVERIFY(viewer().IsFullScreen());
    QVERIFY(!viewer().menuBar()->isVisible());
    for (QAction* action : viewer().menuBar()->actions()) {
        if (!action->menu())
            continue;
        for (QAction* item : action->menu()->actions())
            QVERIFY2(item->shortcut().isEmpty(), qPrintable(item->text()));
    }
    viewer().ToggleFullScreen();
    QVERIFY(viewer().menuBar()->isVisible());
}

void ViewerWindowTest::steppingInFullScreenKeepsTheSavedRectangle() {
    const QStringList paths = makeImages(3);
    int index = 0;
    viewer().ViewImage(paths, index);
    const QRect saved = viewer().savedGeometry();
    QVERIFY(saved.isValid());
    viewer().ShowNextImage();
    viewer().ShowNextImage();
    QCOMPARE(viewer().savedGeometry(), saved);
    viewer().ToggleFullScreen();
    QTRY_COMPARE_WITH_TIMEOUT(viewer().geometry(), saved, 2000);
}

void ViewerWindowTest::enterReturnsToTheBrowser() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 2;
    viewer().ViewImage(paths, index);
    QTest::keyClick(&viewer().imgX(), Qt::Key_Return);
    QVERIFY(!viewer().isVisible());
    QCOMPARE(m_host->browserShown, 1);
    QCOMPARE(m_host->checkedPaths, QStringList{paths.at(2)});
    QCOMPARE(viewer().ImagePaths(), paths);  // kept for the next show
    QCOMPARE(m_host->ended, 0);
}

void ViewerWindowTest::closeStoresFullScreenAndEndsACommandLineViewer() {
    const QStringList paths = makeImages(2);
    int index = 0;
    viewer().setBCommand(true);
    viewer().ViewImage(paths, index);
    QTest::keyClick(&viewer().imgX(), Qt::Key_Escape);
    QCOMPARE(setting(QStringLiteral("FullScreen")), QStringLiteral("-1"));
    QCOMPARE(m_host->ended, 1);
    QCOMPARE(m_host->browserShown, 0);
    QVERIFY(viewer().ImagePaths().isEmpty());
}

void ViewerWindowTest::closeOfABrowserViewerShowsTheBrowser() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(2);
    int index = 0;
    viewer().ViewImage(paths, index);
    viewer().ToggleSlideShow();
    viewer().close();
    QCOMPARE(setting(QStringLiteral("FullScreen")), QStringLiteral("0"));
    QCOMPARE(m_host->ended, 0);
    QCOMPARE(m_host->unloaded, 1);
    QCOMPARE(m_host->browserShown, 1);
    QVERIFY(!viewer().isSlideShowOn());
}

void ViewerWindowTest::droppedFilesReplaceTheList() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 0;
    viewer().ViewImage({paths.at(0)}, index);
    QFile text(m_dir->filePath(QStringLiteral("notes.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.png")));
    Q_EMIT viewer().imgX().OLEDragDrop(true, {m_dir->filePath(QStringLiteral("folder.png")),
                                              paths.at(2), text.fileName(), paths.at(1)});
    QCOMPARE(viewer().ImagePaths(), (QStringList{paths.at(2), paths.at(1)}));
    QCOMPARE(viewer().CurrentIndex(), 0);
    QCOMPARE(viewer().imgX().document().FileName(), paths.at(2));

    // Nothing supported: the viewer stays as it was.
    Q_EMIT viewer().imgX().OLEDragDrop(true, {text.fileName()});
    QCOMPARE(viewer().ImagePaths(), (QStringList{paths.at(2), paths.at(1)}));
}

void ViewerWindowTest::neighboursAreDecodedOnceTheImageIsPainted() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 1;
    viewer().ViewImage(paths, index);
    // Nothing competes with the first paint of the image shown.
    QVERIFY(viewer().decodeCache().wantedPaths().isEmpty());
    QVERIFY(QTest::qWaitForWindowExposed(&viewer()));
    viewer().imgX().repaint();
    QCOMPARE(viewer().decodeCache().wantedPaths(), (QStringList{paths[2], paths[0]}));
}

void ViewerWindowTest::aViewerThatDoesNotPaintStillDecodesNeighbours() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QStringList paths = makeImages(3);
    int index = 1;
    viewer().ViewImage(paths, index);
    viewer().hide();
    QTRY_COMPARE_WITH_TIMEOUT(viewer().decodeCache().wantedPaths(),
                              (QStringList{paths[2], paths[0]}), 3000);
}

QTEST_MAIN(ViewerWindowTest)
#include "tst_viewer_window.moc"

void ViewerWindowTest::editMenuFileOperationsFollowTheList() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("data"))));
    XdgShellFileOperation shell(*m_prompts);
    FixedPicker picker;
    picker.folder = m_dir->filePath(QStringLiteral("moved"));
    QVERIFY(QDir().mkpath(picker.folder));
    FileOperationRunner runner(shell, *m_prompts, picker);
    const QStringList paths = makeImages(3);
    viewer().setFileOperations(&runner);
    int index = 1;
    viewer().ViewImage(paths, index);

    for (const QString& caption : {QStringLiteral("Copy To"), QStringLiteral("Move To"),
                                   QStringLiteral("Delete     "), QStringLiteral("Rename")})
        QVERIFY2(editAction(viewer().menuBar(), caption)->isEnabled(), qPrintable(caption));

    editAction(viewer().menuBar(), QStringLiteral("Copy To"))->trigger();
    QCOMPARE(viewer().ImagePaths(), paths);
    QVERIFY(m_host->refreshed.isEmpty());

    m_prompts->scriptInput(QStringLiteral("renamed.png"));
    editAction(viewer().menuBar(), QStringLiteral("Rename"))->trigger();
    const QString renamed = m_dir->filePath(QStringLiteral("renamed.png"));
    QCOMPARE(viewer().ImagePaths(), QStringList({paths[0], renamed, paths[2]}));
    QVERIFY(viewer().windowTitle().startsWith(QStringLiteral("renamed.png- Lorvane ")));
    QCOMPARE(m_host->refreshed.last(), qMakePair(paths[1], renamed));

    editAction(viewer().menuBar(), QStringLiteral("Move To"))->trigger();
    QCOMPARE(viewer().ImagePaths(), QStringList({paths[0], paths[2]}));
    QCOMPARE(viewer().CurrentIndex(), 1);
    QVERIFY(QFileInfo::exists(picker.folder + QStringLiteral("/renamed.png")));
    QCOMPARE(m_host->refreshed.last(), qMakePair(renamed, QString()));

    // The last two go to the trash; the last one leaves an empty viewer.
    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    editAction(viewer().menuBar(), QStringLiteral("Delete     "))->trigger();
    QCOMPARE(viewer().ImagePaths(), QStringList({paths[0]}));
    QCOMPARE(viewer().CurrentIndex(), 0);
    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    editAction(viewer().menuBar(), QStringLiteral("Delete     "))->trigger();
    QVERIFY(viewer().ImagePaths().isEmpty());
    QCOMPARE(viewer().windowTitle(), QStringLiteral("Lorvane"));
    QVERIFY(viewer().imgX().document().isEmpty());
    viewer().ShowNextImage();
    viewer().ShowPreviousImage();
    QVERIFY(viewer().ImagePaths().isEmpty());
    QCOMPARE(m_host->refreshed.size(), 4);
    viewer().setFileOperations(nullptr);
}

void ViewerWindowTest::deleteKeyInFullScreenDeletes() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("data"))));
    XdgShellFileOperation shell(*m_prompts);
    FixedPicker picker;
    FileOperationRunner runner(shell, *m_prompts, picker);
    const QStringList paths = makeImages(2);
    viewer().setFileOperations(&runner);
    viewer().setBCommand(true);
    int index = 0;
    viewer().ViewImage(paths, index);
    QVERIFY(viewer().IsFullScreen());

    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    viewer().handleKey(Qt::Key_Delete, Qt::ShiftModifier);  // Shift changes nothing here
    QCOMPARE(viewer().ImagePaths(), QStringList({paths[1]}));
    QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("data/Trash/files/img0.png"))));
    QVERIFY(m_host->refreshed.isEmpty());  // opened from the command line
    viewer().setFileOperations(nullptr);
}
