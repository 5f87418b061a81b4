#pragma once

namespace lorvane {

class ImageDocument;
class Prompts;
class Wallpaper;

enum class WallpaperOutcome {
    NothingToDo,  // no image, or an image without a file name
    Refused,      // a hidden, write-protected file of that name is in the way
    SaveFailed,   // the file could not be written; the wallpaper is unchanged
    NotApplied,   // written, but no desktop mechanism took it; the user is told where it is
    Applied,
};

// The document's shown image as the desktop wallpaper: written as a Windows bitmap under the
// image's own file name into the wallpaper folder (overwriting a file of that name), then handed
// to the desktop. Every outcome but NothingToDo and Applied is told to the user.
WallpaperOutcome SetWallpaper(const ImageDocument& document, Wallpaper& wallpaper,
                              Prompts& prompts);

}  // namespace lorvane
