// The FFmpeg module's pieces of the "Any Format" list: the probe over every
// kind of source, judged by ffprobe, each kind converted as ffmpeg converts
// it, and what holds no audio refused; the transcoder into every format from
// 16-bit, 24-bit, six-channel and ten-channel sources, judged by ffprobe and
// by decoding with ffmpeg; the decoder's format limit against ffmpeg's own
// resampling; progress, stopping and failed writes, directly and through the
// engine's worker thread.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"

#include "platform/audio/ffmpegdecoder.h"
#include "platform/audio/transcodeengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace audrel;
using namespace audrel::audio;
using namespace audrel::test;

Q_DECLARE_METATYPE(audrel::audio::AudioError)
Q_DECLARE_METATYPE(audrel::audio::EncodedFormat)

namespace {

// The FFmpeg module of the build, as the program loads it.
const FfmpegModule& module()
{
    QString problem;
    const FfmpegModule* loaded = FfmpegModule::load(buildDir(), &problem);
    if (!loaded) qFatal("%s", qPrintable(problem));
    return *loaded;
}

constexpr EncodedFormat kFormats[] = {EncodedFormat::Flac, EncodedFormat::Vorbis, EncodedFormat::Opus,
                                      EncodedFormat::Aac,  EncodedFormat::Alac,   EncodedFormat::Wav};

const char* extension(EncodedFormat format)
{
    switch (format) {
    case EncodedFormat::Flac:
        return ".flac";
    case EncodedFormat::Vorbis:
        return ".ogg";
    case EncodedFormat::Opus:
        return ".opus";
    case EncodedFormat::Aac:
    case EncodedFormat::Alac:
        return ".m4a";
    case EncodedFormat::Wav:
        break;
    }
    return ".wav";
}

// The files the probe tests make seed the FFmpeg decoder's fuzz target.
constexpr char kSeeds[] = "AUDREL_FFMPEG_SEEDS";

// Every sample of a stream from where the decoder stands.
QByteArray decodeRest(AudioDecoder& decoder)
{
    QByteArray out;
    for (;;) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) != AudioError::None || frames == 0) return out;
        out.append(reinterpret_cast<const char*>(samples), frames * decoder.format().bytesPerFrame());
    }
}

// Runs a transcoder with settings; the progress it told is checked to run
// from 0 to its total in order.
AudioError transcode(const QString& source, const QString& dest, const EncoderSettings& settings,
                     QString* text = nullptr)
{
    const std::unique_ptr<Transcoder> transcoder = module().newTranscoder(settings);
    int64_t last = -1;
    int64_t total = -1;
    bool ordered = true;
    const AudioError error = transcoder->run(source, dest, [&](int64_t done, int64_t of) {
        ordered = ordered && done >= last && done <= of && (total < 0 || of == total);
        last = done;
        total = of;
        return true;
    });
    if (text) *text = transcoder->errorText();
    if (!ordered || (error == AudioError::None && (total <= 0 || last != total)))
        QTest::qFail("the progress did not run from 0 to its total", __FILE__, __LINE__);
    return error;
}

} // namespace

class TestFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void probesAndConvertsEveryKind_data();
    void probesAndConvertsEveryKind();
    void refusesWhatHoldsNoAudio_data();
    void refusesWhatHoldsNoAudio();
    void transcodes_data();
    void transcodes();
    void limitsTheDecodedFormat();
    void stopsWhenTheProgressSaysSo();
    void engineEvents();
    void failedWritesSayWhy_data();
    void failedWritesSayWhy();
    void refusesSettingsOutOfRange();

private:
    QTemporaryDir m_dir;
    QString m_wav16;  // 2 s, 44.1 kHz stereo 16-bit
    QString m_flac16; // the same in FLAC, with a title and a cover picture
    QString m_wav24;  // 2 s, 96 kHz stereo 24-bit
    QString m_wav6;   // 2 s, 48 kHz 5.1 with side channels, 24-bit
    QString m_wav10;  // 2 s, 44.1 kHz, ten channels without names, 16-bit
    QString m_long;   // 30 s FLAC, 44.1 kHz stereo 16-bit
};

