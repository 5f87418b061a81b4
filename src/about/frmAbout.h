#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "platform/Registry.h"

class QLabel;
class QPushButton;

namespace lorvane {

class Launcher;
class Prompts;
class Skin;

// The About box: name, version, what the program is for, a legal notice, contact lines, and a
// button that starts the system's information program. Modeless; OK closes and deletes it.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    using ProgramFinder = std::function<QString(const QString& name)>;

    // `skin` and `launcher` may be null (no skin; no program can be started). `findProgram`
    // looks a program up on PATH; the default asks the system.
    frmAbout(Registry& registry, Prompts& prompts, Launcher* launcher, Skin* skin,
             QWidget* parent = nullptr, ProgramFinder findProgram = {});

    // The text of a string value, or nothing when the key cannot be opened for full access or
    // the value cannot be read.
    std::optional<QString> GetKeyValue(RegRoot KeyRoot, const QString& KeyName,
                                       const QString& SubKeyRef) const;
    // The registry's system-information program, else one of the desktop's found on PATH; tells
    // the user when there is none or it does not start.
    void StartSysInfo();

    QPushButton* cmdSysInfo() const { return m_cmdSysInfo; }
    QPushButton* cmdOK() const { return m_cmdOK; }

private:
    QString findSysInfoProgram() const;

    Registry& m_registry;
    Prompts& m_prompts;
    Launcher* m_launcher;
    ProgramFinder m_findProgram;
    QPushButton* m_cmdSysInfo = nullptr;
    QPushButton* m_cmdOK = nullptr;
};

}  // namespace lorvane
