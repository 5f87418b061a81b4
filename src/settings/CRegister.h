#pragma once

#include <QString>
#include <QStringList>

#include "platform/Registry.h"

namespace lorvane {

// The program's settings store: text values in the registry. It holds nothing between calls, so
// every operation is const and any number of stores may share one Registry. The value name "*"
// stands for a key's default value in every operation. Reading never fails towards the caller:
// whatever cannot be read gives the default.
class CRegister {
public:
    explicit CRegister(Registry& registry);

    // The stored text (whatever its type, without its terminating NUL), or sDefault when the key
    // or value is missing, unreadable, or of size 0. Works for a user who may only read.
    QString REGGetSetting(RegRoot regHKEY, const QString& sSection, const QString& sKey,
                          const QString& sDefault) const;
    // Writes sValue as REG_SZ, creating missing keys; false when it could not be written.
    bool REGSaveSetting(RegRoot regHKEY, const QString& sSection, const QString& sKey,
                        const QString& sValue) const;
    // With sKey: deletes that value. With an empty sKey: deletes the key sSection itself, as
    // given (not trimmed), which must have no subkeys.
    bool REGDeleteSetting(RegRoot regHKEY, const QString& sSection, const QString& sKey) const;
    // The names of the direct subkeys of strPath (as given, not trimmed); none when it is
    // missing.
    QStringList GetAllKeys(RegRoot regHKEY, const QString& strPath) const;

private:
    static QString TrimKeyPath(const QString& path);

    Registry& m_registry;
};

}  // namespace lorvane
