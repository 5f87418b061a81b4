#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "assoc/ImageTypeAssociations.h"
#include "assoc/ImageTypeTable.h"
#include "assoc/ModAssoc.h"
#include "platform/MimeAppsList.h"
#include "platform/XdgAssociationNotifier.h"
#include "platform/XdgAssociationRegistry.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

namespace {

const QString kOurs = QStringLiteral("lorvane.desktop");
const QString kOther = QStringLiteral("otherviewer.desktop");

// What the user had before the program came: comments, other groups, odd spacing and entries
// of other programs, all of which must survive byte for byte.
const QByteArray kUserMimeApps =
    "# chosen by hand\n"
    "[Added Associations]\n"
    "text/plain=gedit.desktop;\n"
    "\n"
    "[Default Applications]\n"
    "image/jpeg = otherviewer.desktop\n"
    "text/plain=gedit.desktop;vim.desktop;\n"
    "\n"
    "[Removed Associations]\n"
    "image/gif=gimp.desktop;\n";

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// xdg-mime passes by a default whose program is not an executable file.
bool writeProgram(const QString& folder) {
    const QString path = folder + QStringLiteral("/lorvane");
    return writeAll(path, "#!/bin/sh\n") &&
           QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

}  // namespace

// The desktop road: a desktop made of temporary freedesktop folders (never the user's own),
// checked with the desktop's own tools as a user would.
class DesktopAssocTest : public QObject {
    Q_OBJECT

private:
    QString root() const { return m_root->path(); }
    QString userMimeApps() const { return m_locations.userMimeApps(); }
    QString progIdOf(const QString& extension) const {
        return QStringLiteral("Lorvane") + extension;
    }
    // Runs the desktop's own query in this test's environment, as a user would type it.
    QString xdgDefault(const QString& mimeType) const {
        QProcess process;
        process.start(QStringLiteral("xdg-mime"),
                      {QStringLiteral("query"), QStringLiteral("default"), mimeType});
        if (!process.waitForFinished(30000))
            return QStringLiteral("<xdg-mime did not finish>");
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    QString hiveText(const QString& path, const QString& name) const {
        return m_hive->hive().queryValue(RegRoot::ClassesRoot, path, name).text();
    }
    // Another program takes the type, as a file manager's "open with, always" writes it.
    void otherProgramTakes(const QString& mimeType) {
        QByteArray text = readAll(userMimeApps());
        const QByteArray ours = mimeType.toUtf8() + "=lorvane.desktop;";
        QVERIFY(text.contains(ours));
        text.replace(ours, mimeType.toUtf8() + "=otherviewer.desktop;");
        QVERIFY(writeAll(userMimeApps(), text));
    }

    std::unique_ptr<QTemporaryDir> m_root;
    XdgLocations m_locations;
    QString m_programFolder;
    std::unique_ptr<FakeRegistry> m_hive;
    std::unique_ptr<XdgAssociationRegistry> m_registry;
    std::unique_ptr<XdgAssociationNotifier> m_notifier;
    std::unique_ptr<ModAssoc> m_assoc;
    ScriptedPrompts m_prompts;

private Q_SLOTS:
    void initTestCase();
    void init();

    void mimeAppsListEditsOneEntry_data();
    void mimeAppsListEditsOneEntry();
    void mimeAppsListReadsDefaults_data();
    void mimeAppsListReadsDefaults();

    void desktopRoad();
    void desktopEntryOpensTheProgram();
    void desktopEntryFollowsAProgramThatMoved();
    void unusableMimeAppsListChangesNothing_data();
    void unusableMimeAppsListChangesNothing();
    void desktopSpecificDefaultsComeFirst();
};

void DesktopAssocTest::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        QSKIP("xdg-mime (xdg-utils) is not installed");
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // Set before anything reads them; the system's MIME database is the only thing shared with
    // the machine, through a link, so no system application or default takes part.
    qputenv("HOME", QFile::encodeName(root() + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root() + QStringLiteral("/config")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root() + QStringLiteral("/etc-xdg")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root() + QStringLiteral("/data")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root() + QStringLiteral("/share")));
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "XDG_MENU_PREFIX", "DISPLAY"})
        qunsetenv(name);
    QVERIFY(QDir().mkpath(root() + QStringLiteral("/share")));
    QVERIFY(QFile::link(QStringLiteral("/usr/share/mime"), root() + QStringLiteral("/share/mime")));
}

