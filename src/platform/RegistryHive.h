#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/Registry.h"

namespace lorvane {

struct RegistryHiveParse;

// The registry tree itself, in memory, with the rules every Registry follows (names compared
// without regard to case but kept as created, path checks, error codes) and its text form: the
// Windows .reg export format, "Windows Registry Editor Version 5.00". Access rights are not its
// business: whoever holds the hive decides who may change it.
//
// Calls that take a key path expect a key the caller opened before; when it has gone since, they
// fail with KeyDeleted.
class RegistryHive {
public:
    // No file larger than this is read, and none is written.
    static constexpr qsizetype kMaxFileSize = qsizetype(64) << 20;

    struct Value {
        QString name;
        RegType type = RegType::Sz;
        QByteArray data;

        bool operator==(const Value&) const = default;
    };

    // Success, FileNotFound or BadPathname.
    long checkKey(RegRoot root, const QString& path) const;
    // Creates the key and every missing key on its path.
    long createKey(RegRoot root, const QString& path);
    // Deletes the key, which must exist and have no subkeys (AccessDenied otherwise, and for
    // a root).
    long deleteKey(RegRoot root, const QString& path);
    RegSubKeys subKeyNames(RegRoot root, const QString& path) const;

    RegValue queryValue(RegRoot root, const QString& path, const QString& name) const;
    long setValue(RegRoot root, const QString& path, const QString& name, RegType type,
                  const QByteArray& data);
    long deleteValue(RegRoot root, const QString& path, const QString& name);

    // Every key is written, empty ones included, subkeys in registry order and values in the
    // order they were created, so the same tree always gives the same bytes (UTF-8).
    QByteArray toRegFile() const;
    // Reads UTF-8 or UTF-16 (with byte-order mark) text. Anything that is not understood fails
    // the whole parse, so that a file we cannot represent is never rewritten with parts lost.
    static RegistryHiveParse fromRegFile(const QByteArray& bytes);

    bool operator==(const RegistryHive&) const = default;

private:
    struct Key {
        QString name;
        std::vector<Key> subKeys;  // kept in case-insensitive name order
        std::vector<Value> values;

        bool operator==(const Key&) const = default;
    };

    const Key* findKey(RegRoot root, const QStringList& names) const;
    Key* findKey(RegRoot root, const QStringList& names);
    // Adds the length of every path it creates to *createdPathsLength.
    Key* findOrCreateKey(RegRoot root, const QStringList& names,
                         qsizetype* createdPathsLength = nullptr);
    void removeTree(RegRoot root, const QStringList& names);
    static void writeKey(QString& out, const QString& path, const Key& key, bool writeHeader);

    std::array<Key, 4> m_roots;
};

struct RegistryHiveParse {
    std::optional<RegistryHive> hive;
    QString error;  // the line and the reason, when hive is empty
};

}  // namespace lorvane
