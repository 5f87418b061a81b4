#include "BenchUtil.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace lorvane::bench {

std::optional<double> medianMs(int runs, const std::function<bool()>& work) {
    if (!work()) {
        return std::nullopt;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!work()) {
            return std::nullopt;
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    const size_t middle = times.size() / 2;
    return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

void report(const QString& name, double value, const QString& unit) {
    QTextStream out(stdout);
    out << name << ' ' << QString::number(value, 'f', 2) << ' ' << unit << Qt::endl;
}

int takeRuns(QStringList& arguments, int fallback) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--runs"));
    if (at < 0 || at + 1 >= arguments.size()) {
        return fallback;
    }
    bool ok = false;
    const int runs = arguments.at(at + 1).toInt(&ok);
    arguments.remove(at, 2);
    return ok && runs > 0 ? runs : fallback;
}

}  // namespace lorvane::bench
