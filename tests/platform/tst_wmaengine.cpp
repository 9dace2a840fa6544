// The WMA pieces of the audio engine and the engines of the two WMA controls:
// the FFmpeg decoder against ffmpeg's own command line on the sample files,
// seeking by time, the encoder on WAV files of every layout against ffmpeg's
// own encoding of them, and the events of the engines' worker threads,
// including a conversion stopped midway and files that cannot be converted.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "wavbytes.h"

#include "platform/audio/ffmpegdecoder.h"
#include "platform/msaudio/msaudiodecodeengine.h"
#include "platform/msaudio/msaudioencodeengine.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>
#include <cstring>

using namespace audrel;
using namespace audrel::audio;
using namespace audrel::test;

namespace {

// The FFmpeg module of the build, as the program loads it.
const audio::FfmpegModule& module()
{
    QString problem;
    const audio::FfmpegModule* loaded = audio::FfmpegModule::load(buildDir(), &problem);
    if (!loaded) qFatal("%s", qPrintable(problem));
    return *loaded;
}

// Every sample of a stream from where the decoder stands, at most frames of them.
AudioError decodeRest(AudioDecoder& decoder, QByteArray& out, int64_t frames = INT64_MAX)
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
    void encodesWavLayoutsAsFfmpegDoes_data();
    void encodesWavLayoutsAsFfmpegDoes();
    void encoderEventsAndStop();
    void unreadableSourceIsOneFailure();

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

void TestWmaEngine::encodesWavLayoutsAsFfmpegDoes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("reference"); // what ffmpeg is given
    QTest::addColumn<bool>("identical");    // the WMA files are the same byte for byte
    const QString plain = m_dir.filePath("layout-plain.wav");
    QVERIFY(makeWav(plain, 22050, 2, 2.0));
    const auto made = [&](const char* name, const QStringList& soxOptions) {
        const QString path = m_dir.filePath(QStringLiteral("layout-%1.wav").arg(name));
        if (!runTool("sox", QStringList{"-q", plain} + soxOptions + QStringList{path})) qFatal("sox failed");
        return path;
    };
    QTest::newRow("16-bit") << plain << plain << true;
    // The tags in a flood of ID3v2 frames are passed over, not parsed.
    const QString flooded = m_dir.filePath("layout-flooded.wav");
    const WavData pcm = readWav(plain);
    writeFile(flooded, wav::riff(wav::fmtPcm(2, 22050, 16) + wav::chunk("id3 ", id3v2Flood(100000)) +
                                 wav::chunk("data", pcm.samples)));
    QTest::newRow("16-bit with a flood of tags") << flooded << plain << true;
    const QString extensible = m_dir.filePath("layout-extensible.wav");
    writeFile(extensible, wav::riff(wav::fmtExtensible(2, 22050, 16, 16) + wav::chunk("data", pcm.samples)));
    QTest::newRow("extensible 16-bit") << extensible << plain << true;
    for (const auto& [name, options] :
         std::vector<std::pair<const char*, QStringList>>{{"8-bit", {"-b", "8"}},
                                                          {"24-bit", {"-b", "24"}},
                                                          {"32-bit", {"-b", "32"}},
                                                          {"float", {"-e", "floating-point", "-b", "32"}},
                                                          {"six channels", {"-c", "6"}}}) {
        const QString path = made(name, options);
        QTest::newRow(name) << path << path << false;
    }
}

