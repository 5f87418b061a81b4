#include <QApplication>

#include "app/LoadSequence.h"
#include "app/Startup.h"
#include "browser/frmMain.h"
#include "platform/HiveFileRegistry.h"
#include "platform/QtPrompts.h"
#include "platform/SingleInstance.h"
#include "platform/SpecialFolders.h"

int main(int argc, char* argv[]) {
    using namespace lorvane;
    // Decided before any window exists: a second copy ends at once and shows nothing.
    FileLockSingleInstance instance(QStringLiteral("TallowinLorvane"));
    if (!instance.tryAcquire())
        return 0;

    QApplication app(argc, argv);
    HiveFileRegistry registry(HiveFileRegistry::defaultPath());
    QtPrompts prompts;
    XdgSpecialFolders specialFolders;
    frmMain window(registry, prompts, specialFolders);
    const QString commandText = CommandTextFromArguments(QApplication::arguments().mid(1));
    if (RunLoadSequence(window, commandText, QApplication::applicationDirPath()) ==
        StartOutcome::Ended)
        return 0;
    return QApplication::exec();
}
