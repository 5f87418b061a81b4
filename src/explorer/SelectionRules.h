#pragma once

#include <QList>
#include <Qt>

namespace lorvane {

// How the explorer reacts to keys and mouse buttons on its list, apart from the list's own
// movement of its selection. Pure rules; the control applies them.

enum class KeyReleaseAction {
    Nothing,          // the Control key itself
    ReportSelected,   // Control held: report the selected item, leave the selection alone
    SelectAndReport,  // every other release: select the current item again and report it
};

KeyReleaseAction KeyReleaseActionFor(int key, Qt::KeyboardModifiers modifiers);

enum class KeyPressAction { None, Delete };

KeyPressAction KeyPressActionFor(int key);

// Operation codes handed to the file operations.
enum class FileOperation : int {
    CopyTo = 1,
    DeleteToRecycleBin = 2,
    DeletePermanently = 3,
    MoveTo = 4,
    Rename = 5,
};

// Delete (key or menu entry) is permanent while Shift is held.
FileOperation DeleteOperationFor(Qt::KeyboardModifiers modifiers);

struct MouseReleaseAction {
    bool reportSelected = false;
    bool showMenu = false;
};

// A release anywhere on the list: the left button reports the item selected after the click,
// also over empty space; the right button opens the menu over an item only.
MouseReleaseAction MouseReleaseActionFor(bool listHasItems, Qt::MouseButton button, bool overItem);

// What leaves the list after a delete or move of the selected items.
struct RemovalPlan {
    QList<int> rows;       // ascending, 0-based
    int rowToSelect = -1;  // the item to select and report afterwards; -1 for none
};

// focusedRow: the list's selected item, whose file is gone (the file operation checked it).
// goneSelectedRows: the other selected items whose file is gone as well; they leave with it, so
// no item of a deleted file stays behind. The item selected afterwards is the nearest one before
// the focused item that stays; when none stays before it, nothing is selected.
RemovalPlan PlanRemoval(int focusedRow, QList<int> goneSelectedRows);

}  // namespace lorvane
