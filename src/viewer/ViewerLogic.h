#pragma once

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

// "photo.jpg- Lorvane 1.0"
QString ViewerTitle(const QString& path);

}  // namespace lorvane
