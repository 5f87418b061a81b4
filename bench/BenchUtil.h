#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace lorvane::bench {

// Median of the wall times (milliseconds) of `runs` calls of work; one untimed call first warms
// the page cache and lazily loaded plugins. A call returning false stops the measurement.
std::optional<double> medianMs(int runs, const std::function<bool()>& work);

// One figure, as every subcommand prints it: "name value unit".
void report(const QString& name, double value, const QString& unit);

// "--runs N" (default 5) from the arguments; removes it from the list.
int takeRuns(QStringList& arguments, int fallback = 5);

}  // namespace lorvane::bench
