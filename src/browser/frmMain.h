#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "components/DecodeCache.h"
#include "components/Skin.h"
#include "viewer/ViewerHost.h"

class QSplitter;
class QToolButton;

namespace lorvane {

class FolderTree;
class ImageExplore;
class ImgX;
class Prompts;
class Registry;
class AssociationNotifier;
class SpecialFolders;
class FileOperationProgress;
class FileOperationRunner;
class ShellFileOperation;
class frmFile;
class frmViwer;
class Wallpaper;
class Launcher;
class MyPrinter;
class PrintDialogs;

// The browser window: the program's main window, alive for the whole process, hidden while the
// viewer runs from the command line. The folder tree on the left chooses the folder the explorer
// shows; the explorer's selection is previewed above it, under a bar of six buttons.
class frmMain : public QMainWindow, public ViewerHost {
    Q_OBJECT

public:
    frmMain(Registry& registry, Prompts& prompts, SpecialFolders& specialFolders,
            QWidget* parent = nullptr);
    ~frmMain() override;

    Skin& Skin1() { return m_skin; }
    ImageExplore& ImageExplore1() { return *m_imageExplore; }
    FolderTree& TV1() { return *m_TV1; }
    ImgX& preview() { return *m_ImgX; }
    // The previewed file's neighbours, decoded ahead so that arrowing through large photos is
    // quick; for tests and diagnostics.
    const DecodeCache& previewCache() const { return m_previewCache; }
    QSplitter* Splitter1() const { return m_Splitter1; }
    QSplitter* Splitter2() const { return m_Splitter2; }
    QWidget* container() const { return m_container; }
    QWidget* Toolbar() const { return m_Toolbar; }
    QToolButton* cmdPrev() const { return m_cmdPrev; }
    QToolButton* cmdNext() const { return m_cmdNext; }
    QToolButton* cmdZoomIn() const { return m_cmdZoomIn; }
    QToolButton* cmdZoomOut() const { return m_cmdZoomOut; }
    QToolButton* cmdWallPaper() const { return m_cmdWallPaper; }
    QToolButton* cmdView() const { return m_cmdView; }

    // The viewer window, created on first use.
    frmViwer& viewer();
    bool hasViewer() const { return m_viewer != nullptr; }

    // Skins the window's parts in the skin engine's order; the skin file must be open.
    void ApplySkin();

    // Where the association step finds its services; without them (tests of other roads) the
    // two operations below do nothing.
    void setAssociationServices(AssociationNotifier& notifier, const QString& programFolder);
    // Makes the program the opener of its image types, asking about types another program has
    // taken since; gives them back to their former openers.
    void AssociateImageTypes();
    void DeassociateImageTypes();

    // Unloads the viewer (and later the folder picker) and ends the process.
    void EndMe();

    // True once a click in the tree has explored a folder; from then on every selection change
    // of the tree explores too.
    bool FollowSelection() const { return m_FollowSelection; }
    // The user's special folder by its shell id (0, the Desktop), with a trailing separator.
    QString SpecialFolderPath(int id) const;

    // The explorer's selection reports: an empty path or a folder empties the preview, a file
    // is loaded into it (an undecodable one leaves it empty, without a message).
    void ShowPreview(const QString& path);
    // The explorer's Copy Image: the item's file, decoded afresh, onto the clipboard. A folder,
    // a missing or an undecodable file leaves the clipboard as it was, without a message.
    void CopyItemImage(const QString& path);
    // Hands the previewed file to the viewer as a one-image list. Some window of the program
    // stays visible whatever happens.
    void OpenPreviewInViewer();
    void PreviewZoomIn();
    void PreviewZoomOut();
    // The explorer's request to open a folder or a list of images.
    void OpenItem(const QStringList& ImagePaths, int Index, const QString& sFolderPath);

    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    // The file operations of the viewer and the explorer: the shell, the destination picker
    // (one instance, hidden between uses) and the engine over both, made on first use.
    FileOperationRunner& fileOperations();
    // Tests put a runner over scripted services in place of the real one.
    void setFileOperations(FileOperationRunner* runner);
    // The desktop wallpaper of both windows, the running desktop's unless tests put another.
    Wallpaper& wallpaper();
    void setWallpaper(Wallpaper* wallpaper);
    // The "Set as wallpaper" button: the preview's image as the desktop wallpaper.
    void SetPreviewAsWallpaper();
    // What opens the help and starts the update program, the desktop's unless tests put another.
    void setLauncher(Launcher* launcher);
    // The viewer's printing companion, over Qt's print dialogs.
    MyPrinter& printer();

    // ViewerHost
    void showBrowser() override;
    void CheckPath(const QString& s) override;
    // A previewed file that is gone leaves the preview: empty after a delete or move, the new
    // file after a rename.
    void RefreshImages(const QString& p, const QString& pTo) override;
    void viewerUnloaded() override;
    void endProgram() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onFileOperationRequested(int opType);
    void buildLayout();
    void buildToolbar();
    QToolButton* addButton(const QString& iconKey, const QString& tooltip, int leftTwips);
    void layoutWindow();
    void layoutContainer();
    void updatePreviewMouseTool();
    void showViewerWith(const QStringList& ImagePaths, int Index, bool setCommandOff);
    void onTreeClick();
    void onFolderNotification();
    void onRootSelected();
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;

    Registry& m_registry;
    Prompts& m_prompts;
    AssociationNotifier* m_associationNotifier = nullptr;
    QString m_programFolder;
    SpecialFolders& m_specialFolders;
    Skin m_skin;
    ImageExplore* m_imageExplore = nullptr;
    FolderTree* m_TV1 = nullptr;
    QSplitter* m_Splitter2 = nullptr;
    QSplitter* m_Splitter1 = nullptr;
    QWidget* m_container = nullptr;
    QWidget* m_Toolbar = nullptr;
    ImgX* m_ImgX = nullptr;
    // Decodes for the preview: the next and previous image of the list, once the preview has
    // painted and the thumbnail scan is over (it would slow the thumbnails), under a cap.
    static constexpr qint64 kPreviewCacheBytes = qint64(128) * 1024 * 1024;
    DecodeCache m_previewCache;
    bool m_previewPrefetchPending = false;
    void prefetchPreviewNeighbours();
    QToolButton* m_cmdPrev = nullptr;
    QToolButton* m_cmdNext = nullptr;
    QToolButton* m_cmdZoomIn = nullptr;
    QToolButton* m_cmdZoomOut = nullptr;
    QToolButton* m_cmdWallPaper = nullptr;
    QToolButton* m_cmdView = nullptr;
    std::unique_ptr<frmViwer> m_viewer;
    std::unique_ptr<ShellFileOperation> m_shell;
    std::unique_ptr<frmFile> m_frmFile;
    std::unique_ptr<FileOperationProgress> m_progress;
    std::unique_ptr<FileOperationRunner> m_ownFileOperations;
    std::unique_ptr<Wallpaper> m_ownWallpaper;
    Wallpaper* m_wallpaper = nullptr;
    std::unique_ptr<Launcher> m_ownLauncher;
    Launcher* m_launcher = nullptr;
    std::unique_ptr<PrintDialogs> m_printDialogs;
    std::unique_ptr<MyPrinter> m_printer;
    FileOperationRunner* m_fileOperations = nullptr;
    bool m_FollowSelection = false;
    bool m_ending = false;
};

}  // namespace lorvane
