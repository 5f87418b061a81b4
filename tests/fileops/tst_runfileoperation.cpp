#include "tst_runfileoperation.h"

#include <QStandardPaths>
#include <QTest>

#include "fileops/DestinationPicker.h"
#include "fileops/ExplorerFileOperation.h"
#include "fileops/FileOperationRunner.h"
#include "fileops/FileTree.h"
#include "fileops/ViewerFileOperation.h"
#include "platform/XdgShellFileOperation.h"
#include "platform/fakes/FakeShellFileOperation.h"

namespace lorvane {

using namespace lorvane::testing;

namespace {

class ScriptedPicker : public DestinationPicker {
public:
    QStringList answers;
    QList<QPair<int, QString>> calls;
    QString ShowFileForm(int opType, const QString& sSource) override {
        calls.append({opType, sSource});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// The real shell on the test's folders, the user's answers from the script.
struct Engine {
    explicit Engine(Prompts& prompts) : shell(prompts), runner(shell, prompts, picker) {}
    ScriptedPicker picker;
    XdgShellFileOperation shell;
    FileOperationRunner runner;
};

}  // namespace

void TestRunFileOperation::init() {
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = m_dir->path();
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root + QStringLiteral("/data")));
    m_prompts = std::make_unique<ScriptedPrompts>();
    writeFile(path("pics/a.jpg"), "A");
    writeFile(path("pics/b.jpg"), "B");
    writeFile(path("pics/c.jpg"), "C");
    QDir().mkpath(path("dest"));
}

void TestRunFileOperation::cleanup() {
    m_dir.reset();
}

QString TestRunFileOperation::path(const QString& relative) const {
    return m_root + QLatin1Char('/') + relative;
}

void TestRunFileOperation::requestForEveryCode_data() {
    QTest::addColumn<int>("opType");
    QTest::addColumn<bool>("explorer");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("target");
    QTest::newRow("viewer copy") << 1 << false << int(ShellFunction::Copy) << 0 << "dest/b.jpg";
    QTest::newRow("viewer delete") << 2 << false << int(ShellFunction::Delete) << 0x40 << "";
    QTest::newRow("viewer move") << 4 << false << int(ShellFunction::Move) << 0 << "dest/b.jpg";
    QTest::newRow("viewer rename")
        << 5 << false << int(ShellFunction::Rename) << 0 << "pics/new.jpg";
    QTest::newRow("explorer copy") << 1 << true << int(ShellFunction::Copy) << 0 << "dest/";
    QTest::newRow("explorer delete") << 2 << true << int(ShellFunction::Delete) << 0x40 << "";
    QTest::newRow("explorer delete for good") << 3 << true << int(ShellFunction::Delete) << 0 << "";
    QTest::newRow("explorer move") << 4 << true << int(ShellFunction::Move) << 0 << "dest/";
    QTest::newRow("explorer rename")
        << 5 << true << int(ShellFunction::Rename) << 0 << "pics/new.jpg";
}

void TestRunFileOperation::requestForEveryCode() {
    QFETCH(int, opType);
    QFETCH(bool, explorer);
    QFETCH(int, function);
    QFETCH(int, flags);
    QFETCH(QString, target);
    FakeShellFileOperation shell;
    ScriptedPicker picker;
    picker.answers = {path("dest/")};
    m_prompts->scriptInput("new.jpg");
    FileOperationRunner runner(shell, *m_prompts, picker);
    QObject window;

    const QStringList list{path("pics/a.jpg"), path("pics/b.jpg"), path("pics/c.jpg")};
    if (explorer)
        ExplorerFileOperation::Run(runner, opType, {path("pics/a.jpg"), path("pics/b.jpg")},
                                   path("pics/b.jpg"));
    else
        ViewerFileOperation::Run(runner, opType, list, 1, false, &window);

    QCOMPARE(shell.requests().size(), 1);
    const ShellFileOperationRequest& request = shell.requests().first();
    QCOMPARE(int(request.function), function);
    QCOMPARE(int(request.flags), flags);
    QCOMPARE(request.target, target.isEmpty() ? QString() : path(target));
    QCOMPARE(request.owner, explorer ? nullptr : &window);
    QString source = path("pics/b.jpg") + QChar(u'\0');
    if (explorer && opType != kRename)
        source.prepend(path("pics/a.jpg") + QChar(u'\0'));
    QCOMPARE(request.source, source);
    if (opType == kCopyTo || opType == kMoveTo) {
        QCOMPARE(picker.calls.size(), 1);
        QCOMPARE(picker.calls.first().first, opType);
        QCOMPARE(picker.calls.first().second, path("pics/b.jpg"));
    }
    if (opType == kRename) {
        QCOMPARE(m_prompts->inputs().size(), 1);
        QCOMPARE(m_prompts->inputs().first().title, QStringLiteral("Rename File"));
        QCOMPARE(m_prompts->inputs().first().prompt, QStringLiteral("File Name:"));
        QCOMPARE(m_prompts->inputs().first().defaultText, QStringLiteral("b.jpg"));
    }
}

void TestRunFileOperation::cancelledPickerSendsNothing() {
    FakeShellFileOperation shell;
    ScriptedPicker picker;  // answers "" as a cancel does
    FileOperationRunner runner(shell, *m_prompts, picker);
    const ViewerFileOperationResult viewer =
        ViewerFileOperation::Run(runner, kMoveTo, {path("pics/a.jpg")}, 0, false, nullptr);
    const ExplorerFileOperationResult explorer =
        ExplorerFileOperation::Run(runner, kCopyTo, {path("pics/a.jpg")}, path("pics/a.jpg"));
    QVERIFY(shell.requests().isEmpty());
    QVERIFY(!viewer.changed);
    QVERIFY(explorer.removed.isEmpty());
    QCOMPARE(picker.calls.size(), 2);
}

void TestRunFileOperation::viewerCopyLeavesListAlone() {
    Engine engine(*m_prompts);
    engine.picker.answers = {path("dest")};
    const QStringList list{path("pics/a.jpg"), path("pics/b.jpg")};

    const ViewerFileOperationResult result =
        ViewerFileOperation::Run(engine.runner, kCopyTo, list, 1, false, nullptr);

    QVERIFY(!result.changed);
    QVERIFY(!result.refreshBrowser);
    QCOMPARE(result.ImagePaths, list);
    QCOMPARE(result.CurrentIndex, 1);
    const QMap<QString, QByteArray> dest{{"b.jpg", "B"}};
    QCOMPARE(snapshot(path("dest")), dest);
    QCOMPARE(snapshot(path("pics")).size(), 3);
}

void TestRunFileOperation::viewerRemovesAndStepsToNeighbour_data() {
    QTest::addColumn<int>("opType");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("bCommand");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("shown");
    QTest::newRow("delete the middle") << 2 << 1 << false << QStringList{"a.jpg", "c.jpg"} << 1;
    QTest::newRow("delete the last shows the first")
        << 2 << 2 << false << QStringList{"a.jpg", "b.jpg"} << 0;
    QTest::newRow("move the first") << 4 << 0 << false << QStringList{"b.jpg", "c.jpg"} << 0;
    QTest::newRow("opened from the command line")
        << 2 << 1 << true << QStringList{"a.jpg", "c.jpg"} << 1;
}

void TestRunFileOperation::viewerRemovesAndStepsToNeighbour() {
    QFETCH(int, opType);
    QFETCH(int, index);
    QFETCH(bool, bCommand);
    QFETCH(QStringList, left);
    QFETCH(int, shown);
    Engine engine(*m_prompts);
    engine.picker.answers = {path("dest")};
    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    const QStringList list{path("pics/a.jpg"), path("pics/b.jpg"), path("pics/c.jpg")};
    const QString removed = list.at(index);

    const ViewerFileOperationResult result =
        ViewerFileOperation::Run(engine.runner, opType, list, index, bCommand, nullptr);

    QStringList expected;
    for (const QString& name : left)
        expected.append(path("pics/") + name);
    QVERIFY(result.changed);
    QCOMPARE(result.ImagePaths, expected);
    QCOMPARE(result.CurrentIndex, shown);
    QVERIFY(result.showImage);
    QVERIFY(!result.emptied);
    QCOMPARE(result.refreshBrowser, !bCommand);
    QCOMPARE(result.refreshFrom, removed);
    QCOMPARE(result.refreshTo, QString());
    QVERIFY(!QFileInfo::exists(removed));
    const QString name = QFileInfo(removed).fileName();
    const QString kept =
        opType == kMoveTo ? path("dest/") + name : path("data/Trash/files/") + name;
    QCOMPARE(readFile(kept), QByteArray(name.left(1).toUpper().toLatin1()));
}

void TestRunFileOperation::viewerOnlyImageLeavesItEmpty() {
    Engine engine(*m_prompts);
    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    const ViewerFileOperationResult result = ViewerFileOperation::Run(
        engine.runner, kDeleteToTrash, {path("pics/a.jpg")}, 0, false, nullptr);
    QVERIFY(result.changed);
    QVERIFY(result.emptied);
    QVERIFY(!result.showImage);
    QVERIFY(result.ImagePaths.isEmpty());
    QCOMPARE(result.CurrentIndex, 0);
    QVERIFY(result.refreshBrowser);
    QCOMPARE(readFile(path("data/Trash/files/a.jpg")), QByteArray("A"));
}

void TestRunFileOperation::viewerDeclinedDeleteChangesNothing() {
    Engine engine(*m_prompts);
    m_prompts->scriptMessageAnswer(MessageResult::No);
    const QStringList list{path("pics/a.jpg"), path("pics/b.jpg")};
    const auto before = snapshot(m_root);
    const ViewerFileOperationResult result =
        ViewerFileOperation::Run(engine.runner, kDeleteToTrash, list, 0, false, nullptr);
    QVERIFY(!result.changed);
    QVERIFY(!result.refreshBrowser);
    QCOMPARE(result.ImagePaths, list);
    QCOMPARE(snapshot(m_root), before);
    QCOMPARE(m_prompts->messages().size(), 1);
}

void TestRunFileOperation::viewerRename() {
    for (bool bCommand : {false, true}) {
        Engine engine(*m_prompts);
        const QString from = bCommand ? path("pics/new.jpg") : path("pics/b.jpg");
        m_prompts->scriptInput(bCommand ? "b.jpg" : "new.jpg");
        const QStringList list{path("pics/a.jpg"), from};

        const ViewerFileOperationResult result =
            ViewerFileOperation::Run(engine.runner, kRename, list, 1, bCommand, nullptr);

        const QString to = bCommand ? path("pics/b.jpg") : path("pics/new.jpg");
        QVERIFY(result.changed);
        QVERIFY(result.renamed);
        QCOMPARE(result.ImagePaths, QStringList({path("pics/a.jpg"), to}));
        QCOMPARE(result.CurrentIndex, 1);
        QCOMPARE(result.refreshBrowser, !bCommand);
        QCOMPARE(result.refreshFrom, from);
        QCOMPARE(result.refreshTo, to);
        QCOMPARE(readFile(to), QByteArray("B"));
        QVERIFY(!QFileInfo::exists(from));
    }
}

void TestRunFileOperation::renameThatDoesNothing_data() {
    QTest::addColumn<QString>("answer");
    QTest::newRow("same name") << "a.jpg";
    QTest::newRow("cancel or empty") << "";
    QTest::newRow("existing folder") << "sub";
    QTest::newRow("parent folder") << "..";
}

void TestRunFileOperation::renameThatDoesNothing() {
    QFETCH(QString, answer);
    QDir().mkpath(path("pics/sub"));
    FakeShellFileOperation shell;
    ScriptedPicker picker;
    FileOperationRunner runner(shell, *m_prompts, picker);
    m_prompts->scriptInput(answer);
    m_prompts->scriptInput(answer);
    const QStringList list{path("pics/a.jpg")};

    const ViewerFileOperationResult viewer =
        ViewerFileOperation::Run(runner, kRename, list, 0, false, nullptr);
    const ExplorerFileOperationResult explorer =
        ExplorerFileOperation::Run(runner, kRename, list, path("pics/a.jpg"));

    QVERIFY(shell.requests().isEmpty());
    QVERIFY(!viewer.changed);
    QCOMPARE(viewer.ImagePaths, list);
    QVERIFY(!explorer.renamed);
    QVERIFY(m_prompts->messages().isEmpty());
}

void TestRunFileOperation::renameOntoExistingFileIsRefused() {
    Engine engine(*m_prompts);
    m_prompts->scriptInput("b.jpg");
    const auto before = snapshot(m_root);
    const ViewerFileOperationResult result = ViewerFileOperation::Run(
        engine.runner, kRename, {path("pics/a.jpg"), path("pics/b.jpg")}, 0, false, nullptr);
    QVERIFY(!result.changed);
    QCOMPARE(snapshot(m_root), before);
    QCOMPARE(m_prompts->messages().size(), 1);
    QVERIFY(m_prompts->messages().first().text.contains("already exists"));
}

void TestRunFileOperation::renameTargetInRootFolder() {
    QCOMPARE(FileOperationRunner::renameTarget("/a.jpg", "b.jpg"), QStringLiteral("/b.jpg"));
    QCOMPARE(FileOperationRunner::renameTarget("/x/a.jpg", "b.jpg"), QStringLiteral("/x/b.jpg"));
    QCOMPARE(FileOperationRunner::joinTarget("/", "/x/a.jpg"), QStringLiteral("/a.jpg"));
    QCOMPARE(FileOperationRunner::joinTarget("/d/", "/x/a.jpg"), QStringLiteral("/d/a.jpg"));
    QCOMPARE(FileOperationRunner::joinTarget("/d", "/x/a.jpg"), QStringLiteral("/d/a.jpg"));

    FileOperationOutcome outcome;
    outcome.sent = true;
    outcome.focusedGone = true;
    outcome.target = "//b.jpg";
    const ExplorerFileOperationResult result =
        ExplorerFileOperation::apply(kRename, outcome, "/a.jpg");
    QCOMPARE(result.renamedTo, QStringLiteral("/b.jpg"));
    QCOMPARE(result.newText, QStringLiteral("b.jpg"));
}

void TestRunFileOperation::explorerSeveralItemsKeepTheirNames_data() {
    QTest::addColumn<int>("opType");
    QTest::newRow("copy") << 1;
    QTest::newRow("move") << 4;
}

void TestRunFileOperation::explorerSeveralItemsKeepTheirNames() {
    QFETCH(int, opType);
    writeFile(path("pics/folder/inner.png"), "I");
    Engine engine(*m_prompts);
    engine.picker.answers = {path("dest/")};
    const QStringList selected{path("pics/a.jpg"), path("pics/c.jpg"), path("pics/folder")};

    const ExplorerFileOperationResult result =
        ExplorerFileOperation::Run(engine.runner, opType, selected, path("pics/c.jpg"));

    const QMap<QString, QByteArray> dest{
        {"a.jpg", "A"}, {"c.jpg", "C"}, {"folder", "<dir>"}, {"folder/inner.png", "I"}};
    QCOMPARE(snapshot(path("dest")), dest);
    if (opType == kMoveTo) {
        QCOMPARE(result.removed, selected);
        const QMap<QString, QByteArray> left{{"b.jpg", "B"}};
        QCOMPARE(snapshot(path("pics")), left);
    } else {
        QVERIFY(result.removed.isEmpty());
        QCOMPARE(snapshot(path("pics")).size(), 5);
    }
}

void TestRunFileOperation::explorerDelete_data() {
    QTest::addColumn<int>("opType");
    QTest::addColumn<int>("answer");
    QTest::newRow("to the trash") << 2 << int(MessageResult::Yes);
    QTest::newRow("for good") << 3 << int(MessageResult::Yes);
    QTest::newRow("declined") << 2 << int(MessageResult::No);
}

void TestRunFileOperation::explorerDelete() {
    QFETCH(int, opType);
    QFETCH(int, answer);
    writeFile(path("pics/folder/inner.png"), "I");
    Engine engine(*m_prompts);
    m_prompts->scriptMessageAnswer(MessageResult(answer));
    const QStringList selected{path("pics/a.jpg"), path("pics/folder")};
    const auto before = snapshot(path("pics"));

    const ExplorerFileOperationResult result =
        ExplorerFileOperation::Run(engine.runner, opType, selected, path("pics/a.jpg"));

    QCOMPARE(m_prompts->messages().size(), 1);
    QCOMPARE(m_prompts->messages().first().text,
             opType == kDeleteToTrash
                 ? QStringLiteral("Are you sure you want to move these 2 items to the Trash?")
                 : QStringLiteral("Are you sure you want to permanently delete these 2 items?"));
    if (answer == int(MessageResult::No)) {
        QVERIFY(result.removed.isEmpty());
        QCOMPARE(snapshot(path("pics")), before);
        return;
    }
    QCOMPARE(result.removed, selected);
    const QMap<QString, QByteArray> left{{"b.jpg", "B"}, {"c.jpg", "C"}};
    QCOMPARE(snapshot(path("pics")), left);
    const QMap<QString, QByteArray> trashed{
        {"a.jpg", "A"}, {"folder", "<dir>"}, {"folder/inner.png", "I"}};
    const QMap<QString, QByteArray> inTrash =
        opType == kDeleteToTrash ? trashed : QMap<QString, QByteArray>();
    QCOMPARE(snapshot(path("data/Trash/files")), inTrash);
}

void TestRunFileOperation::explorerPartlyDeclinedMoveRemovesOnlyWhatLeft() {
    writeFile(path("dest/b.jpg"), "old B");
    Engine engine(*m_prompts);
    engine.picker.answers = {path("dest")};
    m_prompts->scriptMessageAnswer(MessageResult::No);  // keep the existing b.jpg
    const QStringList selected{path("pics/a.jpg"), path("pics/b.jpg"), path("pics/c.jpg")};

    const ExplorerFileOperationResult result =
        ExplorerFileOperation::Run(engine.runner, kMoveTo, selected, path("pics/b.jpg"));

    QCOMPARE(result.removed, QStringList({path("pics/a.jpg"), path("pics/c.jpg")}));
    const QMap<QString, QByteArray> dest{{"a.jpg", "A"}, {"b.jpg", "old B"}, {"c.jpg", "C"}};
    QCOMPARE(snapshot(path("dest")), dest);
    const QMap<QString, QByteArray> left{{"b.jpg", "B"}};
    QCOMPARE(snapshot(path("pics")), left);
}

void TestRunFileOperation::explorerRenamesFocusedItem() {
    Engine engine(*m_prompts);
    m_prompts->scriptInput("z.jpg");
    const ExplorerFileOperationResult result = ExplorerFileOperation::Run(
        engine.runner, kRename, {path("pics/a.jpg"), path("pics/b.jpg")}, path("pics/b.jpg"));
    QVERIFY(result.renamed);
    QVERIFY(result.removed.isEmpty());
    QCOMPARE(result.renamedFrom, path("pics/b.jpg"));
    QCOMPARE(result.renamedTo, path("pics/z.jpg"));
    QCOMPARE(result.newText, QStringLiteral("z.jpg"));
    const QMap<QString, QByteArray> left{{"a.jpg", "A"}, {"c.jpg", "C"}, {"z.jpg", "B"}};
    QCOMPARE(snapshot(path("pics")), left);
}

}  // namespace lorvane
