#include "app/LoadSequence.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

#include "app/Startup.h"
#include "browser/frmMain.h"
#include "components/EarlyDecode.h"
#include "components/ImgX.h"
#include "explorer/ExtensionLists.h"
#include "explorer/ImageExplore.h"
#include "viewer/frmViwer.h"

namespace lorvane {

namespace {

constexpr int kSplashMilliseconds = 1200;

// The splash goes by itself after a moment and never holds up the start.
void showSplash(const QString& picturePath) {
    QPixmap picture(picturePath);
    if (picture.isNull())
        return;
    auto* splash = new QSplashScreen(picture, Qt::WindowStaysOnTopHint);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    QTimer::singleShot(kSplashMilliseconds, splash, &QWidget::close);
}

}  // namespace

StartOutcome RunLoadSequence(frmMain& window, const QString& commandText,
                             const QString& programFolder) {
    QApplication::setApplicationName(QStringLiteral("Lorvane"));
    const bool associationSwitch =
        commandText == QLatin1String("/Associate") || commandText == QLatin1String("/DeAssociate");
    if (!associationSwitch)
        showSplash(programFolder + QStringLiteral("/viewer.spl"));

    Skin& skin = window.Skin1();
    skin.OpenSkinFile(programFolder + QStringLiteral("/LorvaneMain.skn"));
    window.ApplySkin();

    window.ImageExplore1().SetExt(QString(ExplorerExtensions));

    const StartPlan plan = PlanStart(commandText);
    if (plan.runsAssociateImageTypes())
        window.AssociateImageTypes();
    else
        window.DeassociateImageTypes();
    if (plan.endsAfterAssociation())
        return StartOutcome::Ended;

    if (plan.kind == StartKind::OpenViewer) {
        // A relative argument is taken from the folder the program was started in; listing
        // its bare parent ("") would list the root folder instead.
        const QString path =
            QFileInfo(plan.path).isRelative() ? QFileInfo(plan.path).absoluteFilePath() : plan.path;
        const QStringList imagePaths =
            window.ImageExplore1().GetImageList(ParentFolderOf(path), QStringLiteral("*.*"));
        // A non-image file in a folder without images: nothing to view, so browse instead.
        if (!imagePaths.isEmpty()) {
            window.hide();
            frmViwer& viewer = window.viewer();
            viewer.imgX().setZoom(1.0);
            viewer.setBCommand(true);
            int index = FindImageIndex(imagePaths, path);
            viewer.ViewImage(imagePaths, index);
            DiscardEarlyDecode();
            for (int pass = 0; pass < 9; ++pass)
                QCoreApplication::processEvents();
            return StartOutcome::ViewerShown;
        }
    }
    DiscardEarlyDecode();
    window.show();
    return StartOutcome::BrowserShown;
}

}  // namespace lorvane
