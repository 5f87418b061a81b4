#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "about/frmAbout.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/RecordingLauncher.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "viewer/ViewerHost.h"
#include "viewer/frmViwer.h"

using namespace lorvane;

namespace {

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

struct QuietHost : ViewerHost {
    void showBrowser() override {}
    void RefreshImages(const QString&, const QString&) override {}
    void CheckPath(const QString&) override {}
    void viewerUnloaded() override {}
    void endProgram() override {}
};

void storeString(Registry& registry, const QString& key, const QString& name, const QString& text) {
    const RegOpenResult created = registry.createKey(RegRoot::LocalMachine, key);
    QVERIFY(created.ok());
    QCOMPARE(registry.setString(created.key, name, text), RegError::Success);
}

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sysInfoProgramIsFound_data();
    void sysInfoProgramIsFound();
    void aboutBoxFromTheViewerIsModelessWithItsTexts();
};

void AboutTest::sysInfoProgramIsFound_data() {
    QTest::addColumn<QString>("pathValue");      // "" = absent
    QTest::addColumn<bool>("locationValue");     // the folder value is present
    QTest::addColumn<bool>("msinfoFileExists");  // MSINFO32.EXE in that folder
    QTest::addColumn<bool>("readOnlyRegistry");
    QTest::addColumn<QString>("onPath");  // a desktop program found on PATH, or ""
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("started");  // "" = the message is shown
    QTest::newRow("first value, started without a check")
        << "/nowhere/msinfo" << true << true << false << "" << true << "/nowhere/msinfo";
    QTest::newRow("second value with its program")
        << "" << true << true << false << "" << true << "<folder>/MSINFO32.EXE";
    QTest::newRow("second value without its program")
        << "" << true << false << false << "" << true << "";
    QTest::newRow("read-only registry counts as not found, PATH program")
        << "/nowhere/msinfo" << false << false << true << "/usr/bin/kinfocenter" << true
        << "/usr/bin/kinfocenter";
    QTest::newRow("nothing anywhere") << "" << false << false << false << "" << true << "";
    QTest::newRow("program that does not start")
        << "/nowhere/msinfo" << false << false << false << "" << false << "";
}

void AboutTest::sysInfoProgramIsFound() {
    QFETCH(QString, pathValue);
    QFETCH(bool, locationValue);
    QFETCH(bool, msinfoFileExists);
    QFETCH(bool, readOnlyRegistry);
    QFETCH(QString, onPath);
    QFETCH(bool, starts);
    QFETCH(QString, started);
    QTemporaryDir folder;
    FakeRegistry registry;
    if (!pathValue.isEmpty())
        storeString(registry, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), pathValue);
    if (locationValue)
        storeString(registry, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), folder.path());
    if (msinfoFileExists)
        QVERIFY(QFile(folder.filePath(QStringLiteral("MSINFO32.EXE"))).open(QIODevice::WriteOnly));
    registry.setReadOnly(readOnlyRegistry);
    ScriptedPrompts prompts;
    RecordingLauncher launcher(starts);
    frmAbout about(registry, prompts, &launcher, nullptr, nullptr, [&onPath](const QString& name) {
        return onPath.endsWith(QLatin1Char('/') + name) ? onPath : QString();
    });

    about.cmdSysInfo()->click();

    started.replace(QLatin1String("<folder>"), folder.path());
    if (started.isEmpty()) {
        QCOMPARE(prompts.messages().size(), 1);
        QCOMPARE(prompts.messages().at(0).text, kUnavailable);
        QCOMPARE(prompts.messages().at(0).buttons, MessageButtons::Ok);
        QCOMPARE(prompts.messages().at(0).caption, QStringLiteral("Lorvane"));
    } else {
        QCOMPARE(launcher.started().size(), 1);
        QCOMPARE(launcher.started().at(0).program, started);
        QVERIFY(prompts.messages().isEmpty());
    }
}

void AboutTest::aboutBoxFromTheViewerIsModelessWithItsTexts() {
    FakeRegistry registry;
    ScriptedPrompts prompts;
    QuietHost host;
    frmViwer viewer(registry, prompts, nullptr, host);
    QAction* about = nullptr;
    for (QAction* menu : viewer.menuBar()->actions()) {
        if (menu->text() == QLatin1String("Help") && menu->menu())
            about = menu->menu()->actions().value(0);
    }
    QVERIFY(about);
    QCOMPARE(about->text(), QStringLiteral("About"));
    about->trigger();
    about->trigger();  // the one box comes forward again

    QPointer<frmAbout> box = viewer.aboutBox();
    QVERIFY(box);
    QCOMPARE(viewer.findChildren<frmAbout*>().size(), 1);
    QVERIFY(box->isVisible());
    QVERIFY(!box->isModal());
    QCOMPARE(box->parentWidget(), &viewer);
    QCOMPARE(box->windowTitle(), QStringLiteral("About Lorvane"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("SkinLabel1"))->text(),
             QStringLiteral("Lorvane"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("SkinLabel2"))->text(),
             QStringLiteral("Version 1.1.0.0"));
    QVERIFY(box->findChild<QLabel*>(QStringLiteral("SkinLabel5"))
                ->text()
                .startsWith(QLatin1String("Contact Info.\n")));
    QCOMPARE(box->cmdSysInfo()->text(), QStringLiteral("&System Info..."));

    box->cmdOK()->click();
    QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 5000);
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
