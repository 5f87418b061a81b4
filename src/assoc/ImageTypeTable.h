#pragma once

#include <QList>
#include <QString>

namespace lorvane {

// One image type the program opens from the desktop.
struct ImageTypeRow {
    QString extension;    // with its dot, ".jpg"
    QString progId;       // "Lorvane.jpg"
    QString description;  // "Lorvane JPG image"
    QString iconFile;     // relative to the program folder
    QString lostEntry;    // the type's entry in the list of lost types, " jpg "
};

// The fifteen types in the order they are registered, associated, given back and listed.
const QList<ImageTypeRow>& ImageTypeTable();

}  // namespace lorvane
