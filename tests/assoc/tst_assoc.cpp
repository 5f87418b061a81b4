#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "assoc/ImageTypeAssociations.h"
#include "assoc/ImageTypeTable.h"
#include "assoc/ModAssoc.h"
#include "platform/fakes/CountingAssociationNotifier.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

namespace {

const QString kPng = QStringLiteral(".png");
const QString kPngProgId = QStringLiteral("Lorvane.png");
const QString kOld = QStringLiteral("OldAss");

const QString kQuestion = QStringLiteral(
    "The following image types are no more associated with Lorvane, Do you want to associate "
    "them now?\r\n");

}  // namespace

class AssocTest : public QObject {
    Q_OBJECT

private:
    // Reads past access rights, as a registry editor would.
    RegValue stored(RegRoot root, const QString& path, const QString& name) const {
        return m_registry->hive().queryValue(root, path, name);
    }
    QString storedText(RegRoot root, const QString& path, const QString& name) const {
        return stored(root, path, name).text();
    }
    void preset(RegRoot root, const QString& path, const QString& name, const QString& text,
                RegType type = RegType::Sz) {
        QCOMPARE(m_registry->hive().createKey(root, path), RegError::Success);
        QCOMPARE(m_registry->hive().setValue(root, path, name, type, regStringData(text)),
                 RegError::Success);
    }
    QString programPath() const { return m_programFolder->path() + QStringLiteral("/lorvane"); }

    std::unique_ptr<QTemporaryDir> m_programFolder;
    std::unique_ptr<FakeRegistry> m_registry;
    CountingAssociationNotifier m_notifier;
    ScriptedPrompts m_prompts;
    std::unique_ptr<ModAssoc> m_assoc;

private Q_SLOTS:
    void initTestCase();
    void init();

    void getRegStringReadsTextOrFallback_data();
    void getRegStringReadsTextOrFallback();
    void expandEnvStringReplacesSetVariablesOnly_data();
    void expandEnvStringReplacesSetVariablesOnly();
    void appFolderEndsWithOneSeparator_data();
    void appFolderEndsWithOneSeparator();
    void shortPathOfMissingFileIsEmpty();

    void registerImageTypeWritesTheLayout();
    void registerImageTypeWithoutProgramFileOrIcon();
    void registerImageTypeRemovesOldDescriptionKeyOfSameProgId();

    void associateSavesFormerOpenersAndNotifies();
    void associateTwiceWritesNothing();
    void emptyFormerOpenerComesBackEmpty();
    void deassociateLeavesTypeOwnedByAnother();
    void retakingKeepsTheFormerPerUserOpener();
    void isAssociatedComparesExactly_data();
    void isAssociatedComparesExactly();
    void readOnlyRegistryChangesNothing();

    void firstStartAssociatesAllSilently();
    void secondStartAsksNothingAndWritesNothing();
    void movedProgramRegistersItsTypesAgainWithoutAsking();
    void lostTypeIsAskedFor_data();
    void lostTypeIsAskedFor();
    void deassociateGivesAllBackAndNextStartAsksForAll();
    void unwritableRegistryNeverAsks();
    void tableKeepsItsOddEntries();
};

void AssocTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void AssocTest::init() {
    m_programFolder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_programFolder->isValid());
    QFile program(programPath());
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    m_registry = std::make_unique<FakeRegistry>();
    m_notifier.reset();
    m_prompts = ScriptedPrompts();
    m_assoc = std::make_unique<ModAssoc>(*m_registry, m_notifier,
                                         AssocEnvironment{m_programFolder->path()});
}

