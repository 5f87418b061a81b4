#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <functional>
#include <memory>

#include "platform/HiveFileRegistry.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "platform/fakes/FakeRegistry.h"

namespace lorvane {

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00\n\n";
const QString kChildMode = QStringLiteral("--write-values");

QByteArray regFile(const QByteArray& body) {
    return kHeader + body;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "[HKEY_LOCAL_MACHINE\\k\\k…]", depth names of the given length.
QByteArray deepKey(int depth, int nameLength) {
    QByteArray line = "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < depth; ++i) {
        line += '\\' + QByteArray(nameLength, 'k');
    }
    return line + ']';
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions kReadWrite = kReadOnly | QFile::WriteOwner;
const QFile::Permissions kFolderReadOnly =
    kReadOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
const QFile::Permissions kFolderReadWrite = kFolderReadOnly | QFile::WriteOwner;

// One registry under test, fake or file, with the means to take write rights away and to look at
// what it stores.
struct Subject {
    std::unique_ptr<Registry> registry;
    std::function<void(bool)> setReadOnly;
    std::function<QByteArray()> storedText;
};

Subject makeSubject(const QString& backend, const QString& hivePath) {
    Subject subject;
    if (backend == QStringLiteral("fake")) {
        subject.registry = std::make_unique<FakeRegistry>();
        auto* raw = static_cast<FakeRegistry*>(subject.registry.get());
        subject.setReadOnly = [raw](bool on) { raw->setReadOnly(on); };
        subject.storedText = [raw] { return raw->hive().toRegFile(); };
    } else {
        subject.registry = std::make_unique<HiveFileRegistry>(hivePath);
        subject.setReadOnly = [hivePath](bool on) {
            QFile::setPermissions(hivePath, on ? kReadOnly : kReadWrite);
        };
        subject.storedText = [hivePath] { return readAll(hivePath); };
    }
    return subject;
}

RegKey mustCreate(Registry& registry, RegRoot root, const QString& path) {
    const RegOpenResult created = registry.createKey(root, path);
    if (!created.ok()) {
        qWarning("createKey(%s) failed with %ld", qPrintable(path), created.error);
    }
    return created.key;
}

QString stringValue(const Registry& registry, RegRoot root, const QString& path,
                    const QString& name) {
    const RegOpenResult opened = registry.openKey(root, path, RegAccess::Read);
    if (!opened.ok()) {
        return QStringLiteral("<key error %1>").arg(opened.error);
    }
    const RegValue value = registry.queryValue(opened.key, name);
    return value.ok() ? value.text() : QStringLiteral("<value error %1>").arg(value.error);
}

// Child-process mode: one of several programs writing to the same hive at once.
int writeValues(const QString& path, const QString& prefix, int count) {
    HiveFileRegistry registry(path);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const RegOpenResult key = registry.createKey(RegRoot::LocalMachine, "SOFTWARE\\Race");
        if (!key.ok() || registry.setString(key.key, prefix + QString::number(i),
                                            QString::number(i)) != RegError::Success) {
            ++failures;
        }
    }
    return failures;
}

}  // namespace

class PlatformTest : public QObject {
    Q_OBJECT

private:
    QString hivePath() const { return m_dir->filePath(QStringLiteral("registry.reg")); }
    void addBackends();

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() {
        QFile::setPermissions(m_dir->path(), kFolderReadWrite);
        m_dir.reset();
    }

    void valueLinesParse_data();
    void valueLinesParse();
    void regFileRoundTripKeepsEverything();
    void regeditUtf16ExportParses();
    void unparsableTextIsRejected_data();
    void unparsableTextIsRejected();
    void hiveAtTheBoundsParses_data();
    void hiveAtTheBoundsParses();
    void hivePastTheBoundsIsMovedAside();
    void deepKeysAreRefused();
    void fifoHiveIsRefusedWithoutBlocking();

    void missingKeysAndValuesAreNotFound_data() { addBackends(); }
    void missingKeysAndValuesAreNotFound();
    void keyPathsTakeOneTrailingSeparatorOnly_data() { addBackends(); }
    void keyPathsTakeOneTrailingSeparatorOnly();
    void namesIgnoreCaseButKeepIt_data() { addBackends(); }
    void namesIgnoreCaseButKeepIt();
    void deleteKeyRefusesKeysWithSubkeys_data() { addBackends(); }
    void deleteKeyRefusesKeysWithSubkeys();
    void keyOpenedForReadCannotWrite_data() { addBackends(); }
    void keyOpenedForReadCannotWrite();
    void readOnlyRegistryReadsButDeniesEveryWrite_data() { addBackends(); }
    void readOnlyRegistryReadsButDeniesEveryWrite();

