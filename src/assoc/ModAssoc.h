#pragma once

#include <QString>

#include "assoc/AssocEnvironment.h"
#include "platform/AssociationNotifier.h"
#include "platform/Registry.h"

namespace lorvane {

// The registry primitives of the file associations and the layout of one image type:
//
//   HKEY_CLASSES_ROOT\P                     (default) = description
//   HKEY_CLASSES_ROOT\P\shell\<verb>\command (default) = program path + " %1"
//   HKEY_CLASSES_ROOT\P\DefaultIcon          (default) = icon file
//   HKEY_CLASSES_ROOT\E                     (default) = P, OldAss = the former (default)
//   HKEY_CURRENT_USER\...\FileExts\E         ProgID = P, OldProgID = the former ProgID
//
// No call reports failure: a key that cannot be opened or written (a user without write rights)
// makes that one step do nothing and the next step runs, and reads fall back to their default.
// The program's ProgID keys are never deleted.
class ModAssoc {
public:
    ModAssoc(Registry& registry, AssociationNotifier& notifier, AssocEnvironment environment);

    void DeleteRegKey(RegRoot root, const QString& subKey);
    void DeleteRegValue(RegRoot root, const QString& subKey, const QString& valueName);
    // valueName "" is the default value; missing keys on the path are created.
    void SetRegString(RegRoot root, const QString& subKey, const QString& valueName,
                      const QString& data);
    // The value's text up to its first NUL, with %NAME% references expanded when it is stored as
    // an expandable string; fallback when the key or value cannot be read.
    QString GetRegString(RegRoot root, const QString& subKey, const QString& valueName,
                         const QString& fallback = QString()) const;

    // %NAME% replaced by the environment variable's value; a reference to a variable that is not
    // set stays as written.
    static QString ExpandEnvString(const QString& s);
    // The short form of an existing path, "" when there is none (a missing file). This platform
    // has no short names: an existing path is its own short form.
    static QString ShortPathOf(const QString& path);
    // The program folder with exactly one trailing separator.
    QString AppFolder() const;

    void RegisterImageType(const QString& P, const QString& D, const QString& verb,
                           const QString& I);
    // The command RegisterImageType stores for this program: its path and " %1".
    QString OpenCommand() const;
    void AssociateExtension(const QString& E, const QString& P);
    void DeassociateExtension(const QString& E, const QString& P);
    // The (default) of HKEY_CLASSES_ROOT\E is P, letter case included.
    bool IsAssociated(const QString& E, const QString& P) const;

    static QString FileExtsKey(const QString& E);

private:
    QString programPath() const;

    Registry& m_registry;
    AssociationNotifier& m_notifier;
    AssocEnvironment m_environment;
};

}  // namespace lorvane
