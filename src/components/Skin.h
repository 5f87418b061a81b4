#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;

namespace lorvane {

// The skin engine: one skin file, applied to windows and controls by skin object name
// ("Toolbar", "Splitter", "StatusBar", "smallform", "Button", "Label"). A missing or broken skin
// file leaves every widget with its native look; no call ever fails towards the caller.
class Skin {
public:
    bool OpenSkinFile(const QString& path);
    void SkinTopWindow(QWidget* window);
    void SkinControlWindow(const QString& objectName, QWidget* control);
    bool isLoaded() const;

private:
    // skin object name -> style sheet
    struct Data;
    QString styleFor(const QString& objectName) const;
    QString m_top;
    QList<QPair<QString, QString>> m_sections;
};

}  // namespace lorvane
