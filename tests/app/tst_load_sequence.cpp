#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/LoadSequence.h"
#include "browser/frmMain.h"
#include "components/ImgX.h"
#include "explorer/ImageExplore.h"
#include "platform/SingleInstance.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/FakeSpecialFolders.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "viewer/frmViwer.h"

using namespace lorvane;

// The road from a command text to the first window, with the real windows and fake services.
class LoadSequenceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void associationSwitchesShowNoWindow_data();
    void associationSwitchesShowNoWindow();
    void imagePathOpensTheViewerOnItsFolder();
    void nonImageFileOpensTheFirstImageOfItsFolder();
    void escapeEndsACommandLineStartAndEnterShowsTheBrowser();
    void fileInAFolderWithoutImagesOpensTheBrowser();
    void otherTextsOpenTheBrowser_data();
    void otherTextsOpenTheBrowser();
    void extensionListIsInstalled();
    void secondInstanceIsRefused();
    void lockOfAKilledProcessDoesNotBlock();

private:
    void writeImage(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeRegistry> m_registry;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    FakeSpecialFolders m_specialFolders;
    std::unique_ptr<frmMain> m_window;
};

void LoadSequenceTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry = std::make_unique<FakeRegistry>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_window = std::make_unique<frmMain>(*m_registry, *m_prompts, m_specialFolders);
}

void LoadSequenceTest::cleanup() {
    m_window.reset();
    m_prompts.reset();
    m_registry.reset();
    m_dir.reset();
}

void LoadSequenceTest::writeImage(const QString& name) {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(m_dir->filePath(name)));
}

void LoadSequenceTest::associationSwitchesShowNoWindow_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("associate") << "/Associate";
    QTest::newRow("deassociate") << "/DeAssociate";
}

void LoadSequenceTest::associationSwitchesShowNoWindow() {
    QFETCH(QString, text);
    QCOMPARE(RunLoadSequence(*m_window, text, m_dir->path()), StartOutcome::Ended);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_window->hasViewer());
}

void LoadSequenceTest::imagePathOpensTheViewerOnItsFolder() {
    writeImage(QStringLiteral("b10.png"));
    writeImage(QStringLiteral("b2.png"));
    writeImage(QStringLiteral("a.jpg"));
    const QString target = m_dir->filePath(QStringLiteral("b2.png"));
    QCOMPARE(RunLoadSequence(*m_window, target, m_dir->path()), StartOutcome::ViewerShown);
    QVERIFY(!m_window->isVisible());
    frmViwer& viewer = m_window->viewer();
    QVERIFY(viewer.isVisible());
    QVERIFY(viewer.bCommand());
    QCOMPARE(viewer.ImagePaths(), (QStringList{m_dir->filePath(QStringLiteral("a.jpg")), target,
                                               m_dir->filePath(QStringLiteral("b10.png"))}));
    QCOMPARE(viewer.CurrentIndex(), 1);
    QCOMPARE(viewer.imgX().document().FileName(), target);
    QVERIFY(viewer.IsFullScreen());  // default settings
}

void LoadSequenceTest::escapeEndsACommandLineStartAndEnterShowsTheBrowser() {
    writeImage(QStringLiteral("a.png"));
    writeImage(QStringLiteral("b.png"));
    const QString target = m_dir->filePath(QStringLiteral("b.png"));
    RunLoadSequence(*m_window, target, m_dir->path());
    frmViwer& viewer = m_window->viewer();

    QTest::keyClick(&viewer.imgX(), Qt::Key_Return);
    QVERIFY(m_window->isVisible());
    QVERIFY(!viewer.isVisible());

    int index = 1;
    viewer.ViewImage(viewer.ImagePaths(), index);
    QVERIFY(viewer.isVisible());
    // The close sequence ends the program from inside the viewer's own close handler.
    QTest::keyClick(&viewer.imgX(), Qt::Key_Escape);
    QVERIFY(!viewer.isVisible());
    QVERIFY(viewer.ImagePaths().isEmpty());
}

void LoadSequenceTest::nonImageFileOpensTheFirstImageOfItsFolder() {
    writeImage(QStringLiteral("one.png"));
    writeImage(QStringLiteral("two.png"));
    QFile notes(m_dir->filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QCOMPARE(RunLoadSequence(*m_window, notes.fileName(), m_dir->path()),
             StartOutcome::ViewerShown);
    QCOMPARE(m_window->viewer().CurrentIndex(), 0);
    QCOMPARE(m_window->viewer().ImagePaths().size(), 2);
}

void LoadSequenceTest::fileInAFolderWithoutImagesOpensTheBrowser() {
    QFile notes(m_dir->filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QCOMPARE(RunLoadSequence(*m_window, notes.fileName(), m_dir->path()),
             StartOutcome::BrowserShown);
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->hasViewer());
}

void LoadSequenceTest::otherTextsOpenTheBrowser_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << "";
    QTest::newRow("switch in other case") << "/associate";
    QTest::newRow("missing file") << "/no/such/picture.jpg";
    QTest::newRow("quoted path") << "\"/tmp\"";
}

void LoadSequenceTest::otherTextsOpenTheBrowser() {
    QFETCH(QString, text);
    QCOMPARE(RunLoadSequence(*m_window, text, m_dir->path()), StartOutcome::BrowserShown);
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Lorvane"));
}

void LoadSequenceTest::extensionListIsInstalled() {
    RunLoadSequence(*m_window, QString(), m_dir->path());
    QCOMPARE(m_window->ImageExplore1().ExtList(),
             QStringLiteral("jpg gif bmp png psd tif pcx tga wbmp pcd wmf emf ico dib"));
    QVERIFY(m_prompts->messages().isEmpty());
}

void LoadSequenceTest::secondInstanceIsRefused() {
    const QString name = QStringLiteral("LorvaneTest-%1").arg(QCoreApplication::applicationPid());
    {
        FileLockSingleInstance first(name);
        QVERIFY(first.tryAcquire());
        FileLockSingleInstance second(name);
        QVERIFY(!second.tryAcquire());
    }
    // The lock file is left behind, but nobody holds it: a new start goes ahead.
    FileLockSingleInstance later(name);
    QVERIFY(QFile::exists(later.lockPath()));
    QVERIFY(later.tryAcquire());
    QFile::remove(later.lockPath());
}

void LoadSequenceTest::lockOfAKilledProcessDoesNotBlock() {
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (flock.isEmpty())
        QSKIP("flock(1) is not installed");
    const QString name = QStringLiteral("LorvaneKilled-%1").arg(QCoreApplication::applicationPid());
    const QString path = FileLockSingleInstance::lockPathFor(name);
    QProcess holder;
    holder.start(flock, {QStringLiteral("--exclusive"), QStringLiteral("--close"), path,
                         QStringLiteral("sleep"), QStringLiteral("30")});
    QVERIFY(holder.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!FileLockSingleInstance(name).tryAcquire(), 5000);
    holder.kill();
    QVERIFY(holder.waitForFinished());
    // flock(1)'s child drops its copy of the descriptor just after the fork; give it that moment.
    FileLockSingleInstance next(name);
    QTRY_VERIFY_WITH_TIMEOUT(next.tryAcquire(), 5000);
    QFile::remove(path);
}

QTEST_MAIN(LoadSequenceTest)
#include "tst_load_sequence.moc"
