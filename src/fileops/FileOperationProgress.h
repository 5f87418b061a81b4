#pragma once

#include <QElapsedTimer>

#include <functional>
#include <memory>

#include "platform/ShellFileOperation.h"

class QProgressDialog;

namespace lorvane {

// The progress display of long copies and moves: a dialog with Cancel that appears only when
// the work has taken longer than a moment, and keeps the window responsive while it runs.
class FileOperationProgress {
public:
    explicit FileOperationProgress(int delayMs = 600);
    ~FileOperationProgress();

    // False once the user has pressed Cancel.
    bool update(const ShellProgress& progress);
    // The operation has ended, whatever its outcome.
    void finish();

    QProgressDialog* dialog() const { return m_dialog.get(); }

private:
    int m_delayMs;
    QElapsedTimer m_sinceStart;
    std::unique_ptr<QProgressDialog> m_dialog;
};

}  // namespace lorvane
