#pragma once

#include <QString>
#include <QStringList>

namespace lorvane {

// Hands files and programs to the desktop. Neither call waits for what it started; UI thread.
class Launcher {
public:
    virtual ~Launcher() = default;

    // Opens a document with the desktop's opener for its type. False when no opener could be
    // started.
    virtual bool openDocument(const QString& path) = 0;
    // Starts a program with its arguments, each passed as it is (no shell). False when it
    // could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

}  // namespace lorvane
