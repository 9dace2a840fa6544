#pragma once
// A prompts service for tests: records every request and answers from a script.

#include "platform/prompts/prompts.h"

#include <QList>
#include <QQueue>

#include <functional>

namespace audrel::test {

class ScriptedPrompts final : public Prompts
{
public:
    ScriptedPrompts();  // installs itself
    ~ScriptedPrompts(); // puts the previous service back

    struct FolderRequest
    {
        QString title;
        QString startFolder;
    };

    QList<MessageRequest> messages;
    QList<OpenFilesRequest> openRequests;
    QList<FolderRequest> folderRequests;

    // Answers given in order; when a queue is empty, a message gets its first
    // button, an open dialog is cancelled and the folder browser is cancelled.
    QQueue<int> messageAnswers;
    QQueue<QStringList> openAnswers;
    QQueue<QString> folderAnswers;
    // Called with each message before it is answered, to look at the program meanwhile.
    std::function<void(const MessageRequest&)> onMessage;

    int message(const MessageRequest& request) override;
    QStringList openFiles(const OpenFilesRequest& request) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;

private:
    Prompts* m_previous;
};

} // namespace audrel::test
