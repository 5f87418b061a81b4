#pragma once

#include <QString>
#include <optional>

namespace lorvane {

// The open dialog's filter: every type the viewer shows, then one entry per type, then all files.
extern const QString kOpenFilter;
// The save dialog's filter: the ten writable formats, in the order of SaveFormatForFilter.
extern const QString kSaveFilter;

struct SaveFormat {
    QString extension;  // without the dot; empty for an unknown filter
    int code = 0;       // the imaging control's format code; 0 for an unknown filter
};

// The format behind a 1-based filter index of kSaveFilter.
SaveFormat SaveFormatForFilter(int filterIndex);
// The filter to preselect for an image of a format code; nothing for a code the save dialog
// does not offer.
std::optional<int> SaveFilterForFormat(int code);

}  // namespace lorvane
