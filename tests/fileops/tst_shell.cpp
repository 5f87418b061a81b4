#include "tst_shell.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include "fileops/FileTree.h"
#include "platform/XdgShellFileOperation.h"
#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

using namespace lorvane::testing;

namespace {

ShellFileOperationRequest request(ShellFunction function, const QStringList& sources,
                                  const QString& target = {}, quint16 flags = 0) {
    ShellFileOperationRequest r;
    r.function = function;
    r.source = ShellFileOperationRequest::joinSources(sources);
    r.target = target;
    r.flags = flags;
    return r;
}

dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

}  // namespace

void TestShellFileOperation::init() {
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = m_dir->path();
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root + QStringLiteral("/data")));
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void TestShellFileOperation::cleanup() {
    for (const QString& mount : std::as_const(m_mounts))
        unmount(mount);
    m_mounts.clear();
    m_dir.reset();
}

QString TestShellFileOperation::path(const QString& relative) const {
    return m_root + QLatin1Char('/') + relative;
}

ShellFileOperationResult TestShellFileOperation::run(const ShellFileOperationRequest& r) {
    XdgShellFileOperation shell(*m_prompts);
    return shell.run(r);
}

bool TestShellFileOperation::mount(const QString& relative, const char* options) {
    if (!mountTmpfs(path(relative), options))
        return false;
    m_mounts.prepend(path(relative));
    return true;
}

void TestShellFileOperation::copyWritesEveryByteUnderItsName() {
    writeFile(path("src/a.jpg"), pattern(300000, 1));
    writeFile(path("src/b.png"), pattern(1000, 2));
    QDir().mkpath(path("dest"));

    QCOMPARE(run(request(ShellFunction::Copy, {path("src/a.jpg")}, path("dest/c.jpg"))).code, 0);
    QCOMPARE(run(request(ShellFunction::Copy, {path("src/a.jpg"), path("src/b.png")}, path("dest")))
                 .code,
             0);

    const QMap<QString, QByteArray> expected{
        {"a.jpg", pattern(300000, 1)}, {"b.png", pattern(1000, 2)}, {"c.jpg", pattern(300000, 1)}};
    QCOMPARE(snapshot(path("dest")), expected);
    QCOMPARE(snapshot(path("src")).size(), 2);
    QVERIFY(m_prompts->messages().isEmpty());
}

void TestShellFileOperation::copyOntoItselfMakesACopyBeside() {
    writeFile(path("src/a.jpg"), "one");
    QCOMPARE(run(request(ShellFunction::Copy, {path("src/a.jpg")}, path("src/a.jpg"))).code, 0);
    QCOMPARE(run(request(ShellFunction::Copy, {path("src/a.jpg")}, path("src/a.jpg"))).code, 0);
    const QMap<QString, QByteArray> expected{
        {"a.jpg", "one"}, {"a - Copy.jpg", "one"}, {"a - Copy (2).jpg", "one"}};
    QCOMPARE(snapshot(path("src")), expected);
}

void TestShellFileOperation::existingTarget_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("copy, replace") << int(ShellFunction::Copy) << int(MessageResult::Yes) << true;
    QTest::newRow("copy, keep") << int(ShellFunction::Copy) << int(MessageResult::No) << false;
    QTest::newRow("copy, cancel") << int(ShellFunction::Copy) << int(MessageResult::Cancel)
                                  << false;
    QTest::newRow("move, replace") << int(ShellFunction::Move) << int(MessageResult::Yes) << true;
    QTest::newRow("move, keep") << int(ShellFunction::Move) << int(MessageResult::No) << false;
    QTest::newRow("move, cancel") << int(ShellFunction::Move) << int(MessageResult::Cancel)
                                  << false;
}

void TestShellFileOperation::existingTarget() {
    QFETCH(int, function);
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    writeFile(path("src/a.jpg"), "new bytes");
    writeFile(path("dest/a.jpg"), "old");
    m_prompts->scriptMessageAnswer(MessageResult(answer));

    const ShellFileOperationResult result =
        run(request(ShellFunction(function), {path("src/a.jpg")}, path("dest/a.jpg")));

    QCOMPARE(m_prompts->messages().size(), 1);
    QVERIFY(m_prompts->messages().first().text.contains("'a.jpg'"));
    QCOMPARE(result.code == 0, replaced);
    QCOMPARE(result.anyOperationsAborted, !replaced);
    QCOMPARE(readFile(path("dest/a.jpg")), replaced ? QByteArray("new bytes") : QByteArray("old"));
    const bool sourceGone = replaced && function == int(ShellFunction::Move);
    QCOMPARE(QFile::exists(path("src/a.jpg")), !sourceGone);
    QCOMPARE(snapshot(path("dest")).size(), 1);  // no temporary left behind
}

