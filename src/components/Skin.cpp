#include "components/Skin.h"

#include <QWidget>

namespace lorvane {

bool Skin::OpenSkinFile(const QString& path) {
    Q_UNUSED(path);
    return false;
}

void Skin::SkinTopWindow(QWidget* window) {
    Q_UNUSED(window);
}

void Skin::SkinControlWindow(const QString& objectName, QWidget* control) {
    Q_UNUSED(objectName);
    Q_UNUSED(control);
}

bool Skin::isLoaded() const {
    return false;
}

QString Skin::styleFor(const QString& objectName) const {
    Q_UNUSED(objectName);
    return {};
}

}  // namespace lorvane
