#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/Prompts.h"

namespace lorvane {

// Prompts for tests: answers come from a script, in order, and every question is recorded.
// With the script exhausted a message box answers its Cancel-like default, an input box "" and
// a file dialog Cancel.
class ScriptedPrompts : public Prompts {
public:
    struct Message {
        QString text;
        MessageButtons buttons;
        MessageIcon icon;
        QString caption;
    };
    struct Input {
        QString prompt;
        QString title;
        QString defaultText;
    };

    struct SaveRequest {
        QString filter;
        int filterIndex;
        QString defaultExtension;
        QString suggestedPath;
    };

    void scriptMessageAnswer(MessageResult answer) { m_messageAnswers.append(answer); }
    void scriptInput(const QString& typed) { m_inputAnswers.append(typed); }
    // An empty list answers as Cancel.
    void scriptOpenFiles(const QStringList& paths) { m_openAnswers.append(paths); }
    // An empty path answers as Cancel.
    void scriptSaveFile(const QString& path, int filterIndex) {
        m_saveAnswers.append({path, filterIndex});
    }

    const QList<Message>& messages() const { return m_messages; }
    const QList<Input>& inputs() const { return m_inputs; }
    const QStringList& openRequests() const { return m_openRequests; }  // the filters shown
    const QStringList& openFolders() const { return m_openFolders; }    // where each started
    const QList<SaveRequest>& saveRequests() const { return m_saveRequests; }
    void clearRecords();

    MessageResult messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QStringList openFileNames(const QString& filter, const QString& startFolder) override;
    SaveFileChoice saveFileName(const QString& filter, int filterIndex,
                                const QString& defaultExtension,
                                const QString& suggestedPath) override;

private:
    QList<MessageResult> m_messageAnswers;
    QStringList m_inputAnswers;
    QList<Message> m_messages;
    QList<Input> m_inputs;
    QList<QStringList> m_openAnswers;
    QList<SaveFileChoice> m_saveAnswers;
    QStringList m_openRequests;
    QStringList m_openFolders;
    QList<SaveRequest> m_saveRequests;
};

}  // namespace lorvane
