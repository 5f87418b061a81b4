#include "explorer/SelectionRules.h"

#include <algorithm>

namespace lorvane {

KeyReleaseAction KeyReleaseActionFor(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Control) {
        return KeyReleaseAction::Nothing;
    }
    // Only Shift, Control and Alt count: keypad keys carry a modifier bit of their own, and the
    // logo key is no modifier of the list's.
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (held == Qt::ControlModifier) {
        return KeyReleaseAction::ReportSelected;
    }
    return KeyReleaseAction::SelectAndReport;
}

KeyPressAction KeyPressActionFor(int key) {
    return key == Qt::Key_Delete ? KeyPressAction::Delete : KeyPressAction::None;
}

FileOperation DeleteOperationFor(Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::ShiftModifier) ? FileOperation::DeletePermanently
                                                 : FileOperation::DeleteToRecycleBin;
}

MouseReleaseAction MouseReleaseActionFor(bool listHasItems, Qt::MouseButton button, bool overItem) {
    MouseReleaseAction action;
    if (!listHasItems) {
        return action;
    }
    action.reportSelected = button == Qt::LeftButton;
    action.showMenu = overItem && button == Qt::RightButton;
    return action;
}

RemovalPlan PlanRemoval(int focusedRow, QList<int> goneSelectedRows) {
    RemovalPlan plan;
    if (focusedRow < 0) {
        return plan;
    }
    goneSelectedRows.push_back(focusedRow);
    std::sort(goneSelectedRows.begin(), goneSelectedRows.end());
    goneSelectedRows.erase(std::unique(goneSelectedRows.begin(), goneSelectedRows.end()),
                           goneSelectedRows.end());
    for (int row = focusedRow - 1; row >= 0; --row) {
        if (!std::binary_search(goneSelectedRows.cbegin(), goneSelectedRows.cend(), row)) {
            plan.rowToSelect = row;
            break;
        }
    }
    plan.rows = std::move(goneSelectedRows);
    return plan;
}

}  // namespace lorvane