    void readOnlyFolderDeniesWrites();
    void missingFolderIsCreatedOnFirstWrite();
    void readsSeeOtherObjectsWrites();
    void interleavedWritersLoseNothing();
    void concurrentProcessesLoseNothing_data();
    void concurrentProcessesLoseNothing();
    void brokenHiveIsMovedAsideAndNeverOverwritten();
    void brokenReadOnlyHiveIsLeftInPlace();
    void defaultPathFollowsEnvironment();
};

void PlatformTest::addBackends() {
    QTest::addColumn<QString>("backend");
    QTest::newRow("fake") << QStringLiteral("fake");
    QTest::newRow("file") << QStringLiteral("file");
}

void PlatformTest::valueLinesParse_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");

    const auto sz = quint32(RegType::Sz);
    QTest::newRow("plain string") << QByteArray("\"Path\"=\"text\"") << "Path" << sz
                                  << regStringData("text");
    QTest::newRow("default value")
        << QByteArray("@=\"JPEG Image\"") << "" << sz << regStringData("JPEG Image");
    QTest::newRow("escaped quote and backslash")
        << QByteArray(R"("a \"b\" \\c"="say \"hi\" C:\\x\\")") << R"(a "b" \c)" << sz
        << regStringData(R"(say "hi" C:\x\)");
    QTest::newRow("unescaped backslash kept")
        << QByteArray(R"("a"="C:\Pictures")") << "a" << sz << regStringData(R"(C:\Pictures)");
    QTest::newRow("equals sign in name")
        << QByteArray("\"a=b\" = \"c\"") << "a=b" << sz << regStringData("c");
    QTest::newRow("non-ASCII text")
        << QByteArray("\"Grüße\"=\"✓ déjà\"") << "Grüße" << sz << regStringData("✓ déjà");
    QTest::newRow("empty string keeps its NUL")
        << QByteArray("\"a\"=\"\"") << "a" << sz << QByteArray(2, '\0');
    QTest::newRow("string of size 0") << QByteArray("\"a\"=hex(1):") << "a" << sz << QByteArray();
    QTest::newRow("expandable string") << QByteArray("@=hex(2):25,00,41,00,25,00,00,00") << ""
                                       << quint32(RegType::ExpandSz) << regStringData("%A%");
    QTest::newRow("continued hex lines")
        << QByteArray("\"a\"=hex(2):25,00,41,00,\\\n  25,00,00,00") << "a"
        << quint32(RegType::ExpandSz) << regStringData("%A%");
    QTest::newRow("dword") << QByteArray("\"n\"=dword:0000002a") << "n" << quint32(RegType::Dword)
                           << QByteArray("\x2a\0\0\0", 4);
    QTest::newRow("binary") << QByteArray("\"b\"=hex:00,ff,10") << "b" << quint32(RegType::Binary)
                            << QByteArray("\0\xff\x10", 3);
    QTest::newRow("qword as hex(b)")
        << QByteArray("\"q\"=hex(b):01,00,00,00,00,00,00,00") << "q" << quint32(RegType::Qword)
        << QByteArray("\1\0\0\0\0\0\0\0", 8);
}

// Each form the file may hold reads as the Win32 data, and reads the same again after the
// hive has written it out itself.
void PlatformTest::valueLinesParse() {
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);

    const RegistryHiveParse parsed =
        RegistryHive::fromRegFile(regFile("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n" + line + "\n"));
    QVERIFY2(parsed.hive, qPrintable(parsed.error));
    const RegValue value = parsed.hive->queryValue(RegRoot::LocalMachine, "SOFTWARE\\Test", name);
    QCOMPARE(value.error, RegError::Success);
    QCOMPARE(quint32(value.type), type);
    QCOMPARE(value.data, data);

    const RegistryHiveParse again = RegistryHive::fromRegFile(parsed.hive->toRegFile());
    QVERIFY2(again.hive, qPrintable(again.error));
    QCOMPARE(*again.hive, *parsed.hive);
}

