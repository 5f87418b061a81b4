#include "app/IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>

namespace lorvane {

QString ChooseFallbackIconTheme(const QStringList& searchPaths) {
    // Adwaita first: Debian's desktops install it with GTK, and its colour icons read on the
    // skin's dark grey.
    for (const char* theme : {"Adwaita", "breeze-dark", "breeze"}) {
        for (const QString& folder : searchPaths) {
            const QString index =
                QDir(folder).filePath(QLatin1String(theme) + QStringLiteral("/index.theme"));
            if (QFileInfo(index).isFile())
                return QLatin1String(theme);
        }
    }
    return {};
}

void UseFallbackIconTheme() {
    const QString theme = ChooseFallbackIconTheme(QIcon::themeSearchPaths());
    if (!theme.isEmpty())
        QIcon::setFallbackThemeName(theme);
}

}  // namespace lorvane
