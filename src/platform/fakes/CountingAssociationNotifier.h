#pragma once

#include "platform/AssociationNotifier.h"

namespace lorvane {

// Counts the notifications, for tests that check when the desktop is told and when it is not.
class CountingAssociationNotifier : public AssociationNotifier {
public:
    void associationsChanged() override { ++m_count; }

    int count() const { return m_count; }
    void reset() { m_count = 0; }

private:
    int m_count = 0;
};

}  // namespace lorvane
