#pragma once

#include "platform/Launcher.h"

namespace lorvane {

// Documents through xdg-open, programs as detached processes.
class XdgLauncher : public Launcher {
public:
    bool openDocument(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
};

}  // namespace lorvane
