#pragma once

#include "platform/Prompts.h"
#include "platform/ShellFileOperation.h"
#include "platform/XdgTrash.h"

namespace lorvane {

// The shell's file operations on Linux. Copies are written under a temporary name in the
// destination folder and renamed into place only when complete; a move to another file system
// copies, checks the size and only then removes the source; deletes with AllowUndo go to the
// freedesktop trash, and a file no trash can take is deleted for good only when the user says so.
class XdgShellFileOperation : public ShellFileOperation {
public:
    explicit XdgShellFileOperation(Prompts& prompts, XdgTrash trash = XdgTrash());

    ShellFileOperationResult run(const ShellFileOperationRequest& request) override;

private:
    Prompts& m_prompts;
    XdgTrash m_trash;
};

}  // namespace lorvane