void AssocTest::getRegStringReadsTextOrFallback_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("expected");

    qputenv("LORVANE_ASSOC_TEST", "/home/someone");
    QTest::newRow("missing key gives the fallback") << false << 1 << ""
                                                    << "fallback";
    QTest::newRow("plain string") << true << int(RegType::Sz) << "a b"
                                  << "a b";
    QTest::newRow("plain string keeps its reference")
        << true << int(RegType::Sz) << "%LORVANE_ASSOC_TEST%\\x"
        << "%LORVANE_ASSOC_TEST%\\x";
    QTest::newRow("expandable string is expanded")
        << true << int(RegType::ExpandSz) << "%LORVANE_ASSOC_TEST%\\x"
        << "/home/someone\\x";
    QTest::newRow("text is cut at its first NUL")
        << true << int(RegType::Sz) << QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")
        << "ab";
    QTest::newRow("empty value is not the fallback") << true << int(RegType::Sz) << ""
                                                     << "";
}

void AssocTest::getRegStringReadsTextOrFallback() {
    QFETCH(bool, present);
    QFETCH(int, type);
    QFETCH(QString, data);
    QFETCH(QString, expected);
    if (present)
        preset(RegRoot::ClassesRoot, QStringLiteral("Key"), QStringLiteral("v"), data,
               RegType(type));
    QCOMPARE(m_assoc->GetRegString(RegRoot::ClassesRoot, QStringLiteral("Key"), QStringLiteral("v"),
                                   QStringLiteral("fallback")),
             expected);
}

void AssocTest::expandEnvStringReplacesSetVariablesOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    qputenv("LORVANE_ASSOC_A", "aa");
    qunsetenv("LORVANE_ASSOC_UNSET");
    QTest::newRow("one reference") << "x%LORVANE_ASSOC_A%y"
                                   << "xaay";
    QTest::newRow("two references") << "%LORVANE_ASSOC_A%%LORVANE_ASSOC_A%"
                                    << "aaaa";
    QTest::newRow("unset variable stays") << "%LORVANE_ASSOC_UNSET%"
                                          << "%LORVANE_ASSOC_UNSET%";
    QTest::newRow("unset then set") << "%LORVANE_ASSOC_UNSET%LORVANE_ASSOC_A%"
                                    << "%LORVANE_ASSOC_UNSETaa";
    QTest::newRow("lone percent") << "50% off"
                                  << "50% off";
    QTest::newRow("double percent") << "%%"
                                    << "%%";
}

void AssocTest::expandEnvStringReplacesSetVariablesOnly() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ModAssoc::ExpandEnvString(text), expected);
}

void AssocTest::appFolderEndsWithOneSeparator_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain folder") << "/opt/lorvane"
                                  << "/opt/lorvane/";
    QTest::newRow("folder with separator") << "/opt/lorvane/"
                                           << "/opt/lorvane/";
    QTest::newRow("root folder") << "/"
                                 << "/";
}

void AssocTest::appFolderEndsWithOneSeparator() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    const ModAssoc assoc(*m_registry, m_notifier, AssocEnvironment{folder});
    QCOMPARE(assoc.AppFolder(), expected);
}

void AssocTest::shortPathOfMissingFileIsEmpty() {
    QCOMPARE(ModAssoc::ShortPathOf(programPath()), programPath());
    QCOMPARE(ModAssoc::ShortPathOf(programPath() + QStringLiteral("-missing")), QString());
    QCOMPARE(ModAssoc::ShortPathOf(QString()), QString());
}

void AssocTest::registerImageTypeWritesTheLayout() {
    m_assoc->RegisterImageType(kPngProgId, QStringLiteral("Lorvane PNG image"),
                               QStringLiteral("open"), QStringLiteral("/x/icons/png.svg"));
    const RegRoot cr = RegRoot::ClassesRoot;
    QCOMPARE(storedText(cr, kPngProgId, QString()), QStringLiteral("Lorvane PNG image"));
    QVERIFY(stored(cr, kPngProgId + QStringLiteral("\\shell"), QString()).ok());
    QCOMPARE(storedText(cr, kPngProgId + QStringLiteral("\\shell"), QString()), QString());
    QVERIFY(stored(cr, kPngProgId + QStringLiteral("\\shell\\open"), QString()).ok());
    QCOMPARE(storedText(cr, kPngProgId + QStringLiteral("\\shell\\open\\command"), QString()),
             programPath() + QStringLiteral(" %1"));
    QCOMPARE(storedText(cr, kPngProgId + QStringLiteral("\\DefaultIcon"), QString()),
             QStringLiteral("/x/icons/png.svg"));
    QCOMPARE(m_notifier.count(), 0);
}

