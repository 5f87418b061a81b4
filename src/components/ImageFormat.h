#pragma once

namespace lorvane {

// Format codes of the imaging control. 1 to 10 are the codes of the Save As table and must not
// change; the rest are ours, for types that are read but not written.
enum class ImageFormat : int {
    Unknown = 0,
    Jpeg = 1,
    Png = 2,
    Tiff = 3,
    Pcx = 4,
    Tga = 5,
    Bmp = 6,
    Wmf = 7,
    Emf = 8,
    Psd = 9,
    Wbmp = 10,
    Gif = 11,
    Ico = 12,
    Cur = 13,
    Pcd = 14,
    Webp = 15,
    Svg = 16,
    Other = 99,
};

}  // namespace lorvane
