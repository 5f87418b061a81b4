#include "platform/MimeAppsList.h"

#include <QList>
#include <optional>

namespace lorvane {

namespace {

const QByteArray kDefaultGroup = QByteArrayLiteral("[Default Applications]");

bool isGroupHeader(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// The key of an entry line, without the spaces around it; none for comments and blank lines.
std::optional<QByteArray> entryKey(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#'))
        return std::nullopt;
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return line.left(equals).trimmed();
}

}  // namespace

QStringList MimeAppsList::defaultsFor(const QByteArray& text, const QString& mimeType) {
    const QByteArray key = mimeType.toUtf8();
    bool inDefaults = false;
    for (const QByteArray& line : text.split('\n')) {
        if (isGroupHeader(line)) {
            inDefaults = line.trimmed() == kDefaultGroup;
            continue;
        }
        if (!inDefaults || entryKey(line) != key)
            continue;
        QStringList ids;
        const QByteArray value = line.mid(line.indexOf('=') + 1);
        for (const QByteArray& id : value.split(';')) {
            const QString trimmed = QString::fromUtf8(id.trimmed());
            if (!trimmed.isEmpty())
                ids.append(trimmed);
        }
        return ids;
    }
    return {};
}

QByteArray MimeAppsList::withDefault(const QByteArray& text, const QString& mimeType,
                                     const QString& desktopId) {
    const QByteArray key = mimeType.toUtf8();
    const QByteArray entry = key + '=' + desktopId.toUtf8() + ';';
    QList<QByteArray> lines = text.split('\n');
    // split() gives one empty last piece for a text that ends with its line end.
    const bool endedWithNewline = text.isEmpty() || text.endsWith('\n');
    if (endedWithNewline)
        lines.removeLast();

    bool inFirstDefaults = false;
    bool seenDefaults = false;
    bool inDefaults = false;
    bool written = false;
    qsizetype insertAt = -1;  // after the last entry of the first default group
    for (qsizetype i = 0; i < lines.size();) {
        const QByteArray& line = lines[i];
        if (isGroupHeader(line)) {
            inDefaults = line.trimmed() == kDefaultGroup;
            inFirstDefaults = inDefaults && !seenDefaults;
            if (inFirstDefaults) {
                seenDefaults = true;
                insertAt = i + 1;
            }
            ++i;
            continue;
        }
        if (inDefaults && entryKey(line) == key) {
            if (desktopId.isEmpty() || written) {
                lines.removeAt(i);
                continue;
            }
            const QByteArray lineEnd = line.endsWith('\r') ? QByteArrayLiteral("\r") : QByteArray();
            lines[i] = entry + lineEnd;
            written = true;
        } else if (inFirstDefaults && entryKey(line)) {
            insertAt = i + 1;
        }
        ++i;
    }
    bool appendedGroup = false;
    if (!written && !desktopId.isEmpty()) {
        if (insertAt >= 0) {
            lines.insert(insertAt, entry);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QByteArray());
            lines.append(kDefaultGroup);
            lines.append(entry);
            appendedGroup = true;
        }
    }
    QByteArray out = lines.join('\n');
    if (!lines.isEmpty() && (endedWithNewline || appendedGroup))
        out += '\n';
    return out;
}

}  // namespace lorvane
