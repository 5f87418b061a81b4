#include <QApplication>
#include <QIcon>

#include "app/LoadSequence.h"
#include "app/Startup.h"
#include "browser/frmMain.h"
#include "platform/HiveFileRegistry.h"
#include "platform/QtPrompts.h"
#include "platform/SingleInstance.h"
#include "platform/SpecialFolders.h"
#include "platform/XdgAssociationNotifier.h"
#include "platform/XdgAssociationRegistry.h"
#include "platform/XdgLocations.h"

int main(int argc, char* argv[]) {
    using namespace lorvane;
    // Decided before any window exists: a second copy ends at once and shows nothing.
    FileLockSingleInstance instance(QStringLiteral("TallowinLorvane"));
    if (!instance.tryAcquire())
        return 0;

    QApplication app(argc, argv);
    const QString programFolder = QApplication::applicationDirPath();
    const QString programIcon = programFolder + QStringLiteral("/icons/lorvane.svg");
    // Every window shows the program's icon, and the desktop matches them to its entry.
    QApplication::setWindowIcon(QIcon(programIcon));
    QGuiApplication::setDesktopFileName(QStringLiteral("lorvane"));
    HiveFileRegistry hive(HiveFileRegistry::defaultPath());
    // The class keys of the image types are also the desktop's own associations.
    const XdgLocations xdg = XdgLocations::fromEnvironment();
    XdgAssociationRegistry registry(hive, xdg, programIcon);
    XdgAssociationNotifier notifier(xdg);
    QtPrompts prompts;
    XdgSpecialFolders specialFolders;
    frmMain window(registry, prompts, specialFolders);
    window.setAssociationServices(notifier, programFolder);
    const QString commandText = CommandTextFromArguments(QApplication::arguments().mid(1));
    if (RunLoadSequence(window, commandText, programFolder) == StartOutcome::Ended)
        return 0;
    return QApplication::exec();
}
