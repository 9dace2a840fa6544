// Converts every file of a folder through the real conversion dialog of the
// main window (offscreen), as the Convert command does, and prints how long
// the dialog took:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_window_batch mp3|wav JOBS SOURCES OUT
// "mp3" encodes the WAV files of SOURCES on the WAV to MP3 tab, "wav" decodes
// the MP3 files on the MP3 to WAV tab; JOBS is the setting "Files converted
// at once" (0: automatic). The results go to OUT.

#include "app/directionviews.h"
#include "app/mainform.h"
#include "convert/conversiondialog.h"
#include "jobs/rowbuilder.h"
#include "platform/audio/ffmpegmodule.h"
#include "quietprompts.h"
#include "platform/xaudio/xaudioplayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 5 || (std::strcmp(argv[1], "mp3") != 0 && std::strcmp(argv[1], "wav") != 0)) {
        std::fprintf(stderr, "usage: bench_window_batch mp3|wav JOBS SOURCES OUT\n");
        return 2;
    }
    using namespace audrel;
    const bool toMp3 = std::strcmp(argv[1], "mp3") == 0;
    const JobKind kind = toMp3 ? JobKind::WavToMp3 : JobKind::Mp3ToWav;
    const QDir sources(QString::fromLocal8Bit(argv[3]));
    const QString out = QDir(QString::fromLocal8Bit(argv[4])).absolutePath();

    // A program folder with the player library and the FFmpeg module of this build.
    QTemporaryDir program;
    const QString build = QCoreApplication::applicationDirPath() + QStringLiteral("/../");
    for (const char* name : {TXaudioPlayer::kLibraryName, audio::FfmpegModule::kFileName})
        QFile::link(build + QLatin1String(name), program.filePath(QLatin1String(name)));
    QuietPrompts prompts;
    Prompts::install(&prompts);

    TMainForm form(program.path() + QStringLiteral("/"));
    Settings& settings = form.settings();
    settings.SameFolder = false;
    settings.DestFolder = out + QStringLiteral("/");
    settings.ConvertJobs = std::atoi(argv[2]);
    settings.OverWrite = false;
    JobList& list = *form.list(kind);
    for (const QString& name : sources.entryList({toMp3 ? QStringLiteral("*.wav") : QStringLiteral("*.mp3")},
                                                 QDir::Files, QDir::Name))
        form.builder().AddRow(kind, sources.filePath(name));
    if (list.count() == 0) {
        std::fprintf(stderr, "no files to convert in %s\n", argv[3]);
        return 1;
    }

    const std::unique_ptr<TConversionDialog> dialog =
        ViewOf(kind).conversionDialog(list, settings, form.programFolder(), &form);
    QElapsedTimer timer;
    timer.start();
    dialog->exec();
    const double ms = timer.nsecsElapsed() / 1e6;
    const ConversionOutcome& outcome = dialog->Outcome();
    std::printf("%d files in %.1f ms with %d at once\n", int(outcome.ConvertedRows.size()), ms,
                dialog->Runner().jobs());
    return outcome.ConvertedRows.size() == list.count() && prompts.messages == 0 ? 0 : 1;
}