void TestFormats::initTestCase()
{
    for (const char* tool : {"sox", "ffmpeg", "ffprobe"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    for (const EncodedFormat format : kFormats)
        QVERIFY2(module().encoderAvailable(format), extension(format));

    m_wav16 = m_dir.filePath("tones16.wav");
    QVERIFY(makeTones(m_wav16, 44100, 2, 16, 2.0));
    const QString cover = m_dir.filePath("cover.png");
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:s=32x32", "-frames:v",
                               "1", cover}));
    m_flac16 = m_dir.filePath("tagged.flac");
    QVERIFY(makeEncoded(m_flac16, m_wav16,
                        {"-i", cover, "-map", "0:a", "-map", "1:v", "-c:a", "flac", "-c:v", "png",
                         "-disposition:v", "attached_pic", "-metadata", "title=Carried Title"}));
    QCOMPARE(probe(m_flac16).videoStreams, 1);
    m_wav24 = m_dir.filePath("tones24.wav");
    QVERIFY(makeTones(m_wav24, 96000, 2, 24, 2.0));
    const QString back = m_dir.filePath("back51.wav");
    QVERIFY(makeTones(back, 48000, 6, 24, 2.0));
    m_wav6 = m_dir.filePath("side51.wav");
    QVERIFY(makeEncoded(m_wav6, back, {"-af", "channelmap=channel_layout=5.1(side)", "-c:a", "pcm_s24le"}));
    QCOMPARE(probe(m_wav6).layout, "5.1(side)");
    m_wav10 = m_dir.filePath("ten.wav");
    QVERIFY(makeTones(m_wav10, 44100, 10, 16, 2.0));
    const QString longWav = m_dir.filePath("long.wav");
    QVERIFY(makeTones(longWav, 44100, 2, 16, 30.0));
    m_long = m_dir.filePath("long.flac");
    QVERIFY(makeEncoded(m_long, longWav, {"-c:a", "flac"}));
    QFile::remove(longWav);
}

void TestFormats::probesAndConvertsEveryKind_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title"); // the codec for the user
    QTest::addColumn<bool>("lossless");
    const QByteArray encoders = toolOutput("ffmpeg", {"-hide_banner", "-encoders"});
    struct Kind
    {
        const char* file;
        const char* title;
        bool lossless;
        const char* encoder; // that ffmpeg must have to make it
        QStringList options;
    };
    const QList<Kind> kinds{
        {"a.flac", "FLAC", true, "flac", {"-c:a", "flac"}},
        {"a.ogg", "Vorbis", false, "libvorbis", {"-c:a", "libvorbis"}},
        {"a.oga", "FLAC", true, "flac", {"-c:a", "flac", "-f", "oga"}},
        {"a.opus", "Opus", false, "libopus", {"-c:a", "libopus"}},
        {"a.m4a", "AAC", false, "aac", {"-c:a", "aac"}},
        {"a.m4b", "ALAC", true, "alac", {"-c:a", "alac", "-f", "ipod"}},
        {"video.mp4",
         "AAC",
         false,
         "mpeg4",
         {"-f", "lavfi", "-i", "color=c=blue:s=64x64:d=2", "-map", "1:v", "-map", "0:a", "-c:v", "mpeg4",
          "-c:a", "aac", "-shortest"}},
        {"a.aac", "AAC", false, "aac", {"-c:a", "aac", "-f", "adts"}},
        {"a.aif", "PCM", true, "pcm_s16be", {"-c:a", "pcm_s16be", "-f", "aiff"}},
        {"a.aiff", "PCM", true, "pcm_s24be", {"-c:a", "pcm_s24be", "-f", "aiff"}},
        {"a.aifc", "PCM", true, "pcm_f32be", {"-c:a", "pcm_f32be", "-f", "aiff"}},
        {"a.ape", "Monkey's Audio", true, "ape", {"-c:a", "ape"}},
        {"a.wv", "WavPack", true, "wavpack", {"-c:a", "wavpack"}},
        {"a.mka", "FLAC", true, "flac", {"-c:a", "flac", "-f", "matroska"}},
        {"a.webm", "Opus", false, "libopus", {"-c:a", "libopus", "-f", "webm"}},
        {"a.caf", "ALAC", true, "alac", {"-c:a", "alac", "-f", "caf"}},
        {"a.ac3", "AC-3", false, "ac3", {"-c:a", "ac3"}},
        {"a.mpc", "Musepack", false, "mpc8", {"-c:a", "mpc8"}},
        {"a.tta", "TTA", true, "tta", {"-c:a", "tta"}},
        {"a.au", "PCM", true, "pcm_s16be", {"-c:a", "pcm_s16be", "-f", "au"}},
        {"a.mp3", "MP3", false, "libmp3lame", {"-c:a", "libmp3lame"}},
        {"a.mp2", "MP2", false, "mp2", {"-c:a", "mp2"}},
        {"a.wma", "WMA v2", false, "wmav2", {"-c:a", "wmav2"}},
        {"a.wav", "PCM", true, "pcm_s16le", {"-c:a", "pcm_s16le"}},
    };
    for (const Kind& kind : kinds) {
        QString path;
        if (encoders.contains(QByteArray(" ") + kind.encoder + ' ')) {
            path = m_dir.filePath(QLatin1String(kind.file));
            if (!makeEncoded(path, m_wav16, kind.options)) qFatal("ffmpeg could not make %s", kind.file);
            keepAsSeed(path, kSeeds);
        }
        QTest::newRow(kind.file) << path << kind.title << kind.lossless;
    }
}

