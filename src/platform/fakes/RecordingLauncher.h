#pragma once

#include <QList>
#include <QStringList>

#include "platform/Launcher.h"

namespace lorvane {

// A launcher for tests: records what it was asked to open or start, and starts nothing. With
// `succeeds` false every call reports that nothing could be started.
class RecordingLauncher : public Launcher {
public:
    explicit RecordingLauncher(bool succeeds = true) : m_succeeds(succeeds) {}

    struct Start {
        QString program;
        QStringList arguments;
    };

    bool openDocument(const QString& path) override {
        m_opened.append(path);
        return m_succeeds;
    }
    bool startProgram(const QString& program, const QStringList& arguments) override {
        m_started.append({program, arguments});
        return m_succeeds;
    }
    const QStringList& opened() const { return m_opened; }
    const QList<Start>& started() const { return m_started; }

private:
    bool m_succeeds;
    QStringList m_opened;
    QList<Start> m_started;
};

}  // namespace lorvane
