#pragma once

#include <QString>

namespace lorvane {

// Icons and button sets of the classic message box, with its return codes, so that callers can
// keep the exact reactions they were designed around ("Yes" = 6, "No" = 7, ...).
enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MessageResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Modal questions to the user. Called on the UI thread only; every call blocks until the user
// answers (the real implementation runs a nested event loop). Never fails: a prompt that cannot
// be shown answers as if the user had cancelled.
class Prompts {
public:
    virtual ~Prompts() = default;

    virtual MessageResult messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                                     const QString& caption) = 0;

    // A one-line text prompt. Returns the typed text, or the empty text on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
};

}  // namespace lorvane
