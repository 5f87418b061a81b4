#include "StartBench.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <optional>

#include "BenchUtil.h"
#include "app/LoadSequence.h"
#include "browser/frmMain.h"
#include "components/ImgX.h"
#include "platform/HiveFileRegistry.h"
#include "platform/fakes/FakeSpecialFolders.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "viewer/frmViwer.h"

namespace lorvane::bench {

namespace {

bool runProcess(const QString& program, const QStringList& arguments,
                QByteArray* output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput();
    return ok;
}

// Both clocks are the system's monotonic clock, so a time taken in the parent just before the
// child starts can be subtracted in the child.
qint64 monotonicNs() {
    return QElapsedTimer::clockType() == QElapsedTimer::MonotonicClock
               ? QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs()
               : 0;
}

}  // namespace

int runShowOnce(QStringList arguments) {
    // --since NS: the parent's clock when it started this process.
    qint64 since = 0;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--since"));
        at >= 0 && at + 1 < arguments.size()) {
        since = arguments.at(at + 1).toLongLong();
        arguments.remove(at, 2);
    }
    if (arguments.size() != 1)
        return 2;
    QTemporaryDir settingsDir;
    HiveFileRegistry registry(settingsDir.filePath(QStringLiteral("registry.reg")));
    ScriptedPrompts prompts;
    FakeSpecialFolders specialFolders;
    frmMain window(registry, prompts, specialFolders);
    if (RunLoadSequence(window, arguments.first(), QCoreApplication::applicationDirPath()) !=
        StartOutcome::ViewerShown)
        return 1;
    window.viewer().imgX().repaint();
    // Printed before the process ends: its exit also waits for decodes ahead of time that are
    // still running, which is no part of showing the image.
    QTextStream(stdout) << (double(monotonicNs() - since) / 1e6) << Qt::endl;
    return window.viewer().imgX().document().isEmpty() ? 1 : 0;
}

int runStart(QStringList arguments) {
    const int runs = takeRuns(arguments);
    if (arguments.size() != 1) {
        QTextStream(stderr) << "usage: lorvane-bench start FILE [--runs N]" << Qt::endl;
        return 2;
    }
    const QString file = arguments.first();
    const QString self = QCoreApplication::applicationFilePath();
    QList<double> times;
    for (int run = 0; run <= runs; ++run) {  // the first run warms the page cache
        QByteArray output;
        const QString since = QString::number(monotonicNs());
        if (!runProcess(self, {QStringLiteral("show-once"), QStringLiteral("--since"), since, file},
                        &output))
            break;
        if (run > 0)
            times.append(output.trimmed().toDouble());
    }
    std::optional<double> shown;
    if (!times.isEmpty()) {
        std::sort(times.begin(), times.end());
        shown = times.at(times.size() / 2);
    }
    if (!shown) {
        QTextStream(stderr) << "start: the viewer could not show " << file << Qt::endl;
        return 1;
    }
    report(QStringLiteral("start.to_shown_image"), *shown, QStringLiteral("ms"));
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty())
        return 0;
    const auto reference = medianMs(runs, [&] {
        return runProcess(djpeg, {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), file});
    });
    if (reference) {
        report(QStringLiteral("start.djpeg_full_decode"), *reference, QStringLiteral("ms"));
        report(QStringLiteral("start.shown_vs_djpeg"), *shown / *reference, QStringLiteral("x"));
    }
    return 0;
}

}  // namespace lorvane::bench
