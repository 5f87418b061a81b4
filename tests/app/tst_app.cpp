#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/IconTheme.h"
#include "app/Startup.h"
#include "explorer/ExtensionLists.h"
#include "explorer/FolderListing.h"

namespace lorvane {

namespace {

// Table rows write "<dir>" for the sandbox folder, which only exists once the test runs.
QString InSandbox(QString text, const QTemporaryDir& dir) {
    return text.replace(QLatin1String("<dir>"), dir.path());
}

// pics/ holds a.jpg, b.png and notes.txt; empty/ holds nothing; broken.jpg leads nowhere.
void FillSandbox(const QTemporaryDir& dir) {
    QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("pics/sub")));
    QVERIFY(root.mkpath(QStringLiteral("empty")));
    for (const char* name : {"pics/a.jpg", "pics/b.png", "pics/notes.txt", "top.jpg"}) {
        QFile file(root.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(root.filePath(QStringLiteral("gone.jpg")),
                        root.filePath(QStringLiteral("broken.jpg"))));
}

}  // namespace

class TestApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void planFollowsTheCommandText_data();
    void planFollowsTheCommandText();
    void switchesAreNotPathTested();
    void onlyDeassociateSkipsTheAssociationCheck_data();
    void onlyDeassociateSkipsTheAssociationCheck();

    void commandTextIsArgumentsJoinedByBlanks_data();
    void commandTextIsArgumentsJoinedByBlanks();
    void onlyTheVersionOptionAloneAsksForTheVersion_data();
    void onlyTheVersionOptionAloneAsksForTheVersion();
    void programPrintsItsVersionAndEnds();
    void fallbackIconThemeIsAnInstalledOne_data();
    void fallbackIconThemeIsAnInstalledOne();

    void existingPathIsAnEntryOrAWildcardMatch_data();
    void existingPathIsAnEntryOrAWildcardMatch();
    void parentFolderIsTextBeforeLastSeparator_data();
    void parentFolderIsTextBeforeLastSeparator();

    void imageIndexIsLowestExactMatch_data();
    void imageIndexIsLowestExactMatch();
    void viewerStartShowsTheGivenImageOrTheFirst_data();
    void viewerStartShowsTheGivenImageOrTheFirst();
};

void TestApp::planFollowsTheCommandText_data() {
    QTest::addColumn<QString>("commandText");
    QTest::addColumn<StartKind>("kind");
    QTest::addColumn<QString>("folder");
    QTest::newRow("empty") << "" << StartKind::ShowBrowser << "";
    QTest::newRow("/Associate") << "/Associate" << StartKind::Associate << "";
    QTest::newRow("/DeAssociate") << "/DeAssociate" << StartKind::Deassociate << "";
    QTest::newRow("lower-case switch") << "/associate" << StartKind::ShowBrowser << "";
    QTest::newRow("lower-case deassociate") << "/deassociate" << StartKind::ShowBrowser << "";
    QTest::newRow("switch with more text") << "/Associate x" << StartKind::ShowBrowser << "";
    QTest::newRow("switch with a blank") << "/Associate " << StartKind::ShowBrowser << "";
    QTest::newRow("quoted path") << "\"<dir>/pics/a.jpg\"" << StartKind::ShowBrowser << "";
    QTest::newRow("existing file") << "<dir>/pics/a.jpg" << StartKind::OpenViewer << "<dir>/pics";
    QTest::newRow("existing non-image file")
        << "<dir>/pics/notes.txt" << StartKind::OpenViewer << "<dir>/pics";
    QTest::newRow("existing folder") << "<dir>/pics" << StartKind::OpenViewer << "<dir>";
    QTest::newRow("wildcard matching something")
        << "<dir>/pics/*.jpg" << StartKind::OpenViewer << "<dir>/pics";
    QTest::newRow("wildcard matching nothing")
        << "<dir>/pics/*.gif" << StartKind::ShowBrowser << "";
    QTest::newRow("missing path") << "<dir>/pics/missing.jpg" << StartKind::ShowBrowser << "";
}

void TestApp::planFollowsTheCommandText() {
    QFETCH(QString, commandText);
    QFETCH(StartKind, kind);
    QFETCH(QString, folder);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FillSandbox(dir);

    const StartPlan plan = PlanStart(InSandbox(commandText, dir));
    QCOMPARE(plan.kind, kind);
    QCOMPARE(plan.folder, InSandbox(folder, dir));
    if (kind == StartKind::OpenViewer) {
        QCOMPARE(plan.path, InSandbox(commandText, dir));
    }
}

void TestApp::switchesAreNotPathTested() {
    QStringList asked;
    const PathTest everythingExists = [&asked](const QString& text) {
        asked.push_back(text);
        return true;
    };
    QCOMPARE(PlanStart(QStringLiteral("/Associate"), everythingExists).kind, StartKind::Associate);
    QCOMPARE(PlanStart(QStringLiteral("/DeAssociate"), everythingExists).kind,
             StartKind::Deassociate);
    QVERIFY(asked.isEmpty());

    const StartPlan plan = PlanStart(QStringLiteral("/associate"), everythingExists);
    QCOMPARE(asked, QStringList{QStringLiteral("/associate")});
    QCOMPARE(plan.kind, StartKind::OpenViewer);
    QCOMPARE(plan.folder, QString());
}

