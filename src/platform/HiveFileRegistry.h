#pragma once

#include <optional>

#include "platform/HiveBackedRegistry.h"

namespace lorvane {

// The registry of this platform: one hive file in the .reg text format.
//
// Every change is a read-modify-write of the whole file under an exclusive lock on the sibling
// file "<hive>.lock", the file re-read inside the lock and replaced atomically, so copies of the
// program writing at the same time lose nothing and a reader never sees half a file. Reads pick
// up other writers' changes (the file is re-read whenever it changed on disk).
//
// Write rights follow the file: when the hive file, or the folder it lives in, is read-only
// (not writable for this user, or with no write permission bit at all, which holds even for
// root), the whole registry behaves like Windows for a user without write rights: reads work,
// every change and every open for AllAccess fails with AccessDenied.
//
// A missing file is an empty registry; its folder is created by the first write. A file that
// cannot be parsed is never overwritten: it is renamed to "<hive>.broken-<timestamp>" (one
// warning on stderr) and the registry starts empty; a broken file that may not be renamed is
// left where it is and reads as empty.
class HiveFileRegistry : public HiveBackedRegistry {
public:
    explicit HiveFileRegistry(const QString& path = defaultPath());

    // $LORVANE_REGISTRY when set, else "lorvane/registry.reg" in the user's configuration folder.
    static QString defaultPath();

    QString path() const { return m_path; }

protected:
    const RegistryHive& readHive() const override;
    bool isWritable() const override;
    long modifyHive(const std::function<long(RegistryHive&)>& change) override;

private:
    struct FileStamp {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;

        bool operator==(const FileStamp&) const = default;
    };

    struct FileContent {
        bool readable = true;            // false: the file exists but could not be read
        std::optional<FileStamp> stamp;  // empty when there is no file
        QByteArray bytes;
    };

    std::optional<FileStamp> statFile() const;
    FileContent readFile() const;
    std::optional<RegistryHive> loadLocked() const;
    bool moveAside(const QString& reason) const;
    void useHive(const RegistryHive& hive, const std::optional<FileStamp>& stamp) const;
    void warnOnce(const std::optional<FileStamp>& stamp, const QString& message) const;

    QString m_path;
    mutable RegistryHive m_hive;
    mutable std::optional<FileStamp> m_stamp;  // of the file m_hive was read from
    mutable std::optional<std::optional<FileStamp>> m_warnedAbout;
};

}  // namespace lorvane