void TestShellFileOperation::moveWithinOneFileSystem() {
    writeFile(path("src/a.jpg"), "A");
    writeFile(path("src/tree/x/y.png"), "Y");
    writeFile(path("src/tree/z.gif"), "Z");
    QDir().mkpath(path("dest"));

    QCOMPARE(
        run(request(ShellFunction::Move, {path("src/a.jpg"), path("src/tree")}, path("dest"))).code,
        0);

    const QMap<QString, QByteArray> expected{{"a.jpg", "A"},
                                             {"tree", "<dir>"},
                                             {"tree/x", "<dir>"},
                                             {"tree/x/y.png", "Y"},
                                             {"tree/z.gif", "Z"}};
    QCOMPARE(snapshot(path("dest")), expected);
    QVERIFY(snapshot(path("src")).isEmpty());
}

void TestShellFileOperation::moveOntoItselfIsRefused() {
    writeFile(path("src/a.jpg"), "A");
    const ShellFileOperationResult result =
        run(request(ShellFunction::Move, {path("src/a.jpg")}, path("src/a.jpg")));
    QVERIFY(result.code != 0);
    QCOMPARE(readFile(path("src/a.jpg")), QByteArray("A"));
    QCOMPARE(m_prompts->messages().size(), 1);
    QVERIFY(m_prompts->messages().first().text.contains("same"));
}

void TestShellFileOperation::folderIntoItselfIsRefused() {
    writeFile(path("src/tree/a.jpg"), "A");
    const auto before = snapshot(m_root);
    QVERIFY(run(request(ShellFunction::Copy, {path("src/tree")}, path("src/tree/sub/tree"))).code !=
            0);
    QVERIFY(run(request(ShellFunction::Move, {path("src/tree")}, path("src/tree/tree"))).code != 0);
    QCOMPARE(snapshot(m_root), before);
}

void TestShellFileOperation::copiesFolderWhole() {
    writeFile(path("src/tree/x/y.png"), pattern(5000, 3));
    writeFile(path("src/tree/.hidden"), "H");
    QVERIFY(QFile::link("x/y.png", path("src/tree/link")));
    QDir().mkpath(path("dest"));

    QCOMPARE(run(request(ShellFunction::Copy, {path("src/tree")}, path("dest/tree"))).code, 0);

    QCOMPARE(snapshot(path("dest/tree")), snapshot(path("src/tree")));
    QCOMPARE(QFileInfo(path("dest/tree/link")).symLinkTarget(), path("dest/tree/x/y.png"));
    QCOMPARE(snapshot(path("dest")).size(), snapshot(path("src")).size());
}

void TestShellFileOperation::folderOntoExistingNameIsRefused() {
    writeFile(path("src/tree/a.jpg"), "A");
    writeFile(path("dest/tree/b.jpg"), "B");
    const auto before = snapshot(m_root);
    const ShellFileOperationResult result =
        run(request(ShellFunction::Copy, {path("src/tree")}, path("dest/tree")));
    QVERIFY(result.code != 0);
    QCOMPARE(snapshot(m_root), before);
    QCOMPARE(m_prompts->messages().size(), 1);
    QCOMPARE(m_prompts->messages().first().icon, MessageIcon::Critical);
}

void TestShellFileOperation::cancelInTheMiddle_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<bool>("crossDevice");
    QTest::newRow("copy") << int(ShellFunction::Copy) << false;
    QTest::newRow("move to another file system") << int(ShellFunction::Move) << true;
    QTest::newRow("copy a folder") << int(ShellFunction::Copy) << false;
}

void TestShellFileOperation::cancelInTheMiddle() {
    QFETCH(int, function);
    QFETCH(bool, crossDevice);
    const bool folder = QByteArray(QTest::currentDataTag()).contains("folder");
    const QByteArray big = pattern(8 * 1024 * 1024, 4);
    writeFile(path("src/tree/big.jpg"), big);
    writeFile(path("src/tree/small.jpg"), "small");
    QString destination = path("dest");
    if (crossDevice && !mount("dest", "size=64m"))
        QSKIP("needs a file system of its own (mount, as root)");
    QDir().mkpath(destination);
    const auto sourceBefore = snapshot(path("src"));

    const QString source = folder ? path("src/tree") : path("src/tree/big.jpg");
    ShellFileOperationRequest r =
        request(ShellFunction(function), {source},
                destination + QLatin1Char('/') + QFileInfo(source).fileName());
    int calls = 0;
    r.progress = [&calls](const ShellProgress& progress) {
        ++calls;
        return progress.bytesDone < 3 * 1024 * 1024;
    };
    const ShellFileOperationResult result = run(r);

    QVERIFY(calls > 1);
    QCOMPARE(result.code, ShellResult::Cancelled);
    QVERIFY(result.anyOperationsAborted);
    QCOMPARE(snapshot(path("src")), sourceBefore);
    QVERIFY(snapshot(destination).isEmpty());
    QVERIFY(m_prompts->messages().isEmpty());
}

