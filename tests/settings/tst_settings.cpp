#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "platform/HiveFileRegistry.h"
#include "platform/fakes/FakeRegistry.h"
#include "settings/CRegister.h"
#include "settings/ViewerSettings.h"

namespace lorvane {

namespace {

const QString kSection = QStringLiteral("SOFTWARE\\Harrowdale\\Lorvane Settings");
constexpr RegRoot kRoot = RegRoot::LocalMachine;

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private:
    // Puts raw data into the fake, past any access rights, as another program might have.
    void preset(const QString& path, const QString& name, RegType type, const QByteArray& data) {
        QCOMPARE(m_registry.hive().createKey(kRoot, path), RegError::Success);
        QCOMPARE(m_registry.hive().setValue(kRoot, path, name, type, data), RegError::Success);
    }
    RegValue stored(const QString& path, const QString& name) const {
        return m_registry.hive().queryValue(kRoot, path, name);
    }

    FakeRegistry m_registry;
    CRegister m_store{m_registry};

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { m_registry = FakeRegistry(); }

    void starNamesTheDefaultValue();
    void sectionSeparatorsAtEitherEndReachTheSameKey_data();
    void sectionSeparatorsAtEitherEndReachTheSameKey();
    void storedDataReadsAsText_data();
    void storedDataReadsAsText();
    void missingKeyOrValueReadsTheDefault();
    void saveWritesStringWithItsNulAndCreatesKeys();
    void readOnlyStoreReadsButDoesNotChange();
    void deleteSettingRemovesValuesAndEmptyKeys();
    void getAllKeysListsDirectSubkeys();

    void toBooleanConverts_data();
    void toBooleanConverts();
    void toSlideShowDelayConverts_data();
    void toSlideShowDelayConverts();
    void nothingStoredGivesTheDefaults();
    void storedSettingsLoad_data();
    void storedSettingsLoad();
    void savesWriteTheStoredForms();
    void savesFailQuietlyWithoutWriteRights();
    void settingsPersistInTheHiveFile();
};

void SettingsTest::starNamesTheDefaultValue() {
    QVERIFY(m_store.REGSaveSetting(kRoot, kSection, "*", "unnamed"));
    QCOMPARE(stored(kSection, "").text(), "unnamed");
    QCOMPARE(stored(kSection, "*").error, RegError::FileNotFound);

    preset(kSection, "*", RegType::Sz, regStringData("literal star"));
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "*", "dflt"), "unnamed");

    QVERIFY(m_store.REGDeleteSetting(kRoot, kSection, "*"));
    QCOMPARE(stored(kSection, "").error, RegError::FileNotFound);
    QCOMPARE(stored(kSection, "*").text(), "literal star");
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "*", "dflt"), "dflt");
}

void SettingsTest::sectionSeparatorsAtEitherEndReachTheSameKey_data() {
    QTest::addColumn<QString>("section");
    QTest::newRow("neither") << kSection;
    QTest::newRow("leading") << "\\" + kSection;
    QTest::newRow("trailing") << kSection + "\\";
    QTest::newRow("both") << "\\" + kSection + "\\";
}

void SettingsTest::sectionSeparatorsAtEitherEndReachTheSameKey() {
    QFETCH(QString, section);
    QVERIFY(m_store.REGSaveSetting(kRoot, section, "AntiAlias", "0"));

    for (const QString& other :
         {kSection, "\\" + kSection, kSection + "\\", "\\" + kSection + "\\"}) {
        QCOMPARE(m_store.REGGetSetting(kRoot, other, "AntiAlias", "dflt"), "0");
    }
    QCOMPARE(m_store.GetAllKeys(kRoot, "SOFTWARE\\Harrowdale"), QStringList{"Lorvane Settings"});
    QCOMPARE(m_store.GetAllKeys(kRoot, ""), QStringList{"SOFTWARE"});
}

void SettingsTest::storedDataReadsAsText_data() {
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");

    const auto sz = quint32(RegType::Sz);
    QTest::newRow("text") << sz << regStringData("2000") << "2000";
    QTest::newRow("stored empty text") << sz << regStringData("") << "";
    QTest::newRow("size 0") << sz << QByteArray() << "dflt";
    QTest::newRow("expandable string, unexpanded")
        << quint32(RegType::ExpandSz) << regStringData("%HOME%") << "%HOME%";
    QTest::newRow("inner NUL kept")
        << sz << QByteArray("a\0\0\0b\0\0\0", 8) << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("no terminating NUL: last character dropped")
        << sz << QByteArray("a\0b\0", 4) << "a";
    QTest::newRow("single byte") << sz << QByteArray("x", 1) << "";
}