void TestFormats::probesAndConvertsEveryKind()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(bool, lossless);
    if (file.isEmpty()) QSKIP("ffmpeg cannot make files of this kind");
    MediaFacts facts;
    QCOMPARE(module().probe(file, facts), AudioError::None);
    const Probe p = probe(file);
    QCOMPARE(facts.container, p.container);
    QCOMPARE(facts.codec, p.codec);
    QCOMPARE(facts.codecTitle, title);
    QCOMPARE(facts.sampleRate, p.rate);
    QCOMPARE(facts.channels, p.channels);
    QCOMPARE(facts.bitsPerSample, lossless ? p.bits : 0);
    QVERIFY2(std::abs(facts.durationMs - p.seconds * 1000) <= 1,
             qPrintable(QString::number(facts.durationMs)));
    if (p.bitRate > 0) QCOMPARE(facts.bitRate, p.bitRate);

    // To WAV as the source: the samples of ffmpeg's own decoding into the same PCM.
    const QString ours = m_dir.filePath("kind-ours.wav");
    EncoderSettings wav;
    wav.format = EncodedFormat::Wav;
    QCOMPARE(transcode(file, ours, wav), AudioError::None);
    // The decoder's own sample format: floating-point (as lossy codecs give
    // it) stays so, and integers keep their bits.
    const QString decoded = decodedSampleFormat(file);
    const QString pcm = decoded.startsWith("flt") || decoded.startsWith("dbl") ? "pcm_f32le"
                        : decoded.startsWith("u8")                             ? "pcm_u8"
                        : decoded.startsWith("s16")                            ? "pcm_s16le"
                        : p.bits > 0 && p.bits <= 24                           ? "pcm_s24le"
                                                                               : "pcm_s32le";
    const Probe result = probe(ours);
    QCOMPARE(result.codec, pcm);
    const QString theirs = m_dir.filePath("kind-ffmpeg.wav");
    QVERIFY(makeEncoded(theirs, file, {"-c:a", result.codec}));
    const WavData a = readWav(ours);
    const WavData b = readWav(theirs);
    QVERIFY(a.valid && b.valid && !a.samples.isEmpty());
    QCOMPARE(a.samples.size(), b.samples.size());
    QVERIFY(a.samples == b.samples);
}

