// The media player of the WAV and WMA windows, in what the windows do not
// show: its refusals, Stop, which halts in place until Rewind, the lengths of
// files that state an absurd one, and the device output under it. It plays
// for real on the default audio device (the private null sink of scripts/test).

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"

#include "wavbytes.h"

#include "platform/audio/deviceoutput.h"
#include "platform/audio/ffmpegmodule.h"
#include "platform/mci/emcideviceerror.h"
#include "platform/mci/mediaplayer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

class TestMediaPlayer : public QObject
{
    Q_OBJECT

private slots:
    void refusalsAndStopInPlace();
    void wmaAsItsHeaderStatesIt();
    void deviceOutputStreams();
};

namespace {

// What the media player refuses of path, in its own words; empty when it does it.
QString refusal(TMediaPlayer& player, const QString& path, const std::function<void()>& step)
{
    player.setFileName(path);
    try {
        step();
    } catch (const EMCIDeviceError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

void TestMediaPlayer::refusalsAndStopInPlace()
{
    QTemporaryDir dir;
    TMediaPlayer player(buildDir()); // which holds the FFmpeg module
    auto refusal = [&](const QString& path, const std::function<void()>& step) {
        return ::refusal(player, path, step);
    };
    const QString missing = dir.filePath("missing.wav");
    const QString text = dir.filePath("notes.txt");
    writeFile(text, "text");
    QCOMPARE(refusal(missing, [&] { player.Open(); }),
             "Cannot open the media file " + missing + ":\nthe file does not exist.");
    QCOMPARE(refusal(text, [&] { player.Open(); }),
             "Cannot open the media file " + text + ":\nthere is no player for this kind of file.");
    QCOMPARE(player.Mode(), mpNotReady);

    if (!haveTool("sox")) QSKIP("sox is not installed");
    const QString tone = dir.filePath("tone.wav");
    QVERIFY(makeWav(tone, 8000, 1, 1.5));
    const QString refused = refusal(tone, [&] {
        player.Open();
        player.Play();
    });
    if (refused.contains("no audio device")) QSKIP("no audio device (scripts/test provides one)");
    QVERIFY2(refused.isEmpty(), qPrintable(refused));
    QCOMPARE(player.Length(), 1500);
    QVERIFY(QTest::qWaitFor([&] { return player.Position() > 0; }, 5000));
    player.Stop();
    QCOMPARE(player.Mode(), mpStopped);
    const qint64 stopped = player.Position();
    QVERIFY(stopped > 0 && stopped < 1500);
    QTest::qWait(200);
    QCOMPARE(player.Position(), stopped);
    player.Rewind();
    QCOMPARE(player.Position(), 0);
    player.Close();
    QCOMPARE(player.Mode(), mpNotReady);
}

void TestMediaPlayer::wmaAsItsHeaderStatesIt()
{
    if (!haveTool("sox") || !haveTool("ffmpeg")) QSKIP("sox and ffmpeg are needed");
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.wma");
    QVERIFY(makeWma(plain, 44100, 2, 1.2, 64));
    const QByteArray bytes = readFile(plain);
    TMediaPlayer player(buildDir());

    // A file protected by DRM is refused for what it is.
    const QString locked = dir.filePath("locked.wma");
    writeFile(locked, asf::withContentEncryption(bytes));
    QCOMPARE(refusal(player, locked, [&] { player.Open(); }),
             "Cannot open the media file " + locked + ":\nit is protected by DRM.");

    // A header that states a play time of almost 30,000 years: the length is
    // that, in whole milliseconds, until the file has played to its end; then
    // it is the length the stream turned out to have.
    const QString vast = dir.filePath("vast.wma");
    writeFile(vast, asf::withPlayDuration(bytes, 0x7fffffffffffffff));
    std::unique_ptr<audio::MediaDecoder> decoder = audio::FfmpegModule::load(buildDir())->newDecoder();
    QCOMPARE(decoder->open(vast), audio::AudioError::None);
    const int rate = decoder->format().sampleRate;
    const qint64 stated = qint64(decoder->lengthFrames() * 1000.0L / rate);
    QVERIFY2(stated > 1000LL * 3600 * 24 * 365 * 10000, qPrintable(QString::number(stated)));
    int64_t frames = 0;
    const int16_t* samples = nullptr;
    for (int64_t n = 0; decoder->nextBlock(samples, n) == audio::AudioError::None && n > 0;)
        frames += n;
    const qint64 real = frames * 1000 / rate;

    QCOMPARE(refusal(player, vast, [&] { player.Open(); }), QString());
    QCOMPARE(player.Length(), stated);
    const QString refused = refusal(player, vast, [&] { player.Play(); });
    if (refused.contains("no audio device")) QSKIP("no audio device (scripts/test provides one)");
    QVERIFY2(refused.isEmpty(), qPrintable(refused));
    QTRY_COMPARE_WITH_TIMEOUT(player.Mode(), mpStopped, 20000);
    QCOMPARE(player.Length(), real);
    QCOMPARE(player.Position(), real);
}

void TestMediaPlayer::deviceOutputStreams()
{
    if (!audio::DeviceOutput::deviceAvailable()) QSKIP("no audio device (scripts/test provides one)");
    using audio::AudioError;
    audio::DeviceOutput output;
    QCOMPARE(output.start({44100, 2}), AudioError::None);
    QCOMPARE(output.streamsOpened(), 1);
    // 50 ms: less than the device waits for before it starts playing. Played
    // out, it is heard all the same, and the silence behind it is not held.
    const QByteArray tone = wav::sine16(2205, 2, 44100, 1000, 0.3);
    const auto* samples = reinterpret_cast<const int16_t*>(tone.constData());
    QCOMPARE(output.write(samples, 2205), 2205);
    QVERIFY(output.queuedFrames() > 0);
    output.playOut();
    QVERIFY(output.queuedFrames() <= 2205);
    QTRY_COMPARE_WITH_TIMEOUT(output.queuedFrames(), 0, 20000);

    // Any number of resets before the next write cost one new stream; a start
    // in the same format keeps what there is.
    for (int i = 0; i < 5; ++i)
        output.reset();
    QCOMPARE(output.start({44100, 2}), AudioError::None);
    QCOMPARE(output.streamsOpened(), 1);
    QCOMPARE(output.queuedFrames(), 0);
    QVERIFY(output.write(samples, 2205) > 0);
    QCOMPARE(output.streamsOpened(), 2);
    QVERIFY(output.queuedFrames() > 0);
    output.reset();
    QCOMPARE(output.queuedFrames(), 0);
}

AUDREL_CORE_TEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
