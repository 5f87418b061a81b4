#pragma once

#include <QString>

namespace lorvane {

// The desktop's wallpaper and the folder its picture files are kept in. UI thread; calls block
// until the desktop has answered.
class Wallpaper {
public:
    virtual ~Wallpaper() = default;

    // The per-user folder that takes the wallpaper files, ending in exactly one separator. It
    // exists once this returns, unless it cannot be made.
    virtual QString WindowsFolder() = 0;
    // Makes the file the desktop's wallpaper through whatever the running desktop offers. False
    // when no mechanism took it; the wallpaper then stays as it was.
    virtual bool SetDesktopWallpaper(const QString& path) = 0;
};

}  // namespace lorvane
