#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace lorvane {

// The skin engine: one skin file, applied to windows and controls by skin object name
// ("Toolbar", "Splitter", "StatusBar", "smallform", "Button", "Label"). A missing or broken skin
// file leaves every widget with its native look; no call ever fails towards the caller.
//
// The skin file is text: "[ObjectName]" opens a section, whose lines up to the next section are
// a Qt style sheet for that object ("[TopWindow]" for whole windows). Lines starting with ';'
// outside a style sheet's braces are comments (inside, the sheet's own /* */ comments serve). A
// file without sections, with text before the first section, with a section named twice, or with
// unbalanced braces is broken.
//
// Each sheet is set on the widget it is applied to, so it reaches that widget and its children
// only; the widget also gets the dynamic property "skinObject" (the object name), which sheets
// may select on (e.g. QWidget[skinObject="Splitter"]). UI thread only.
class Skin {
public:
    bool OpenSkinFile(const QString& path);
    void SkinTopWindow(QWidget* window);
    void SkinControlWindow(const QString& objectName, QWidget* control);
    bool isLoaded() const { return m_loaded; }

    // The style sheet of a section ("" when absent or nothing is loaded); names match
    // regardless of case.
    QString styleFor(const QString& objectName) const;

private:
    void apply(const QString& objectName, QWidget* widget) const;

    bool m_loaded = false;
    QHash<QString, QString> m_sections;  // lower-cased object name -> style sheet
};

}  // namespace lorvane
