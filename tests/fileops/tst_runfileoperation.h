#pragma once

#include <QObject>
#include <QTemporaryDir>

#include <memory>

#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

// Both windows' file operations through the shared engine, on real temporary folders.
class TestRunFileOperation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void requestForEveryCode_data();
    void requestForEveryCode();
    void cancelledPickerSendsNothing();
    void viewerCopyLeavesListAlone();
    void viewerRemovesAndStepsToNeighbour_data();
    void viewerRemovesAndStepsToNeighbour();
    void viewerOnlyImageLeavesItEmpty();
    void viewerDeclinedDeleteChangesNothing();
    void viewerRename();
    void renameThatDoesNothing_data();
    void renameThatDoesNothing();
    void renameOntoExistingFileIsRefused();
    void renameTargetInRootFolder();
    void explorerSeveralItemsKeepTheirNames_data();
    void explorerSeveralItemsKeepTheirNames();
    void explorerDelete_data();
    void explorerDelete();
    void explorerPartlyDeclinedMoveRemovesOnlyWhatLeft();
    void explorerRenamesFocusedItem();

private:
    QString path(const QString& relative) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

}  // namespace lorvane
