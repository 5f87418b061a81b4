#pragma once

#include <QString>

namespace lorvane {

// Asks for the destination folder of a copy (opType 1) or a move (opType 4). Modal, UI thread.
class DestinationPicker {
public:
    virtual ~DestinationPicker() = default;
    // The chosen folder as typed or picked, or "" when the user cancelled.
    virtual QString ShowFileForm(int opType, const QString& sSource) = 0;
};

}  // namespace lorvane
