#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>

namespace lorvane {

// Positions are signed 16-bit, as in every image list of the program.
constexpr int kMaxImageListPosition = 32767;

// A position one step outside the list wraps to the other end; any other value is kept.
int NormalizeIndex(int index, int count);

// Where Next / Previous go from `current`: nothing at the end (no wrap-around), and one empty
// entry is stepped over (only one). The result may be one past either end; ViewImage wraps it.
std::optional<int> NextImageIndex(const QStringList& paths, int current);
std::optional<int> PreviousImageIndex(const QStringList& paths, int current);

// The typed slide-show delay: a number (optional sign, fraction, exponent), rounded to whole
// milliseconds with halves to even. Empty, non-numeric and out-of-range (0..32767) texts give
// nothing, so the delay and its setting keep their values.
std::optional<int> ParseSlideShowDelay(const QString& text);

// "photo.jpg- Lorvane 1.1": the file name and the major and minor version.
QString ViewerTitle(const QString& path);

// What the mouse wheel asks of the viewer: pixels to add to the image's scroll offsets, and zoom
// steps (ZoomIn for each step above 0, ZoomOut for each below), taken through ZoomIn and ZoomOut
// so that they keep to the same limits as the keys.
struct WheelCommand {
    int scrollX = 0;
    int scrollY = 0;
    int zoomSteps = 0;
    bool operator==(const WheelCommand&) const = default;
};

// Turns wheel movements into viewer commands. Deltas are in eighths of a degree, 120 to a notch,
// as QWheelEvent::angleDelta gives them; high-resolution wheels and touchpads send parts of a
// notch, which are added up so that slow turns are not lost.
// - Ctrl+wheel zooms one step per notch: away from the user in, towards the user out.
// - Otherwise the wheel scrolls an image larger than the window (mouse mode 2), a notch
//   moving it kPixelsPerNotch: up and down, sideways with Shift or a sideways wheel. Over an
//   image that fits it does nothing.
class WheelMapper {
public:
    static constexpr int kNotch = 120;
    static constexpr int kPixelsPerNotch = 60;  // three lines of 20, as scroll areas move

    WheelCommand map(QPoint angleDelta, bool control, bool shift, bool imageLargerThanWindow);

private:
    int m_zoomRest = 0;
    QPoint m_scrollRest;
};

}  // namespace lorvane
