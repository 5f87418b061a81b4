#include "viewer/StatusBarText.h"

#include <QFileInfo>
#include <cmath>

#include "explorer/ExtensionLists.h"

namespace lorvane {

namespace {

// The classic "#.#" pattern: rounded half away from zero to one decimal, decimal point always
// written, no trailing zero.
QString formatOneDecimal(double value) {
    const double rounded = std::round(value * 10.0) / 10.0;
    const auto whole = static_cast<long long>(std::floor(rounded));
    const int tenth = static_cast<int>(std::lround((rounded - static_cast<double>(whole)) * 10.0));
    QString text = whole == 0 ? QString() : QString::number(whole);
    text += QLatin1Char('.');
    if (tenth != 0)
        text += QString::number(tenth);
    return text;
}

}  // namespace

QString FormatFileSize(double bytes) {
    const auto size = static_cast<float>(bytes);
    if (size < 1024.0f)
        return QString::number(static_cast<qint64>(size)) + QStringLiteral(" Bytes");
    if (size < 1048576.0f)
        return formatOneDecimal(static_cast<double>(size / 1024.0f)) + QStringLiteral(" KB");
    return formatOneDecimal(static_cast<double>(size / 1048576.0f)) + QStringLiteral(" MB");
}

QString FormatZoomPercent(double zoom) {
    const double percent = std::round(zoom * 100.0);
    const QString number =
        percent < 1.0 ? QString() : QString::number(static_cast<qint64>(percent));
    return number + QStringLiteral(" %");
}

bool FillStatusPanels(const StatusBarInput& input, QStringList& panels, FileLengthReader lengthOf) {
    while (panels.size() < 5)
        panels.append(QString());
    panels[0] = QStringLiteral("%1/%2").arg(input.position).arg(input.count);

    const QString extension = ExtensionOf(input.path).toLower();
    if (QStringLiteral("ico dib").contains(extension)) {
        panels[1] = QFileInfo(input.path).fileName();
        const qint64 length = lengthOf(input.path);
        if (length < 0)
            return false;
        panels[2] = FormatFileSize(static_cast<double>(length));
        panels[3] = QString();
    } else {
        panels[1] = input.shortName;
        const qint64 length = lengthOf(input.decodedFileName);
        if (length < 0)
            return false;
        panels[2] = FormatFileSize(static_cast<double>(length));
        panels[3] = QStringLiteral("%1x%2x%3b %4")
                        .arg(input.width)
                        .arg(input.height)
                        .arg(input.bitsPerPixel)
                        .arg(ExtensionOf(input.decodedFileName));
    }
    panels[4] = FormatZoomPercent(input.zoom);
    return true;
}

}  // namespace lorvane
