#include "viewer/ViewerLogic.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

namespace lorvane {

int NormalizeIndex(int index, int count) {
    if (index == count)
        return 0;
    if (index == -1)
        return count - 1;
    return index;
}

std::optional<int> NextImageIndex(const QStringList& paths, int current) {
    const int highest = static_cast<int>(paths.size()) - 1;
    if (current >= highest)
        return std::nullopt;
    int p = current + 1;
    if (paths.at(p).isEmpty())
        ++p;
    return p;
}

std::optional<int> PreviousImageIndex(const QStringList& paths, int current) {
    if (current <= 0 || paths.isEmpty())
        return std::nullopt;
    int p = current - 1;
    if (p < paths.size() && paths.at(p).isEmpty())
        --p;
    return p;
}

std::optional<int> ParseSlideShowDelay(const QString& text) {
    static const QRegularExpression numeric(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!numeric.match(text).hasMatch())
        return std::nullopt;
    // Converted through single precision, as the timer's interval always was.
    const auto value = static_cast<float>(text.trimmed().toDouble());
    const double rounded = std::nearbyint(static_cast<double>(value));  // halves to even
    if (!(rounded >= 0 && rounded <= kMaxImageListPosition))
        return std::nullopt;
    return static_cast<int>(rounded);
}

QString ViewerTitle(const QString& path) {
    return QFileInfo(path).fileName() + QStringLiteral("- Lorvane ") +
           QString::number(LORVANE_VERSION_MAJOR) + QLatin1Char('.') +
           QString::number(LORVANE_VERSION_MINOR);
}

namespace {

// Whole units out of `rest` plus `delta` (units of `unit`), keeping what is left over. A turn
// the other way starts afresh, so that a leftover never cancels the first notch back.
int takeWhole(int& rest, int delta, int unit) {
    if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0))
        rest = 0;
    rest += delta;
    const int whole = rest / unit;
    rest -= whole * unit;
    return whole;
}

}  // namespace

WheelCommand WheelMapper::map(QPoint angleDelta, bool control, bool shift,
                              bool imageLargerThanWindow) {
    WheelCommand command;
    if (control) {
        const int delta = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
        command.zoomSteps = takeWhole(m_zoomRest, delta, kNotch);
        return command;
    }
    if (!imageLargerThanWindow)
        return command;
    QPoint delta = angleDelta;
    if (shift && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    // Turning the wheel away from the user shows what lies above (or to the left).
    command.scrollX = -takeWhole(m_scrollRest.rx(), delta.x() * kPixelsPerNotch, kNotch);
    command.scrollY = -takeWhole(m_scrollRest.ry(), delta.y() * kPixelsPerNotch, kNotch);
    return command;
}

}  // namespace lorvane