void DesktopAssocTest::init() {
    for (const char* folder : {"/config", "/data", "/etc-xdg", "/home"}) {
        QDir dir(root() + QLatin1String(folder));
        QVERIFY(dir.removeRecursively());
        QVERIFY(dir.mkpath(QStringLiteral(".")));
    }
    m_locations = XdgLocations::fromEnvironment();
    QCOMPARE(m_locations.configHome, root() + QStringLiteral("/config"));

    m_programFolder = root() + QStringLiteral("/home/lorvane-1.0");
    QVERIFY(writeProgram(m_programFolder));
    QVERIFY(writeAll(m_locations.userApplications() + QLatin1Char('/') + kOther,
                     "[Desktop Entry]\nType=Application\nName=Other viewer\nExec=true %f\n"
                     "MimeType=image/png;image/jpeg;\n"));
    QVERIFY(writeAll(userMimeApps(), kUserMimeApps));

    m_hive = std::make_unique<FakeRegistry>();
    m_registry = std::make_unique<XdgAssociationRegistry>(
        *m_hive, m_locations, m_programFolder + QStringLiteral("/icons/icon.svg"));
    m_notifier = std::make_unique<XdgAssociationNotifier>(m_locations);
    m_assoc =
        std::make_unique<ModAssoc>(*m_registry, *m_notifier, AssocEnvironment{m_programFolder});
    m_prompts = ScriptedPrompts();
}

void DesktopAssocTest::mimeAppsListEditsOneEntry_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("desktopId");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("new entry after the group's last entry")
        << kUserMimeApps << kOurs
        << QByteArray(
               "# chosen by hand\n[Added Associations]\ntext/plain=gedit.desktop;\n\n"
               "[Default Applications]\nimage/jpeg = otherviewer.desktop\n"
               "text/plain=gedit.desktop;vim.desktop;\nimage/png=lorvane.desktop;\n\n"
               "[Removed Associations]\nimage/gif=gimp.desktop;\n");
    QTest::newRow("entry with odd spacing replaced, rest kept")
        << QByteArray("[Default Applications]\n  image/png  =  a.desktop;b.desktop\nx/y=z;\n")
        << kOurs << QByteArray("[Default Applications]\nimage/png=lorvane.desktop;\nx/y=z;\n");
    QTest::newRow("empty id removes the entry and its duplicates")
        << QByteArray("[Default Applications]\nimage/png=a;\nx/y=z;\nimage/png=b;\n") << QString()
        << QByteArray("[Default Applications]\nx/y=z;\n");
    QTest::newRow("other groups' entries are not defaults")
        << QByteArray("[Added Associations]\nimage/png=a;\n") << kOurs
        << QByteArray(
               "[Added Associations]\nimage/png=a;\n\n[Default Applications]\n"
               "image/png=lorvane.desktop;\n");
    QTest::newRow("empty file") << QByteArray() << kOurs
                                << QByteArray(
                                       "[Default Applications]\nimage/png=lorvane.desktop;\n");
    QTest::newRow("no line end at the end")
        << QByteArray("[Default Applications]\nx/y=z;") << kOurs
        << QByteArray("[Default Applications]\nx/y=z;\nimage/png=lorvane.desktop;");
    QTest::newRow("CRLF line kept as CRLF")
        << QByteArray("[Default Applications]\r\nimage/png=a;\r\n# note\r\n") << kOurs
        << QByteArray("[Default Applications]\r\nimage/png=lorvane.desktop;\r\n# note\r\n");
    QTest::newRow("similar keys are other keys")
        << QByteArray("[Default Applications]\nimage/png2=a;\n#image/png=b;\n") << kOurs
        << QByteArray(
               "[Default Applications]\nimage/png2=a;\nimage/png=lorvane.desktop;\n"
               "#image/png=b;\n");
    QTest::newRow("removing what is not there changes nothing")
        << kUserMimeApps << QString() << kUserMimeApps;
}