void TestShellFileOperation::moveToAnotherFileSystem() {
    // Without the rights to mount, /dev/shm is often another file system than the temporary one.
    std::unique_ptr<QTemporaryDir> shm;
    if (!mount("other", "size=16m")) {
        shm = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/tst_fileops-XXXXXX"));
        if (!shm->isValid() || deviceOf(shm->path()) == deviceOf(m_root))
            QSKIP("no second file system (mount needs root, /dev/shm is the same)");
        QDir().rmdir(path("other"));
        QVERIFY(QFile::link(shm->path(), path("other")));
    }
    QVERIFY(deviceOf(path("other")) != deviceOf(path(".")));
    writeFile(path("src/a.jpg"), pattern(2 * 1024 * 1024 + 7, 5));
    writeFile(path("src/tree/x/y.png"), pattern(70000, 6));
    writeFile(path("src/tree/z.gif"), "Z");
    const auto tree = snapshot(path("src/tree"));

    QCOMPARE(run(request(ShellFunction::Move, {path("src/a.jpg"), path("src/tree")}, path("other")))
                 .code,
             0);

    QCOMPARE(readFile(path("other/a.jpg")), pattern(2 * 1024 * 1024 + 7, 5));
    QCOMPARE(snapshot(path("other/tree")), tree);
    QCOMPARE(snapshot(path("other")).size(), tree.size() + 2);
    QVERIFY(snapshot(path("src")).isEmpty());
}

void TestShellFileOperation::destinationOutOfSpace_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<bool>("folder");
    QTest::newRow("copy") << int(ShellFunction::Copy) << false;
    QTest::newRow("move") << int(ShellFunction::Move) << false;
    QTest::newRow("move a folder") << int(ShellFunction::Move) << true;
}

void TestShellFileOperation::destinationOutOfSpace() {
    QFETCH(int, function);
    QFETCH(bool, folder);
    if (!mount("small", "size=1m"))
        QSKIP("needs a file system of its own (mount, as root)");
    writeFile(path("src/tree/a.txt"), "first");
    writeFile(path("src/tree/big.jpg"), pattern(2 * 1024 * 1024, 7));
    writeFile(path("small/keep.txt"), "kept");
    const auto sourceBefore = snapshot(path("src"));
    const auto destinationBefore = snapshot(path("small"));

    const QString source = folder ? path("src/tree") : path("src/tree/big.jpg");
    const ShellFileOperationResult result = run(
        request(ShellFunction(function), {source}, path("small/") + QFileInfo(source).fileName()));

    QCOMPARE(result.code, ShellResult::DiskFull);
    QCOMPARE(snapshot(path("src")), sourceBefore);
    QCOMPARE(snapshot(path("small")), destinationBefore);
    QCOMPARE(m_prompts->messages().size(), 1);
    QVERIFY(m_prompts->messages().first().text.contains("not enough space"));
}

void TestShellFileOperation::readOnlyDestination() {
    if (!mount("ro", "size=1m"))
        QSKIP("needs a file system of its own (mount, as root)");
    writeFile(path("ro/keep.txt"), "kept");
    if (!remountReadOnly(path("ro")))
        QSKIP("cannot remount read-only");
    writeFile(path("src/a.jpg"), "A");

    for (ShellFunction function : {ShellFunction::Copy, ShellFunction::Move}) {
        m_prompts->clearRecords();
        const ShellFileOperationResult result =
            run(request(function, {path("src/a.jpg")}, path("ro/a.jpg")));
        QCOMPARE(result.code, ShellResult::AccessDenied);
        QCOMPARE(m_prompts->messages().size(), 1);
        QVERIFY(m_prompts->messages().first().text.contains("Access is denied."));
    }
    QCOMPARE(readFile(path("src/a.jpg")), QByteArray("A"));
    const QMap<QString, QByteArray> kept{{"keep.txt", "kept"}};
    QCOMPARE(snapshot(path("ro")), kept);
}

