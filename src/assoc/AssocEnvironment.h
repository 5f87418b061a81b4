#pragma once

#include <QString>

namespace lorvane {

// Where the program lives, as the association commands name it.
struct AssocEnvironment {
    // The folder that holds the program file and the "icons" folder.
    QString programFolder;
    // The program file the shell runs for an associated file, in programFolder. It is the fixed
    // name, whatever the running file is called, so that a renamed copy still associates the
    // installed program.
    QString programFileName = QStringLiteral("lorvane");
};

}  // namespace lorvane
