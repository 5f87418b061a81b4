#pragma once

#include "platform/AssociationNotifier.h"
#include "platform/XdgLocations.h"

namespace lorvane {

// Refreshes the user's desktop-entry and MIME caches with the desktop's own tools
// (update-desktop-database, update-mime-database) where they are installed, so that file
// managers see a new default or a new type at once. Missing tools or folders are skipped.
class XdgAssociationNotifier : public AssociationNotifier {
public:
    explicit XdgAssociationNotifier(XdgLocations locations);

    void associationsChanged() override;

private:
    XdgLocations m_locations;
};

}  // namespace lorvane
