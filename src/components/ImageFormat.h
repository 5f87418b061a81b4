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

// A short name for reports and tools ("JPEG", "PSD", ...); never empty.
constexpr const char* ImageFormatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg:
            return "JPEG";
        case ImageFormat::Png:
            return "PNG";
        case ImageFormat::Tiff:
            return "TIFF";
        case ImageFormat::Pcx:
            return "PCX";
        case ImageFormat::Tga:
            return "TGA";
        case ImageFormat::Bmp:
            return "BMP";
        case ImageFormat::Wmf:
            return "WMF";
        case ImageFormat::Emf:
            return "EMF";
        case ImageFormat::Psd:
            return "PSD";
        case ImageFormat::Wbmp:
            return "WBMP";
        case ImageFormat::Gif:
            return "GIF";
        case ImageFormat::Ico:
            return "ICO";
        case ImageFormat::Cur:
            return "CUR";
        case ImageFormat::Pcd:
            return "PCD";
        case ImageFormat::Webp:
            return "WEBP";
        case ImageFormat::Svg:
            return "SVG";
        case ImageFormat::Other:
            return "other";
        case ImageFormat::Unknown:
            break;
    }
    return "unknown";
}

}  // namespace lorvane
