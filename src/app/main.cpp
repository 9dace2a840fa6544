#include "app/application.h"
#include "app/mainform.h"
#include "platform/ipc/handoverserver.h"
#include "platform/prompts/dialogprompts.h"
#include "platform/shell/desktopshell.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelp = "Usage: audrel [LISTFILE | FILE...]\n"
                              "\n"
                              "Audrel, a batch audio converter: MP3 to WAV, WAV to MP3, WMA to WAV,\n"
                              "WAV to WMA, and any audio file to MP3, WAV, FLAC, Ogg Vorbis, Opus, AAC,\n"
                              "ALAC or WMA.\n"
                              "\n"
                              "  FILE...     audio files (.mp3 .mp2 .mp1 .wav .wma, and .flac .ogg .opus\n"
                              "              .m4a .aiff and the other kinds FFmpeg reads) and playlists\n"
                              "              (.m3u .pls), added to the lists of their kinds as if dropped\n"
                              "              on the window\n"
                              "  LISTFILE    a text file naming one file per line, added the same way\n"
                              "\n"
                              "  --help      show this text and exit\n"
                              "  --version   show the version and exit\n"
                              "\n"
                              "A running Audrel also takes list files through its hand-over socket; see\n"
                              "audrel(1). audrel-cli converts from the command line.\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before any window system is needed.
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("audrel %s\n", AUDREL_VERSION);
        return 0;
    }

    audrel::TApplication app(argc, argv);
    audrel::DialogPrompts prompts;
    audrel::DesktopShell shell;
    audrel::Prompts::install(&prompts);
    audrel::Shell::install(&shell);

    audrel::TMainForm form(audrel::ProgramFolder(), app.arguments());
    // Every start serves the hand-over socket when no other instance does.
    audrel::HandoverServer handover;
    if (handover.listen()) form.ListenForHandover(&handover);
    form.showMaximized();
    return app.exec();
}
