#pragma once

#include <QString>

namespace lorvane {

class frmMain;

// What the start-up sequence decided, for the caller of main()'s event loop.
enum class StartOutcome {
    Ended,        // an association switch ran; nothing is shown and the program ends
    ViewerShown,  // the viewer shows the argument's image
    BrowserShown,
};

// The browser window's load sequence after the single-instance test: splash, skin, extension
// list, association step, then the viewer on an existing path or the browser.
// `programFolder` holds "viewer.spl" and "LorvaneMain.skn".
StartOutcome RunLoadSequence(frmMain& window, const QString& commandText,
                             const QString& programFolder);

}  // namespace lorvane
