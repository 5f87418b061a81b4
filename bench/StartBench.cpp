#include "StartBench.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

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

bool runProcess(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

}  // namespace

int runShowOnce(QStringList arguments) {
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
    const auto shown = medianMs(runs, [&] {
        return runProcess(self, {QStringLiteral("show-once"), file});
    });
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
