#include "explorer/ExtensionLists.h"

namespace lorvane {

QString ExtensionOf(const QString& path) {
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart) {
        return {};
    }
    return path.mid(dot + 1);
}

QString NormalizedExtList(const QString& s) {
    return s.toLower();
}

bool HasListedExtension(const QString& extList, const QString& path) {
    const QString ext = ExtensionOf(path);
    if (ext.size() < 3) {
        return false;
    }
    // The installed list is already lower case; folding here too keeps the test right when a
    // caller passes one of the fixed upper-case lists directly.
    return extList.contains(ext, Qt::CaseInsensitive);
}

bool IsSupportedImage(const QString& path) {
    const QString ext = ExtensionOf(path);
    if (ext.isEmpty()) {
        return false;
    }
    return SupportedExtensions.contains(ext, Qt::CaseInsensitive);
}

bool UsesPictureLoader(const QString& path) {
    const QString ext = ExtensionOf(path);
    if (ext.isEmpty()) {
        return true;  // the empty string occurs in every list
    }
    return PictureExtensions.contains(ext, Qt::CaseInsensitive);
}

}  // namespace lorvane
