#pragma once

#include <QList>

#include <functional>

#include "platform/ShellFileOperation.h"

namespace lorvane {

// Records every request and answers from a script (Ok when the script is empty). An optional
// handler stands in for the work on disk, for tests that need the files to change.
class FakeShellFileOperation : public ShellFileOperation {
public:
    void scriptResult(ShellFileOperationResult result) { m_results.append(result); }
    void setHandler(
        std::function<ShellFileOperationResult(const ShellFileOperationRequest&)> handler) {
        m_handler = std::move(handler);
    }
    const QList<ShellFileOperationRequest>& requests() const { return m_requests; }

    ShellFileOperationResult run(const ShellFileOperationRequest& request) override {
        m_requests.append(request);
        if (m_handler)
            return m_handler(request);
        return m_results.isEmpty() ? ShellFileOperationResult{} : m_results.takeFirst();
    }

private:
    QList<ShellFileOperationResult> m_results;
    QList<ShellFileOperationRequest> m_requests;
    std::function<ShellFileOperationResult(const ShellFileOperationRequest&)> m_handler;
};

}  // namespace lorvane