void AssocTest::registerImageTypeWithoutProgramFileOrIcon() {
    m_assoc->RegisterImageType(kPngProgId, QStringLiteral("d"), QStringLiteral("open"), QString());
    QCOMPARE(
        storedText(RegRoot::ClassesRoot, kPngProgId + QStringLiteral("\\DefaultIcon"), QString()),
        programPath());

    QVERIFY(QFile::remove(programPath()));
    m_assoc->RegisterImageType(kPngProgId, QStringLiteral("d"), QStringLiteral("open"), QString());
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPngProgId + QStringLiteral("\\shell\\open\\command"),
                        QString()),
             QStringLiteral(" %1"));
    QCOMPARE(
        storedText(RegRoot::ClassesRoot, kPngProgId + QStringLiteral("\\DefaultIcon"), QString()),
        QString());
}

void AssocTest::registerImageTypeRemovesOldDescriptionKeyOfSameProgId() {
    const QString ours = QStringLiteral("Lorvane PNG image");
    const QString theirs = QStringLiteral("Lorvane GIF image");
    preset(RegRoot::ClassesRoot, ours, QString(), kPngProgId);
    preset(RegRoot::ClassesRoot, theirs, QString(), QStringLiteral("lorvane.gif"));
    m_assoc->RegisterImageType(kPngProgId, ours, QStringLiteral("open"), QString());
    m_assoc->RegisterImageType(QStringLiteral("Lorvane.gif"), theirs, QStringLiteral("open"),
                               QString());
    QCOMPARE(m_registry->hive().checkKey(RegRoot::ClassesRoot, ours), RegError::FileNotFound);
    // Its default differs in letter case, so it is not the earlier registration.
    QCOMPARE(m_registry->hive().checkKey(RegRoot::ClassesRoot, theirs), RegError::Success);
}

void AssocTest::associateSavesFormerOpenersAndNotifies() {
    preset(RegRoot::ClassesRoot, kPng, QString(), QStringLiteral("pngfile"));
    preset(RegRoot::CurrentUser, ModAssoc::FileExtsKey(kPng), QStringLiteral("ProgID"),
           QStringLiteral("Viewer.png"));
    m_assoc->AssociateExtension(kPng, kPngProgId);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, QString()), kPngProgId);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, kOld), QStringLiteral("pngfile"));
    const QString K = ModAssoc::FileExtsKey(kPng);
    QCOMPARE(K, QStringLiteral(
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.png"));
    QCOMPARE(storedText(RegRoot::CurrentUser, K, QStringLiteral("ProgID")), kPngProgId);
    QCOMPARE(storedText(RegRoot::CurrentUser, K, QStringLiteral("OldProgID")),
             QStringLiteral("Viewer.png"));
    QCOMPARE(m_notifier.count(), 1);

    m_assoc->DeassociateExtension(kPng, kPngProgId);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, QString()), QStringLiteral("pngfile"));
    QCOMPARE(stored(RegRoot::ClassesRoot, kPng, kOld).error, RegError::FileNotFound);
    QCOMPARE(storedText(RegRoot::CurrentUser, K, QStringLiteral("ProgID")),
             QStringLiteral("Viewer.png"));
    QCOMPARE(stored(RegRoot::CurrentUser, K, QStringLiteral("OldProgID")).error,
             RegError::FileNotFound);
    QCOMPARE(m_notifier.count(), 2);
}