void DesktopAssocTest::mimeAppsListEditsOneEntry() {
    QFETCH(QByteArray, text);
    QFETCH(QString, desktopId);
    QFETCH(QByteArray, expected);
    const QByteArray changed =
        MimeAppsList::withDefault(text, QStringLiteral("image/png"), desktopId);
    QCOMPARE(changed, expected);
    const QStringList expectedIds = desktopId.isEmpty() ? QStringList() : QStringList{desktopId};
    QCOMPARE(MimeAppsList::defaultsFor(changed, QStringLiteral("image/png")), expectedIds);
}

void DesktopAssocTest::mimeAppsListReadsDefaults_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("list in order") << QByteArray("[Default Applications]\nimage/png=a;b;;\n")
                                   << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("spacing") << QByteArray(" [Default Applications] \n image/png = a ; b\n")
                             << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("not in the default group")
        << QByteArray("[Added Associations]\nimage/png=a;\n") << QStringList();
    QTest::newRow("comment") << QByteArray("[Default Applications]\n#image/png=a;\n")
                             << QStringList();
}

void DesktopAssocTest::mimeAppsListReadsDefaults() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    QCOMPARE(MimeAppsList::defaultsFor(text, QStringLiteral("image/png")), expected);
}

void DesktopAssocTest::desktopRoad() {
    // First start: every type silently ours, the former openers kept.
    AssociateImageTypes(*m_assoc, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    for (const ImageTypeRow& type : ImageTypeTable()) {
        const QString mimeType = m_registry->mimeTypeOf(type.extension);
        QVERIFY2(xdgDefault(mimeType) == kOurs, qPrintable(mimeType));
        QVERIFY(m_assoc->IsAssociated(type.extension, type.progId));
    }
    QCOMPARE(m_registry->mimeTypeOf(QStringLiteral(".tla")), QStringLiteral("image/x-lorvane-tla"));
    QCOMPARE(hiveText(QStringLiteral(".jpg"), QStringLiteral("OldAss")), kOther);
    QCOMPARE(hiveText(QStringLiteral(".png"), QStringLiteral("OldAss")), QString());
    // The user's other lines are untouched.
    const QByteArray text = readAll(userMimeApps());
    QVERIFY(
        text.startsWith("# chosen by hand\n[Added Associations]\ntext/plain=gedit.desktop;\n\n"
                        "[Default Applications]\nimage/jpeg=lorvane.desktop;\n"
                        "text/plain=gedit.desktop;vim.desktop;\n"));
    QVERIFY(text.endsWith("\n\n[Removed Associations]\nimage/gif=gimp.desktop;\n"));
    // The type of our own made it into the user's MIME database.
    QVERIFY(readAll(m_locations.userMimeFolder() + QStringLiteral("/globs"))
                .contains("image/x-lorvane-tla:*.tla"));

    // A second start changes nothing.
    const QByteArray afterFirst = readAll(userMimeApps());
    const int writes = m_hive->writeCount();
    AssociateImageTypes(*m_assoc, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    QCOMPARE(m_hive->writeCount(), writes);
    QCOMPARE(readAll(userMimeApps()), afterFirst);

    // Another program takes PNG images; the next start asks, and No leaves them to it.
    otherProgramTakes(QStringLiteral("image/png"));
    QCOMPARE(xdgDefault(QStringLiteral("image/png")), kOther);
    m_prompts.scriptMessageAnswer(MessageResult::No);
    AssociateImageTypes(*m_assoc, m_prompts);
    QCOMPARE(m_prompts.messages().size(), 1);
    QVERIFY(m_prompts.messages().first().text.endsWith(QStringLiteral("?\r\n png ")));
    QCOMPARE(xdgDefault(QStringLiteral("image/png")), kOther);

    // Yes takes them back and keeps the other program as the former opener.
    m_prompts.scriptMessageAnswer(MessageResult::Yes);
    AssociateImageTypes(*m_assoc, m_prompts);
    QCOMPARE(m_prompts.messages().size(), 2);
    QCOMPARE(xdgDefault(QStringLiteral("image/png")), kOurs);
    QCOMPARE(hiveText(QStringLiteral(".png"), QStringLiteral("OldAss")), kOther);

    // /DeAssociate gives every type back to what it had before.
    DeassociateImageTypes(*m_assoc);
    QCOMPARE(xdgDefault(QStringLiteral("image/png")), kOther);
    QCOMPARE(xdgDefault(QStringLiteral("image/jpeg")), kOther);
    // image/gif had no default before: the user's file gets none back, and the desktop picks
    // among the programs that can open it.
    QCOMPARE(readAll(userMimeApps()),
             QByteArray("# chosen by hand\n[Added Associations]\ntext/plain=gedit.desktop;\n\n"
                        "[Default Applications]\nimage/jpeg=otherviewer.desktop;\n"
                        "text/plain=gedit.desktop;vim.desktop;\nimage/png=otherviewer.desktop;\n\n"
                        "[Removed Associations]\nimage/gif=gimp.desktop;\n"));
    for (const ImageTypeRow& type : ImageTypeTable())
        QVERIFY(!m_assoc->IsAssociated(type.extension, type.progId));
}

void DesktopAssocTest::desktopEntryOpensTheProgram() {
    // Blanks, "$" and "%" in the program folder are what the Exec quoting is for.
    const QString folder = root() + QStringLiteral("/home/Pro gram $HOME 100%");
    QVERIFY(writeProgram(folder));
    ModAssoc assoc(*m_registry, *m_notifier, AssocEnvironment{folder});
    AssociateImageTypes(assoc, m_prompts);
    const QString entryPath = m_locations.userApplications() + QLatin1Char('/') + kOurs;
    const QByteArray entry = readAll(entryPath);
    QVERIFY2(entry.contains("\nExec=\"" + root().toUtf8() +
                            "/home/Pro gram \\\\$HOME 100%%/lorvane\" %f\n"),
             entry.constData());
    QVERIFY(entry.contains("\nIcon=" + m_programFolder.toUtf8() + "/icons/icon.svg\n"));
    QStringList expectedTypes;
    for (const ImageTypeRow& type : ImageTypeTable()) {
        const QString mimeType = m_registry->mimeTypeOf(type.extension);
        if (!expectedTypes.contains(mimeType))
            expectedTypes.append(mimeType);
    }
    QVERIFY(entry.contains("\nMimeType=" + expectedTypes.join(QLatin1Char(';')).toUtf8() + ";\n"));

    if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {entryPath});
    QVERIFY(validate.waitForFinished(30000));
    const QByteArray complaints =
        validate.readAllStandardOutput() + validate.readAllStandardError();
    QVERIFY2(validate.exitCode() == 0 && !complaints.contains("error"), complaints.constData());
}

void DesktopAssocTest::desktopEntryFollowsAProgramThatMoved() {
    AssociateImageTypes(*m_assoc, m_prompts);
    const QString entryPath = m_locations.userApplications() + QLatin1Char('/') + kOurs;
    const QByteArray before = readAll(entryPath);
    QVERIFY2(before.contains("\nExec=\"" + m_programFolder.toUtf8() + "/lorvane\" %f\n"),
             before.constData());

    // The next start comes from an installed copy: its types are already ours, so only the
    // registration of its command runs.
    const QString installed = root() + QStringLiteral("/usr/lib/lorvane");
    QVERIFY(writeProgram(installed));
    ModAssoc moved(*m_registry, *m_notifier, AssocEnvironment{installed});
    AssociateImageTypes(moved, m_prompts);
    const QByteArray after = readAll(entryPath);
    QVERIFY2(after.contains("\nExec=\"" + installed.toUtf8() + "/lorvane\" %f\n"),
             after.constData());
    // The types it opens stay as they were.
    const auto mimeLine = [](const QByteArray& entry) {
        const qsizetype at = entry.indexOf("\nMimeType=");
        return entry.mid(at, entry.indexOf('\n', at + 1) - at);
    };
    QCOMPARE(mimeLine(after), mimeLine(before));
}

void DesktopAssocTest::unusableMimeAppsListChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("unreadable (a folder in its place)") << QStringLiteral("folder");
    QTest::newRow("a FIFO in its place, never waited on") << QStringLiteral("fifo");
    QTest::newRow("read-only file") << QStringLiteral("read-only");
}

