#include "scriptedprompts.h"

namespace audrel::test {

ScriptedPrompts::ScriptedPrompts() : m_previous(Prompts::install(this)) {}

ScriptedPrompts::~ScriptedPrompts()
{
    Prompts::install(m_previous);
}

int ScriptedPrompts::message(const MessageRequest& request)
{
    messages.append(request);
    if (onMessage) onMessage(request);
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    return request.buttons.isEmpty() ? IdOk : request.buttons.first();
}

QStringList ScriptedPrompts::openFiles(const OpenFilesRequest& request)
{
    openRequests.append(request);
    return openAnswers.isEmpty() ? QStringList() : openAnswers.dequeue();
}

QString ScriptedPrompts::browseForFolder(const QString& title, const QString& startFolder)
{
    folderRequests.append({title, startFolder});
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

} // namespace audrel::test
