#include "StepBench.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

#include "BenchUtil.h"
#include "browser/frmMain.h"
#include "components/ImgX.h"
#include "explorer/ExtensionLists.h"
#include "explorer/FolderListing.h"
#include "explorer/ImageExplore.h"
#include "platform/HiveFileRegistry.h"
#include "platform/fakes/FakeSpecialFolders.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "viewer/ViewerHost.h"
#include "viewer/frmViwer.h"

namespace lorvane::bench {

namespace {

struct SilentHost : ViewerHost {
    void showBrowser() override {}
    void CheckPath(const QString&) override {}
    void viewerUnloaded() override {}
    void endProgram() override {}
};

int takeOption(QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0 || at + 1 >= arguments.size())
        return fallback;
    const int value = arguments.at(at + 1).toInt();
    arguments.remove(at, 2);
    return value;
}

void processEventsFor(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

double percentile(QList<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<qsizetype>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values.at(std::clamp<qsizetype>(at, 0, values.size() - 1));
}

// The figures of a stepping run, each name starting with prefix.
void reportSteps(const QString& prefix, int images, const QList<double>& prefetched,
                 const QList<double>& immediate) {
    const auto name = [&prefix](const char* figure) {
        return prefix + QLatin1Char('_') + QLatin1String(figure);
    };
    report(name("images"), images, QStringLiteral("count"));
    report(name("prefetched_median"), percentile(prefetched, 0.5), QStringLiteral("ms"));
    report(name("prefetched_p90"), percentile(prefetched, 0.9), QStringLiteral("ms"));
    report(name("prefetched_max"), percentile(prefetched, 1.0), QStringLiteral("ms"));
    report(name("immediate_median"), percentile(immediate, 0.5), QStringLiteral("ms"));
    report(name("resident_memory"), residentMegabytes(), QStringLiteral("MiB"));
}

// One step as the key handler runs it, then a synchronous paint of the image area.
double timedStep(frmViwer& viewer) {
    QElapsedTimer timer;
    timer.start();
    viewer.ShowNextImage();
    viewer.imgX().repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int runStep(QStringList arguments) {
    const int steps = takeOption(arguments, QStringLiteral("--steps"), 20);
    const int pause = takeOption(arguments, QStringLiteral("--pause"), 600);
    if (arguments.size() != 1) {
        QTextStream(stderr) << "usage: lorvane-bench step FOLDER [--steps N] [--pause MS]"
                            << Qt::endl;
        return 2;
    }
    const QStringList images = GetImageList(QString(ExplorerExtensions).toLower(),
                                            arguments.first(), QStringLiteral("*.*"));
    if (images.size() < 3) {
        QTextStream(stderr) << "step: the folder needs at least three images" << Qt::endl;
        return 1;
    }

    // A settings file of its own, so that the user's settings are neither read nor changed.
    QTemporaryDir settingsDir;
    HiveFileRegistry registry(settingsDir.filePath(QStringLiteral("registry.reg")));
    ScriptedPrompts prompts;
    SilentHost host;
    frmViwer viewer(registry, prompts, nullptr, host);

    int index = 0;
    viewer.imgX().setZoom(1.0);
    viewer.ViewImage(images, index);
    viewer.imgX().repaint();

    QList<double> prefetched;
    const int count = std::min<int>(steps, static_cast<int>(images.size()) - 1);
    for (int i = 0; i < count; ++i) {
        processEventsFor(pause);  // the user looks at the image; the neighbour decodes meanwhile
        prefetched.append(timedStep(viewer));
    }

    // A held key: the next step comes at once, before any decode ahead could finish.
    index = 0;
    viewer.ViewImage(images, index);
    QList<double> immediate;
    for (int i = 0; i < std::min(count, 5); ++i)
        immediate.append(timedStep(viewer));

    reportSteps(QStringLiteral("step"), int(images.size()), prefetched, immediate);
    if (prompts.messages().size() > 0)
        QTextStream(stderr) << "step: " << prompts.messages().size() << " images could not be shown"
                            << Qt::endl;
    return 0;
}

int runPreviewStep(QStringList arguments) {
    const int steps = takeOption(arguments, QStringLiteral("--steps"), 20);
    const int pause = takeOption(arguments, QStringLiteral("--pause"), 600);
    if (arguments.size() != 1) {
        QTextStream(stderr) << "usage: lorvane-bench preview-step FOLDER [--steps N] [--pause MS]"
                            << Qt::endl;
        return 2;
    }
    QTemporaryDir settingsDir;
    HiveFileRegistry registry(settingsDir.filePath(QStringLiteral("registry.reg")));
    ScriptedPrompts prompts;
    FakeSpecialFolders specialFolders;
    frmMain window(registry, prompts, specialFolders);
    window.resize(1600, 1000);
    window.show();
    ImageExplore& explorer = window.ImageExplore1();
    explorer.SetExt(QString(ExplorerExtensions));
    explorer.ExplorePath(arguments.first());  // returns once the thumbnails are all made
    const QStringList images = explorer.ImagePaths();
    if (images.size() < 3) {
        QTextStream(stderr) << "preview-step: the folder needs at least three images" << Qt::endl;
        return 1;
    }
    // What an arrow key does: the next item selected and previewed, then painted.
    const auto timedStepTo = [&](const QString& path) {
        QElapsedTimer timer;
        timer.start();
        explorer.SetSelectedFocus(path);
        window.ShowPreview(path);
        window.preview().repaint();
        return static_cast<double>(timer.nsecsElapsed()) / 1e6;
    };
    window.ShowPreview(images.first());
    window.preview().repaint();
    QList<double> prefetched;
    const int count = std::min<int>(steps, static_cast<int>(images.size()) - 1);
    for (int i = 1; i <= count; ++i) {
        processEventsFor(pause);  // the user looks at the preview; the neighbour decodes meanwhile
        prefetched.append(timedStepTo(images.at(i)));
    }
    QList<double> immediate;
    for (int i = count - 1; i >= std::max(0, count - 5); --i)
        immediate.append(timedStepTo(images.at(i)));

    reportSteps(QStringLiteral("preview_step"), int(images.size()), prefetched, immediate);
    return 0;
}

}  // namespace lorvane::bench