// Values the quoted form cannot carry, long data and empty keys all survive a write and a read.
void PlatformTest::regFileRoundTripKeepsEverything() {
    RegistryHive hive;
    QCOMPARE(hive.createKey(RegRoot::ClassesRoot, "Lorvane.jpg\\shell\\open\\command"),
             RegError::Success);
    QCOMPARE(hive.createKey(RegRoot::CurrentUser, "Software\\Empty"), RegError::Success);
    QCOMPARE(hive.createKey(RegRoot::LocalMachine, ""), RegError::Success);
    const auto set = [&hive](RegRoot root, const QString& path, const QString& name, RegType type,
                             const QByteArray& data) {
        QCOMPARE(hive.setValue(root, path, name, type, data), RegError::Success);
    };
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "", RegType::Sz, regStringData("JPEG Image"));
    set(RegRoot::ClassesRoot, "Lorvane.jpg\\shell\\open\\command", "", RegType::ExpandSz,
        regStringData("%ProgramFiles%\\Lorvane\\lorvane.exe %1"));
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "two lines", RegType::Sz,
        regStringData("first\r\nsecond"));
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "inner NUL", RegType::Sz,
        QByteArray("a\0\0\0b\0\0\0", 8));
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "odd size", RegType::Sz, QByteArray("a\0b", 3));
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "long", RegType::Binary, QByteArray(300, '\x5a'));
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "odd type", RegType(0x1234), QByteArray("xyz"));
    set(RegRoot::ClassesRoot, "Lorvane.jpg", "short dword", RegType::Dword, QByteArray("\1", 1));
    set(RegRoot::LocalMachine, "", "at the root", RegType::Sz, regStringData("r"));

    const QByteArray text = hive.toRegFile();
    QVERIFY(text.startsWith(kHeader));
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\Software\\Empty]"));
    QVERIFY(text.contains("@=\"JPEG Image\""));
    for (const QByteArray& line : text.split('\n')) {
        QVERIFY2(line.size() <= 80, line.constData());
    }
    const RegistryHiveParse parsed = RegistryHive::fromRegFile(text);
    QVERIFY2(parsed.hive, qPrintable(parsed.error));
    QCOMPARE(*parsed.hive, hive);
    QCOMPARE(parsed.hive->toRegFile(), text);
}

void PlatformTest::regeditUtf16ExportParses() {
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\."
        "jpg]\r\n\"ProgID\"=\"Lorvane.jpg\"\r\n\r\n");
    QByteArray bytes("\xff\xfe");
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    const RegistryHiveParse parsed = RegistryHive::fromRegFile(bytes);
    QVERIFY2(parsed.hive, qPrintable(parsed.error));
    const RegValue value = parsed.hive->queryValue(
        RegRoot::CurrentUser,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.jpg", "ProgID");
    QCOMPARE(value.text(), QStringLiteral("Lorvane.jpg"));
}

void PlatformTest::unparsableTextIsRejected_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no header") << QByteArray("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\"\n");
    QTest::newRow("old REGEDIT4 header") << QByteArray("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n");
    QTest::newRow("value before any key") << regFile("\"a\"=\"b\"\n");
    QTest::newRow("unterminated string") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\n");
    QTest::newRow("text after string") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\" x\n");
    QTest::newRow("bad hex byte") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:0g\n");
    QTest::newRow("missing hex byte") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:01,,02\n");
    QTest::newRow("dword too long") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:123456789\n");
    QTest::newRow("unknown value form") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=42\n");
    QTest::newRow("continuation at end") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:01,\\");
    QTest::newRow("unknown root") << regFile("[HKEY_NOWHERE\\A]\n");
    QTest::newRow("empty key name") << regFile("[HKEY_LOCAL_MACHINE\\A\\\\B]\n");
    QTest::newRow("unclosed key bracket") << regFile("[HKEY_LOCAL_MACHINE\\A\n");
    QTest::newRow("stray text") << regFile("[HKEY_LOCAL_MACHINE\\A]\nhello\n");
    QTest::newRow("not UTF-8") << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"\xff\xfe\xfd\"\n");
    QTest::newRow("keys nested 513 deep") << regFile(deepKey(513, 1) + "\n");
    QTest::newRow("keys nested 10000 deep") << regFile(deepKey(10000, 1) + "\n");
    QTest::newRow("deep keys written far larger than the file")
        << regFile(deepKey(512, 255) + "\n");
    QTest::newRow("key name of 256 characters")
        << regFile("[HKEY_LOCAL_MACHINE\\" + QByteArray(256, 'k') + "]\n");
    QTest::newRow("value name of 16384 characters")
        << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"" + QByteArray(16384, 'v') + "\"=\"x\"\n");
    QTest::newRow("file over 64 MiB")
        << regFile("; " + QByteArray(64 << 20, 'x') + "\n[HKEY_LOCAL_MACHINE\\A]\n");
}

