// The audio engine's parts on their own: the WAV file output, the silent
// real-time output, the MPEG decoder's length and seeking and the inputs that
// must not slow it down, and the playback transport driving the decoder into
// a real-time output and into a file.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "wavbytes.h"

#include "platform/audio/mpg123decoder.h"
#include "platform/audio/playbacktransport.h"
#include "platform/audio/silentoutput.h"
#include "platform/audio/wavfileoutput.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace audrel::audio;
using namespace audrel::test;

namespace {

// What a transport told its owner.
struct TransportLog final : PlaybackListener
{
    QList<PlaybackState> states;
    int ended = 0;
    QList<AudioError> failures;

    void playbackStateChanged(PlaybackState state) override { states.append(state); }
    void playbackEnded() override { ++ended; }
    void playbackFailed(AudioError error) override { failures.append(error); }
};

// Drives a transport as its owner's thread does, stepping while it plays and
// waiting as long as each step allows, until enough() holds or it no longer
// plays. Returns the position after each step.
QList<int64_t> drive(PlaybackTransport& transport, const std::function<bool()>& enough = {})
{
    QList<int64_t> positions;
    const QDeadlineTimer hang(60000); // a transport that never ends fails the test instead of hanging it
    while (transport.state() == PlaybackState::Playing && !(enough && enough()) && !hang.hasExpired()) {
        const int waitMs = transport.pump();
        positions.append(transport.positionFrames());
        if (waitMs > 0) QThread::msleep(waitMs);
    }
    return positions;
}

// Every sample of a stream, decoded on its own.
QByteArray decodeAll(const QString& path)
{
    Mpg123Decoder decoder;
    if (decoder.open(path) != AudioError::None) return {};
    QByteArray all;
    const int16_t* samples = nullptr;
    int64_t frames = 0;
    while (decoder.nextBlock(samples, frames) == AudioError::None && frames > 0)
        all.append(reinterpret_cast<const char*>(samples), frames * decoder.format().bytesPerFrame());
    return all;
}

} // namespace

class TestAudioEngine : public QObject
{
    Q_OBJECT

private slots:
    void wavFileHoldsOneStream();
    void wavFileThatCannotBeCreated();
    void silentOutputTakesAudioAtThePaceItPlays();
    void decoderLengthAndSeeking_data();
    void decoderLengthAndSeeking();
    void slowInputs_data();
    void slowInputs();
    void transportPlaysInRealTime();
    void transportFillsAFile();

private:
    // A short MP3 shared by the transport's tests.
    QString shortMp3();

    QTemporaryDir m_dir;
    QString m_shortMp3;
};

QString TestAudioEngine::shortMp3()
{
    if (m_shortMp3.isEmpty() && haveTool("lame") && haveTool("sox")) {
        const QString path = m_dir.filePath("short.mp3");
        if (makeMp3(path, 22050, 2, 1.5, {"-b", "64"})) m_shortMp3 = path;
    }
    return m_shortMp3;
}

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

void TestAudioEngine::decoderLengthAndSeeking_data()
{
    QTest::addColumn<QStringList>("lameOptions");
    QTest::addColumn<bool>("stated"); // the stream's info frame gives the length before any pass
    QTest::newRow("VBR with a LAME tag") << QStringList{"-V", "4"} << true;
    QTest::newRow("CBR without an info frame") << QStringList{"-b", "32", "-t"} << false;
}

