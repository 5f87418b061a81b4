// lorvane-bench COMMAND [ARGUMENTS]: performance figures, one "name value unit" line each.

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <memory>

#include "ExplorerBench.h"
#include "OpenBench.h"
#include "PaintBench.h"
#include "StartBench.h"
#include "StepBench.h"
#include "components/EarlyDecode.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    bool needsGui;  // commands that build windows need a QApplication (and a platform plugin)
    int (*run)(QStringList arguments);
};

const Command kCommands[] = {
    {"open", "open FILE [--runs N]   decode times of one file against djpeg", false,
     lorvane::bench::runOpen},
    {"paint", "paint FILE [--runs N]  ImgX paint times on a 1920x1080 control", true,
     lorvane::bench::runPaint},
    {"start", "start FILE [--runs N]  process start to the image shown in the viewer", false,
     lorvane::bench::runStart},
    {"show-once", "show-once FILE  (used by start) show FILE in the viewer once and exit", true,
     lorvane::bench::runShowOnce},
    {"step", "step FOLDER [--steps N] [--pause MS]  next-image times in the viewer window", true,
     lorvane::bench::runStep},
    {"preview-step",
     "preview-step FOLDER [--steps N] [--pause MS]  browser preview times, item to item", true,
     lorvane::bench::runPreviewStep},
    {"thumbnails", "thumbnails FOLDER [--runs N]  explorer thumbnails of a folder, memory", true,
     lorvane::bench::runThumbnails},
    {"list", "list FOLDER  explorer list at full length, scrolling through it", true,
     lorvane::bench::runList},
};

int usage() {
    QTextStream err(stderr);
    err << "usage: lorvane-bench COMMAND [ARGUMENTS]" << Qt::endl;
    for (const Command& command : kCommands) {
        err << "  " << command.usage << Qt::endl;
    }
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        return usage();
    }
    for (const Command& command : kCommands) {
        if (qstrcmp(argv[1], command.name) != 0) {
            continue;
        }
        if (qstrcmp(command.name, "show-once") == 0 && argc >= 3) {
            // As the program does: the photo is decoded while Qt starts.
            lorvane::StartEarlyDecode(QString::fromLocal8Bit(argv[argc - 1]));
        }
        std::unique_ptr<QCoreApplication> app;
        if (command.needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
            qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            // Figures need no screen; without one, draw off screen rather than fail.
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (command.needsGui) {
            app = std::make_unique<QApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        QStringList arguments = QCoreApplication::arguments().mid(2);
        return command.run(arguments);
    }
    return usage();
}
