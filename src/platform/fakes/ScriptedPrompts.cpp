#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

void ScriptedPrompts::clearRecords() {
    m_messages.clear();
    m_inputs.clear();
    m_openRequests.clear();
    m_openFolders.clear();
    m_saveRequests.clear();
}

MessageResult ScriptedPrompts::messageBox(const QString& text, MessageButtons buttons,
                                          MessageIcon icon, const QString& caption) {
    m_messages.append({text, buttons, icon, caption});
    if (!m_messageAnswers.isEmpty())
        return m_messageAnswers.takeFirst();
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageResult::Ok;
        case MessageButtons::YesNo:
            return MessageResult::No;
        case MessageButtons::AbortRetryIgnore:
            return MessageResult::Ignore;
        default:
            return MessageResult::Cancel;
    }
}

QString ScriptedPrompts::inputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText) {
    m_inputs.append({prompt, title, defaultText});
    return m_inputAnswers.isEmpty() ? QString() : m_inputAnswers.takeFirst();
}

QStringList ScriptedPrompts::openFileNames(const QString& filter, const QString& startFolder) {
    m_openRequests.append(filter);
    m_openFolders.append(startFolder);
    return m_openAnswers.isEmpty() ? QStringList() : m_openAnswers.takeFirst();
}

SaveFileChoice ScriptedPrompts::saveFileName(const QString& filter, int filterIndex,
                                             const QString& defaultExtension,
                                             const QString& suggestedPath) {
    m_saveRequests.append({filter, filterIndex, defaultExtension, suggestedPath});
    if (m_saveAnswers.isEmpty())
        return {};
    return m_saveAnswers.takeFirst();
}

}  // namespace lorvane