void TestApp::onlyDeassociateSkipsTheAssociationCheck_data() {
    QTest::addColumn<StartKind>("kind");
    QTest::addColumn<bool>("associates");
    QTest::addColumn<bool>("ends");
    QTest::newRow("deassociate") << StartKind::Deassociate << false << true;
    QTest::newRow("associate") << StartKind::Associate << true << true;
    QTest::newRow("viewer") << StartKind::OpenViewer << true << false;
    QTest::newRow("browser") << StartKind::ShowBrowser << true << false;
}

void TestApp::onlyDeassociateSkipsTheAssociationCheck() {
    QFETCH(StartKind, kind);
    QFETCH(bool, associates);
    QFETCH(bool, ends);
    StartPlan plan;
    plan.kind = kind;
    QCOMPARE(plan.runsAssociateImageTypes(), associates);
    QCOMPARE(plan.endsAfterAssociation(), ends);
}

void TestApp::commandTextIsArgumentsJoinedByBlanks_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("commandText");
    QTest::newRow("none") << QStringList{} << "";
    QTest::newRow("one path with blanks") << QStringList{"/p/my photo.jpg"} << "/p/my photo.jpg";
    QTest::newRow("quotes kept") << QStringList{"\"/p/a.jpg\""} << "\"/p/a.jpg\"";
    QTest::newRow("several") << QStringList{"/Associate", "x"} << "/Associate x";
    QTest::newRow("empty argument") << QStringList{"a", "", "b"} << "a  b";
}

void TestApp::commandTextIsArgumentsJoinedByBlanks() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, commandText);
    QCOMPARE(CommandTextFromArguments(arguments), commandText);
}

void TestApp::onlyTheVersionOptionAloneAsksForTheVersion_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("asks");
    QTest::newRow("--version") << QStringList{"--version"} << true;
    QTest::newRow("nothing") << QStringList{} << false;
    QTest::newRow("other letter case") << QStringList{"--Version"} << false;
    QTest::newRow("with a path after it") << QStringList{"--version", "/p/a.jpg"} << false;
    QTest::newRow("a file of that name, given as a path") << QStringList{"./--version"} << false;
}

void TestApp::onlyTheVersionOptionAloneAsksForTheVersion() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, asks);
    QCOMPARE(AsksForVersion(arguments), asks);
}

void TestApp::programPrintsItsVersionAndEnds() {
    // The real program: it must answer without a window, a lock or the settings.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        environment.insert(QLatin1String(name), home.path());
    environment.insert(QStringLiteral("LORVANE_REGISTRY"), home.filePath(QStringLiteral("r.reg")));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LORVANE_PROGRAM), {QStringLiteral("--version")});
    QVERIFY(program.waitForStarted());
    const bool ended = program.waitForFinished(20000);
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    QVERIFY2(ended, "the program did not end");
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()),
             QStringLiteral("Lorvane 1.1.0.0\n"));
    QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("r.reg"))));
}

void TestApp::fallbackIconThemeIsAnInstalledOne_data() {
    QTest::addColumn<QStringList>("installed");  // "<search folder>/<theme>", index.theme in each
    QTest::addColumn<QStringList>("bare");       // theme folders without an index.theme
    QTest::addColumn<QString>("chosen");
    QTest::newRow("Adwaita first")
        << QStringList{"b/breeze", "a/Adwaita"} << QStringList{} << "Adwaita";
    QTest::newRow("breeze-dark before breeze")
        << QStringList{"a/breeze", "b/breeze-dark"} << QStringList{} << "breeze-dark";
    QTest::newRow("a folder without index.theme is no theme")
        << QStringList{"b/breeze"} << QStringList{"a/Adwaita"} << "breeze";
    QTest::newRow("only hicolor: none") << QStringList{"a/hicolor"} << QStringList{} << "";
}

void TestApp::fallbackIconThemeIsAnInstalledOne() {
    QFETCH(QStringList, installed);
    QFETCH(QStringList, bare);
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    QDir root(dir.path());
    for (const QString& theme : bare)
        QVERIFY(root.mkpath(theme));
    for (const QString& theme : installed) {
        QVERIFY(root.mkpath(theme));
        QFile index(root.filePath(theme + QStringLiteral("/index.theme")));
        QVERIFY(index.open(QIODevice::WriteOnly));
    }
    const QStringList searchPaths{root.filePath(QStringLiteral("a")),
                                  root.filePath(QStringLiteral("b")),
                                  root.filePath(QStringLiteral("missing"))};
    QCOMPARE(ChooseFallbackIconTheme(searchPaths), chosen);
}

