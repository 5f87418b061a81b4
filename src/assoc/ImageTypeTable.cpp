#include "assoc/ImageTypeTable.h"

namespace lorvane {

namespace {

ImageTypeRow row(const char* name, const char* description, const char* icon) {
    const QString n = QLatin1String(name);
    return {QLatin1Char('.') + n, QLatin1String("Lorvane.") + n, QLatin1String(description),
            QLatin1String("icons/") + QLatin1String(icon) + QLatin1String(".svg"),
            QLatin1Char(' ') + n + QLatin1Char(' ')};
}

}  // namespace

const QList<ImageTypeRow>& ImageTypeTable() {
    static const QList<ImageTypeRow> table = {
        row("jpg", "Lorvane JPG image", "jpg"),    row("jpeg", "Lorvane JPEG image", "jpg"),
        row("gif", "Lorvane GIF image", "gif"),    row("bmp", "Lorvane BMP image", "bmp"),
        row("dib", "Lorvane DIB image", "dib"),    row("png", "Lorvane PNG image", "png"),
        row("psd", "Lorvane PSD image", "psd"),    row("tif", "Lorvane TIF image", "tif"),
        row("pcx", "Lorvane PCX image", "pcx"),    row("tga", "Lorvane TGA image", "tga"),
        row("wbmp", "Lorvane WBMB image", "wbmb"), row("wmf", "Lorvane WMF image", "wmf"),
        row("ico", "Lorvane Icon", "ico"),         row("emf", "Lorvane EMF image", "emf"),
        row("tla", "Lorvane TLA image", "icon"),
    };
    return table;
}

}  // namespace lorvane