// What lies within the bounds still reads.
void PlatformTest::hiveAtTheBoundsParses_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("keys nested 512 deep") << regFile(deepKey(512, 1) + "\n");
    QTest::newRow("key name of 255 characters")
        << regFile("[HKEY_LOCAL_MACHINE\\" + QByteArray(255, 'k') + "]\n");
    QTest::newRow("value name of 16383 characters")
        << regFile("[HKEY_LOCAL_MACHINE\\A]\n\"" + QByteArray(16383, 'v') + "\"=\"x\"\n");
}

void PlatformTest::hiveAtTheBoundsParses() {
    QFETCH(QByteArray, bytes);
    const RegistryHiveParse parsed = RegistryHive::fromRegFile(bytes);
    QVERIFY2(parsed.hive, qPrintable(parsed.error));
    const QByteArray written = parsed.hive->toRegFile();
    QVERIFY(RegistryHive::fromRegFile(written).hive);
}

// A hive past the bounds is kept aside like any file that does not parse, and the one written in
// its place is small.
void PlatformTest::hivePastTheBoundsIsMovedAside() {
    const QByteArray deep = regFile(deepKey(10000, 4) + "\n");
    QVERIFY(writeAll(hivePath(), deep));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("registry.reg could not be read.*moved"));
    HiveFileRegistry registry(hivePath());
    const RegKey key = mustCreate(registry, RegRoot::CurrentUser, "Software\\Lorvane");
    QCOMPARE(registry.setString(key, "v", "1"), RegError::Success);
    QVERIFY(QFileInfo(hivePath()).size() < 1000);
    const QStringList aside = QDir(m_dir->path()).entryList({"registry.reg.broken-*"});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(m_dir->filePath(aside.first())), deep);
}

// A FIFO in the hive's place is never opened for a blocking read: it reads as an unreadable file,
// left where it is.
void PlatformTest::fifoHiveIsRefusedWithoutBlocking() {
    QVERIFY(::mkfifo(QFile::encodeName(hivePath()).constData(), 0600) == 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("registry.reg cannot be read"));
    HiveFileRegistry registry(hivePath());
    QCOMPARE(registry.openKey(RegRoot::CurrentUser, "", RegAccess::Read).error, RegError::Success);
    QCOMPARE(registry.createKey(RegRoot::CurrentUser, "Software\\A").error, RegError::AccessDenied);
    QVERIFY(QFileInfo(hivePath()).isSymLink() || !QFileInfo(hivePath()).isFile());
    QVERIFY(QFileInfo::exists(hivePath()));
}

void PlatformTest::deepKeysAreRefused() {
    RegistryHive hive;
    QStringList names;
    for (int i = 0; i < 513; ++i) {
        names << QStringLiteral("k");
    }
    QCOMPARE(hive.createKey(RegRoot::CurrentUser, names.join(u'\\')), RegError::BadPathname);
    names.removeLast();
    QCOMPARE(hive.createKey(RegRoot::CurrentUser, names.join(u'\\')), RegError::Success);
    QCOMPARE(hive.setValue(RegRoot::CurrentUser, names.join(u'\\'), QString(16384, u'v'),
                           RegType::Sz, regStringData("x")),
             RegError::InvalidParameter);
}

void PlatformTest::unparsableTextIsRejected() {
    QFETCH(QByteArray, bytes);
    const RegistryHiveParse parsed = RegistryHive::fromRegFile(bytes);
    QVERIFY(!parsed.hive);
    QVERIFY(!parsed.error.isEmpty());
}

