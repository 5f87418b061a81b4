#pragma once

#include <QList>
#include <QStringList>

#include "platform/Launcher.h"

namespace lorvane {

// A launcher for tests: records what it was asked to open or start, and starts nothing.
class RecordingLauncher : public Launcher {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };

    bool openDocument(const QString& path) override {
        m_opened.append(path);
        return true;
    }
    bool startProgram(const QString& program, const QStringList& arguments) override {
        m_started.append({program, arguments});
        return true;
    }
    const QStringList& opened() const { return m_opened; }
    const QList<Start>& started() const { return m_started; }

private:
    QStringList m_opened;
    QList<Start> m_started;
};

}  // namespace lorvane
