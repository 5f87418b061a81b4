#include "StartBench.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
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

// Notes when the viewer's image area first paints a picture: the paint event is seen here, and
// a zero timer fires once that paint has been flushed to the window system.
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(qint64 since) : m_since(since) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    std::optional<double> ms() const { return m_ms; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            const auto* area = qobject_cast<ImgX*>(watched);
            if (area && !area->document().isEmpty()) {
                m_seen = true;
                QTimer::singleShot(0, this,
                                   [this] { m_ms = double(monotonicNs() - m_since) / 1e6; });
            }
        }
        return false;
    }

private:
    qint64 m_since;
    bool m_seen = false;
    std::optional<double> m_ms;
};

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
    FirstPaintWatch firstPaint(since);
    QTemporaryDir settingsDir;
    HiveFileRegistry registry(settingsDir.filePath(QStringLiteral("registry.reg")));
    ScriptedPrompts prompts;
    FakeSpecialFolders specialFolders;
    frmMain window(registry, prompts, specialFolders);
    if (RunLoadSequence(window, arguments.first(), QCoreApplication::applicationDirPath()) !=
        StartOutcome::ViewerShown)
        return 1;
    window.viewer().imgX().repaint();
    const double settled = double(monotonicNs() - since) / 1e6;
    QCoreApplication::processEvents();
    // Printed before the process ends: its exit also waits for decodes ahead of time that are
    // still running, which is no part of showing the image.
    QTextStream(stdout) << firstPaint.ms().value_or(settled) << ' ' << settled << Qt::endl;
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
    QList<double> firstPaints;
    QList<double> settled;
    for (int run = 0; run <= runs; ++run) {  // the first run warms the page cache
        QByteArray output;
        const QString since = QString::number(monotonicNs());
        if (!runProcess(self, {QStringLiteral("show-once"), QStringLiteral("--since"), since, file},
                        &output))
            break;
        const QList<QByteArray> figures = output.simplified().split(' ');
        if (run > 0 && figures.size() == 2) {
            firstPaints.append(figures.at(0).toDouble());
            settled.append(figures.at(1).toDouble());
        }
    }
    const auto median = [](QList<double> values) -> std::optional<double> {
        if (values.isEmpty())
            return std::nullopt;
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    };
    const std::optional<double> shown = median(firstPaints);
    if (!shown) {
        QTextStream(stderr) << "start: the viewer could not show " << file << Qt::endl;
        return 1;
    }
    // The first paint is what the user sees first; "settled" is after the start-up sequence has
    // run to its end, the sharp repaint of a large image included.
    report(QStringLiteral("start.to_first_paint"), *shown, QStringLiteral("ms"));
    report(QStringLiteral("start.to_settled_image"), *median(settled), QStringLiteral("ms"));
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
