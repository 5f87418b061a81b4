#pragma once

#include <QString>
#include <QStringList>

namespace lorvane {

// Icons and button sets of the classic message box, with its return codes, so that callers can
// keep the exact reactions they were designed around ("Yes" = 6, "No" = 7, ...).
enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MessageResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The answer of a save dialog: the chosen path (empty when the user cancelled) and the filter
// the user left selected, 1-based in the order of the filter text.
struct SaveFileChoice {
    QString path;
    int filterIndex = 0;
};

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

    // File dialogs take their filters in the classic form "Description|*.a;*.b|Description|*.c".
    // The open dialog picks one or several existing files and returns their full paths in the
    // dialog's order; none on Cancel. It starts in startFolder (the working folder when empty).
    // Both file dialogs answer Cancel where an implementation has none.
    virtual QStringList openFileNames(const QString& /*filter*/, const QString& /*startFolder*/) {
        return {};
    }
    // The save dialog starts on the 1-based filterIndex with suggestedPath (a folder and a name
    // without extension, either may be empty) filled in, adds defaultExtension to a name typed
    // without one, and asks before a chosen file that exists is overwritten.
    virtual SaveFileChoice saveFileName(const QString& /*filter*/, int /*filterIndex*/,
                                        const QString& /*defaultExtension*/,
                                        const QString& /*suggestedPath*/) {
        return {};
    }
};

}  // namespace lorvane
