#pragma once

#include <QString>

namespace lorvane {

// What the viewer asks of the window that opened it (the browser window). Kept this small so
// the viewer does not depend on the browser.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;

    // Shows the browser window again.
    virtual void showBrowser() = 0;
    // Moves the browser to the folder of `s` and selects it there.
    virtual void CheckPath(const QString& s) = 0;
    // After the viewer renamed (pTo the new path), deleted or moved (pTo "") the file p.
    virtual void RefreshImages(const QString& p, const QString& pTo) {
        Q_UNUSED(p);
        Q_UNUSED(pTo);
    }
    // The viewer was closed and unloads itself; the next use creates a new one.
    virtual void viewerUnloaded() = 0;
    // Ends the program (the viewer was opened from the command line and is closing).
    virtual void endProgram() = 0;
};

}  // namespace lorvane