void TestFormats::refusesWhatHoldsNoAudio_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<AudioError>("error");
    const auto path = [this](const char* name) { return m_dir.filePath(QLatin1String(name)); };

    writeFile(path("words.flac"), QByteArray("Just some words, nothing to play.\n").repeated(100));
    QTest::newRow("text") << path("words.flac") << AudioError::NotMpegAudio;
    writeFile(path("empty.flac"), {});
    QTest::newRow("empty") << path("empty.flac") << AudioError::NotMpegAudio;
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=c=blue:s=64x64:d=1", "-c:v",
                               "mpeg4", path("silent.mp4")}));
    QTest::newRow("video without audio") << path("silent.mp4") << AudioError::NotMpegAudio;
    // Lists naming a file beside them: neither is followed.
    writeFile(path("list.m3u"), "#EXTM3U\n#EXTINF:2,Tones\n" + QFile::encodeName(m_wav16) + '\n');
    QTest::newRow("playlist") << path("list.m3u") << AudioError::NotMpegAudio;
    writeFile(path("list.ffconcat"),
              "ffconcat version 1.0\nfile " + QFileInfo(m_wav16).fileName().toUtf8() + '\n');
    QTest::newRow("concatenation list") << path("list.ffconcat") << AudioError::NotMpegAudio;
    QVERIFY(makeEncoded(path("encrypted.m4a"), m_wav16,
                        {"-c:a", "aac", "-encryption_scheme", "cenc-aes-ctr", "-encryption_key",
                         "76a6c65c5ea762046bd749a2e632ccbb", "-encryption_kid",
                         "a7e61c373e219033c21091fa607bf3b8"}));
    QTest::newRow("encrypted") << path("encrypted.m4a") << AudioError::Protected;
    QTest::newRow("missing") << path("missing.flac") << AudioError::NoSuchFile;
    QVERIFY(QDir(m_dir.path()).mkdir("folder.flac"));
    QTest::newRow("folder") << path("folder.flac") << AudioError::OpenFailed;
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.flac")).constData(), 0600), 0);
    QTest::newRow("pipe") << path("pipe.flac") << AudioError::OpenFailed;
    if (::geteuid() != 0) { // root reads every file
        QVERIFY(QFile::copy(m_flac16, path("locked.flac")));
        QVERIFY(QFile::setPermissions(path("locked.flac"), {}));
        QTest::newRow("unreadable") << path("locked.flac") << AudioError::PermissionDenied;
    }
}

void TestFormats::refusesWhatHoldsNoAudio()
{
    QFETCH(QString, file);
    QFETCH(AudioError, error);
    // A relative name in a list would be looked for from the working folder.
    const QString working = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    MediaFacts facts;
    const AudioError probed = module().probe(file, facts);
    const QString dest = m_dir.filePath("refused.flac");
    EncoderSettings flac;
    QString text;
    const AudioError converted = transcode(file, dest, flac, &text);
    QDir::setCurrent(working);
    QCOMPARE(probed, error);
    QCOMPARE(facts.sampleRate, 0);
    QCOMPARE(converted, error);
    QVERIFY2(text.contains('"' + file + '"'), qPrintable(text));
    QVERIFY(!QFileInfo::exists(dest));
}

void TestFormats::transcodes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("reference"); // the WAV of the source's samples
    QTest::addColumn<EncodedFormat>("format");
    QTest::addColumn<bool>("sixteen");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bits");       // of a lossless result, 0 for a lossy one
    QTest::addColumn<QString>("layout"); // empty: not checked
    struct Source
    {
        const char* name;
        QString path;
        QString reference;
        int rate;
        int channels;
        int bits;
    };
    const Source sources[] = {{"16-bit", m_flac16, m_wav16, 44100, 2, 16},
                              {"24-bit", m_wav24, m_wav24, 96000, 2, 24},
                              {"5.1", m_wav6, m_wav6, 48000, 6, 24}};
    for (const Source& s : sources) {
        const auto row = [&](EncodedFormat format, const char* codec, int rate, int bits,
                             const char* layout) {
            QTest::addRow("%s to %s", s.name, extension(format) + 1)
                << s.path << s.reference << format << false << QString::fromLatin1(codec) << rate
                << s.channels << bits << (s.channels == 6 ? QString::fromLatin1(layout) : QString());
        };
        row(EncodedFormat::Flac, "flac", s.rate, s.bits, "5.1(side)");
        row(EncodedFormat::Vorbis, "vorbis", s.rate, 0, "5.1");
        row(EncodedFormat::Opus, "opus", 48000, 0, "5.1");
        row(EncodedFormat::Aac, "aac", s.rate, 0, "5.1");
        row(EncodedFormat::Alac, "alac", s.rate, s.bits, "5.1");
        row(EncodedFormat::Wav, s.bits == 16 ? "pcm_s16le" : "pcm_s24le", s.rate, s.bits, "5.1(side)");
    }
    QTest::newRow("24-bit to 16-bit wav")
        << m_wav24 << m_wav24 << EncodedFormat::Wav << true << "pcm_s16le" << 96000 << 2 << 16 << QString();
    // More channels than FLAC and Opus hold: mixed down to stereo.
    QTest::newRow("ten channels to flac")
        << m_wav10 << m_wav10 << EncodedFormat::Flac << false << "flac" << 44100 << 2 << 16 << "stereo";
    QTest::newRow("ten channels to opus")
        << m_wav10 << m_wav10 << EncodedFormat::Opus << false << "opus" << 48000 << 2 << 0 << "stereo";
}

