#include "app/application.h"
#include "app/mainform.h"
#include "platform/ipc/handoverserver.h"
#include "platform/prompts/dialogprompts.h"
#include "platform/shell/desktopshell.h"

int main(int argc, char** argv)
{
    audrel::TApplication app(argc, argv);
    audrel::DialogPrompts prompts;
    audrel::DesktopShell shell;
    audrel::Prompts::install(&prompts);
    audrel::Shell::install(&shell);

    audrel::TMainForm form(audrel::ProgramFolder(), app.arguments());
    // Every start serves the hand-over socket when no other instance does.
    audrel::HandoverServer handover;
    if (handover.listen())
        form.ListenForHandover(&handover);
    form.showMaximized();
    return app.exec();
}
