// The audio engine's parts on their own: the WAV file output, the silent
// real-time output and the MPEG decoder's length and seeking.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"

#include "platform/audio/mpg123decoder.h"
#include "platform/audio/silentoutput.h"
#include "platform/audio/wavfileoutput.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace audrel::audio;
using namespace audrel::test;

class TestAudioEngine : public QObject
{
    Q_OBJECT

private slots:
    void wavFileHoldsOneStream();
    void wavFileThatCannotBeCreated();
    void silentOutputTakesAudioAtThePaceItPlays();
    void decoderLengthAndSeeking();

private:
    QTemporaryDir m_dir;
};

void TestAudioEngine::wavFileHoldsOneStream()
{
    const QString path = m_dir.filePath("one.wav");
    std::vector<int16_t> samples(2 * 1000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(i * 37 - 20000);
    {
        WavFileOutput out(path);
        QCOMPARE(out.open(), AudioError::None);
        QCOMPARE(out.start({44100, 2}), AudioError::None);
        QCOMPARE(out.write(samples.data(), 600), 600);
        QCOMPARE(out.write(samples.data() + 1200, 400), 400);
        // A stream of another shape does not go into the same file.
        QCOMPARE(out.start({8000, 1}), AudioError::FormatChanged);
        QCOMPARE(out.start({44100, 2}), AudioError::None);
        QCOMPARE(out.finish(), AudioError::None);
        QVERIFY(!out.isOpen());
        QCOMPARE(out.write(samples.data(), 1), -1);
    }
    const WavData wav = readWav(path);
    QVERIFY(wav.valid);
    QCOMPARE(wav.format, 1);
    QCOMPARE(wav.rate, 44100);
    QCOMPARE(wav.channels, 2);
    QCOMPARE(wav.bits, 16);
    QCOMPARE(wav.samples, QByteArray(reinterpret_cast<const char*>(samples.data()), 4000));
    QCOMPARE(QFileInfo(path).size(), 44 + 4000);
    const QByteArray head = readFile(path).left(44);
    QCOMPARE(head, WavFileOutput::header({44100, 2}, 4000));
    QCOMPARE(head.mid(28, 4), QByteArray::fromHex("10b10200")); // 176400 bytes per second

    // Left unfinished, the file is completed when the output goes.
    {
        WavFileOutput out(m_dir.filePath("dropped.wav"));
        QCOMPARE(out.open(), AudioError::None);
        QCOMPARE(out.start({8000, 1}), AudioError::None);
        QCOMPARE(out.write(samples.data(), 100), 100);
    }
    QCOMPARE(readWav(m_dir.filePath("dropped.wav")).samples.size(), 200);
}

void TestAudioEngine::wavFileThatCannotBeCreated()
{
    WavFileOutput out(m_dir.filePath("missing/folder/x.wav"));
    QCOMPARE(out.open(), AudioError::CreateFailed);
    QCOMPARE(out.start({44100, 2}), AudioError::CreateFailed);
    int16_t frame[2] = {};
    QCOMPARE(out.write(frame, 1), -1);
}

void TestAudioEngine::silentOutputTakesAudioAtThePaceItPlays()
{
    SilentOutput out(200);
    QCOMPARE(out.start({10000, 1}), AudioError::None);
    std::vector<int16_t> block(10000);
    // It holds 200 ms and takes no more until some of it was played.
    QCOMPARE(out.write(block.data(), 10000), 2000);
    QVERIFY(out.queuedFrames() <= 2000);
    QElapsedTimer clock;
    clock.start();
    int64_t taken = 2000;
    while (taken < 7000 && clock.elapsed() < 5000) {
        taken += out.write(block.data(), 10000 - taken);
        QTest::qWait(5);
    }
    QVERIFY(taken >= 7000);
    // 5000 frames at 10 kHz beyond the first 2000 cannot leave before ~500 ms.
    QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));
    // Paused, nothing leaves.
    out.setPaused(true);
    const int64_t queued = out.queuedFrames();
    QTest::qWait(100);
    QCOMPARE(out.queuedFrames(), queued);
    QCOMPARE(out.write(block.data(), 10000), 2000 - queued);
    out.setPaused(false);
    out.reset();
    QCOMPARE(out.queuedFrames(), 0);
}

void TestAudioEngine::decoderLengthAndSeeking()
{
    if (!haveTool("lame") || !haveTool("sox") || !haveTool("mpg123"))
        QSKIP("the reference tools are missing");
    const QString mp3 = m_dir.filePath("seek.mp3");
    QVERIFY(makeMp3(mp3, 22050, 1, 2.0, {"-V", "4"}));
    QVERIFY(runTool("mpg123", {"-q", "-w", m_dir.filePath("seek.ref.wav"), mp3}));
    const QByteArray reference = readWav(m_dir.filePath("seek.ref.wav")).samples;

    Mpg123Decoder decoder;
    QCOMPARE(decoder.open(mp3), AudioError::None);
    QCOMPARE(decoder.format(), (AudioFormat{22050, 1}));
    // The exact length of the gapless stream, as many frames as mpg123 writes.
    QCOMPARE(decoder.lengthFrames(), int64_t(reference.size() / 2));
    QVERIFY(decoder.bitrate() > 0);

    // From the middle, the samples are those of the whole stream from there.
    const int64_t middle = decoder.lengthFrames() / 2;
    QVERIFY(decoder.seekFrame(middle));
    QCOMPARE(decoder.positionFrames(), middle);
    QByteArray rest;
    const int16_t* samples = nullptr;
    int64_t frames = 0;
    while (decoder.nextBlock(samples, frames) == AudioError::None && frames > 0)
        rest.append(reinterpret_cast<const char*>(samples), frames * 2);
    QCOMPARE(rest.size(), reference.size() - middle * 2);
    // The same samples as the whole stream has from there, give or take the
    // rounding of a sample here and there: the synthesis restarts at the seek.
    const auto* got = reinterpret_cast<const int16_t*>(rest.constData());
    const auto* want = reinterpret_cast<const int16_t*>(reference.constData()) + middle;
    int differing = 0, worst = 0;
    for (qsizetype i = 0; i < rest.size() / 2; ++i) {
        const int delta = std::abs(int(got[i]) - int(want[i]));
        differing += delta != 0;
        worst = std::max(worst, delta);
    }
    QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    QVERIFY2(differing * 1000 <= rest.size() / 2, qPrintable(QString::number(differing)));
    QCOMPARE(decoder.positionFrames(), decoder.lengthFrames());

    decoder.close();
    QVERIFY(!decoder.isOpen());
    QCOMPARE(decoder.open(m_dir.filePath("absent.mp3")), AudioError::NoSuchFile);
    QCOMPARE(decoder.open(m_dir.path()), AudioError::OpenFailed);
}

AUDREL_CORE_TEST_MAIN(TestAudioEngine)
#include "tst_audioengine.moc"