void TestFormats::transcodes()
{
    QFETCH(QString, source);
    QFETCH(QString, reference);
    QFETCH(EncodedFormat, format);
    QFETCH(bool, sixteen);
    QFETCH(QString, codec);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(int, bits);
    QFETCH(QString, layout);
    const QString dest = m_dir.filePath(QStringLiteral("result") + extension(format));
    writeFile(dest, "an older result, replaced");
    EncoderSettings settings;
    settings.format = format;
    settings.wavSixteenBit = sixteen;
    QString text;
    QCOMPARE(transcode(source, dest, settings, &text), AudioError::None);
    QVERIFY(!isOpenHere(dest));

    const Probe p = probe(dest);
    QCOMPARE(p.codec, codec);
    QCOMPARE(p.rate, rate);
    QCOMPARE(p.channels, channels);
    if (!layout.isEmpty()) QCOMPARE(p.layout, layout);
    // The audio alone: no tags and no cover of the source, no name of FFmpeg.
    QCOMPARE(p.videoStreams, 0);
    const QMap<QString, QString> tags = probeTags(dest);
    QVERIFY2(!tags.contains("title") && !tags.contains("encoder"),
             qPrintable(QStringList(tags.keys()).join(' ')));

    const Probe original = probe(reference);
    if (original.channels != channels) {
        // Mixed down: every output channel is the mean of every other source channel.
        const QByteArray from = decodedSamples(reference, "s16le");
        const QByteArray mixed = decodedSamples(dest, "s16le", {"-ar", QString::number(original.rate)});
        const auto* in = reinterpret_cast<const qint16*>(from.constData());
        const qsizetype frames = from.size() / (2 * original.channels);
        QByteArray expected(frames * 2 * channels, Qt::Uninitialized);
        auto* out = reinterpret_cast<qint16*>(expected.data());
        for (qsizetype i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c) {
                double sum = 0;
                int taken = 0;
                for (int s = c; s < original.channels; s += channels, ++taken)
                    sum += in[i * original.channels + s];
                out[i * channels + c] = qint16(std::lround(sum / taken));
            }
        for (int c = 0; c < channels; ++c) {
            const double alike =
                similarity(channelSamples(expected, channels, c), channelSamples(mixed, channels, c), 1, 0);
            QVERIFY2(alike > (bits > 0 ? 0.9999 : 0.9),
                     qPrintable(QStringLiteral("%1: %2").arg(c).arg(alike)));
        }
        return;
    }
    if (bits > 0) {
        // Lossless: the very samples, at the source's depth.
        QCOMPARE(p.bits, bits);
        const QString raw = bits == 16 ? "s16le" : "s24le";
        const QByteArray expected = decodedSamples(reference, raw);
        QVERIFY(!expected.isEmpty());
        QVERIFY(decodedSamples(dest, raw) == expected);
        if (format != EncodedFormat::Wav) {
            // And back to WAV: the source WAV's own samples.
            EncoderSettings wav;
            wav.format = EncodedFormat::Wav;
            const QString back = m_dir.filePath("back.wav");
            QCOMPARE(transcode(dest, back, wav), AudioError::None);
            const WavData a = readWav(back);
            QVERIFY(a.valid && a.samples == readWav(reference).samples);
        }
        return;
    }
    // Lossy: as long as the source within one block of the codec, and the
    // same sound in every channel from the first sample on (the encoder's
    // priming is not heard).
    const int block = format == EncodedFormat::Aac ? 1024 : format == EncodedFormat::Opus ? 960 : 2048;
    QVERIFY2(std::abs(p.seconds - original.seconds) <= double(block) / rate,
             qPrintable(QString::number(p.seconds)));
    const QByteArray from = decodedSamples(reference, "s16le");
    const QByteArray decoded = decodedSamples(dest, "s16le", {"-ar", QString::number(original.rate)});
    const qsizetype frameBytes = 2 * channels;
    QVERIFY2(std::abs(decoded.size() / frameBytes - from.size() / frameBytes) <=
                 qsizetype(block) * original.rate / rate,
             qPrintable(
                 QStringLiteral("%1 of %2").arg(decoded.size() / frameBytes).arg(from.size() / frameBytes)));
    for (int c = 0; c < channels; ++c) {
        const double alike =
            similarity(channelSamples(from, channels, c), channelSamples(decoded, channels, c), 1, 0);
        QVERIFY2(alike > 0.9, qPrintable(QStringLiteral("channel %1: %2").arg(c).arg(alike)));
    }
}

