#include "fileops/FileOperationProgress.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace lorvane {

FileOperationProgress::FileOperationProgress(int delayMs) : m_delayMs(delayMs) {}

FileOperationProgress::~FileOperationProgress() = default;

bool FileOperationProgress::update(const ShellProgress& progress) {
    if (!m_sinceStart.isValid())
        m_sinceStart.start();
    if (!m_dialog && m_sinceStart.elapsed() >= m_delayMs) {
        m_dialog = std::make_unique<QProgressDialog>();
        m_dialog->setWindowTitle(QStringLiteral("Lorvane"));
        m_dialog->setCancelButtonText(QStringLiteral("Cancel"));
        m_dialog->setRange(0, 1000);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->show();
    }
    if (m_dialog) {
        m_dialog->setLabelText(QFileInfo(progress.currentPath).fileName());
        if (progress.bytesTotal > 0)
            m_dialog->setValue(int(progress.bytesDone * 1000 / progress.bytesTotal));
        QCoreApplication::processEvents();
        return !m_dialog->wasCanceled();
    }
    return true;
}

void FileOperationProgress::finish() {
    m_dialog.reset();
    m_sinceStart.invalidate();
}

}  // namespace lorvane