void PlatformTest::missingKeysAndValuesAreNotFound() {
    QFETCH(QString, backend);
    Subject subject = makeSubject(backend, hivePath());
    Registry& registry = *subject.registry;

    QCOMPARE(registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\Nothing", RegAccess::Read).error,
             RegError::FileNotFound);
    QCOMPARE(
        registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\Nothing", RegAccess::AllAccess).error,
        RegError::FileNotFound);
    const RegKey key = mustCreate(registry, RegRoot::LocalMachine, "SOFTWARE\\Something");
    QCOMPARE(registry.queryValue(key, "absent").error, RegError::FileNotFound);
    QCOMPARE(registry.queryValue(key, "").error, RegError::FileNotFound);
    QCOMPARE(registry.deleteValue(key, "absent"), RegError::FileNotFound);
    // Roots are separate trees.
    QCOMPARE(registry.openKey(RegRoot::CurrentUser, "SOFTWARE\\Something", RegAccess::Read).error,
             RegError::FileNotFound);
}

void PlatformTest::keyPathsTakeOneTrailingSeparatorOnly() {
    QFETCH(QString, backend);
    Subject subject = makeSubject(backend, hivePath());
    Registry& registry = *subject.registry;

    const RegKey key = mustCreate(registry, RegRoot::LocalMachine, "SOFTWARE\\Harrowdale\\");
    QCOMPARE(registry.setString(key, "v", "x"), RegError::Success);
    QCOMPARE(stringValue(registry, RegRoot::LocalMachine, "SOFTWARE\\Harrowdale", "v"), "x");
    QCOMPARE(stringValue(registry, RegRoot::LocalMachine, "SOFTWARE\\Harrowdale\\", "v"), "x");
    QCOMPARE(
        registry.openKey(RegRoot::LocalMachine, "\\SOFTWARE\\Harrowdale", RegAccess::Read).error,
        RegError::BadPathname);
    QCOMPARE(
        registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\\\Harrowdale", RegAccess::Read).error,
        RegError::BadPathname);
    QCOMPARE(registry.createKey(RegRoot::LocalMachine, "SOFTWARE\\\\New").error,
             RegError::BadPathname);
    QCOMPARE(registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\\\New", RegAccess::Read).error,
             RegError::BadPathname);
}

void PlatformTest::namesIgnoreCaseButKeepIt() {
    QFETCH(QString, backend);
    Subject subject = makeSubject(backend, hivePath());
    Registry& registry = *subject.registry;

    const RegKey first = mustCreate(registry, RegRoot::ClassesRoot, "Lorvane.Jpg\\Shell");
    QCOMPARE(registry.setString(first, "OldAss", "jpegfile"), RegError::Success);
    const RegKey second = mustCreate(registry, RegRoot::ClassesRoot, "LORVANE.JPG\\shell");
    QCOMPARE(registry.setString(second, "OLDASS", "other"), RegError::Success);

    QCOMPARE(stringValue(registry, RegRoot::ClassesRoot, "lorvane.jpg\\SHELL", "oldass"), "other");
    const RegOpenResult root = registry.openKey(RegRoot::ClassesRoot, "", RegAccess::Read);
    QVERIFY(root.ok());
    QCOMPARE(registry.subKeyNames(root.key).names, QStringList{"Lorvane.Jpg"});
    const QByteArray stored = subject.storedText();
    QVERIFY2(stored.contains("[HKEY_CLASSES_ROOT\\Lorvane.Jpg\\Shell]\n\"OldAss\"=\"other\""),
             stored.constData());
}

void PlatformTest::deleteKeyRefusesKeysWithSubkeys() {
    QFETCH(QString, backend);
    Subject subject = makeSubject(backend, hivePath());
    Registry& registry = *subject.registry;

    mustCreate(registry, RegRoot::ClassesRoot, "Lorvane.jpg\\shell\\open");
    mustCreate(registry, RegRoot::ClassesRoot, "Lorvane.jpg\\DefaultIcon");
    const RegOpenResult root = registry.openKey(RegRoot::ClassesRoot, "", RegAccess::AllAccess);
    QVERIFY(root.ok());

    QCOMPARE(registry.deleteKey(root.key, "Lorvane.jpg"), RegError::AccessDenied);
    QCOMPARE(registry.deleteKey(root.key, "Lorvane.jpg\\shell"), RegError::AccessDenied);
    QCOMPARE(registry.deleteKey(root.key, "lorvane.JPG\\shell\\open"), RegError::Success);
    QCOMPARE(registry.deleteKey(root.key, "Lorvane.jpg\\shell\\open"), RegError::FileNotFound);
    QCOMPARE(registry.deleteKey(root.key, "\\Lorvane.jpg\\shell"), RegError::BadPathname);
    QCOMPARE(registry.deleteKey(root.key, "Lorvane.jpg\\shell"), RegError::Success);

    const RegOpenResult type =
        registry.openKey(RegRoot::ClassesRoot, "Lorvane.jpg", RegAccess::AllAccess);
    QVERIFY(type.ok());
    QCOMPARE(registry.subKeyNames(type.key).names, QStringList{"DefaultIcon"});
    QCOMPARE(registry.deleteKey(type.key, "DefaultIcon"), RegError::Success);
    QCOMPARE(registry.deleteKey(root.key, "Lorvane.jpg"), RegError::Success);
    QCOMPARE(registry.subKeyNames(root.key).names, QStringList());
    QCOMPARE(registry.deleteKey(root.key, ""), RegError::AccessDenied);
}