void SettingsTest::storedDataReadsAsText() {
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);

    preset(kSection, "Value", RegType(type), data);
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection + "\\", "value", "dflt"), expected);
}

void SettingsTest::missingKeyOrValueReadsTheDefault() {
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "AntiAlias", "1"), "1");
    preset(kSection, "Other", RegType::Sz, regStringData("x"));
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "AntiAlias", "1"), "1");
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "*", "d"), "d");
    QCOMPARE(m_store.REGGetSetting(RegRoot::CurrentUser, kSection, "Other", "d"), "d");
}

void SettingsTest::saveWritesStringWithItsNulAndCreatesKeys() {
    QVERIFY(m_store.REGSaveSetting(kRoot, kSection + "\\", "Slide Show Delay", "1500"));
    const RegValue value = stored(kSection, "Slide Show Delay");
    QCOMPARE(value.type, RegType::Sz);
    QCOMPARE(value.data, regStringData("1500"));
    QCOMPARE(value.size(), 10u);

    QVERIFY(m_store.REGSaveSetting(kRoot, kSection, "slide show delay", ""));
    QCOMPARE(stored(kSection, "Slide Show Delay").size(), 2u);
    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "Slide Show Delay", "2000"), "");
}

// A user who may not write the settings key still gets the stored settings.
void SettingsTest::readOnlyStoreReadsButDoesNotChange() {
    preset(kSection, "FullScreen", RegType::Sz, regStringData("0"));
    preset(kSection + "\\Sub", "x", RegType::Sz, regStringData("x"));
    m_registry.setReadOnly(true);

    QCOMPARE(m_store.REGGetSetting(kRoot, kSection, "FullScreen", "1"), "0");
    QVERIFY(!m_store.REGSaveSetting(kRoot, kSection, "FullScreen", "-1"));
    QVERIFY(!m_store.REGSaveSetting(kRoot, "SOFTWARE\\New", "v", "1"));
    QVERIFY(!m_store.REGDeleteSetting(kRoot, kSection, "FullScreen"));
    QVERIFY(!m_store.REGDeleteSetting(kRoot, kSection + "\\Sub", ""));
    QCOMPARE(m_store.GetAllKeys(kRoot, kSection), QStringList{"Sub"});
    QCOMPARE(m_registry.writeCount(), 0);
    QCOMPARE(stored(kSection, "FullScreen").text(), "0");
}

void SettingsTest::deleteSettingRemovesValuesAndEmptyKeys() {
    preset(kSection, "AntiAlias", RegType::Sz, regStringData("-1"));
    preset(kSection + "\\Sub", "x", RegType::Sz, regStringData("x"));

    QVERIFY(m_store.REGDeleteSetting(kRoot, "\\" + kSection + "\\", "AntiAlias"));
    QCOMPARE(stored(kSection, "AntiAlias").error, RegError::FileNotFound);
    QVERIFY(!m_store.REGDeleteSetting(kRoot, kSection, "AntiAlias"));
    QVERIFY(!m_store.REGDeleteSetting(kRoot, "SOFTWARE\\Missing", "AntiAlias"));

    // An empty value name deletes the key itself, given exactly as the caller wrote it.
    QVERIFY(!m_store.REGDeleteSetting(kRoot, kSection, ""));
    QVERIFY(!m_store.REGDeleteSetting(kRoot, "\\" + kSection + "\\Sub", ""));
    QVERIFY(m_store.REGDeleteSetting(kRoot, kSection + "\\Sub\\", ""));
    QVERIFY(m_store.REGDeleteSetting(kRoot, kSection, ""));
    QCOMPARE(m_store.GetAllKeys(kRoot, "SOFTWARE\\Harrowdale"), QStringList());
    QVERIFY(!m_store.REGDeleteSetting(kRoot, kSection, ""));
}

