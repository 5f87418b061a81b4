#pragma once

#include <functional>

#include "platform/Prompts.h"

class QWidget;

namespace lorvane {

// Prompts as Qt dialogs, owned by the active window of the program.
class QtPrompts : public Prompts {
public:
    // Gives a dialog the program's look before it is shown. Every prompt is skinned itself: a
    // dialog would otherwise take the look only from a skinned owner, and the first box of a run
    // (the association question) or one shown while no window is active has none.
    using DialogSkinner = std::function<void(QWidget* dialog)>;
    void setDialogSkinner(DialogSkinner skinner) { m_skinDialog = std::move(skinner); }

    MessageResult messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QStringList openFileNames(const QString& filter, const QString& startFolder) override;
    SaveFileChoice saveFileName(const QString& filter, int filterIndex,
                                const QString& defaultExtension,
                                const QString& suggestedPath) override;

private:
    void skin(QWidget* dialog) const;

    DialogSkinner m_skinDialog;
};

}  // namespace lorvane
