#pragma once

#include <QLatin1StringView>
#include <QString>

namespace lorvane {

// An extension list is one string of extensions without dots, separated by single blanks, in any
// letter case. It is only ever searched as a whole string, never split into words, so an
// extension matches when it occurs anywhere inside the list: "wbm" matches because of "WBMP".
// Callers rely on exactly these substring rules; do not "fix" them into word matches.

// The list the browser gives its explorer control: which files are shown and listed.
inline constexpr QLatin1StringView ExplorerExtensions{
    "JPG GIF BMP PNG PSD TIF PCX TGA WBMP PCD WMF EMF ICO DIB"};

// Files the viewer accepts by drop; unlike the explorer's list it has CUR.
inline constexpr QLatin1StringView SupportedExtensions{
    "JPG GIF BMP PNG PSD TIF PCX TGA WBMP PCD WMF EMF ICO CUR DIB"};

// Files decoded by the platform picture loader instead of the imaging control.
inline constexpr QLatin1StringView PictureExtensions{"ico cur dib"};

// Shown (exclamation icon, OK, application title) when the explorer is given an empty list.
inline constexpr QLatin1StringView kEmptyExtListMessage{
    "Extrsntions should be exist and separtated by spaces only like 'bmp jpg gif'"};

// The text after the last dot of the final name component (after the last "/"); empty when that
// name has no dot. "photo.Big.JPG" gives "JPG", "dir.d/file" gives "".
QString ExtensionOf(const QString& path);

// The form in which the explorer keeps its list: lower case, otherwise unchanged.
QString NormalizedExtList(const QString& s);

// The explorer's test against its installed list. Extensions shorter than three characters never
// match, so "jp" and "g" fail while "wbm" passes.
bool HasListedExtension(const QString& extList, const QString& path);

// The viewer's drop test against SupportedExtensions. No minimum length: "p" and "if" pass.
bool IsSupportedImage(const QString& path);

// Whether the file goes to the platform picture loader. There is no empty-extension guard, and
// an empty extension occurs in every string, so a name without extension counts as a picture.
bool UsesPictureLoader(const QString& path);

}  // namespace lorvane
