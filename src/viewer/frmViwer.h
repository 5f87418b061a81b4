#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include "components/DecodeCache.h"
#include "components/ImageDocument.h"
#include "viewer/ImageList.h"
#include "viewer/ViewerGeometry.h"
#include "viewer/ViewerLogic.h"
#include "viewer/ViewerSession.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;

namespace lorvane {

class FileOperationRunner;
class frmAbout;
class ImgX;
class Prompts;
class Registry;
class Launcher;
class MyPrinter;
class Skin;
class Wallpaper;
class ViewerHost;

// The viewer window: one image of a list at a time, with zoom, rotation, smoothing, full screen,
// next/previous and a looping slide show. Created by the browser window on first use; closing it
// ends the program when it was opened from the command line.
class frmViwer : public QMainWindow {
    Q_OBJECT

public:
    // `skin` may be null (no skin); `host` must outlive the viewer.
    frmViwer(Registry& registry, Prompts& prompts, Skin* skin, ViewerHost& host,
             QWidget* parent = nullptr);
    ~frmViwer() override;

    // State shared with the other windows.
    const QStringList& ImagePaths() const { return m_session.list().paths(); }
    int CurrentIndex() const { return m_session.list().position(); }
    const ImageList& imageList() const { return m_session.list(); }
    bool IsFullScreen() const { return m_isFullScreen; }
    bool bCommand() const { return m_bCommand; }
    void setBCommand(bool on) { m_bCommand = on; }
    ImgX& imgX() { return *m_imgX; }
    const DecodeCache& decodeCache() const { return m_cache; }
    // The window rectangle saved on entering full screen, in pixels.
    QRect savedGeometry() const { return m_savedGeometry; }

    // Shows FilePaths[Index] (one step outside the list wraps) and keeps its own copy of the list.
    // Index may be rewritten by the wrap. A file that cannot be shown gets a message and an empty
    // image area; the list and position are kept.
    void ViewImage(const QStringList& FilePaths, int& Index);
    void ReloadCurrentImage();

    // The open dialog: the chosen files are appended to the list and the first of them is shown
    // and named in the title; the position in the list stays. False when the user cancelled.
    bool LoadImage();
    // The save dialog, on the filter of the shown image's format; writes the image as it is
    // now. The list, title and image stay as they were; a failed save is reported.
    void SaveAs();
    // The image as it is now, onto the clipboard; nothing without an image.
    void CopyImage();

    // File operations on the image shown: 1 copy, 2 delete to the trash, 4 move, 5 rename. Without
    // a runner (set by the browser) they do nothing.
    void setFileOperations(FileOperationRunner* runner) { m_fileOperations = runner; }
    // The desktop wallpaper, set by the browser; without it Set As Wallpaper does nothing.
    void setWallpaper(Wallpaper* wallpaper) { m_wallpaper = wallpaper; }
    // The image shown as the desktop wallpaper (Tools menu and context menu).
    void SetAsWallpaper();
    // Where Help Index and update find their files, and what opens them; without a launcher
    // (set by the browser) both do nothing.
    void setHelpServices(Launcher* launcher, const QString& programFolder);
    // Opens the help beside the program: "lorvane.chm" where one is installed, otherwise the
    // help page shipped with the program.
    void HelpIndex();
    // Starts "update/update" beside the program when it is there.
    void StartUpdate();
    // The printing companion, set by the browser; without it printing does nothing.
    void setPrinter(MyPrinter* printer) { m_printer = printer; }
    void ShowPageSetup();
    // Prints the held image: mode 0 at the top left, 1 centred, 2 centred and fit to the page.
    void PrintCurrent(int mode);
    // The About box, without blocking; one at a time.
    void ShowAbout();
    frmAbout* aboutBox() const;
    void RunFileOperation(int opType);
    void DeleteCurrentImage();
    static bool IsFolder(const QString& path);

    void LoadSettings();
    void ReturnToBrowser();
    // The close sequence without ending the program or showing the browser: used while the
    // program shuts down.
    void unloadForShutdown();

