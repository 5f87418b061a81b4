#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace lorvane {

// What one start of the program does, decided from its command text alone.
enum class StartKind {
    Deassociate,  // "/DeAssociate": DeassociateImageTypes, then end without a window
    Associate,    // "/Associate": AssociateImageTypes, then end without a window
    OpenViewer,   // an existing path: the viewer on the images of its folder
    ShowBrowser,  // anything else: the browser window
};

struct StartPlan {
    StartKind kind = StartKind::ShowBrowser;
    // OpenViewer only: the command text (the image to look up in the list) and the folder whose
    // image list the viewer steps through.
    QString path;
    QString folder;

    // Every start except "/DeAssociate" runs AssociateImageTypes before anything is shown, so an
    // ordinary start also offers to take back image types another program has taken.
    bool runsAssociateImageTypes() const { return kind != StartKind::Deassociate; }
    bool endsAfterAssociation() const {
        return kind == StartKind::Deassociate || kind == StartKind::Associate;
    }
};

using PathTest = std::function<bool(const QString&)>;

// "lorvane --version", the one argument alone, prints VersionLine() and ends before anything
// else runs (no lock, no window). A file named "--version" is still opened as "./--version".
bool AsksForVersion(const QStringList& argsAfterProgram);
// "Lorvane 1.1.0.0"
QString VersionLine();

// The command text is the arguments after the program name joined by single blanks and nothing
// else: quote characters stay in it, and a path with blanks given as one argument survives.
QString CommandTextFromArguments(const QStringList& argsAfterProgram);

// Whether the text names an existing file-system entry, file or folder. A final name component
// with "*" or "?" is a WildcardPattern: true when anything in that folder matches it. A text
// ending in "/" names no entry and gives false; a broken symbolic link is an entry and gives true.
// Drive roots ("C:\") are tested against the drive list where the platform has drives.
bool IsExistingPath(const QString& text);

// The text before its last "/"; empty when there is none ("/photo.jpg" gives "", which the
// folder listing reads as the root folder). The text is not made absolute first.
QString ParentFolderOf(const QString& text);

// The switches are compared exactly, case-sensitively, on the whole text: "/associate" and
// "/Associate x" are not switches and go through the path test. pathExists is IsExistingPath
// outside tests.
StartPlan PlanStart(const QString& commandText, const PathTest& pathExists = IsExistingPath);

// The lowest position whose entry equals path exactly (case-sensitive, whole string); 0 when none
// does. Only positions a signed 16-bit index can address are searched.
int FindImageIndex(const QStringList& ImagePaths, const QString& path);

}  // namespace lorvane