void TestFormats::limitsTheDecodedFormat()
{
    // Resampled, and mixed down: the samples of `ffmpeg -ar -ac`.
    FfmpegDecoder decoder;
    decoder.limitFormat(48000, 2);
    for (const QString& source : {m_wav24, m_wav6}) {
        QCOMPARE(decoder.open(source), AudioError::None);
        QCOMPARE(decoder.format(), (AudioFormat{48000, 2}));
        const QByteArray expected = decodedSamples(source, "s16le", {"-ar", "48000", "-ac", "2"});
        const QByteArray samples = decodeRest(decoder);
        QCOMPARE(samples.size(), expected.size());
        QVERIFY(samples == expected);
        QCOMPARE(decoder.positionFrames(), expected.size() / 4);
    }
    // A seek counts in the rate given.
    QCOMPARE(decoder.open(m_wav24), AudioError::None);
    const QByteArray whole = decodeRest(decoder);
    QVERIFY(decoder.seekMs(1000));
    QCOMPARE(decoder.positionFrames(), 48000);
    const QByteArray rest = decodeRest(decoder);
    QVERIFY(std::abs(rest.size() - (whole.size() - 48000 * 4)) <= 64 * 4);
    const double alike = similarity(whole.mid(48000 * 4), rest, 2, 8);
    QVERIFY2(alike > 0.999, qPrintable(QString::number(alike)));
    // No limit: the stream's own format, from the next open on.
    decoder.limitFormat(0, 0);
    QCOMPARE(decoder.format(), (AudioFormat{48000, 2}));
    QCOMPARE(decoder.open(m_wav6), AudioError::None);
    QCOMPARE(decoder.format(), (AudioFormat{48000, 6}));
}

void TestFormats::stopsWhenTheProgressSaysSo()
{
    MediaFacts facts;
    QCOMPARE(module().probe(m_long, facts), AudioError::None);
    EncoderSettings vorbis;
    vorbis.format = EncodedFormat::Vorbis;
    const std::unique_ptr<Transcoder> transcoder = module().newTranscoder(vorbis);
    QList<int64_t> told;
    int64_t total = 0;
    const QString dest = m_dir.filePath("stopped.ogg");
    const AudioError error = transcoder->run(m_long, dest, [&](int64_t done, int64_t of) {
        told << done;
        total = of;
        return done == 0;
    });
    QCOMPARE(error, AudioError::Stopped);
    QCOMPARE(total, facts.durationMs);
    QCOMPARE(told.size(), 2);
    QVERIFY(told[0] == 0 && told[1] > 0 && told[1] < total);
    QVERIFY(transcoder->errorText().contains('"' + m_long + '"'));
    QVERIFY(QFileInfo::exists(dest));
    QVERIFY(!isOpenHere(dest));
    QVERIFY(!isOpenHere(m_long));
}

void TestFormats::engineEvents()
{
    TranscodeEngine engine(module());
    QStringList events;
    int ends = 0;
    qint64 done = -1;
    qint64 total = -1;
    connect(&engine, &TranscodeEngine::Progress, this, [&](qint64 d, qint64 t) {
        done = d;
        total = t;
        if (events.isEmpty() || events.last() != "progress") events << "progress";
    });
    connect(&engine, &TranscodeEngine::OnComplete, this, [&] {
        events << "complete";
        ++ends;
    });
    connect(&engine, &TranscodeEngine::OnFailure, this, [&](int code, const QString& text) {
        events << QStringLiteral("failure %1 %2").arg(code).arg(text);
        ++ends;
    });
    EncoderSettings vorbis;
    vorbis.format = EncodedFormat::Vorbis;

    // Stopped at once, and stopped in the middle: on return nothing runs and
    // the file is closed, and nothing more is told of it.
    const QString stopped = m_dir.filePath("engine-stopped.ogg");
    engine.Start(m_long, stopped, vorbis);
    engine.Stop();
    QVERIFY(!engine.Busy());
    QVERIFY(!isOpenHere(stopped));
    engine.Start(m_long, stopped, vorbis);
    QVERIFY(events.isEmpty()); // every event comes from the event loop
    QVERIFY(QTest::qWaitFor([&] { return done > 0; }, 60000));
    engine.Stop();
    QVERIFY(!engine.Busy());
    QVERIFY(!isOpenHere(stopped));
    QTest::qWait(300);
    QCOMPARE(events, QStringList({"progress"}));
    QVERIFY(done < total);

    // Complete: the progress up to its total, then one completion.
    events.clear();
    const QString whole = m_dir.filePath("engine.flac");
    engine.Start(m_flac16, whole, EncoderSettings());
    QVERIFY(QTest::qWaitFor([&] { return ends > 0; }, 60000));
    QTest::qWait(100);
    QCOMPARE(events, QStringList({"progress", "complete"}));
    QCOMPARE(done, total);
    QVERIFY(!engine.Busy());
    QCOMPARE(probe(whole).codec, "flac");

    // Failed: one failure, in the system's words for a full disk.
    if (QFileInfo::exists("/dev/full")) {
        events.clear();
        ends = 0;
        engine.Start(m_flac16, "/dev/full", EncoderSettings());
        QVERIFY(QTest::qWaitFor([&] { return ends > 0; }, 60000));
        QTest::qWait(100);
        QCOMPARE(events.size() - events.count("progress"), 1);
        QCOMPARE(events.last(), QStringLiteral("failure %1 Cannot write \"/dev/full\": %2.")
                                    .arg(int(AudioError::WriteFailed))
                                    .arg(QString::fromLocal8Bit(std::strerror(ENOSPC))));
    }
}

