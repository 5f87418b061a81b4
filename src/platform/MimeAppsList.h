#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lorvane {

// The [Default Applications] entries of a mimeapps.list, read and changed line by line: every
// other line (other groups, comments, odd spacing, other programs' entries, the line ends) is
// kept byte for byte, which a generic settings writer would not do.
class MimeAppsList {
public:
    // The desktop ids listed as defaults for the MIME type, in order; none when it has no entry.
    static QStringList defaultsFor(const QByteArray& text, const QString& mimeType);

    // The text with the MIME type's default set to desktopId alone, or its entry removed when
    // desktopId is empty. A new entry goes after the last entry of the first [Default
    // Applications] group; a missing group is added at the end.
    static QByteArray withDefault(const QByteArray& text, const QString& mimeType,
                                  const QString& desktopId);
};

}  // namespace lorvane
