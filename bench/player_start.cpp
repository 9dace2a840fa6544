// Times the MP3 player on the default audio device as the player window
// drives it: from Play to the first sound on the sound server, and from the
// window's closing steps to the player's end, both right after opening a file
// (while anything the opening started may still run) and while it plays.
//   build/bench/bench_player_start FILE [ROUNDS]
// The first sound is taken from a recording of the default sink's monitor
// (parec, from pulseaudio-utils): the bytes recorded between Play and the
// first sample that is not silent, at the monitor's own pace. Run it on a
// quiet sink, such as the private null sink that scripts/test starts.

#include "platform/xaudio/xaudioplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kBytesPerSecond = kRate * kChannels * 2;

// The default sink's monitor, recorded as it plays.
class Monitor
{
public:
    bool start(const QString& parec)
    {
        m_process.start(parec, {"--device=@DEFAULT_MONITOR@", "--raw", "--format=s16le",
                                "--rate=" + QString::number(kRate), "--channels=" + QString::number(kChannels),
                                "--latency-msec=10"});
        if (!m_process.waitForStarted(5000)) return false;
        // Recording once bytes arrive.
        QElapsedTimer clock;
        clock.start();
        while (m_data.size() < kBytesPerSecond / 5 && clock.elapsed() < 10000)
            take(50);
        return m_data.size() >= kBytesPerSecond / 5;
    }
    void take(int waitMs)
    {
        m_process.waitForReadyRead(waitMs);
        m_data += m_process.readAllStandardOutput();
    }
    qsizetype size() const { return m_data.size(); }
    // The byte offset of the first sample from `from` on that is not silent, or -1.
    qsizetype firstSound(qsizetype from) const
    {
        const auto* samples = reinterpret_cast<const qint16*>(m_data.constData());
        for (qsizetype i = from / 2; i < m_data.size() / 2; ++i)
            if (std::abs(samples[i]) > 64) return i * 2;
        return -1;
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QByteArray m_data;
};

void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

// What the player window does when it closes: Stop, its 50 ms wait, the
// input and the output closed, and the player released with its window.
qint64 closeAsTheWindowDoes(std::unique_ptr<audrel::TXaudioPlayer>& player)
{
    QElapsedTimer clock;
    clock.start();
    player->Stop();
    QThread::msleep(50);
    player->InputClose();
    player->OutputClose();
    player->OutputReset();
    player.reset();
    return clock.elapsed();
}

std::unique_ptr<audrel::TXaudioPlayer> newPlayer()
{
    auto player = std::make_unique<audrel::TXaudioPlayer>();
    player->setXaudioPath(QStringLiteral(XAUDIO_PATH));
    player->Init();
    return player;
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
    const int rounds = args.size() > 2 ? args[2].toInt() : 3;
    const QString parec = QStandardPaths::findExecutable("parec");
    if (parec.isEmpty()) {
        std::fprintf(stderr, "parec is not installed (pulseaudio-utils)\n");
        return 2;
    }
    std::printf("file: %s\n", qPrintable(source));
    try {
        for (int round = 0; round < rounds; ++round) {
            // Closing right after Play.
            auto player = newPlayer();
            player->InputOpen(source);
            player->Play();
            const qint64 early = closeAsTheWindowDoes(player);

            // Play to the first sound, a while of playing, then closing.
            Monitor monitor;
            if (!monitor.start(parec)) {
                std::fprintf(stderr, "cannot record the default sink's monitor\n");
                return 1;
            }
            player = newPlayer();
            const qsizetype at = monitor.size();
            player->InputOpen(source);
            player->Play();
            qsizetype heard = -1;
            QElapsedTimer clock;
            clock.start();
            while (heard < 0 && clock.elapsed() < 30000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                monitor.take(10);
                heard = monitor.firstSound(at);
            }
            pump(500);
            const qint64 playing = closeAsTheWindowDoes(player);
            monitor.stop();
            if (heard < 0)
                std::printf("round %d: no sound within 30 s", round + 1);
            else
                std::printf("round %d: first sound %7.1f ms after Play", round + 1,
                            (heard - at) * 1000.0 / kBytesPerSecond);
            std::printf("; closed in %5lld ms right after Play, %5lld ms while playing\n", early, playing);
        }
    } catch (const audrel::EXaudioException& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