void PlatformTest::keyOpenedForReadCannotWrite() {
    QFETCH(QString, backend);
    Subject subject = makeSubject(backend, hivePath());
    Registry& registry = *subject.registry;

    const RegKey created = mustCreate(registry, RegRoot::CurrentUser, "Software\\A");
    QCOMPARE(registry.setString(created, "v", "kept"), RegError::Success);
    const RegOpenResult reader =
        registry.openKey(RegRoot::CurrentUser, "Software\\A", RegAccess::Read);
    QVERIFY(reader.ok());
    QCOMPARE(registry.setString(reader.key, "v", "changed"), RegError::AccessDenied);
    QCOMPARE(registry.deleteValue(reader.key, "v"), RegError::AccessDenied);
    QCOMPARE(stringValue(registry, RegRoot::CurrentUser, "Software\\A", "v"), "kept");
}

// Like a Windows user without rights to HKEY_LOCAL_MACHINE: reading works, nothing changes.
void PlatformTest::readOnlyRegistryReadsButDeniesEveryWrite() {
    QFETCH(QString, backend);
    Subject subject = makeSubject(backend, hivePath());
    Registry& registry = *subject.registry;

    const RegKey key = mustCreate(registry, RegRoot::LocalMachine, "SOFTWARE\\Harrowdale\\Sub");
    QCOMPARE(registry.setString(key, "FullScreen", "-1"), RegError::Success);
    const QByteArray before = subject.storedText();
    subject.setReadOnly(true);

    const RegOpenResult reader =
        registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\Harrowdale\\Sub", RegAccess::Read);
    QCOMPARE(reader.error, RegError::Success);
    QCOMPARE(registry.queryValue(reader.key, "FullScreen").text(), "-1");
    QCOMPARE(
        registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\Harrowdale\\Sub", RegAccess::AllAccess)
            .error,
        RegError::AccessDenied);
    QCOMPARE(registry.openKey(RegRoot::LocalMachine, "", RegAccess::AllAccess).error,
             RegError::AccessDenied);
    QCOMPARE(
        registry.openKey(RegRoot::LocalMachine, "SOFTWARE\\Missing", RegAccess::AllAccess).error,
        RegError::FileNotFound);
    QCOMPARE(registry.createKey(RegRoot::LocalMachine, "SOFTWARE\\Harrowdale\\Sub").error,
             RegError::AccessDenied);
    QCOMPARE(registry.createKey(RegRoot::LocalMachine, "SOFTWARE\\New").error,
             RegError::AccessDenied);
    // A key opened with full access before the rights went away cannot write either.
    QCOMPARE(registry.setString(key, "FullScreen", "0"), RegError::AccessDenied);
    QCOMPARE(registry.deleteValue(key, "FullScreen"), RegError::AccessDenied);
    const RegOpenResult root = registry.openKey(RegRoot::LocalMachine, "", RegAccess::Read);
    QCOMPARE(registry.deleteKey(root.key, "SOFTWARE\\Harrowdale\\Sub"), RegError::AccessDenied);

    QCOMPARE(subject.storedText(), before);
    subject.setReadOnly(false);
}