void TestAudioEngine::decoderLengthAndSeeking()
{
    QFETCH(QStringList, lameOptions);
    QFETCH(bool, stated);
    if (!haveTool("lame") || !haveTool("sox") || !haveTool("mpg123"))
        QSKIP("the reference tools are missing");
    const QString mp3 = m_dir.filePath("seek.mp3");
    QVERIFY(makeMp3(mp3, 22050, 1, 2.0, lameOptions));
    QVERIFY(runTool("mpg123", {"-q", "-w", m_dir.filePath("seek.ref.wav"), mp3}));
    const QByteArray reference = readWav(m_dir.filePath("seek.ref.wav")).samples;

    Mpg123Decoder decoder;
    QCOMPARE(decoder.open(mp3), AudioError::None);
    QCOMPARE(decoder.format(), (AudioFormat{22050, 1}));
    // The exact length of the gapless stream, as many frames as mpg123 writes:
    // at once from a LAME tag, else once the pass over the frames is done.
    if (stated) QCOMPARE(decoder.lengthFrames(), int64_t(reference.size() / 2));
    QTRY_VERIFY_WITH_TIMEOUT(decoder.lengthIsExact(), 30000);
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
    // Without gapless information it settles within the frame it lands in.
    const auto* got = reinterpret_cast<const int16_t*>(rest.constData());
    const auto* want = reinterpret_cast<const int16_t*>(reference.constData()) + middle;
    int differing = 0, worst = 0;
    for (qsizetype i = stated ? 0 : 1152; i < rest.size() / 2; ++i) {
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

void TestAudioEngine::slowInputs_data()
{
    // Bytes before a plain MP3 stream that must not hold up its decoding.
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("ID3v2 tag of 250,000 user text frames") << id3v2::userTextFlood(250000);
}

void TestAudioEngine::slowInputs()
{
    // Decoded to its end into a WAV file, as the MP3 to WAV conversion and the
    // MP3 player decode it: within the test's time limit, and into mpg123's
    // samples of the plain stream.
    QFETCH(QByteArray, before);
    const QString plain = shortMp3();
    if (plain.isEmpty() || !haveTool("mpg123")) QSKIP("lame, sox and mpg123 are needed");
    const QString reference = m_dir.filePath("slow.ref.wav");
    QVERIFY(runTool("mpg123", {"-q", "-w", reference, plain}));
    const QString slow = m_dir.filePath("slow.mp3");
    writeFile(slow, before + readFile(plain));

    Mpg123Decoder decoder;
    QCOMPARE(decoder.open(slow), AudioError::None);
    const QString wav = m_dir.filePath("slow.wav");
    WavFileOutput output(wav);
    QCOMPARE(output.open(), AudioError::None);
    PlaybackTransport transport;
    transport.setDecoder(&decoder);
    transport.setOutput(&output);
    QCOMPARE(transport.play(), AudioError::None);
    drive(transport);
    QCOMPARE(transport.state(), PlaybackState::Ended);
    const QByteArray expected = readWav(reference).samples;
    QVERIFY(!expected.isEmpty());
    QVERIFY(readWav(wav).samples == expected);
    QTRY_VERIFY_WITH_TIMEOUT(decoder.lengthIsExact(), 30000);
    QCOMPARE(decoder.lengthFrames() * decoder.format().bytesPerFrame(), expected.size());
}

void TestAudioEngine::transportPlaysInRealTime()
{
    const QString mp3 = shortMp3();
    if (mp3.isEmpty()) QSKIP("lame and sox are needed to make the stream");
    Mpg123Decoder decoder;
    QCOMPARE(decoder.open(mp3), AudioError::None);
    SilentOutput output(500);
    TransportLog log;
    PlaybackTransport transport(&log);
    transport.setDecoder(&decoder);
    transport.setOutput(&output);
    const int64_t length = transport.lengthFrames();
    QVERIFY(length > 0);

    // Playing, the position climbs step by step with what is heard, behind
    // what is decoded; paused, it holds.
    QCOMPARE(transport.play(), AudioError::None);
    const QList<int64_t> climb = drive(transport, [&] { return transport.positionFrames() >= length / 4; });
    QCOMPARE(transport.state(), PlaybackState::Playing);
    QVERIFY(std::is_sorted(climb.begin(), climb.end()));
    QList<int64_t> between;
    std::copy_if(climb.begin(), climb.end(), std::back_inserter(between),
                 [&](int64_t p) { return p > 0 && p < length / 4; });
    between.erase(std::unique(between.begin(), between.end()), between.end());
    QVERIFY2(between.size() >= 5, qPrintable(QString::number(between.size())));
    transport.pause();
    const int64_t pausedAt = transport.positionFrames();
    QVERIFY(pausedAt >= length / 4);
    QVERIFY2(pausedAt < decoder.positionFrames(), "the position is what was decoded, not what was heard");
    QThread::msleep(150);
    QCOMPARE(transport.pump(), -1);
    QCOMPARE(transport.positionFrames(), pausedAt);

    // A seek lands where it was asked and keeps the state; from there the
    // stream plays to its end, which is heard before it counts.
    transport.seek(length / 2);
    QCOMPARE(transport.positionFrames(), length / 2);
    QCOMPARE(transport.state(), PlaybackState::Paused);
    transport.resume();
    const QList<int64_t> rest = drive(transport);
    QVERIFY(std::is_sorted(rest.begin(), rest.end()));
    QVERIFY(!rest.isEmpty() && rest.first() >= length / 2);
    QCOMPARE(transport.state(), PlaybackState::Ended);
    QCOMPARE(transport.positionFrames(), length);
    QCOMPARE(decoder.positionFrames(), length);
    QCOMPARE(output.queuedFrames(), 0);
    QCOMPARE(log.ended, 1);

    // A seek past the end lands at the end, stopped; playing from there ends at once.
    transport.seek(length + 5000);
    QCOMPARE(transport.state(), PlaybackState::Stopped);
    QCOMPARE(transport.positionFrames(), length);
    QCOMPARE(transport.play(), AudioError::None);
    drive(transport);
    QCOMPARE(transport.state(), PlaybackState::Ended);
    QCOMPARE(log.ended, 2);

    // Playing after the end starts again from the start; halting stays where
    // it is heard, stopping goes back to the start.
    QCOMPARE(transport.play(), AudioError::None);
    QCOMPARE(transport.positionFrames(), 0);
    drive(transport, [&] { return decoder.positionFrames() > length / 4; });
    QCOMPARE(transport.state(), PlaybackState::Playing);
    const int64_t heard = transport.positionFrames();
    transport.halt();
    QCOMPARE(transport.state(), PlaybackState::Stopped);
    QCOMPARE(transport.positionFrames(), heard);
    QCOMPARE(decoder.positionFrames(), heard);
    QCOMPARE(transport.play(), AudioError::None);
    drive(transport, [&] { return decoder.positionFrames() > heard; });
    transport.stop();
    QCOMPARE(transport.state(), PlaybackState::Stopped);
    QCOMPARE(transport.positionFrames(), 0);

    using S = PlaybackState;
    QCOMPARE(log.states, (QList<S>{S::Playing, S::Paused, S::Playing, S::Ended, S::Stopped, S::Playing,
                                   S::Ended, S::Playing, S::Stopped, S::Playing, S::Stopped}));
    QVERIFY(log.failures.isEmpty());
}

void TestAudioEngine::transportFillsAFile()
{
    const QString mp3 = shortMp3();
    if (mp3.isEmpty()) QSKIP("lame and sox are needed to make the stream");
    Mpg123Decoder decoder;
    TransportLog log;
    PlaybackTransport transport(&log);
    transport.setDecoder(&decoder);
    QCOMPARE(transport.play(), AudioError::NoInput);
    QCOMPARE(decoder.open(mp3), AudioError::None);
    transport.streamChanged();
    QCOMPARE(transport.play(), AudioError::NoOutput);

    // Refused by its output, the transport stays as it was.
    WavFileOutput nowhere(m_dir.filePath("no/such/folder.wav"));
    QCOMPARE(nowhere.open(), AudioError::CreateFailed);
    transport.setOutput(&nowhere);
    QCOMPARE(transport.play(), AudioError::CreateFailed);
    QCOMPARE(transport.state(), PlaybackState::Stopped);

    const QString wav = m_dir.filePath("transport.wav");
    WavFileOutput output(wav);
    QCOMPARE(output.open(), AudioError::None);
    transport.setOutput(&output);
    QCOMPARE(transport.play(), AudioError::None);
    drive(transport);
    QCOMPARE(transport.state(), PlaybackState::Ended);
    QCOMPARE(log.ended, 1);
    QVERIFY(log.failures.isEmpty());
    QCOMPARE(transport.positionFrames(), transport.lengthFrames());
    // The file is complete with the stream and holds every sample of it.
    QVERIFY(!output.isOpen());
    const WavData written = readWav(wav);
    QVERIFY(written.valid);
    QCOMPARE(written.rate, decoder.format().sampleRate);
    QCOMPARE(written.channels, decoder.format().channels);
    QCOMPARE(written.samples.size(), transport.lengthFrames() * decoder.format().bytesPerFrame());
    QVERIFY(written.samples == decodeAll(mp3));
}

AUDREL_CORE_TEST_MAIN(TestAudioEngine)
#include "tst_audioengine.moc"
