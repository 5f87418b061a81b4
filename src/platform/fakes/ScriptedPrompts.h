#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/Prompts.h"

namespace lorvane {

// Prompts for tests: answers come from a script, in order, and every question is recorded.
// With the script exhausted a message box answers its Cancel-like default and an input box "".
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

    void scriptMessageAnswer(MessageResult answer) { m_messageAnswers.append(answer); }
    void scriptInput(const QString& typed) { m_inputAnswers.append(typed); }

    const QList<Message>& messages() const { return m_messages; }
    const QList<Input>& inputs() const { return m_inputs; }
    void clearRecords();

    MessageResult messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;

private:
    QList<MessageResult> m_messageAnswers;
    QStringList m_inputAnswers;
    QList<Message> m_messages;
    QList<Input> m_inputs;
};

}  // namespace lorvane