void PlatformTest::readOnlyFolderDeniesWrites() {
    const QString folder = m_dir->filePath("config");
    QVERIFY(QDir().mkpath(folder));
    HiveFileRegistry registry(folder + "/registry.reg");
    const RegKey key = mustCreate(registry, RegRoot::LocalMachine, "SOFTWARE\\A");
    QCOMPARE(registry.setString(key, "v", "1"), RegError::Success);

    QVERIFY(QFile::setPermissions(folder, kFolderReadOnly));
    QCOMPARE(registry.createKey(RegRoot::LocalMachine, "SOFTWARE\\B").error,
             RegError::AccessDenied);
    QCOMPARE(registry.setString(key, "v", "2"), RegError::AccessDenied);
    QCOMPARE(stringValue(registry, RegRoot::LocalMachine, "SOFTWARE\\A", "v"), "1");

    HiveFileRegistry elsewhere(folder + "/sub/registry.reg");
    QCOMPARE(elsewhere.createKey(RegRoot::LocalMachine, "SOFTWARE\\A").error,
             RegError::AccessDenied);
    QVERIFY(!QFileInfo::exists(folder + "/sub"));
    QVERIFY(QFile::setPermissions(folder, kFolderReadWrite));
}

void PlatformTest::missingFolderIsCreatedOnFirstWrite() {
    const QString path = m_dir->filePath("deep/er/registry.reg");
    HiveFileRegistry registry(path);
    QCOMPARE(registry.openKey(RegRoot::LocalMachine, "", RegAccess::Read).error, RegError::Success);
    QCOMPARE(registry.openKey(RegRoot::LocalMachine, "SOFTWARE", RegAccess::Read).error,
             RegError::FileNotFound);
    QVERIFY(!QFileInfo::exists(m_dir->filePath("deep")));

    const RegKey key = mustCreate(registry, RegRoot::LocalMachine, "SOFTWARE\\A");
    QCOMPARE(registry.setString(key, "v", "1"), RegError::Success);
    QVERIFY(readAll(path).contains("[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"v\"=\"1\""));
}

void PlatformTest::readsSeeOtherObjectsWrites() {
    HiveFileRegistry writer(hivePath());
    HiveFileRegistry reader(hivePath());
    const RegKey key = mustCreate(writer, RegRoot::CurrentUser, "Software\\A");

    // Several writes in quick succession, each the same size, must each be seen.
    for (const QString text : {"1", "2", "3"}) {
        QCOMPARE(writer.setString(key, "v", text), RegError::Success);
        QCOMPARE(stringValue(reader, RegRoot::CurrentUser, "Software\\A", "v"), text);
    }
    QCOMPARE(writer.deleteValue(key, "v"), RegError::Success);
    QCOMPARE(stringValue(reader, RegRoot::CurrentUser, "Software\\A", "v"),
             QStringLiteral("<value error 2>"));
    QVERIFY(QFile::remove(hivePath()));
    QCOMPARE(reader.openKey(RegRoot::CurrentUser, "Software\\A", RegAccess::Read).error,
             RegError::FileNotFound);
}

// Each write starts from the file, not from what the object read earlier.
void PlatformTest::interleavedWritersLoseNothing() {
    HiveFileRegistry first(hivePath());
    HiveFileRegistry second(hivePath());
    const RegKey a = mustCreate(first, RegRoot::LocalMachine, "SOFTWARE\\Race");
    const RegKey b = mustCreate(second, RegRoot::LocalMachine, "SOFTWARE\\Race");
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(first.setString(a, QStringLiteral("first%1").arg(i), "x"), RegError::Success);
        QCOMPARE(second.setString(b, QStringLiteral("second%1").arg(i), "y"), RegError::Success);
    }
    const HiveFileRegistry check(hivePath());
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(stringValue(check, RegRoot::LocalMachine, "SOFTWARE\\Race",
                             QStringLiteral("first%1").arg(i)),
                 "x");
        QCOMPARE(stringValue(check, RegRoot::LocalMachine, "SOFTWARE\\Race",
                             QStringLiteral("second%1").arg(i)),
                 "y");
    }
}

void PlatformTest::concurrentProcessesLoseNothing_data() {
    QTest::addColumn<int>("writers");
    QTest::addColumn<int>("count");
    QTest::newRow("three writers, 40 values each") << 3 << 40;
    QTest::newRow("two writers, 200 values each") << 2 << 200;
}

