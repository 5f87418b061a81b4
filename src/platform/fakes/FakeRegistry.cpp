#include "platform/fakes/FakeRegistry.h"

#include <QtGlobal>

namespace lorvane {

FakeRegistry::FakeRegistry(const QByteArray& regText) {
    RegistryHiveParse parsed = RegistryHive::fromRegFile(regText);
    if (!parsed.hive) {
        qFatal("FakeRegistry: preset text does not parse: %s", qPrintable(parsed.error));
    }
    m_hive = *parsed.hive;
}

long FakeRegistry::modifyHive(const std::function<long(RegistryHive&)>& change) {
    if (m_readOnly) {
        return RegError::AccessDenied;
    }
    RegistryHive changed = m_hive;
    const long error = change(changed);
    if (error == RegError::Success) {
        m_hive = changed;
        ++m_writeCount;
    }
    return error;
}

}  // namespace lorvane