void SettingsTest::getAllKeysListsDirectSubkeys() {
    for (const QString name : {"jpegfile", "Lorvane.jpg", "Lorvane.BMP", ".jpg"}) {
        QCOMPARE(m_registry.hive().createKey(RegRoot::ClassesRoot, name + "\\shell"),
                 RegError::Success);
    }
    QCOMPARE(m_store.GetAllKeys(RegRoot::ClassesRoot, ""),
             (QStringList{".jpg", "jpegfile", "Lorvane.BMP", "Lorvane.jpg"}));
    QCOMPARE(m_store.GetAllKeys(RegRoot::ClassesRoot, "lorvane.jpg"), QStringList{"shell"});
    QCOMPARE(m_store.GetAllKeys(RegRoot::ClassesRoot, "Lorvane.jpg\\shell"), QStringList());
    QCOMPARE(m_store.GetAllKeys(RegRoot::ClassesRoot, "Missing"), QStringList());
    // The path is used as given: a leading separator names no key.
    QCOMPARE(m_store.GetAllKeys(RegRoot::ClassesRoot, "\\Lorvane.jpg"), QStringList());
}

void SettingsTest::toBooleanConverts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<bool>>("expected");

    QTest::newRow("-1 as written") << "-1" << std::optional(true);
    QTest::newRow("1 as the default") << "1" << std::optional(true);
    QTest::newRow("0") << "0" << std::optional(false);
    QTest::newRow("any other number") << "2" << std::optional(true);
    QTest::newRow("fraction") << "0.5" << std::optional(true);
    QTest::newRow("zero with fraction and exponent") << "-0.0e5" << std::optional(false);
    QTest::newRow("blanks around") << "  -1 " << std::optional(true);
    QTest::newRow("true in any case") << "tRUE" << std::optional(true);
    QTest::newRow("false with blanks") << " False " << std::optional(false);
    QTest::newRow("empty") << "" << std::optional<bool>();
    QTest::newRow("other word") << "yes" << std::optional<bool>();
    QTest::newRow("number and text") << "1 x" << std::optional<bool>();
    QTest::newRow("hexadecimal") << "0x1" << std::optional<bool>();
    QTest::newRow("infinity") << "inf" << std::optional<bool>();
}

void SettingsTest::toBooleanConverts() {
    QFETCH(QString, text);
    QFETCH(std::optional<bool>, expected);
    QCOMPARE(ToBoolean(text), expected);
}

void SettingsTest::toSlideShowDelayConverts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int>>("expected");

    QTest::newRow("default") << "2000" << std::optional(2000);
    QTest::newRow("zero") << "0" << std::optional(0);
    QTest::newRow("largest") << "32767" << std::optional(32767);
    QTest::newRow("blanks and sign") << " +1500 " << std::optional(1500);
    QTest::newRow("half rounds to even, down") << "1500.5" << std::optional(1500);
    QTest::newRow("half rounds to even, up") << "1501.5" << std::optional(1502);
    QTest::newRow("2.5 to 2") << "2.5" << std::optional(2);
    QTest::newRow("above half") << "2.51" << std::optional(3);
    QTest::newRow("exponent") << "1e3" << std::optional(1000);
    QTest::newRow("small negative rounds to 0") << "-0.4" << std::optional(0);
    QTest::newRow("rounds past 16 bits") << "32767.5" << std::optional<int>();
    QTest::newRow("past 16 bits") << "32768" << std::optional<int>();
    QTest::newRow("timer range above 16 bits") << "65535" << std::optional<int>();
    QTest::newRow("negative") << "-1" << std::optional<int>();
    QTest::newRow("huge") << "1e400" << std::optional<int>();
    QTest::newRow("empty") << "" << std::optional<int>();
    QTest::newRow("words") << "fast" << std::optional<int>();
    QTest::newRow("true is no delay") << "True" << std::optional<int>();
}

void SettingsTest::toSlideShowDelayConverts() {
    QFETCH(QString, text);
    QFETCH(std::optional<int>, expected);
    QCOMPARE(ToSlideShowDelay(text), expected);
}

void SettingsTest::nothingStoredGivesTheDefaults() {
    const ViewerSettings settings = LoadViewerSettings(m_store);
    QCOMPARE(settings.antiAlias, true);
    QCOMPARE(settings.slideShowDelay, 2000);
    QCOMPARE(settings.fullScreen, true);
    QCOMPARE(m_registry.writeCount(), 0);
}

