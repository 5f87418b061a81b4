#include "viewer/FileDialogFilters.h"

#include <array>

namespace lorvane {

const QString kOpenFilter = QStringLiteral(
    "All "
    "Images|*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.png;*.psd;*.tif;*.pcx;*.tga;*.wbmp;*.wmf;*.ico;*.cur;"
    "*.emf;*.tla|Joint Photographic Experts Group  <JPG,JPEG>|*.jpg;*.jpeg|Graphics Interchange "
    "Format  <GIF>|*.gif|Windows Bitmap  <BMP,DIB>|*.bmp;*.dib|Portable Network Graphics  "
    "<PNG>|*.png|Photoshop  <PSD>|*.psd|Tagged Image File  <TIF>|*.tif|ZSoft PaintBrush  "
    "<PCX>|*.pcx|Truevision Targa  <TGA>|*.tga|Wireless Bitmap  <WBMP>|*.wbmp|Windows Meta File  "
    "<WMF>|*.wmf|ICO Files  <ICO>|*.ICO|Windows Enhanced Meta File <EMF>|*.emf|All Files|*.*");

const QString kSaveFilter = QStringLiteral(
    "Joint Photographic Experts Group  <JPG>|*.jpg|Portable Network Graphics  "
    "<PNG>|*.png|Photoshop  <PSD>|*.psd|Tagged Image File  <TIF>|*.tif|ZSoft PaintBrush  "
    "<PCX>|*.pcx|Truevision Targa  <TGA>|*.tga|Wireless Bitmap  <WBMP>|*.wbmp|Windows Bitmap  "
    "<BMP>|*.bmp|Windows Metafile  <WMF>|*.wmf|Windows Enhanced Metafile  <EMF>|*.emf");

namespace {

struct Row {
    const char* extension;
    int code;
};

constexpr std::array<Row, 10> kSaveFormats{{
    {"jpg", 1},
    {"png", 2},
    {"psd", 9},
    {"tif", 3},
    {"pcx", 4},
    {"tga", 5},
    {"wbmp", 10},
    {"bmp", 6},
    {"wmf", 7},
    {"emf", 8},
}};

}  // namespace

SaveFormat SaveFormatForFilter(int filterIndex) {
    if (filterIndex < 1 || filterIndex > static_cast<int>(kSaveFormats.size()))
        return {};
    const Row& row = kSaveFormats[static_cast<size_t>(filterIndex - 1)];
    return {QLatin1String(row.extension), row.code};
}

std::optional<int> SaveFilterForFormat(int code) {
    for (size_t i = 0; i < kSaveFormats.size(); ++i) {
        if (kSaveFormats[i].code == code)
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

}  // namespace lorvane
