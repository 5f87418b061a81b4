#include "app/Startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

#include "explorer/FolderListing.h"
#include "explorer/WildcardPattern.h"

namespace lorvane {

namespace {

const QLatin1StringView kAssociateSwitch{"/Associate"};
const QLatin1StringView kDeassociateSwitch{"/DeAssociate"};

#ifdef Q_OS_WIN
bool IsDriveRoot(const QString& text) {
    return text.endsWith(QLatin1String(":\\")) || text.endsWith(QLatin1String(":/"));
}

bool DriveExists(const QString& text) {
    const QChar letter = text.front().toUpper();
    for (const QFileInfo& drive : QDir::drives()) {
        const QString root = drive.absoluteFilePath();
        if (!root.isEmpty() && root.front().toUpper() == letter) {
            return true;
        }
    }
    return false;
}
#endif

bool AnyEntryMatches(const QString& text) {
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    QString folder;
    if (slash < 0) {
        folder = QStringLiteral(".");
    } else if (slash == 0) {
        folder = QStringLiteral("/");
    } else {
        folder = text.left(slash);
    }
    const WildcardPattern pattern(text.mid(slash + 1));
    // QDir::System brings in broken links, FIFOs and the like: any entry counts, as in a
    // directory search. "." and ".." are not taken as matches: an empty folder matches nothing.
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        if (pattern.matches(entries.fileName())) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool AsksForVersion(const QStringList& argsAfterProgram) {
    return argsAfterProgram == QStringList{QStringLiteral("--version")};
}

QString VersionLine() {
    return QStringLiteral("Lorvane " LORVANE_VERSION_TEXT);
}

QString CommandTextFromArguments(const QStringList& argsAfterProgram) {
    return argsAfterProgram.join(QLatin1Char(' '));
}

bool IsExistingPath(const QString& text) {
#ifdef Q_OS_WIN
    if (IsDriveRoot(text)) {
        return DriveExists(text);
    }
#endif
    if (text.isEmpty() || text.endsWith(QLatin1Char('/'))) {
        return false;
    }
    const qsizetype nameStart = text.lastIndexOf(QLatin1Char('/')) + 1;
    if (WildcardPattern::HasWildcards(text.mid(nameStart))) {
        return AnyEntryMatches(text);
    }
    const QFileInfo entry(text);
    return entry.exists() || entry.isSymLink();
}

QString ParentFolderOf(const QString& text) {
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : text.left(slash);
}

StartPlan PlanStart(const QString& commandText, const PathTest& pathExists) {
    StartPlan plan;
    if (commandText == kDeassociateSwitch) {
        plan.kind = StartKind::Deassociate;
    } else if (commandText == kAssociateSwitch) {
        plan.kind = StartKind::Associate;
    } else if (pathExists && pathExists(commandText)) {
        plan.kind = StartKind::OpenViewer;
        plan.path = commandText;
        plan.folder = ParentFolderOf(commandText);
    } else {
        plan.kind = StartKind::ShowBrowser;
    }
    return plan;
}

int FindImageIndex(const QStringList& ImagePaths, const QString& path) {
    const qsizetype searched = std::min(ImagePaths.size(), kMaxImageListSize);
    for (qsizetype i = 0; i < searched; ++i) {
        if (ImagePaths[i] == path) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace lorvane
