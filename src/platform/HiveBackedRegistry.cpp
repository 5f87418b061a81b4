#include "platform/HiveBackedRegistry.h"

namespace lorvane {

namespace {

// Keys remember their path without the trailing "\" a caller may have given, so that a subkey
// path can be appended to it.
QString withoutTrailingSeparator(const QString& path) {
    return path.endsWith(u'\\') ? path.chopped(1) : path;
}

QString subKeyPath(const RegKey& parent, const QString& subKey) {
    return parent.path.isEmpty() ? subKey : parent.path + u'\\' + subKey;
}

}  // namespace

RegOpenResult HiveBackedRegistry::openKey(RegRoot root, const QString& path,
                                          RegAccess access) const {
    RegOpenResult result;
    result.error = readHive().checkKey(root, path);
    if (result.error == RegError::Success && access == RegAccess::AllAccess && !isWritable()) {
        result.error = RegError::AccessDenied;
    }
    if (result.ok()) {
        result.key = RegKey{root, withoutTrailingSeparator(path), access};
    }
    return result;
}

RegOpenResult HiveBackedRegistry::createKey(RegRoot root, const QString& path) {
    RegOpenResult result;
    // A path that can never be valid is reported as such even to a user without write rights.
    result.error = RegistryHive().checkKey(root, path);
    if (result.error == RegError::Success || result.error == RegError::FileNotFound) {
        result.error =
            isWritable()
                ? modifyHive([&](RegistryHive& hive) { return hive.createKey(root, path); })
                : RegError::AccessDenied;
    }
    if (result.ok()) {
        result.key = RegKey{root, withoutTrailingSeparator(path), RegAccess::AllAccess};
    }
    return result;
}

RegValue HiveBackedRegistry::queryValue(const RegKey& key, const QString& name) const {
    return readHive().queryValue(key.root, key.path, name);
}

long HiveBackedRegistry::setValue(const RegKey& key, const QString& name, RegType type,
                                  const QByteArray& data) {
    if (key.access != RegAccess::AllAccess) {
        return RegError::AccessDenied;
    }
    return modifyHive(
        [&](RegistryHive& hive) { return hive.setValue(key.root, key.path, name, type, data); });
}

long HiveBackedRegistry::deleteValue(const RegKey& key, const QString& name) {
    if (key.access != RegAccess::AllAccess) {
        return RegError::AccessDenied;
    }
    return modifyHive(
        [&](RegistryHive& hive) { return hive.deleteValue(key.root, key.path, name); });
}

long HiveBackedRegistry::deleteKey(const RegKey& parent, const QString& subKey) {
    const QString path = subKeyPath(parent, subKey);
    // The key to delete must be found before rights matter, as with RegDeleteKey.
    const long error = readHive().checkKey(parent.root, path);
    if (error != RegError::Success) {
        return error;
    }
    if (!isWritable()) {
        return RegError::AccessDenied;
    }
    return modifyHive([&](RegistryHive& hive) { return hive.deleteKey(parent.root, path); });
}

RegSubKeys HiveBackedRegistry::subKeyNames(const RegKey& key) const {
    return readHive().subKeyNames(key.root, key.path);
}

}  // namespace lorvane