void DesktopAssocTest::unusableMimeAppsListChangesNothing() {
    QFETCH(QString, kind);
    const bool asFolder = kind != QStringLiteral("read-only");
    if (kind == QStringLiteral("folder")) {
        QVERIFY(QFile::remove(userMimeApps()));
        QVERIFY(QDir().mkpath(userMimeApps()));
    } else if (kind == QStringLiteral("fifo")) {
        QVERIFY(QFile::remove(userMimeApps()));
        QVERIFY(::mkfifo(QFile::encodeName(userMimeApps()).constData(), 0600) == 0);
    } else {
        QVERIFY(QFile::setPermissions(userMimeApps(), QFile::ReadOwner | QFile::ReadGroup));
    }
    AssociateImageTypes(*m_assoc, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    for (const ImageTypeRow& type : ImageTypeTable()) {
        QCOMPARE(m_hive->hive().checkKey(RegRoot::ClassesRoot, type.extension),
                 RegError::FileNotFound);
        // The type's own keys are still registered: they do not depend on the desktop.
        QCOMPARE(hiveText(type.progId, QString()), type.description);
    }
    if (!asFolder) {
        QCOMPARE(readAll(userMimeApps()), kUserMimeApps);
        QCOMPARE(xdgDefault(QStringLiteral("image/jpeg")), kOther);
    }
}

void DesktopAssocTest::desktopSpecificDefaultsComeFirst() {
    QVERIFY(writeAll(m_locations.userApplications() + QStringLiteral("/third.desktop"),
                     "[Desktop Entry]\nType=Application\nName=Third\nExec=third %f\n"));
    QVERIFY(writeAll(root() + QStringLiteral("/config/xfce-mimeapps.list"),
                     "[Default Applications]\nimage/jpeg=missing.desktop;third.desktop;\n"));
    XdgLocations locations = m_locations;
    const XdgAssociationRegistry plain(*m_hive, locations, QString());
    locations.desktops = QStringList{QStringLiteral("xfce")};
    const XdgAssociationRegistry xfce(*m_hive, locations, QString());
    auto jpegDefault = [](const Registry& registry) {
        const RegOpenResult opened =
            registry.openKey(RegRoot::ClassesRoot, QStringLiteral(".jpg"), RegAccess::Read);
        return opened.ok() ? registry.queryValue(opened.key, QString()).text() : QString();
    };
    QCOMPARE(jpegDefault(plain), kOther);
    // The desktop's own file comes first, and a listed entry that is not installed is passed by.
    QCOMPARE(jpegDefault(xfce), QStringLiteral("third.desktop"));
}

}  // namespace lorvane

QObject* newDesktopAssocTest() {
    return new lorvane::DesktopAssocTest;
}

#include "tst_assoc_desktop.moc"
