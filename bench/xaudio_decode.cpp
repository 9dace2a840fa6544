// Decodes one MPEG audio file to WAV through the player library and its
// binding, the way the conversion dialog does, and times it against
// `mpg123 -w` on the same file, alternating the two:
//   build/bench/bench_xaudio_decode FILE [ROUNDS]
// The best time of each is compared; the WAV files are checked to hold the
// same samples. bench/mp3_to_wav.sh makes a 60-second MP3 and runs this.

#include "platform/xaudio/xaudioplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <limits>

namespace {

// The data chunk of a canonical 44-byte-header WAV file.
QByteArray samples(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().mid(44);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s FILE [ROUNDS]\n", argv[0]);
        return 2;
    }
    const QString source = args[1];
    const int rounds = args.size() > 2 ? args[2].toInt() : 5;
    const QString mpg123 = QStandardPaths::findExecutable("mpg123");
    if (mpg123.isEmpty()) {
        std::fprintf(stderr, "mpg123 is not installed\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString ours = dir.filePath("ours.wav");
    const QString theirs = dir.filePath("mpg123.wav");

    audrel::TXaudioPlayer player;
    player.setXaudioPath(QStringLiteral(XAUDIO_PATH));
    bool ended = false;
    int refused = 0;
    QObject::connect(&player, &audrel::TXaudioPlayer::OnNotifyPlayerState,
                     [&](int state) { ended = state == 3; });
    QObject::connect(&player, &audrel::TXaudioPlayer::OnNotifyNack,
                     [&](quint8, qint16 code) { refused = code; });
    try {
        player.Init();
    } catch (const audrel::EXaudioException& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }

    qint64 bestOurs = std::numeric_limits<qint64>::max();
    qint64 bestTheirs = std::numeric_limits<qint64>::max();
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        clock.start();
        QProcess process;
        process.start(mpg123, {"-q", "-w", theirs, source});
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            std::fprintf(stderr, "mpg123 failed\n");
            return 1;
        }
        bestTheirs = std::min(bestTheirs, clock.nsecsElapsed());

        ended = false;
        clock.start();
        player.InputOpen(source);
        player.OutputOpen("wav:" + ours);
        player.Play();
        while (!ended && !refused)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        bestOurs = std::min(bestOurs, clock.nsecsElapsed());
        if (refused) {
            std::fprintf(stderr, "refused: %s\n", qPrintable(player.ErrorString(refused)));
            return 1;
        }
    }
    const bool same = samples(ours) == samples(theirs);
    std::printf("file: %s\n", qPrintable(source));
    std::printf("mpg123 -w:         %8.1f ms (best of %d)\n", bestTheirs / 1e6, rounds);
    std::printf("player library:    %8.1f ms (best of %d)\n", bestOurs / 1e6, rounds);
    std::printf("ratio (ours/mpg123): %.3f\n", double(bestOurs) / double(bestTheirs));
    std::printf("samples identical: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
