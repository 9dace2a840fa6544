// The WMA pieces of the audio engine and the engines of the two WMA controls:
// the FFmpeg decoder against ffmpeg's own command line on the sample files,
// seeking by time, and the events of the engines' worker threads, including
// a conversion stopped midway and files that cannot be decoded.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"

#include "platform/audio/ffmpegdecoder.h"
#include "platform/msaudio/msaudiodecodeengine.h"
#include "platform/msaudio/msaudioencodeengine.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace audrel;
using namespace audrel::audio;
using namespace audrel::test;

namespace {

// Every sample of a stream from where the decoder stands, at most frames of them.
// The FFmpeg module of the build, as the program loads it.
const audio::FfmpegModule& module()
{
    QString problem;
    const audio::FfmpegModule* loaded = audio::FfmpegModule::load(buildDir(), &problem);
    if (!loaded) qFatal("%s", qPrintable(problem));
    return *loaded;
}

AudioError decodeRest(FfmpegDecoder& decoder, QByteArray& out, int64_t frames = INT64_MAX)
{
    const int bytesPerFrame = decoder.format().bytesPerFrame();
    while (frames > 0) {
        const int16_t* samples = nullptr;
        int64_t got = 0;
        const AudioError error = decoder.nextBlock(samples, got);
        if (error != AudioError::None || got == 0) return error;
        got = std::min(got, frames);
        out.append(reinterpret_cast<const char*>(samples), got * bytesPerFrame);
        frames -= got;
    }
    return AudioError::None;
}

// What an engine told, in order.
struct EngineLog
{
    QStringList events;
    int ends = 0; // completions and failures

    template <class Engine, class Complete, class Status>
    void watch(Engine& engine, Complete complete, Status status)
    {
        QObject::connect(&engine, complete, [this] {
            events << "complete";
            ++ends;
        });
        QObject::connect(&engine, status, [this](short code, const QString& message) {
            events << QStringLiteral("status %1 %2").arg(code).arg(message);
        });
        QObject::connect(&engine, &msaudio::MsAudioEngine::OnFailure, [this](int code, const QString& text) {
            events << QStringLiteral("failure %1 %2").arg(code).arg(text);
            ++ends;
        });
    }
};

} // namespace

class TestWmaEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void decodesAsFfmpegDoes_data();
    void decodesAsFfmpegDoes();
    void seeksByTime();
    void encoderEventsAndStop();
    void undecodableSourceIsOneFailure();

private:
    QTemporaryDir m_dir;
    QString m_wma; // 5 s, 44.1 kHz stereo, 128 kbit/s, made by ffmpeg
    QString m_wav; // 30 s, 44.1 kHz stereo
};

