#include <QApplication>
#include <QIcon>

#include <cstdio>

#include "app/IconTheme.h"
#include "app/LoadSequence.h"
#include "app/Startup.h"
#include "browser/frmMain.h"
#include "components/EarlyDecode.h"
#include "explorer/ExtensionLists.h"
#include "platform/HiveFileRegistry.h"
#include "platform/QtPrompts.h"
#include "platform/SingleInstance.h"
#include "platform/SpecialFolders.h"
#include "platform/XdgAssociationNotifier.h"
#include "platform/XdgAssociationRegistry.h"
#include "platform/XdgLocations.h"

int main(int argc, char* argv[]) {
    using namespace lorvane;
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    // Answered even while another copy runs, and without a display.
    if (AsksForVersion(rawArguments)) {
        std::fputs(qPrintable(VersionLine() + QLatin1Char('\n')), stdout);
        return 0;
    }

    // Decided before any window exists: a second copy ends at once and shows nothing.
    FileLockSingleInstance instance(QStringLiteral("TallowinLorvane"));
    if (!instance.tryAcquire())
        return 0;

    // A photo to show is decoded on the other core while Qt and the windows start. (Qt's own
    // options are not taken out yet; with any of them the text names no file and nothing
    // starts early.)
    const QString earlyText = CommandTextFromArguments(rawArguments);
    // Only a file the viewer will list and show: an unused decode would hold up the browser.
    if (PlanStart(earlyText).kind == StartKind::OpenViewer &&
        HasListedExtension(NormalizedExtList(QString(ExplorerExtensions)), earlyText))
        StartEarlyDecode(earlyText);

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(LORVANE_VERSION_TEXT));
    UseFallbackIconTheme();
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
    // Message boxes, input boxes and file dialogs wear the browser's skin, owned or not.
    prompts.setDialogSkinner([&window](QWidget* dialog) { window.Skin1().SkinTopWindow(dialog); });
    const QString commandText = CommandTextFromArguments(QApplication::arguments().mid(1));
    window.setAssociationServices(notifier, programFolder);
    if (RunLoadSequence(window, commandText, programFolder) == StartOutcome::Ended)
        return 0;
    return QApplication::exec();
}
