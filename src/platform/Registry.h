#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lorvane {

// The predefined root keys, with the handle values the Windows API gives them.
enum class RegRoot : quint32 {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
};

// Value types with their Windows numbers. Types other than the two string types are carried as
// opaque bytes: they can be read and written back unchanged, never interpreted.
enum class RegType : quint32 {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    MultiSz = 7,
    Qword = 11,
};

// Error codes as the Windows registry functions return them, so callers can keep the exact
// reactions they were written around (the retry with read access on 5, for instance).
namespace RegError {
inline constexpr long Success = 0;
inline constexpr long FileNotFound = 2;
inline constexpr long AccessDenied = 5;
inline constexpr long InvalidHandle = 6;
inline constexpr long InvalidParameter = 87;
inline constexpr long BadPathname = 161;
inline constexpr long RegistryIoFailed = 1016;
inline constexpr long KeyDeleted = 1018;
}  // namespace RegError

enum class RegAccess { Read, AllAccess };

// An opened key. Only openKey() and createKey() make meaningful ones; the access it was opened
// with decides whether it may be written through.
struct RegKey {
    RegRoot root = RegRoot::LocalMachine;
    QString path;
    RegAccess access = RegAccess::Read;
};

struct RegOpenResult {
    long error = RegError::Success;
    RegKey key;

    bool ok() const { return error == RegError::Success; }
};

struct RegValue {
    long error = RegError::Success;
    RegType type = RegType::None;
    QByteArray data;

    bool ok() const { return error == RegError::Success; }
    // The data size in bytes as the Windows API reports it: a string value counts its UTF-16
    // code units and the terminating NUL, two bytes each.
    quint32 size() const { return quint32(data.size()); }
    // The data read as a string: UTF-16LE cut at its first NUL.
    QString text() const;
};

struct RegSubKeys {
    long error = RegError::Success;
    QStringList names;
};

// UTF-16LE bytes of the text followed by the terminating NUL, as a REG_SZ value holds it.
QByteArray regStringData(const QString& text);
// The text of string value data: UTF-16LE up to the first NUL (or the end); an odd last byte is
// not a character and is dropped.
QString regStringText(const QByteArray& data);

// A tree of keys under the four roots, each key holding named values and one unnamed default
// value (the value name ""). Key and value names compare without regard to letter case and keep
// the case they were created with; key paths separate names with "\". A path may end with one
// "\"; a path that starts with "\" or holds an empty name fails with BadPathname.
//
// Every call stands alone and reports failure through its error code, never by throwing:
// FileNotFound for a missing key or value, AccessDenied where the caller has no right to write
// (a key opened for reading, or a whole registry the user may only read). What one Registry
// object writes is seen by every other object over the same store, in this and in other
// processes. An object is used from one thread at a time.
class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key; the empty path opens the root itself. Opening for AllAccess
    // without write rights fails with AccessDenied (a missing key fails with FileNotFound
    // first).
    virtual RegOpenResult openKey(RegRoot root, const QString& path, RegAccess access) const = 0;

    // Opens the key for AllAccess, first creating it and any missing key along the path.
    virtual RegOpenResult createKey(RegRoot root, const QString& path) = 0;

    // A value's type and data; the name "" is the default value. A missing value, including a
    // default value never set, gives FileNotFound.
    virtual RegValue queryValue(const RegKey& key, const QString& name) const = 0;

    // Creates or replaces a value; an existing value keeps the letter case of its name.
    virtual long setValue(const RegKey& key, const QString& name, RegType type,
                          const QByteArray& data) = 0;

    virtual long deleteValue(const RegKey& key, const QString& name) = 0;

    // Deletes the key subKey below parent, which must have no subkeys of its own (AccessDenied
    // otherwise, as RegDeleteKey does). Roots cannot be deleted.
    virtual long deleteKey(const RegKey& parent, const QString& subKey) = 0;

    // The names of the key's direct subkeys, in the registry's order (case-insensitive).
    virtual RegSubKeys subKeyNames(const RegKey& key) const = 0;

    // Writes text as a string value (REG_SZ or REG_EXPAND_SZ) with its terminating NUL.
    long setString(const RegKey& key, const QString& name, const QString& text,
                   RegType type = RegType::Sz);
};

}  // namespace lorvane