void TestWmaEngine::initTestCase()
{
    for (const char* tool : {"sox", "ffmpeg", "ffprobe"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_wma = m_dir.filePath("five.wma");
    m_wav = m_dir.filePath("thirty.wav");
    QVERIFY(makeWma(m_wma, 44100, 2, 5.0, 128));
    QVERIFY(makeWav(m_wav, 44100, 2, 30.0));
}

void TestWmaEngine::decodesAsFfmpegDoes_data()
{
    QTest::addColumn<QString>("file");
    const QString data = testDataDir();
    if (data.isEmpty()) QSKIP("the sample files are not beside the clone");
    for (const QFileInfo& file : QDir(data + "/wma").entryInfoList({"*.wma"}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(file.fileName())) << file.filePath();
}

void TestWmaEngine::decodesAsFfmpegDoes()
{
    QFETCH(QString, file);
    const QString reference = m_dir.filePath(QFileInfo(file).completeBaseName() + ".wav");
    const bool decoded = runTool("ffmpeg", {"-v", "quiet", "-y", "-i", file, "-f", "wav", reference});
    const WavData expected = readWav(reference);

    FfmpegDecoder decoder;
    const AudioError opened = decoder.open(file);
    QByteArray samples;
    const AudioError error = opened == AudioError::None ? decodeRest(decoder, samples) : opened;
    if (!decoded || !expected.valid || expected.samples.isEmpty()) {
        // Nothing that ffmpeg could decode: ours finds nothing either, or says why not.
        QVERIFY2(error != AudioError::None || samples.isEmpty(), qPrintable(QString::number(int(error))));
        if (file.contains("drm")) QCOMPARE(opened, AudioError::Protected);
        return;
    }
    QCOMPARE(error, AudioError::None);
    QCOMPARE(decoder.format(), (AudioFormat{expected.rate, expected.channels}));
    QCOMPARE(samples.size(), expected.samples.size());
    QVERIFY(samples == expected.samples);
    // The playing time the file states is known once it is open.
    FfmpegDecoder fresh;
    QCOMPARE(fresh.open(file), AudioError::None);
    QCOMPARE(fresh.durationMs(), std::llround(probe(file).seconds * 1000));
}

void TestWmaEngine::seeksByTime()
{
    FfmpegDecoder decoder;
    QCOMPARE(decoder.open(m_wma), AudioError::None);
    QCOMPARE(decoder.codecName(), "wmav2");
    QByteArray whole;
    QCOMPARE(decodeRest(decoder, whole), AudioError::None);
    const int bytesPerFrame = decoder.format().bytesPerFrame();

    // Two seconds in: the decoder stands on that frame, and the samples from
    // there are those of the whole decode.
    QVERIFY(decoder.seekMs(2000));
    QCOMPARE(decoder.positionFrames(), 88200);
    QByteArray part;
    QCOMPARE(decodeRest(decoder, part, 44100), AudioError::None);
    QCOMPARE(part.size(), 44100 * bytesPerFrame);
    QVERIFY(part == whole.mid(88200 * bytesPerFrame, part.size()));

    // Back to the start: the same samples as the first time.
    QVERIFY(decoder.seekFrame(0));
    QByteArray again;
    QCOMPARE(decodeRest(decoder, again), AudioError::None);
    QVERIFY(again == whole);
}

void TestWmaEngine::encoderEventsAndStop()
{
    msaudio::MsAudioEncodeEngine engine(module());
    engine.setBitrate(64000);
    engine.setSamplerate(22050);
    engine.setChannels(1);
    EngineLog log;
    log.watch(engine, &msaudio::MsAudioEncodeEngine::OnEncodingComplete,
              &msaudio::MsAudioEncodeEngine::OnEncodeStatus);
    QList<short> percents;
    connect(&engine, &msaudio::MsAudioEncodeEngine::OnEncodePercentDone, this,
            [&](short percent) { percents << percent; });

    const QString whole = m_dir.filePath("whole.wma");
    engine.SetFiles(m_wav, whole);
    engine.StartConversion();
    QVERIFY(log.events.isEmpty()); // every event comes from the event loop
    QVERIFY(QTest::qWaitFor([&] { return log.ends > 0; }, 60000));
    QTest::qWait(100);
    QCOMPARE(log.events, QStringList({"status 1 " + m_wav, "status 2 " + whole, "complete"}));
    QVERIFY(std::is_sorted(percents.begin(), percents.end()));
    QCOMPARE(percents.last(), 100);
    QVERIFY(!engine.Busy());
    QVERIFY(!isOpenHere(whole));
    const Probe p = probe(whole);
    QCOMPARE(p.codec, "wmav2");
    QCOMPARE(p.rate, 22050);
    QCOMPARE(p.channels, 1);
    QCOMPARE(p.bitRate, 64000);
    QVERIFY2(std::abs(p.seconds - 30.0) < 0.05, qPrintable(QString::number(p.seconds)));

    // Stopped as soon as it starts: on return nothing runs and the file is
    // closed, and nothing more is told of it.
    log = {};
    percents.clear();
    const QString stopped = m_dir.filePath("stopped.wma");
    engine.SetFiles(m_wav, stopped);
    engine.StartConversion();
    engine.StopConversion();
    QVERIFY(!engine.Busy());
    QVERIFY(QFileInfo::exists(stopped));
    QVERIFY(!isOpenHere(stopped));
    QTest::qWait(300);
    QVERIFY(log.events.isEmpty());
    QVERIFY(percents.isEmpty());
}

void TestWmaEngine::undecodableSourceIsOneFailure()
{
    // A header cut short, and a whole header over data that is noise.
    const QByteArray wma = readFile(m_wma);
    const QString cut = m_dir.filePath("cut.wma");
    writeFile(cut, wma.left(300));
    const QString noise = m_dir.filePath("noise.wma");
    QByteArray noisy = wma;
    const qsizetype data =
        wma.indexOf(QByteArray::fromHex("3626b2758e66cf11a6d900aa0062ce6c")); // ASF data object
    QVERIFY(data > 0);
    for (qsizetype i = data + 50; i < noisy.size(); ++i)
        noisy[i] = char((i * 7919) >> 3);
    writeFile(noise, noisy);

    for (const QString& source : {cut, noise}) {
        msaudio::MsAudioDecodeEngine engine(module());
        EngineLog log;
        log.watch(engine, &msaudio::MsAudioDecodeEngine::OnDecodeComplete,
                  &msaudio::MsAudioDecodeEngine::OnDecodeStatus);
        const QString dest = m_dir.filePath("out.wav");
        engine.SetFiles(source, dest);
        engine.StartConversion();
        QVERIFY(QTest::qWaitFor([&] { return log.ends > 0; }, 30000));
        QTest::qWait(100);
        QCOMPARE(log.ends, 1);
        QVERIFY2(log.events.last().startsWith("failure ") && log.events.last().contains('"' + source + '"'),
                 qPrintable(log.events.join('\n')));
        QVERIFY(!isOpenHere(dest));
    }
}

AUDREL_CORE_TEST_MAIN(TestWmaEngine)
#include "tst_wmaengine.moc"
