#pragma once

#include "platform/Prompts.h"

class QWidget;

namespace lorvane {

// Prompts as Qt dialogs, owned by the active window of the program.
class QtPrompts : public Prompts {
public:
    MessageResult messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QStringList openFileNames(const QString& filter, const QString& startFolder) override;
    SaveFileChoice saveFileName(const QString& filter, int filterIndex,
                                const QString& defaultExtension,
                                const QString& suggestedPath) override;
};

}  // namespace lorvane