    // Navigation and slide show
    void ShowNextImage();
    void ShowPreviousImage();
    void ToggleSlideShow();
    void AskSlideShowDelay();
    void SlideShowTick();
    bool isSlideShowOn() const;
    int SlidePosition() const { return m_session.slidePosition(); }
    int slideShowInterval() const { return m_session.slideInterval(); }

    // Zoom, panning, rotation, smoothing
    void ZoomIn();
    void ZoomOut();
    void UpdateMouseTool();
    void RotatePlus90();
    void RotateMinus90();
    void ToggleAntiAlias();

    // Layout and full screen
    void ToggleFullScreen();
    void layoutChildren();

    void UpdateStatusBar();
    QStringList statusPanels() const;

    // The one key handler, for keys of the window and of the image area.
    void handleKey(int key, Qt::KeyboardModifiers modifiers);
    // The wheel over the image: scrolls an image larger than the window, Ctrl zooms.
    void handleWheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers);

    TwipsPerPixel twipsPerPixel() const;
    QAction* antiAliasAction() const { return m_actAntiAlias; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    // Each panel as wide as the widest text it shows; again whenever the skin is applied.
    void fitStatusPanels();
    LoadResult loadIntoControl(const QString& path);
    void reportLoadFailure(const QString& path, const QString& reason);
    // "photo.jpg- Lorvane 1.1" for the image put on screen, remembered for when the title has
    // to name it again.
    void titleFor(const QString& path);
    void prefetchNeighbours();
    bool showSlide(int position, const QString& path);
    void prefetchAfterPaint();
    void runPendingPrefetch();
    void sizeWindowForImage();
    void fitLargeImage();
    void enterFullScreen(bool saveRectangle, bool reload);
    void leaveFullScreen();
    void setShortcutsActive(bool active);
    // The path of the list entry on screen; empty when the list is.
    QString shownImagePath() const;
    void runCloseSequence(bool endingProgram);
    void showContextMenu(int x, int y);
    void onFilesDropped(bool hasFileList, const QStringList& paths);
    void onImageChanged();
    QSize outerSizeTwips() const;
    int toolbarHeightTwips() const;

    Registry& m_registry;
    Prompts& m_prompts;
    Skin* m_skin;
    ViewerHost& m_host;
    FileOperationRunner* m_fileOperations = nullptr;
    Wallpaper* m_wallpaper = nullptr;
    Launcher* m_launcher = nullptr;
    MyPrinter* m_printer = nullptr;
    QString m_programFolder;
    QPointer<frmAbout> m_about;
    ViewerSession m_session;

    bool m_isFullScreen = false;
    bool m_bCommand = false;
    QString m_titledPath;   // the image the title last named
    int m_fittedCount = 0;  // the list length the status panels are sized for
    QRect m_savedGeometry;
    bool m_fullScreenShown = false;  // the window is presented full screen now

    WheelMapper m_wheel;
    int m_saveFilterIndex = 1;  // the save dialog's filter as the user last left it

    bool m_slideShowSizing = false;
    bool m_closing = false;

    DecodeCache m_cache;
    static constexpr int kPrefetchFallbackMs = 250;
    bool m_prefetchPending = false;
    QTimer m_prefetchFallback;
    QWidget* m_client = nullptr;
    QToolBar* m_toolbar = nullptr;
    QFrame* m_menuContainer = nullptr;
    ImgX* m_imgX = nullptr;
    QList<QLabel*> m_panels;
    QList<QMenu*> m_topMenus;
    QList<QPair<QAction*, QKeySequence>> m_shortcuts;
    QAction* m_actAntiAlias = nullptr;
    QAction* m_btnPrevious = nullptr;
    QAction* m_btnNext = nullptr;
    QAction* m_btnSlideShow = nullptr;
    QAction* m_btnFullScreen = nullptr;
};

}  // namespace lorvane
