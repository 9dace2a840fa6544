#pragma once
// The prompts of the window benches: every message is answered with its first
// button and counted, and no file dialog is shown.

#include "platform/prompts/prompts.h"

class QuietPrompts final : public audrel::Prompts
{
public:
    int messages = 0;
    int message(const audrel::MessageRequest& request) override
    {
        ++messages;
        return request.buttons.isEmpty() ? audrel::IdOk : request.buttons.first();
    }
    QStringList openFiles(const audrel::OpenFilesRequest&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
};