void PlatformTest::concurrentProcessesLoseNothing() {
    QFETCH(int, writers);
    QFETCH(int, count);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < writers; ++w) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(
            QCoreApplication::applicationFilePath(),
            {kChildMode, hivePath(), QStringLiteral("w%1-").arg(w), QString::number(count)});
        processes.push_back(std::move(process));
    }
    for (auto& process : processes) {
        QVERIFY(process->waitForFinished(120000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }

    QVERIFY(RegistryHive::fromRegFile(readAll(hivePath())).hive);
    const HiveFileRegistry check(hivePath());
    const RegOpenResult key =
        check.openKey(RegRoot::LocalMachine, "SOFTWARE\\Race", RegAccess::Read);
    QVERIFY(key.ok());
    for (int w = 0; w < writers; ++w) {
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("w%1-%2").arg(w).arg(i);
            QCOMPARE(check.queryValue(key.key, name).text(), QString::number(i));
        }
    }
}

void PlatformTest::brokenHiveIsMovedAsideAndNeverOverwritten() {
    const QByteArray garbage = "this is not a registry\n\0\x01\x02";
    QVERIFY(writeAll(hivePath(), garbage));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("registry.reg could not be read.*moved"));
    QTest::failOnWarning(QRegularExpression("registry"));
    HiveFileRegistry registry(hivePath());
    QCOMPARE(registry.openKey(RegRoot::LocalMachine, "SOFTWARE", RegAccess::Read).error,
             RegError::FileNotFound);

    const QStringList aside = QDir(m_dir->path()).entryList({"registry.reg.broken-*"});
    QCOMPARE(aside.size(), 1);
    const QString asidePath = m_dir->filePath(aside.first());
    QCOMPARE(readAll(asidePath), garbage);
    QVERIFY(!QFileInfo::exists(hivePath()));

    const RegKey key = mustCreate(registry, RegRoot::LocalMachine, "SOFTWARE\\A");
    QCOMPARE(registry.setString(key, "v", "1"), RegError::Success);
    HiveFileRegistry other(hivePath());
    QCOMPARE(stringValue(other, RegRoot::LocalMachine, "SOFTWARE\\A", "v"), "1");
    QCOMPARE(readAll(asidePath), garbage);

    // A second broken file gets its own name beside the first.
    QVERIFY(writeAll(hivePath(), "[HKEY_LOCAL_MACHINE\\A]\n"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("registry.reg could not be read.*moved"));
    QCOMPARE(other.createKey(RegRoot::LocalMachine, "SOFTWARE\\B").error, RegError::Success);
    QCOMPARE(QDir(m_dir->path()).entryList({"registry.reg.broken-*"}).size(), 2);
    QCOMPARE(readAll(asidePath), garbage);
    QCOMPARE(stringValue(registry, RegRoot::LocalMachine, "SOFTWARE\\A", "v"),
             QStringLiteral("<key error 2>"));
}

void PlatformTest::brokenReadOnlyHiveIsLeftInPlace() {
    const QByteArray garbage = "Windows Registry Editor Version 5.00\n\n\"orphan\"=\"value\"\n";
    QVERIFY(writeAll(hivePath(), garbage));
    QVERIFY(QFile::setPermissions(hivePath(), kReadOnly));

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("registry.reg could not be read.*left unchanged"));
    QTest::failOnWarning(QRegularExpression("registry"));
    HiveFileRegistry registry(hivePath());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(registry.openKey(RegRoot::LocalMachine, "", RegAccess::Read).error,
                 RegError::Success);
        QCOMPARE(registry.createKey(RegRoot::LocalMachine, "SOFTWARE\\A").error,
                 RegError::AccessDenied);
    }
    QCOMPARE(readAll(hivePath()), garbage);
    QCOMPARE(QDir(m_dir->path()).entryList({"registry.reg.broken-*"}), QStringList());
}

void PlatformTest::defaultPathFollowsEnvironment() {
    const QByteArray saved = qgetenv("LORVANE_REGISTRY");
    qputenv("LORVANE_REGISTRY", "/somewhere/else.reg");
    QCOMPARE(HiveFileRegistry::defaultPath(), QStringLiteral("/somewhere/else.reg"));
    qunsetenv("LORVANE_REGISTRY");
    QCOMPARE(HiveFileRegistry::defaultPath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 "/lorvane/registry.reg");
    qputenv("LORVANE_REGISTRY", saved);
}

}  // namespace lorvane

int main(int argc, char** argv) {
    if (argc == 5 && lorvane::kChildMode == QString::fromLocal8Bit(argv[1])) {
        return lorvane::writeValues(QString::fromLocal8Bit(argv[2]),
                                    QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toInt());
    }
    QCoreApplication app(argc, argv);
    lorvane::PlatformTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
