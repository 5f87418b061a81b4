#pragma once

#include "platform/HiveBackedRegistry.h"

namespace lorvane {

// An in-memory registry for tests, with the same rules as the hive file. Tests preset and
// inspect the tree through hive(), which ignores access rights; setReadOnly(true) makes the
// Registry calls behave as for a user without write rights.
class FakeRegistry : public HiveBackedRegistry {
public:
    FakeRegistry() = default;
    // Starts from .reg text; a text that does not parse fails the construction loudly, since
    // it is the test's own mistake.
    explicit FakeRegistry(const QByteArray& regText);

    RegistryHive& hive() { return m_hive; }
    const RegistryHive& hive() const { return m_hive; }

    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    // How many changes reached the hive (successful calls that write).
    int writeCount() const { return m_writeCount; }

protected:
    const RegistryHive& readHive() const override { return m_hive; }
    bool isWritable() const override { return !m_readOnly; }
    long modifyHive(const std::function<long(RegistryHive&)>& change) override;

private:
    RegistryHive m_hive;
    bool m_readOnly = false;
    int m_writeCount = 0;
};

}  // namespace lorvane
