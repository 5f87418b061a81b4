#include "components/PictureLoader.h"

#include <QImageReader>

namespace lorvane {

PictureResult LoadPicture(const QString& path) {
    PictureResult result;
    QImageReader reader(path);
    result.picture = reader.read();
    if (result.picture.isNull()) {
        result.reason = reader.errorString();
        if (result.reason.isEmpty()) {
            result.reason = QStringLiteral("The file could not be read");
        }
    }
    return result;
}

}  // namespace lorvane
