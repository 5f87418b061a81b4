#pragma once

#include <functional>

#include "platform/Registry.h"
#include "platform/RegistryHive.h"

namespace lorvane {

// The Registry calls over a RegistryHive, with the Windows rules for access rights and the order
// in which errors are found, so that every store built on it behaves the same. A store supplies
// the hive to read, whether the user may write, and how a change reaches the stored hive.
class HiveBackedRegistry : public Registry {
public:
    RegOpenResult openKey(RegRoot root, const QString& path, RegAccess access) const override;
    RegOpenResult createKey(RegRoot root, const QString& path) override;
    RegValue queryValue(const RegKey& key, const QString& name) const override;
    long setValue(const RegKey& key, const QString& name, RegType type,
                  const QByteArray& data) override;
    long deleteValue(const RegKey& key, const QString& name) override;
    long deleteKey(const RegKey& parent, const QString& subKey) override;
    RegSubKeys subKeyNames(const RegKey& key) const override;

protected:
    // The hive as it is stored now, including other writers' changes.
    virtual const RegistryHive& readHive() const = 0;
    virtual bool isWritable() const = 0;
    // Applies change to the stored hive as one step that no other writer can split; returns
    // the change's error, or the store's own (AccessDenied, RegistryIoFailed) when it cannot.
    virtual long modifyHive(const std::function<long(RegistryHive&)>& change) = 0;
};

}  // namespace lorvane
