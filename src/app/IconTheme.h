#pragma once

#include <QString>
#include <QStringList>

namespace lorvane {

// The icon theme Qt falls back to for icons the desktop's theme lacks: the first of Adwaita,
// breeze-dark and breeze found under one of `searchPaths` (a folder with an index.theme), or ""
// when none is installed. Without one, a session whose settings Qt does not read (a plain X
// session, many lighter desktops) has only "hicolor", which holds no action icons, and the file
// dialogs' buttons fall back to Qt's small built-in pictures.
QString ChooseFallbackIconTheme(const QStringList& searchPaths);

// Sets Qt's fallback icon theme to ChooseFallbackIconTheme over Qt's own search path. The
// desktop's theme keeps precedence for every icon it has. Needs the application object.
void UseFallbackIconTheme();

}  // namespace lorvane