void TestShellFileOperation::rename_data() {
    QTest::addColumn<QString>("newName");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("new name") << "b.jpg" << 0 << "";
    QTest::newRow("existing file") << "taken.jpg" << ShellResult::FileExists << "already exists";
    QTest::newRow("existing folder") << "folder" << ShellResult::FileExists << "already exists";
    QTest::newRow("with a separator") << "folder/b.jpg" << ShellResult::InvalidName << "/";
    QTest::newRow("same name") << "a.jpg" << 0 << "";
}

void TestShellFileOperation::rename() {
    QFETCH(QString, newName);
    QFETCH(int, code);
    QFETCH(QString, message);
    writeFile(path("src/a.jpg"), "A");
    writeFile(path("src/taken.jpg"), "T");
    writeFile(path("src/folder/inner.txt"), "I");
    auto expected = snapshot(path("src"));
    if (code == 0 && newName != "a.jpg")
        expected.insert(newName, expected.take("a.jpg"));

    const ShellFileOperationResult result =
        run(request(ShellFunction::Rename, {path("src/a.jpg")}, path("src/") + newName));

    QCOMPARE(result.code, code);
    QCOMPARE(snapshot(path("src")), expected);
    QCOMPARE(m_prompts->messages().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(m_prompts->messages().first().text.contains(message),
                 qPrintable(m_prompts->messages().first().text));
}

void TestShellFileOperation::deleteConfirmation_data() {
    QTest::addColumn<quint16>("flags");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("question");
    QTest::newRow("one file to the trash") << ShellFlags::AllowUndo << QStringList{"a.jpg"}
                                           << "Are you sure you want to move 'a.jpg' to the Trash?";
    QTest::newRow("three to the trash")
        << ShellFlags::AllowUndo << QStringList{"a.jpg", "b.jpg", "tree"}
        << "Are you sure you want to move these 3 items to the Trash?";
    QTest::newRow("a folder for good")
        << quint16(0) << QStringList{"tree"}
        << "Are you sure you want to permanently delete the folder 'tree' and all its contents?";
    QTest::newRow("one file for good") << quint16(0) << QStringList{"b.jpg"}
                                       << "Are you sure you want to permanently delete 'b.jpg'?";
}

void TestShellFileOperation::deleteConfirmation() {
    QFETCH(quint16, flags);
    QFETCH(QStringList, names);
    QFETCH(QString, question);
    writeFile(path("src/a.jpg"), "A");
    writeFile(path("src/b.jpg"), "B");
    writeFile(path("src/tree/c.jpg"), "C");
    writeFile(path("src/keep.jpg"), "K");
    const auto before = snapshot(path("src"));
    QStringList sources;
    for (const QString& name : names)
        sources.append(path("src/") + name);

    // Declined: nothing changes and the result says so.
    m_prompts->scriptMessageAnswer(MessageResult::No);
    ShellFileOperationResult result = run(request(ShellFunction::Delete, sources, {}, flags));
    QCOMPARE(result.code, ShellResult::Cancelled);
    QVERIFY(result.anyOperationsAborted);
    QCOMPARE(snapshot(path("src")), before);
    QCOMPARE(m_prompts->messages().size(), 1);
    QCOMPARE(m_prompts->messages().first().text, question);
    QCOMPARE(m_prompts->messages().first().buttons, MessageButtons::YesNo);

    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    result = run(request(ShellFunction::Delete, sources, {}, flags));
    QCOMPARE(result.code, 0);
    auto after = before;
    for (const QString& name : names) {
        after.remove(name);
        after.remove(name + "/c.jpg");
    }
    QCOMPARE(snapshot(path("src")), after);
    const QString trashFiles = path("data/Trash/files");
    if (flags & ShellFlags::AllowUndo)
        QCOMPARE(snapshot(trashFiles).size(), before.size() - after.size());
    else
        QVERIFY(!QFileInfo::exists(path("data/Trash")));
}

void TestShellFileOperation::trashWritesInfoTheDesktopReads() {
    const QString name = QString::fromUtf8("a b%é.jpg");
    writeFile(path("src/") + name, "first");
    writeFile(path("other/") + name, "second");
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    QCOMPARE(run(request(ShellFunction::Delete, {path("src/") + name, path("other/") + name}, {},
                         ShellFlags::AllowUndo | ShellFlags::NoConfirmation))
                 .code,
             0);

    // Nothing but files/ and info/ in a trash that did not exist before.
    QCOMPARE(
        QDir(path("data/Trash")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({"files", "info"}));
    const QString second = name + ".2";
    const QMap<QString, QByteArray> files{{name, "first"}, {second, "second"}};
    QCOMPARE(snapshot(path("data/Trash/files")), files);

    const QByteArray encodedRoot = QUrl::toPercentEncoding(m_root, "/");
    const QByteArray info = readFile(path("data/Trash/info/") + name + ".trashinfo");
    const QRegularExpression form(QStringLiteral(
        "^\\[Trash "
        "Info\\]\nPath=(.*)\nDeletionDate=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)\n$"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(info));
    QVERIFY2(match.hasMatch(), info.constData());
    QCOMPARE(match.captured(1).toLatin1(), encodedRoot + "/src/a%20b%25%C3%A9.jpg");
    const QDateTime deleted = QDateTime::fromString(match.captured(2), Qt::ISODate);
    QVERIFY(deleted >= before && deleted <= QDateTime::currentDateTime().addSecs(1));
    QVERIFY(readFile(path("data/Trash/info/") + second + ".trashinfo")
                .contains("Path=" + encodedRoot + "/other/a%20b%25%C3%A9.jpg\n"));
    QCOMPARE(QDir(path("data/Trash/info")).entryList(QDir::Files).size(), 2);
}

void TestShellFileOperation::trashOnAnotherVolume_data() {
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QString>("trash");
    const QString uid = QString::number(::getuid());
    QTest::newRow("no shared trash") << ""
                                     << ".Trash-" + uid;
    QTest::newRow("sticky shared trash") << "sticky"
                                         << ".Trash/" + uid;
    QTest::newRow("shared trash not sticky") << "plain"
                                             << ".Trash-" + uid;
    QTest::newRow("shared trash a link") << "link"
                                         << ".Trash-" + uid;
}

void TestShellFileOperation::trashOnAnotherVolume() {
    QFETCH(QString, prepare);
    QFETCH(QString, trash);
    if (!mount("volume", "size=4m"))
        QSKIP("needs a file system of its own (mount, as root)");
    writeFile(path("volume/photos/a.jpg"), "A");
    if (prepare == "sticky" || prepare == "plain") {
        QVERIFY(QDir().mkdir(path("volume/.Trash")));
        ::chmod(QFile::encodeName(path("volume/.Trash")).constData(),
                prepare == "sticky" ? 01777 : 0777);
    } else if (prepare == "link") {
        QVERIFY(QDir().mkpath(path("volume/elsewhere")));
        ::chmod(QFile::encodeName(path("volume/elsewhere")).constData(), 01777);
        QVERIFY(QFile::link(path("volume/elsewhere"), path("volume/.Trash")));
    }

    QCOMPARE(run(request(ShellFunction::Delete, {path("volume/photos/a.jpg")}, {},
                         ShellFlags::AllowUndo | ShellFlags::NoConfirmation))
                 .code,
             0);

    const QString folder = path("volume/") + trash;
    QCOMPARE(readFile(folder + "/files/a.jpg"), QByteArray("A"));
    QVERIFY(readFile(folder + "/info/a.jpg.trashinfo").contains("\nPath=photos/a.jpg\n"));
    QVERIFY(!QFileInfo::exists(path("data/Trash")));
    QVERIFY(snapshot(path("volume/elsewhere")).isEmpty());
}

void TestShellFileOperation::noTrashAsksBeforeDeletingForGood_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("yes") << int(MessageResult::Yes) << true;
    QTest::newRow("no") << int(MessageResult::No) << false;
    QTest::newRow("cancel") << int(MessageResult::Cancel) << false;
}

void TestShellFileOperation::noTrashAsksBeforeDeletingForGood() {
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    // A data folder that cannot exist: its parent is a file.
    writeFile(path("blocker"), "x");
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("blocker/data")));
    writeFile(path("src/a.jpg"), "A");
    m_prompts->scriptMessageAnswer(MessageResult::Yes);
    m_prompts->scriptMessageAnswer(MessageResult(answer));

    const ShellFileOperationResult result =
        run(request(ShellFunction::Delete, {path("src/a.jpg")}, {}, ShellFlags::AllowUndo));

    QCOMPARE(m_prompts->messages().size(), 2);
    QVERIFY(m_prompts->messages().at(1).text.contains("'a.jpg' cannot be moved to the Trash"));
    QCOMPARE(result.code == 0, deleted);
    QCOMPARE(QFileInfo::exists(path("src/a.jpg")), !deleted);
    QCOMPARE(readFile(path("blocker")), QByteArray("x"));
}

void TestShellFileOperation::missingSourceFails() {
    QDir().mkpath(path("dest"));
    const ShellFileOperationResult result =
        run(request(ShellFunction::Copy, {path("src/none.jpg")}, path("dest/none.jpg")));
    QCOMPARE(result.code, ShellResult::FileNotFound);
    QVERIFY(snapshot(path("dest")).isEmpty());
}

}  // namespace lorvane
