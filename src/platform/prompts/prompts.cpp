#include "platform/prompts/prompts.h"

#include <QDir>

#include <cstdio>

namespace audrel {

namespace {

class ConsolePrompts final : public Prompts
{
public:
    int message(const MessageRequest& request) override
    {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.caption), qUtf8Printable(request.text));
        return request.buttons.isEmpty() ? IdOk : request.buttons.first();
    }
    QStringList openFiles(const OpenFilesRequest&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
};

ConsolePrompts g_console;
Prompts* g_current = nullptr;

} // namespace

Prompts& Prompts::instance()
{
    return g_current ? *g_current : static_cast<Prompts&>(g_console);
}

Prompts* Prompts::install(Prompts* prompts)
{
    Prompts* previous = g_current;
    g_current = prompts;
    return previous;
}

int showMessage(const QString& text, const QString& caption, MsgIcon icon, QList<int> buttons)
{
    return Prompts::instance().message(MessageRequest{text, caption, icon, std::move(buttons)});
}

bool BrowseForFolder(const QString& title, const QString& root, QString& folder)
{
    if (folder.isEmpty() || !QDir(folder).exists())
        folder.clear();
    const QString start = folder.isEmpty() ? root : folder;
    const QString chosen = Prompts::instance().browseForFolder(title, start);
    if (chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}

QList<QPair<QString, QString>> splitFilter(const QString& filter)
{
    QList<QPair<QString, QString>> pairs;
    const QStringList fields = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        pairs.append({fields[i], fields[i + 1]});
    return pairs;
}

} // namespace audrel
