#pragma once

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include "platform/ShellFileOperation.h"
#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

// The shell's file operations against real temporary folders, asserting what is on disk.
class TestShellFileOperation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void copyWritesEveryByteUnderItsName();
    void copyOntoItselfMakesACopyBeside();
    void existingTarget_data();
    void existingTarget();
    void moveWithinOneFileSystem();
    void moveOntoItselfIsRefused();
    void folderIntoItselfIsRefused();
    void copiesFolderWhole();
    void folderOntoExistingNameIsRefused();
    void cancelInTheMiddle_data();
    void cancelInTheMiddle();
    void moveToAnotherFileSystem();
    void destinationOutOfSpace_data();
    void destinationOutOfSpace();
    void readOnlyDestination();
    void rename_data();
    void rename();
    void deleteConfirmation_data();
    void deleteConfirmation();
    void trashWritesInfoTheDesktopReads();
    void trashOnAnotherVolume_data();
    void trashOnAnotherVolume();
    void noTrashAsksBeforeDeletingForGood_data();
    void noTrashAsksBeforeDeletingForGood();
    void missingSourceFails();

private:
    QString path(const QString& relative) const;
    ShellFileOperationResult run(const ShellFileOperationRequest& request);
    bool mount(const QString& relative, const char* options);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    QStringList m_mounts;
};

}  // namespace lorvane