void TestApp::existingPathIsAnEntryOrAWildcardMatch_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("file") << "<dir>/pics/a.jpg" << true;
    QTest::newRow("folder") << "<dir>/pics" << true;
    QTest::newRow("folder with separator") << "<dir>/pics/" << false;
    QTest::newRow("missing") << "<dir>/pics/c.jpg" << false;
    QTest::newRow("other letter case") << "<dir>/pics/A.JPG" << false;
    QTest::newRow("broken link") << "<dir>/broken.jpg" << true;
    QTest::newRow("quoted") << "\"<dir>/pics/a.jpg\"" << false;
    QTest::newRow("star matches") << "<dir>/pics/*.png" << true;
    QTest::newRow("star matches nothing") << "<dir>/pics/*.gif" << false;
    QTest::newRow("star ignores case") << "<dir>/pics/A*.JPG" << true;
    QTest::newRow("question mark") << "<dir>/pics/?.jpg" << true;
    QTest::newRow("question mark too short") << "<dir>/pics/?.txt" << false;
    QTest::newRow("star matches folder") << "<dir>/pics/su*" << true;
    QTest::newRow("star in empty folder") << "<dir>/empty/*" << false;
    QTest::newRow("star in missing folder") << "<dir>/none/*" << false;
    QTest::newRow("star in folder part") << "<dir>/pi*/a.jpg" << false;
}

void TestApp::existingPathIsAnEntryOrAWildcardMatch() {
    QFETCH(QString, text);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FillSandbox(dir);
    QCOMPARE(IsExistingPath(InSandbox(text, dir)), exists);
}

void TestApp::parentFolderIsTextBeforeLastSeparator_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("parent");
    QTest::newRow("file") << "/p/q/a.jpg"
                          << "/p/q";
    QTest::newRow("file at root") << "/a.jpg"
                                  << "";
    QTest::newRow("no separator") << "a.jpg"
                                  << "";
    QTest::newRow("relative") << "pics/a.jpg"
                              << "pics";
    QTest::newRow("trailing separator") << "/p/q/"
                                        << "/p/q";
}

void TestApp::parentFolderIsTextBeforeLastSeparator() {
    QFETCH(QString, text);
    QFETCH(QString, parent);
    QCOMPARE(ParentFolderOf(text), parent);
}

void TestApp::imageIndexIsLowestExactMatch_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("index");
    const QStringList list{"/p/a.jpg", "/p/b.jpg", "", "/p/b.jpg"};
    QTest::newRow("exact") << list << "/p/b.jpg" << 1;
    QTest::newRow("first entry") << list << "/p/a.jpg" << 0;
    QTest::newRow("other letter case") << list << "/p/B.jpg" << 0;
    QTest::newRow("missing") << list << "/p/c.jpg" << 0;
    QTest::newRow("empty entry") << list << "" << 2;
    QTest::newRow("prefix only") << list << "/p/b" << 0;
    QTest::newRow("empty list") << QStringList{} << "/p/a.jpg" << 0;
}

void TestApp::imageIndexIsLowestExactMatch() {
    QFETCH(QStringList, paths);
    QFETCH(QString, path);
    QFETCH(int, index);
    QCOMPARE(FindImageIndex(paths, path), index);
}

void TestApp::viewerStartShowsTheGivenImageOrTheFirst_data() {
    QTest::addColumn<QString>("commandText");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("index");
    QTest::newRow("image") << "<dir>/pics/b.png" << QStringList{"a.jpg", "b.png"} << 1;
    QTest::newRow("text file") << "<dir>/pics/notes.txt" << QStringList{"a.jpg", "b.png"} << 0;
    QTest::newRow("wildcard") << "<dir>/pics/b*" << QStringList{"a.jpg", "b.png"} << 0;
    QTest::newRow("folder lists its parent") << "<dir>/pics" << QStringList{"top.jpg"} << 0;
    QTest::newRow("empty folder's parent has one image")
        << "<dir>/empty" << QStringList{"top.jpg"} << 0;
}

void TestApp::viewerStartShowsTheGivenImageOrTheFirst() {
    QFETCH(QString, commandText);
    QFETCH(QStringList, listed);
    QFETCH(int, index);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FillSandbox(dir);

    const StartPlan plan = PlanStart(InSandbox(commandText, dir));
    QCOMPARE(plan.kind, StartKind::OpenViewer);
    const QStringList ImagePaths =
        GetImageList(NormalizedExtList(ExplorerExtensions), plan.folder, QStringLiteral("*.*"));
    QStringList expected;
    for (const QString& name : listed) {
        expected.push_back(plan.folder + QLatin1Char('/') + name);
    }
    QCOMPARE(ImagePaths, expected);
    QCOMPARE(FindImageIndex(ImagePaths, plan.path), index);
}

}  // namespace lorvane

QTEST_GUILESS_MAIN(lorvane::TestApp)
#include "tst_app.moc"
