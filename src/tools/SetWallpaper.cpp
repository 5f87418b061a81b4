#include "tools/SetWallpaper.h"

#include <QDir>
#include <QFileInfo>

#include "components/ImageDocument.h"
#include "platform/Prompts.h"
#include "platform/Wallpaper.h"

namespace lorvane {

namespace {

constexpr int kWindowsBitmap = 6;

// Windows refuses a hidden system file; here a hidden (dot) name marked read-only. The mark is
// the owner's write bit, not access(), so that it holds for every user alike.
bool isProtected(const QFileInfo& target) {
    return target.exists() && target.isHidden() &&
           !target.permissions().testFlag(QFileDevice::WriteOwner);
}

}  // namespace

WallpaperOutcome SetWallpaper(const ImageDocument& document, Wallpaper& wallpaper,
                              Prompts& prompts) {
    if (document.Count() == 0)
        return WallpaperOutcome::NothingToDo;
    const QString name = QFileInfo(document.FileName()).fileName();
    // Picture-loader images come without a file name, and an empty name would make the folder
    // itself the target.
    if (name.isEmpty())
        return WallpaperOutcome::NothingToDo;
    const QString target = wallpaper.WindowsFolder() + name;
    if (isProtected(QFileInfo(target))) {
        prompts.messageBox(
            QStringLiteral("this picture is hidden or system file.we can not put it as wallpaper"),
            MessageButtons::Ok, MessageIcon::None, QStringLiteral("Lorvane"));
        return WallpaperOutcome::Refused;
    }
    const SaveResult saved = document.SaveFile(target, kWindowsBitmap, 0, true);
    if (!saved) {
        prompts.messageBox(QStringLiteral("The wallpaper cannot be written to \"%1\".\n\n%2")
                               .arg(QDir::toNativeSeparators(target), saved.reason),
                           MessageButtons::Ok, MessageIcon::Exclamation, QStringLiteral("Lorvane"));
        return WallpaperOutcome::SaveFailed;
    }
    if (!wallpaper.SetDesktopWallpaper(target)) {
        prompts.messageBox(QStringLiteral("The desktop did not take the wallpaper. The picture is "
                                          "saved as \"%1\"; choose it in the desktop's settings.")
                               .arg(QDir::toNativeSeparators(target)),
                           MessageButtons::Ok, MessageIcon::Information, QStringLiteral("Lorvane"));
        return WallpaperOutcome::NotApplied;
    }
    return WallpaperOutcome::Applied;
}

}  // namespace lorvane
