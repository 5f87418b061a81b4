#include "viewer/StatusBarText.h"

#include <QFileInfo>
#include <cmath>

#include "explorer/ExtensionLists.h"
#include "viewer/ViewerGeometry.h"
#include "viewer/ViewerLogic.h"

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

QString FormatPosition(int position, int count) {
    return QStringLiteral("%1/%2").arg(position).arg(count);
}

QString FormatPixelFormat(int width, int height, int bitsPerPixel, const QString& extension) {
    return QStringLiteral("%1x%2x%3b %4").arg(width).arg(height).arg(bitsPerPixel).arg(extension);
}

QStringList WidestStatusTexts(int panel, int listCount) {
    switch (panel) {
        case 1:
            return {FormatPosition(listCount, listCount)};
        case 3:
            return {FormatFileSize(1023), FormatFileSize(1023.9 * 1024),
                    FormatFileSize(99999.9 * 1048576)};
        case 4:
            return {FormatPixelFormat(65535, 65535, 64, QStringLiteral("WBMP")),
                    FormatPixelFormat(65535, 65535, 64, QStringLiteral("wbmp"))};
        case 5:
            return {FormatZoomPercent(ZoomInStep(16.0))};
        default:
            return {};
    }
}

bool FillStatusPanels(const StatusBarInput& input, QStringList& panels, FileLengthReader lengthOf) {
    while (panels.size() < 5)
        panels.append(QString());
    panels[0] = FormatPosition(input.position, input.count);

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
        panels[3] = FormatPixelFormat(input.width, input.height, input.bitsPerPixel,
                                      ExtensionOf(input.decodedFileName));
    }
    panels[4] = FormatZoomPercent(input.zoom);
    return true;
}

}  // namespace lorvane
