#pragma once

#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QListView;

namespace lorvane {

class ExplorerItemDelegate;
class ExplorerItemModel;
class ExplorerListView;
class Prompts;

// The folder explorer control: the subfolders and image files of one folder as an icon list of
// thumbnails, the selection reports that drive the host's preview, and the item context menu.
//
// The control reports every selection with CurrSelectedImage. Thumbnails are made on worker
// threads, one per core, and put into the list strictly in item order on the UI thread, which
// waits for them in an event loop and so stays responsive; ExplorePath still returns only when
// its scan has ended. UI thread only.
class ImageExplore : public QWidget {
    Q_OBJECT

public:
    explicit ImageExplore(Prompts& prompts, QWidget* parent = nullptr);
    ~ImageExplore() override;

    // Installs the extension list ("bmp jpg gif"); an empty one is refused with a warning and
    // leaves the control without a list.
    void SetExt(const QString& s);
    QString ExtList() const { return m_extList; }

    // The image files of a folder, in the program's name order; needs SetExt first.
    QStringList GetImageList(const QString& path, const QString& SearchStr) const;

    // Shows the folder: its subfolders, then its image files, each group in name order. The list
    // takes its full length at once with loading pictures, which are then replaced in item order.
    // Reports "" at the start and, when the folder had items, selects and reports the first one.
    // Returns when the scan has ended. A call made while a scan runs (also from a slot called
    // during that scan) ends the older scan before it changes anything more.
    void ExplorePath(const QString& path);

    // The browser's next and previous buttons: the list moves as by the arrow keys. Reports the
    // item selected at once, and the newly selected one when the list has moved.
    void NextItem();
    void PrevItem();

    // Selects the item of sPath (letter case ignored) without reporting it; with no such item
    // nothing stays selected.
    void SetSelectedFocus(const QString& sPath);

    // After the viewer renamed (pathTO the new path), deleted or moved (pathTO "") a file of
    // this folder. Neither changes the selection nor reports anything.
    void UpdateAfterOperation(const QString& path, const QString& pathTO);

    // For the file operations started from the menu.
    // The 0-based position of the list's selected item; -1 when nothing is selected.
    int SelectedIndex() const;
    // The paths of all selected items in list order, each followed by one NUL character.
    QString SelectedPaths() const;
    // The path of the list's selected item; "" when nothing is selected.
    QString SelectedPath() const;
    // After a delete or move: the item at p leaves the list and ImagePaths, and so does every
    // other selected item whose file is gone. The nearest remaining item before p is selected
    // and reported.
    void RemoveSelectedItem(int p);
    // After a rename: the selected item shows newPath's name and carries newPath.
    void RenameSelectedItem(const QString& newPath);

    // The image files shown (not the folders), in item order.
    const QStringList& ImagePaths() const { return m_ImagePaths; }
    // Items filled by the current scan so far.
    int ItemCount() const { return m_ItemCount; }
    // True when no scan runs.
    bool StopScan() const { return m_StopScan; }

    QListView* lv() const;
    ExplorerItemModel* items() const { return m_model; }
    QLabel* Text1() const { return m_Text1; }
    QMenu* mnuMenu() const { return m_mnuMenu; }

    // The key state read when a menu entry is chosen (Delete is permanent with Shift held).
    // Defaults to the platform's; tests script it.
    void setKeyStateQuery(std::function<Qt::KeyboardModifiers()> query);

Q_SIGNALS:
    // The path of the item now selected, or "" when a new folder starts to show.
    void CurrSelectedImage(const QString& path);
    // Declared for the host, which is ready for it; the control does not raise it.
    void OpenItem(const QStringList& ImagePaths, int Index, const QString& sFolderPath);
    // A menu entry or the Delete key chose a file operation on the selected items: 1 copy to a
    // folder, 2 delete to the recycle bin, 3 delete permanently, 4 move to a folder, 5 rename.
    void FileOperationRequested(int opType);
    // "Copy Image" was chosen for the item at path.
    void CopyImageRequested(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct ScanRun;

    void buildMenu();
    void applySizing();
    double twipsPerPixel() const;

    void runScan(ScanRun& run, const QString& path);
    bool waitForThumbnail(ScanRun& run, int position);
    void stopScans();
    void removeRow(int row);

    int selectedRow() const;
    void reportSelected();
    void SelectItem(int position, bool notify);
    void SetAllSelected(bool flag);
    void SendArrowKey(int key);

    void onKeyReleased(int key, Qt::KeyboardModifiers modifiers, bool fromList);
    void onMouseReleased(Qt::MouseButton button, QPoint position);
    void onDeleteChosen(Qt::KeyboardModifiers modifiers);

    Prompts& m_prompts;
    QString m_extList;
    QStringList m_ImagePaths;
    int m_ItemCount = 0;
    bool m_StopScan = false;

    ExplorerItemModel* m_model = nullptr;
    ExplorerListView* m_lv = nullptr;
    ExplorerItemDelegate* m_delegate = nullptr;
    QLabel* m_Text1 = nullptr;
    QMenu* m_mnuMenu = nullptr;

    QThreadPool m_pool;
    ScanRun* m_activeRun = nullptr;  // the innermost scan; older ones are reached through it
    std::function<Qt::KeyboardModifiers()> m_keyState;
};

}  // namespace lorvane