void TestFormats::failedWritesSayWhy_data()
{
    QTest::addColumn<QString>("dest");
    QTest::addColumn<EncodedFormat>("format");
    QTest::addColumn<qint64>("limit"); // of a file's size, or 0
    QTest::addColumn<AudioError>("error");
    QTest::addColumn<int>("reason"); // errno
    if (QFileInfo::exists("/dev/full"))
        QTest::newRow("a full disk") << "/dev/full" << EncodedFormat::Alac << qint64(0)
                                     << AudioError::WriteFailed << ENOSPC;
    QTest::newRow("a file size limit") << m_dir.filePath("limited.wav") << EncodedFormat::Wav << qint64(65536)
                                       << AudioError::WriteFailed << EFBIG;
    QTest::newRow("a missing folder") << m_dir.filePath("nowhere/result.flac") << EncodedFormat::Flac
                                      << qint64(0) << AudioError::CreateFailed << ENOENT;
}

void TestFormats::failedWritesSayWhy()
{
    QFETCH(QString, dest);
    QFETCH(EncodedFormat, format);
    QFETCH(qint64, limit);
    QFETCH(AudioError, error);
    QFETCH(int, reason);
    EncoderSettings settings;
    settings.format = format;
    QString text;
    AudioError failed;
    {
        std::optional<FileSizeLimit> limited;
        if (limit > 0) limited.emplace(limit);
        failed = transcode(m_flac16, dest, settings, &text);
    }
    QCOMPARE(failed, error);
    QCOMPARE(text, QStringLiteral("Cannot %1 \"%2\": %3.")
                       .arg(error == AudioError::CreateFailed ? "create" : "write", dest,
                            QString::fromLocal8Bit(std::strerror(reason))));
    QVERIFY(!isOpenHere(dest));
}

void TestFormats::refusesSettingsOutOfRange()
{
    EncoderSettings flac;
    flac.flacLevel = 9;
    EncoderSettings vorbis;
    vorbis.format = EncodedFormat::Vorbis;
    vorbis.vorbisQuality = 10.5;
    EncoderSettings opus;
    opus.format = EncodedFormat::Opus;
    opus.opusBitRate = 5000;
    EncoderSettings aac;
    aac.format = EncodedFormat::Aac;
    aac.aacBitRate = 600000;
    const QString dest = m_dir.filePath("refused.out");
    for (const auto& [settings, value] :
         {std::pair{flac, "9"}, {vorbis, "10.5"}, {opus, "5 kbit/s"}, {aac, "600 kbit/s"}}) {
        QString text;
        QCOMPARE(transcode(m_flac16, dest, settings, &text), AudioError::EncoderRefused);
        QVERIFY2(text.startsWith("Cannot write \"" + dest + "\": the ") &&
                     text.contains(QLatin1String(value)),
                 qPrintable(text));
        QVERIFY(!QFileInfo::exists(dest));
    }
}

AUDREL_CORE_TEST_MAIN(TestFormats)
#include "tst_formats.moc"