void TestWmaEngine::encodesWavLayoutsAsFfmpegDoes()
{
    QFETCH(QString, source);
    QFETCH(QString, reference);
    QFETCH(bool, identical);
    const QString ours = m_dir.filePath("layout-ours.wma");
    const QString theirs = m_dir.filePath("layout-ffmpeg.wma");
    QVERIFY(runTool("ffmpeg", {"-v", "quiet", "-y", "-i", reference, "-c:a", "wmav2", "-b:a", "64k", "-ar",
                               "22050", "-ac", "2", theirs}));
    msaudio::MsAudioEncodeEngine engine(module());
    engine.setBitrate(64000);
    engine.setSamplerate(22050);
    engine.setChannels(2);
    EngineLog log;
    log.watch(engine, &msaudio::MsAudioEncodeEngine::OnEncodingComplete,
              &msaudio::MsAudioEncodeEngine::OnEncodeStatus);
    engine.SetFiles(source, ours);
    engine.StartConversion();
    QVERIFY(QTest::qWaitFor([&] { return log.ends > 0; }, 120000));
    QCOMPARE(log.events.last(), "complete");
    if (identical) {
        QVERIFY(readFile(ours) == readFile(theirs));
        return;
    }
    // Read at 16 bits, then encoded: the same sound, as long.
    QByteArray a, b;
    FfmpegDecoder decoder;
    QCOMPARE(decoder.open(ours), AudioError::None);
    QCOMPARE(decodeRest(decoder, a), AudioError::None);
    QCOMPARE(decoder.open(theirs), AudioError::None);
    QCOMPARE(decodeRest(decoder, b), AudioError::None);
    QCOMPARE(a.size(), b.size());
    const double alike = similarity(a, b, 2, 0);
    QVERIFY2(alike > 0.99, qPrintable(QString::number(alike)));
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

void TestWmaEngine::unreadableSourceIsOneFailure()
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

    // A full disk is one failure too, in the system's words.
    if (QFileInfo::exists("/dev/full")) {
        const QString full = QStringLiteral(": %1.").arg(QString::fromLocal8Bit(std::strerror(ENOSPC)));
        msaudio::MsAudioDecodeEngine decoder(module());
        msaudio::MsAudioEncodeEngine encoder(module());
        EngineLog decoded, encoded;
        decoded.watch(decoder, &msaudio::MsAudioDecodeEngine::OnDecodeComplete,
                      &msaudio::MsAudioDecodeEngine::OnDecodeStatus);
        encoded.watch(encoder, &msaudio::MsAudioEncodeEngine::OnEncodingComplete,
                      &msaudio::MsAudioEncodeEngine::OnEncodeStatus);
        decoder.SetFiles(m_wma, "/dev/full");
        decoder.StartConversion();
        encoder.SetFiles(m_wav, "/dev/full");
        encoder.StartConversion();
        QVERIFY(QTest::qWaitFor([&] { return decoded.ends > 0 && encoded.ends > 0; }, 60000));
        QTest::qWait(100);
        for (const EngineLog* log : {&decoded, &encoded}) {
            QCOMPARE(log->ends, 1);
            QCOMPARE(log->events.last(), QStringLiteral("failure %1 Cannot write \"/dev/full\"%2")
                                             .arg(int(AudioError::WriteFailed))
                                             .arg(full));
        }
    }

    // A WAV whose rate no recording has is refused as the MP3 encoder refuses
    // it, before anything is written.
    const QString slow = m_dir.filePath("one-hertz.wav");
    writeFile(slow, wav::riff(wav::fmtPcm(2, 1, 16) + wav::chunk("data", wav::randomBytes(4000))));
    msaudio::MsAudioEncodeEngine engine(module());
    EngineLog log;
    log.watch(engine, &msaudio::MsAudioEncodeEngine::OnEncodingComplete,
              &msaudio::MsAudioEncodeEngine::OnEncodeStatus);
    const QString dest = m_dir.filePath("one-hertz.wma");
    engine.SetFiles(slow, dest);
    engine.StartConversion();
    QVERIFY(QTest::qWaitFor([&] { return log.ends > 0; }, 30000));
    QTest::qWait(100);
    QCOMPARE(log.events,
             QStringList({QStringLiteral("failure %1 Cannot encode %2: its sample rate of 1 Hz is not "
                                         "between 1000 and 768000 Hz.")
                              .arg(int(AudioError::NotWavAudio))
                              .arg(slow)}));
    QVERIFY(!QFileInfo::exists(dest));
}

AUDREL_CORE_TEST_MAIN(TestWmaEngine)
#include "tst_wmaengine.moc"
