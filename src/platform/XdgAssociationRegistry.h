#pragma once

#include <optional>

#include "platform/Registry.h"
#include "platform/XdgLocations.h"

namespace lorvane {

// A Registry that makes the file associations written into it real on a freedesktop desktop.
// Every call goes to the wrapped registry, which keeps the whole layout, except the (default)
// value of an extension key HKEY_CLASSES_ROOT\.ext, which lives in the user's MIME-apps defaults:
//
// - reading it gives the default application of the extension's MIME type, looked up in the
//   mimeapps.list files in the order of the MIME Applications rules (desktop-specific files
//   first, then the user's, then the system's; the first installed desktop entry wins). When
//   that is our own desktop entry, it reads as the ProgID stored in the wrapped registry;
//   otherwise as the other application's desktop id, and as missing when there is none;
// - writing a ProgID registered in the wrapped registry (one with a shell\open\command)
//   installs the desktop entry "lorvane.desktop" from that ProgID's command, adds the
//   extension's MIME type to it, and makes it the type's default in the user's mimeapps.list.
//   An extension no installed MIME type knows gets a type of its own from a small MIME package
//   in the user's MIME database. Writing a desktop id makes that application the default again;
//   writing anything else (the empty text) removes the user's default for the type.
//
// The user's mimeapps.list is edited line by line and replaced atomically. While it cannot be
// read, the extension keys cannot be opened; while it cannot be written, they cannot be opened
// for writing: the calls fail as for a user without rights, and nothing is half written.
class XdgAssociationRegistry : public Registry {
public:
    // applicationIcon: the icon file of the desktop entry.
    XdgAssociationRegistry(Registry& inner, XdgLocations locations, QString applicationIcon);

    static QString desktopId() { return QStringLiteral("lorvane.desktop"); }
    // The MIME type the program registers for an extension no installed type knows.
    static QString ownMimeType(const QString& extension);

    // The MIME type files of this extension open as, after the program's own types.
    QString mimeTypeOf(const QString& extension) const;

    RegOpenResult openKey(RegRoot root, const QString& path, RegAccess access) const override;
    RegOpenResult createKey(RegRoot root, const QString& path) override;
    RegValue queryValue(const RegKey& key, const QString& name) const override;
    long setValue(const RegKey& key, const QString& name, RegType type,
                  const QByteArray& data) override;
    long deleteValue(const RegKey& key, const QString& name) override;
    long deleteKey(const RegKey& parent, const QString& subKey) override;
    RegSubKeys subKeyNames(const RegKey& key) const override;

private:
    struct UserDefaults {
        bool readable = true;
        QByteArray text;
    };

    static std::optional<QString> extensionOf(RegRoot root, const QString& path);
    UserDefaults readUserDefaults() const;
    bool userDefaultsWritable() const;
    bool isInstalled(const QString& desktopId) const;
    QString defaultApplication(const QString& mimeType, const UserDefaults& user) const;
    QString storedDefault(const QString& extension) const;
    // The open command of a ProgID registered in the wrapped registry.
    std::optional<QString> registeredCommand(const QString& progId) const;

    long writeDefault(const QString& extension, const QString& text);
    // Writes our desktop entry for this command, adding mimeType (when not empty) to the types
    // it already lists.
    bool installDesktopEntry(const QString& command, const QString& mimeType);
    void refreshDesktopEntry(const QString& command);
    bool installMimeType(const QString& extension);

    Registry& m_inner;
    XdgLocations m_locations;
    QString m_applicationIcon;
};

}  // namespace lorvane
