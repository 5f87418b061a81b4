#include "settings/CRegister.h"

namespace lorvane {

namespace {

QString valueName(const QString& sKey) {
    return sKey == QStringLiteral("*") ? QString() : sKey;
}

}  // namespace

CRegister::CRegister(Registry& registry) : m_registry(registry) {}

QString CRegister::TrimKeyPath(const QString& path) {
    QString trimmed = path;
    if (trimmed.startsWith(u'\\')) {
        trimmed.remove(0, 1);
    }
    if (trimmed.endsWith(u'\\')) {
        trimmed.chop(1);
    }
    return trimmed;
}

QString CRegister::REGGetSetting(RegRoot regHKEY, const QString& sSection, const QString& sKey,
                                 const QString& sDefault) const {
    const QString section = TrimKeyPath(sSection);
    // Full access first, as the store always asked; a user who may not write still reads.
    RegOpenResult opened = m_registry.openKey(regHKEY, section, RegAccess::AllAccess);
    if (opened.error == RegError::AccessDenied) {
        opened = m_registry.openKey(regHKEY, section, RegAccess::Read);
    }
    if (!opened.ok()) {
        return sDefault;
    }
    const RegValue value = m_registry.queryValue(opened.key, valueName(sKey));
    if (!value.ok() || value.size() == 0) {
        return sDefault;
    }
    // The data as UTF-16 code units less the last one, the terminating NUL; the type plays no
    // part and an inner NUL is kept.
    const qsizetype units = value.data.size() / 2;
    QString text;
    text.reserve(units);
    for (qsizetype i = 0; i + 1 < units; ++i) {
        text.append(QChar(
            char16_t(quint8(value.data[2 * i]) | (quint16(quint8(value.data[2 * i + 1])) << 8))));
    }
    return text;
}

bool CRegister::REGSaveSetting(RegRoot regHKEY, const QString& sSection, const QString& sKey,
                               const QString& sValue) const {
    const RegOpenResult created = m_registry.createKey(regHKEY, TrimKeyPath(sSection));
    if (!created.ok()) {
        return false;
    }
    return m_registry.setString(created.key, valueName(sKey), sValue, RegType::Sz) ==
           RegError::Success;
}

bool CRegister::REGDeleteSetting(RegRoot regHKEY, const QString& sSection,
                                 const QString& sKey) const {
    if (sKey.isEmpty()) {
        const RegOpenResult root = m_registry.openKey(regHKEY, QString(), RegAccess::AllAccess);
        return root.ok() && m_registry.deleteKey(root.key, sSection) == RegError::Success;
    }
    const RegOpenResult opened =
        m_registry.openKey(regHKEY, TrimKeyPath(sSection), RegAccess::AllAccess);
    return opened.ok() && m_registry.deleteValue(opened.key, valueName(sKey)) == RegError::Success;
}

QStringList CRegister::GetAllKeys(RegRoot regHKEY, const QString& strPath) const {
    const RegOpenResult opened = m_registry.openKey(regHKEY, strPath, RegAccess::Read);
    if (!opened.ok()) {
        return {};
    }
    return m_registry.subKeyNames(opened.key).names;
}

}  // namespace lorvane