void SettingsTest::storedSettingsLoad_data() {
    QTest::addColumn<QString>("antiAlias");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("fullScreen");
    QTest::addColumn<bool>("expectedAntiAlias");
    QTest::addColumn<int>("expectedDelay");
    QTest::addColumn<bool>("expectedFullScreen");

    QTest::newRow("as written, on") << "-1"
                                    << "1500"
                                    << "-1" << true << 1500 << true;
    QTest::newRow("as written, off") << "0"
                                     << "0"
                                     << "0" << false << 0 << false;
    QTest::newRow("the default texts") << "1"
                                       << "2000"
                                       << "1" << true << 2000 << true;
    QTest::newRow("words") << "FALSE"
                           << "250"
                           << "true" << false << 250 << true;
    QTest::newRow("texts that do not convert") << "on"
                                               << "fast"
                                               << "maybe" << true << 2000 << true;
    QTest::newRow("empty texts") << ""
                                 << ""
                                 << "" << true << 2000 << true;
    QTest::newRow("delay past 16 bits") << "0"
                                        << "40000"
                                        << "0" << false << 2000 << false;
    QTest::newRow("negative delay") << "0"
                                    << "-100"
                                    << "0" << false << 2000 << false;
}

void SettingsTest::storedSettingsLoad() {
    QFETCH(QString, antiAlias);
    QFETCH(QString, delay);
    QFETCH(QString, fullScreen);
    QFETCH(bool, expectedAntiAlias);
    QFETCH(int, expectedDelay);
    QFETCH(bool, expectedFullScreen);

    preset(kSection, "AntiAlias", RegType::Sz, regStringData(antiAlias));
    preset(kSection, "Slide Show Delay", RegType::Sz, regStringData(delay));
    preset(kSection, "FullScreen", RegType::Sz, regStringData(fullScreen));

    const ViewerSettings settings = LoadViewerSettings(m_store);
    QCOMPARE(settings.antiAlias, expectedAntiAlias);
    QCOMPARE(settings.slideShowDelay, expectedDelay);
    QCOMPARE(settings.fullScreen, expectedFullScreen);
}

void SettingsTest::savesWriteTheStoredForms() {
    QVERIFY(SaveAntiAlias(m_store, true));
    QVERIFY(SaveFullScreen(m_store, false));
    QVERIFY(SaveSlideShowDelay(m_store, 1500));
    QCOMPARE(stored(kSection, "AntiAlias").data, regStringData("-1"));
    QCOMPARE(stored(kSection, "FullScreen").data, regStringData("0"));
    QCOMPARE(stored(kSection, "Slide Show Delay").data, regStringData("1500"));
    QCOMPARE(stored(kSection, "Slide Show Delay").type, RegType::Sz);

    QVERIFY(SaveAntiAlias(m_store, false));
    QVERIFY(SaveFullScreen(m_store, true));
    QCOMPARE(stored(kSection, "AntiAlias").data, regStringData("0"));
    QCOMPARE(stored(kSection, "FullScreen").data, regStringData("-1"));

    const ViewerSettings settings = LoadViewerSettings(m_store);
    QCOMPARE(settings.antiAlias, false);
    QCOMPARE(settings.slideShowDelay, 1500);
    QCOMPARE(settings.fullScreen, true);
}

void SettingsTest::savesFailQuietlyWithoutWriteRights() {
    preset(kSection, "FullScreen", RegType::Sz, regStringData("0"));
    m_registry.setReadOnly(true);
    QVERIFY(!SaveAntiAlias(m_store, false));
    QVERIFY(!SaveFullScreen(m_store, true));
    QVERIFY(!SaveSlideShowDelay(m_store, 100));
    QCOMPARE(m_registry.writeCount(), 0);
    QCOMPARE(LoadViewerSettings(m_store).fullScreen, false);
}

void SettingsTest::settingsPersistInTheHiveFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("registry.reg");
    {
        HiveFileRegistry registry(path);
        const CRegister store(registry);
        QVERIFY(SaveSlideShowDelay(store, 750));
        QVERIFY(SaveFullScreen(store, false));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Harrowdale\\Lorvane Settings]\n"
                           "\"Slide Show Delay\"=\"750\"\n\"FullScreen\"=\"0\"\n"),
             text.constData());

    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    HiveFileRegistry registry(path);
    const CRegister store(registry);
    QVERIFY(!SaveFullScreen(store, true));
    const ViewerSettings settings = LoadViewerSettings(store);
    QCOMPARE(settings.slideShowDelay, 750);
    QCOMPARE(settings.fullScreen, false);
    QCOMPARE(settings.antiAlias, true);
}

}  // namespace lorvane

QTEST_GUILESS_MAIN(lorvane::SettingsTest)

#include "tst_settings.moc"
