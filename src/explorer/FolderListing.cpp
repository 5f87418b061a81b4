#include "explorer/FolderListing.h"

#include <QDir>
#include <QDirIterator>

#include "explorer/ExtensionLists.h"
#include "explorer/NaturalNameOrder.h"
#include "explorer/WildcardPattern.h"

namespace lorvane {

QStringList GetImageList(const QString& extList, const QString& path, const QString& SearchStr) {
    QString folder = path;
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }

    const WildcardPattern pattern(SearchStr);
    QStringList names;
    // QDir::Files without QDir::System keeps regular files and links to them; the file type comes
    // from the directory entry itself, so ordinary files cost no stat call.
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        if (HasListedExtension(extList, name) && pattern.matches(name)) {
            names.push_back(name);
        }
    }

    names = NaturalNameOrder().sorted(std::move(names));
    if (names.size() > kMaxImageListSize) {
        names.resize(kMaxImageListSize);
    }
    for (QString& name : names) {
        name.prepend(folder);
    }
    return names;
}

}  // namespace lorvane