void AssocTest::associateTwiceWritesNothing() {
    preset(RegRoot::ClassesRoot, kPng, QString(), QStringLiteral("pngfile"));
    m_assoc->AssociateExtension(kPng, kPngProgId);
    const int writes = m_registry->writeCount();
    m_assoc->AssociateExtension(kPng, kPngProgId);
    QCOMPARE(m_registry->writeCount(), writes);
    QCOMPARE(m_notifier.count(), 1);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, kOld), QStringLiteral("pngfile"));
}

void AssocTest::emptyFormerOpenerComesBackEmpty() {
    m_assoc->AssociateExtension(kPng, kPngProgId);
    const RegValue old = stored(RegRoot::ClassesRoot, kPng, kOld);
    QVERIFY(old.ok());
    QCOMPARE(old.text(), QString());

    m_assoc->DeassociateExtension(kPng, kPngProgId);
    const RegValue restored = stored(RegRoot::ClassesRoot, kPng, QString());
    QVERIFY2(restored.ok(), "an empty former opener comes back as a value, not as a missing one");
    QCOMPARE(restored.text(), QString());
    const RegValue progId =
        stored(RegRoot::CurrentUser, ModAssoc::FileExtsKey(kPng), QStringLiteral("ProgID"));
    QVERIFY(progId.ok());
    QCOMPARE(progId.text(), QString());
}

void AssocTest::deassociateLeavesTypeOwnedByAnother() {
    m_assoc->AssociateExtension(kPng, kPngProgId);
    preset(RegRoot::ClassesRoot, kPng, QString(), QStringLiteral("Other.png"));
    const int writes = m_registry->writeCount();
    m_notifier.reset();
    m_assoc->DeassociateExtension(kPng, kPngProgId);
    QCOMPARE(m_registry->writeCount(), writes);
    QCOMPARE(m_notifier.count(), 0);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, QString()), QStringLiteral("Other.png"));
}

void AssocTest::retakingKeepsTheFormerPerUserOpener() {
    const QString K = ModAssoc::FileExtsKey(kPng);
    preset(RegRoot::CurrentUser, K, QStringLiteral("ProgID"), QStringLiteral("Viewer.png"));
    m_assoc->AssociateExtension(kPng, kPngProgId);
    // Another program takes the class key only; the per-user choice still names us.
    preset(RegRoot::ClassesRoot, kPng, QString(), QStringLiteral("Other.png"));
    m_assoc->AssociateExtension(kPng, kPngProgId);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, kOld), QStringLiteral("Other.png"));
    QCOMPARE(storedText(RegRoot::CurrentUser, K, QStringLiteral("OldProgID")),
             QStringLiteral("Viewer.png"));

    m_assoc->DeassociateExtension(kPng, kPngProgId);
    QCOMPARE(storedText(RegRoot::ClassesRoot, kPng, QString()), QStringLiteral("Other.png"));
    QCOMPARE(storedText(RegRoot::CurrentUser, K, QStringLiteral("ProgID")),
             QStringLiteral("Viewer.png"));
}

void AssocTest::isAssociatedComparesExactly_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("expected");
    QTest::newRow("same text") << "Lorvane.png" << true;
    QTest::newRow("other letter case") << "lorvane.png" << false;
    QTest::newRow("other program") << "pngfile" << false;
    QTest::newRow("no key") << QString() << false;
}

void AssocTest::isAssociatedComparesExactly() {
    QFETCH(QString, stored);
    QFETCH(bool, expected);
    if (!stored.isNull())
        preset(RegRoot::ClassesRoot, kPng, QString(), stored);
    QCOMPARE(m_assoc->IsAssociated(kPng, kPngProgId), expected);
}

