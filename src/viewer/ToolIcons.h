#pragma once

#include <QIcon>
#include <QString>

namespace lorvane {

// The viewer's button pictures, drawn at run time so that they stay sharp at any scale: a normal
// picture and a brighter one for the hovered button. `key` is the button's key ("open32", ...).
QIcon ToolIcon(const QString& key);

}  // namespace lorvane