void AssocTest::readOnlyRegistryChangesNothing() {
    preset(RegRoot::ClassesRoot, kPng, QString(), QStringLiteral("pngfile"));
    const RegistryHive before = m_registry->hive();
    m_registry->setReadOnly(true);
    m_assoc->RegisterImageType(kPngProgId, QStringLiteral("d"), QStringLiteral("open"), QString());
    m_assoc->AssociateExtension(kPng, kPngProgId);
    QVERIFY(m_registry->hive() == before);
    QVERIFY(!m_assoc->IsAssociated(kPng, kPngProgId));
}

void AssocTest::firstStartAssociatesAllSilently() {
    preset(RegRoot::ClassesRoot, QStringLiteral(".jpg"), QString(), QStringLiteral("jpegfile"));
    AssociateImageTypes(*m_assoc, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    const QString folder = m_programFolder->path() + QLatin1Char('/');
    for (const ImageTypeRow& type : ImageTypeTable()) {
        QCOMPARE(storedText(RegRoot::ClassesRoot, type.progId, QString()), type.description);
        QCOMPARE(storedText(RegRoot::ClassesRoot, type.progId + QStringLiteral("\\DefaultIcon"),
                            QString()),
                 folder + type.iconFile);
        QCOMPARE(storedText(RegRoot::ClassesRoot, type.extension, QString()), type.progId);
        QVERIFY(stored(RegRoot::ClassesRoot, type.extension, kOld).ok());
        QVERIFY(stored(RegRoot::CurrentUser, ModAssoc::FileExtsKey(type.extension),
                       QStringLiteral("OldProgID"))
                    .ok());
    }
    QCOMPARE(storedText(RegRoot::ClassesRoot, QStringLiteral(".jpg"), kOld),
             QStringLiteral("jpegfile"));
    QCOMPARE(m_notifier.count(), 15);
}

void AssocTest::secondStartAsksNothingAndWritesNothing() {
    AssociateImageTypes(*m_assoc, m_prompts);
    const int writes = m_registry->writeCount();
    m_notifier.reset();
    AssociateImageTypes(*m_assoc, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    QCOMPARE(m_registry->writeCount(), writes);
    QCOMPARE(m_notifier.count(), 0);
}

void AssocTest::movedProgramRegistersItsTypesAgainWithoutAsking() {
    AssociateImageTypes(*m_assoc, m_prompts);
    QTemporaryDir installed;
    QFile program(installed.filePath(QStringLiteral("lorvane")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    ModAssoc moved(*m_registry, m_notifier, AssocEnvironment{installed.path()});
    m_notifier.reset();
    AssociateImageTypes(moved, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    for (const ImageTypeRow& type : ImageTypeTable()) {
        QCOMPARE(
            moved.GetRegString(RegRoot::ClassesRoot,
                               type.progId + QStringLiteral("\\shell\\open\\command"), QString()),
            installed.filePath(QStringLiteral("lorvane")) + QStringLiteral(" %1"));
        QVERIFY(moved.IsAssociated(type.extension, type.progId));
    }
    // The next start of the same copy writes nothing again.
    const int writes = m_registry->writeCount();
    AssociateImageTypes(moved, m_prompts);
    QCOMPARE(m_registry->writeCount(), writes);
}

void AssocTest::lostTypeIsAskedFor_data() {
    QTest::addColumn<QStringList>("takenByOther");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("lostList");
    QTest::newRow("png, No") << QStringList{kPng} << int(MessageResult::No) << " png ";
    QTest::newRow("png, Yes") << QStringList{kPng} << int(MessageResult::Yes) << " png ";
    QTest::newRow("gif and jpg in table order, Yes")
        << QStringList{QStringLiteral(".gif"), QStringLiteral(".jpg")} << int(MessageResult::Yes)
        << " jpg  gif ";
}

void AssocTest::lostTypeIsAskedFor() {
    QFETCH(QStringList, takenByOther);
    QFETCH(int, answer);
    QFETCH(QString, lostList);
    AssociateImageTypes(*m_assoc, m_prompts);
    for (const QString& extension : takenByOther)
        preset(RegRoot::ClassesRoot, extension, QString(), QStringLiteral("Other") + extension);
    const int writes = m_registry->writeCount();

    m_prompts.scriptMessageAnswer(MessageResult(answer));
    AssociateImageTypes(*m_assoc, m_prompts);
    QCOMPARE(m_prompts.messages().size(), 1);
    const ScriptedPrompts::Message& asked = m_prompts.messages().first();
    QCOMPARE(asked.text, kQuestion + lostList);
    QCOMPARE(asked.buttons, MessageButtons::YesNo);
    QCOMPARE(asked.icon, MessageIcon::Question);
    QCOMPARE(asked.caption, QStringLiteral("Lorvane"));

    for (const QString& extension : takenByOther) {
        const QString progId = QStringLiteral("Lorvane") + extension;
        if (MessageResult(answer) == MessageResult::No) {
            QCOMPARE(storedText(RegRoot::ClassesRoot, extension, QString()),
                     QStringLiteral("Other") + extension);
            QCOMPARE(m_registry->writeCount(), writes);
        } else {
            QCOMPARE(storedText(RegRoot::ClassesRoot, extension, QString()), progId);
            QCOMPARE(storedText(RegRoot::ClassesRoot, extension, kOld),
                     QStringLiteral("Other") + extension);
        }
    }
}

void AssocTest::deassociateGivesAllBackAndNextStartAsksForAll() {
    for (const ImageTypeRow& type : ImageTypeTable())
        preset(RegRoot::ClassesRoot, type.extension, QString(),
               QStringLiteral("Former") + type.extension);
    AssociateImageTypes(*m_assoc, m_prompts);
    DeassociateImageTypes(*m_assoc);
    QString all;
    for (const ImageTypeRow& type : ImageTypeTable()) {
        QCOMPARE(storedText(RegRoot::ClassesRoot, type.extension, QString()),
                 QStringLiteral("Former") + type.extension);
        QCOMPARE(storedText(RegRoot::ClassesRoot, type.progId, QString()), type.description);
        all += type.lostEntry;
    }
    QVERIFY(m_prompts.messages().isEmpty());

    m_prompts.scriptMessageAnswer(MessageResult::No);
    AssociateImageTypes(*m_assoc, m_prompts);
    QCOMPARE(m_prompts.messages().size(), 1);
    QCOMPARE(m_prompts.messages().first().text, kQuestion + all);
}

void AssocTest::unwritableRegistryNeverAsks() {
    m_registry->setReadOnly(true);
    AssociateImageTypes(*m_assoc, m_prompts);
    AssociateImageTypes(*m_assoc, m_prompts);
    QVERIFY(m_prompts.messages().isEmpty());
    QCOMPARE(m_registry->writeCount(), 0);
}

void AssocTest::tableKeepsItsOddEntries() {
    const QList<ImageTypeRow>& table = ImageTypeTable();
    QCOMPARE(table.size(), 15);
    auto find = [&](const QString& extension) {
        for (const ImageTypeRow& type : table)
            if (type.extension == extension)
                return type;
        return ImageTypeRow{};
    };
    QCOMPARE(find(QStringLiteral(".wbmp")).description, QStringLiteral("Lorvane WBMB image"));
    QCOMPARE(find(QStringLiteral(".wbmp")).iconFile, QStringLiteral("icons/wbmb.svg"));
    QCOMPARE(find(QStringLiteral(".tla")).iconFile, QStringLiteral("icons/icon.svg"));
    QCOMPARE(find(QStringLiteral(".ico")).description, QStringLiteral("Lorvane Icon"));
    QCOMPARE(find(QStringLiteral(".jpeg")).iconFile, find(QStringLiteral(".jpg")).iconFile);
}

}  // namespace lorvane

QObject* newAssocTest() {
    return new lorvane::AssocTest;
}

#include "tst_assoc.moc"
