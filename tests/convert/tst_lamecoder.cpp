// The MP3 encoder interface and TLameCoder on real files: what they write is
// judged by walking the MPEG frame headers here and by decoding with mpg123
// and ffprobe.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "wavbytes.h"

#include "convert/lamecoder.h"
#include "platform/lame/lameenc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

using namespace audrel;
using namespace audrel::lame;
using namespace audrel::test;
using namespace audrel::test::wav;

namespace {

// ---- MPEG audio frames, walked header by header ----

struct MpegFrame
{
    qint64 offset = 0;
    int size = 0;
    int version = 0; // 1, 2 or 25 for 2.5
    int bitrate = 0;
    int rate = 0;
    int mode = 0; // 0 stereo, 1 joint, 2 dual, 3 mono
    bool crc = false;
    bool privateBit = false;
    bool copyright = false;
    bool original = false;
    int samples = 0;
};

struct MpegWalk
{
    std::vector<MpegFrame> frames;
    bool reachedEnd = false; // the frames cover the file to its last byte
};

MpegWalk walkFrames(const QByteArray& bytes)
{
    static const int rates1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int rates2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int sampleRates[3] = {44100, 48000, 32000};
    MpegWalk walk;
    qint64 at = 0;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    while (at + 4 <= bytes.size()) {
        if (b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) return walk;
        const int versionBits = (b[at + 1] >> 3) & 3;
        const int layerBits = (b[at + 1] >> 1) & 3;
        const int bitrateIndex = b[at + 2] >> 4;
        const int rateIndex = (b[at + 2] >> 2) & 3;
        if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
            return walk;
        MpegFrame frame;
        frame.offset = at;
        frame.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
        frame.bitrate = (frame.version == 1 ? rates1 : rates2)[bitrateIndex];
        frame.rate = sampleRates[rateIndex] / (frame.version == 1 ? 1 : frame.version == 2 ? 2 : 4);
        frame.crc = (b[at + 1] & 1) == 0;
        frame.privateBit = b[at + 2] & 1;
        frame.mode = b[at + 3] >> 6;
        frame.copyright = (b[at + 3] >> 3) & 1;
        frame.original = (b[at + 3] >> 2) & 1;
        frame.samples = frame.version == 1 ? 1152 : 576;
        const int padding = (b[at + 2] >> 1) & 1;
        frame.size = (frame.version == 1 ? 144 : 72) * frame.bitrate * 1000 / frame.rate + padding;
        if (at + frame.size > bytes.size()) return walk;
        walk.frames.push_back(frame);
        at += frame.size;
    }
    walk.reachedEnd = at == bytes.size();
    return walk;
}

// The Xing/Info tag of the first frame: its id and its frame count.
struct InfoTag
{
    QByteArray id;
    quint32 frames = 0;
    bool hasFrames = false;
};

InfoTag readInfoTag(const QByteArray& bytes, const MpegFrame& first)
{
    InfoTag tag;
    const int sideInfo = first.version == 1 ? (first.mode == 3 ? 17 : 32) : (first.mode == 3 ? 9 : 17);
    for (const int at : {4 + sideInfo, 6 + sideInfo}) {
        const QByteArray id = bytes.mid(first.offset + at, 4);
        if (id != "Xing" && id != "Info") continue;
        tag.id = id;
        const quint32 flags = qFromBigEndian<quint32>(bytes.constData() + first.offset + at + 4);
        if (flags & 1) {
            tag.hasFrames = true;
            tag.frames = qFromBigEndian<quint32>(bytes.constData() + first.offset + at + 8);
        }
        break;
    }
    return tag;
}

// ---- decoding with mpg123 ----

struct Decoded
{
    bool ok = false;
    int rate = 0;
    int channels = 0;
    qint64 frames = 0;
    double rms = 0;
    int peak = 0;
};

Decoded decode(const QString& mp3)
{
    Decoded decoded;
    const QString wavPath = mp3 + QStringLiteral(".decoded.wav");
    if (!runTool("mpg123", {"-q", "-w", wavPath, mp3})) return decoded;
    const WavData wav = readWav(wavPath);
    QFile::remove(wavPath);
    if (!wav.valid || wav.bits != 16 || wav.channels < 1) return decoded;
    decoded.ok = true;
    decoded.rate = wav.rate;
    decoded.channels = wav.channels;
    const auto* samples = reinterpret_cast<const int16_t*>(wav.samples.constData());
    const qsizetype count = wav.samples.size() / 2;
    decoded.frames = count / wav.channels;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const int value = qFromLittleEndian(samples[i]);
        sum += double(value) * value;
        decoded.peak = std::max(decoded.peak, std::abs(value));
    }
    decoded.rms = count ? std::sqrt(sum / double(count)) : 0;
    return decoded;
}

// Records the coder's events in order.
struct EventLog
{
    explicit EventLog(TLameCoder& coder)
    {
        QObject::connect(&coder, &TLameCoder::OnBeginProcess, &context, [this] { events << "begin"; });
        QObject::connect(&coder, &TLameCoder::OnBeginFile, &context, [this](quint16 n, const QString& file) {
            events << QStringLiteral("file %1 %2").arg(n).arg(file);
        });
        QObject::connect(&coder, &TLameCoder::OnEndFile, &context, [this](quint16 n, const QString& file) {
            events << QStringLiteral("done %1 %2").arg(n).arg(file);
        });
        QObject::connect(&coder, &TLameCoder::OnEndProcess, &context, [this] { events << "end"; });
        QObject::connect(&coder, &TLameCoder::OnProgress, &context,
                         [this](quint16 percent) { progress << percent; });
    }
    QObject context; // ends the connections with the log
    QStringList events;
    QList<int> progress;
};

// Whether this process holds the file open.
bool heldOpen(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target) return true;
    return false;
}

} // namespace

class TestLameCoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void encoderInterface();
    void formats_data();
    void formats();
    void headerBits_data();
    void headerBits();
    void infoTag_data();
    void infoTag();
    void qualities();
    void chunksAroundTheDataAreNotAudio();
    void directAndLibsndfileReadsAgree();
    void headerlessInput();
    void eventsAndProgress();
    void cancelFromProgress();
    void overwritesLongerOutput();
    void settingsAndLists();
    void errors();
    void damagedInputsEnd();
    void thirdPartySamples();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Encodes one file with the coder's settings; fails the test on an exception.
    bool encode(TLameCoder& coder, const QString& input, const QString& output);

    QTemporaryDir m_dir;
};

bool TestLameCoder::encode(TLameCoder& coder, const QString& input, const QString& output)
{
    coder.InputFiles() = {input};
    coder.OutputFiles() = {output};
    try {
        coder.EncodeFiles();
    } catch (const EAudrelError& error) {
        qWarning("%s", qPrintable(error.message()));
        return false;
    }
    return true;
}

void TestLameCoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!haveTool("sox") || !haveTool("mpg123") || !haveTool("ffprobe"))
        QSKIP("sox, mpg123 and ffprobe are needed to make and judge the audio");
}

void TestLameCoder::encoderInterface()
{
    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    config.dwStructVersion = 1;
    config.dwStructSize = sizeof config;
    config.dwSampleRate = 44100;
    config.dwBitrate = 128;
    DWORD samples = 0;
    DWORD bufferSize = 0;
    HBE_STREAM stream = 0;

    config.nMode = 7;
    QCOMPARE(beInitStream(&config, &samples, &bufferSize, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);

    // One frame of every channel: 1152 sample frames for MPEG 1, 576 for MPEG 2.
    struct Shape
    {
        int mode;
        DWORD rate;
        DWORD resample;
        DWORD samples;
    };
    for (const Shape shape :
         {Shape{BE_MP3_MODE_STEREO, 44100, 0, 2304}, Shape{BE_MP3_MODE_MONO, 44100, 0, 1152},
          Shape{BE_MP3_MODE_JSTEREO, 44100, 22050, 1152}, Shape{BE_MP3_MODE_MONO, 22050, 0, 576},
          Shape{BE_MP3_MODE_STEREO, 48000, 0, 2304}}) {
        config.nMode = shape.mode;
        config.dwSampleRate = shape.rate;
        config.dwReSampleRate = shape.resample;
        QCOMPARE(beInitStream(&config, &samples, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
        QCOMPARE(samples, shape.samples);
        const DWORD channels = shape.mode == BE_MP3_MODE_MONO ? 1 : 2;
        QCOMPARE(bufferSize, DWORD(1.25 * (samples / channels) + 7200));
        QCOMPARE(beCloseStream(stream), BE_ERR_SUCCESSFUL);
        // Closed, the handle is unknown.
        QCOMPARE(beCloseStream(stream), BE_ERR_INVALID_HANDLE);
    }

    unsigned char out[16] = {};
    DWORD written = 0;
    const short pcm[4] = {};
    QCOMPARE(beEncodeChunk(12345, 4, pcm, out, &written), BE_ERR_INVALID_HANDLE);
    QCOMPARE(beDeinitStream(12345, out, &written), BE_ERR_INVALID_HANDLE);
    QCOMPARE(beGetInfoTagFrame(12345, out, sizeof out, &written), BE_ERR_INVALID_HANDLE);
    QCOMPARE(beCloseStream(0), BE_ERR_INVALID_HANDLE);

    // An output buffer too small for a frame is refused, not overrun.
    config.nMode = BE_MP3_MODE_STEREO;
    config.dwSampleRate = 44100;
    config.dwReSampleRate = 0;
    QCOMPARE(beInitStream(&config, &samples, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
    const QByteArray tone = sine16(int(samples / 2), 2, 44100, 440, 0.5);
    BE_ERR result = BE_ERR_SUCCESSFUL;
    for (int i = 0; i < 20 && result == BE_ERR_SUCCESSFUL; ++i)
        result = beEncodeChunkEx(stream, samples, reinterpret_cast<const short*>(tone.constData()), out, 16,
                                 &written);
    QCOMPARE(result, BE_ERR_BUFFER_TOO_SMALL);
    QCOMPARE(written, DWORD(0));
    QCOMPARE(beCloseStream(stream), BE_ERR_SUCCESSFUL);

    BE_VERSION version;
    beVersion(&version);
    QCOMPARE(int(version.byDLLMajorVersion), 1);
    QCOMPARE(int(version.byDLLMinorVersion), 32);
    QCOMPARE(QByteArray(version.zHomepage), QByteArray("https://lame.sourceforge.io/"));
    QVERIFY(version.byMonth >= 1 && version.byMonth <= 12);
    // The engine version is the library's, as the lame program (same library) states it.
    TLameCoder coder;
    QCOMPARE(coder.LameVersion().MajorVersion, version.byMajorVersion);
    QCOMPARE(coder.LameVersion().DLLMinorVersion, uint8_t(32));
    if (haveTool("lame")) {
        const QString stated = QString::fromUtf8(toolOutput("lame", {"--version"})).trimmed();
        QVERIFY2(
            stated.contains(QStringLiteral("%1.%2").arg(version.byMajorVersion).arg(version.byMinorVersion)),
            qPrintable(stated));
    }
}

void TestLameCoder::formats_data()
{
    QTest::addColumn<QString>("kind"); // how the source is made
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("resample");
    QTest::addColumn<int>("outRate");
    QTest::addColumn<int>("outChannels");
    QTest::addColumn<double>("rms"); // of the decoded output, relative to full scale

    // 0 for a tone the output cannot carry.
    const double sine = 0.5 / std::sqrt(2.0);
    QTest::newRow("16-bit stereo 44100") << "sox16" << 44100 << 2 << int(STEREO) << 0 << 44100 << 2 << sine;
    QTest::newRow("16-bit mono 22050") << "sox16" << 22050 << 1 << int(MONO) << 0 << 22050 << 1 << sine;
    QTest::newRow("8-bit mono 22050") << "sox8" << 22050 << 1 << int(MONO) << 0 << 22050 << 1 << sine;
    QTest::newRow("8-bit stereo 48000") << "sox8" << 48000 << 2 << int(JSTEREO) << 0 << 48000 << 2 << sine;
    QTest::newRow("24-bit stereo 48000") << "sox24" << 48000 << 2 << int(STEREO) << 0 << 48000 << 2 << sine;
    QTest::newRow("24-bit mono 44100") << "sox24" << 44100 << 1 << int(MONO) << 0 << 44100 << 1 << sine;
    QTest::newRow("float stereo 44100") << "soxfloat" << 44100 << 2 << int(STEREO) << 0 << 44100 << 2 << sine;
    QTest::newRow("extensible 16-bit stereo")
        << "extensible" << 48000 << 2 << int(STEREO) << 0 << 48000 << 2 << sine;
    QTest::newRow("LIST before and after data")
        << "list" << 22050 << 2 << int(DUALCHANNEL) << 0 << 22050 << 2 << sine;
    QTest::newRow("mono 22050 to joint stereo 44100")
        << "sox16" << 22050 << 1 << int(JSTEREO) << 44100 << 44100 << 2 << sine;
    // Far fewer input than output samples: the encoder's output for a chunk grows with the ratio.
    QTest::newRow("8000 to 48000 stereo")
        << "sox16" << 8000 << 2 << int(STEREO) << 48000 << 48000 << 2 << sine;
    QTest::newRow("1000 Hz raised by the encoder")
        << "sox16" << 1000 << 1 << int(MONO) << 0 << 8000 << 1 << 0.0;
    QTest::newRow("192000 lowered by the encoder")
        << "sox16" << 192000 << 2 << int(STEREO) << 0 << 48000 << 2 << sine;
    QTest::newRow("stereo to mono") << "sox16" << 44100 << 2 << int(MONO) << 0 << 44100 << 1 << sine;
    // Left carries the tone, right is silent: the mono mix holds half of it.
    QTest::newRow("one-sided stereo to mono")
        << "leftonly" << 44100 << 2 << int(MONO) << 0 << 44100 << 1 << sine / 2;
    QTest::newRow("four channels to stereo")
        << "quad" << 44100 << 4 << int(STEREO) << 0 << 44100 << 2 << sine;
}

void TestLameCoder::formats()
{
    QFETCH(QString, kind);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(int, mode);
    QFETCH(int, resample);
    QFETCH(int, outRate);
    QFETCH(int, outChannels);
    QFETCH(double, rms);

    const double seconds = 1.5;
    const int frames = int(rate * seconds);
    const QString wav = path(QStringLiteral("%1-%2-%3.wav").arg(kind).arg(rate).arg(channels));
    const QStringList sine{"synth", QString::number(seconds), "sine", "440", "vol", "0.5"};
    const QStringList shape{"-r", QString::number(rate), "-c", QString::number(channels)};
    if (kind == "sox16" || kind == "sox8" || kind == "sox24" || kind == "soxfloat") {
        const QStringList encoding = kind == "sox8"       ? QStringList{"-b", "8"}
                                     : kind == "sox24"    ? QStringList{"-b", "24"}
                                     : kind == "soxfloat" ? QStringList{"-e", "floating-point", "-b", "32"}
                                                          : QStringList{"-b", "16"};
        QVERIFY(runTool("sox", QStringList{"-q", "-n"} + shape + encoding + QStringList{wav} + sine));
    } else if (kind == "leftonly") {
        QVERIFY(runTool("sox", QStringList{"-q", "-n"} + shape + QStringList{"-b", "16", wav} + sine +
                                   QStringList{"remix", "1", "0"}));
    } else if (kind == "quad") {
        QVERIFY(runTool("sox", QStringList{"-q", "-n"} + shape + QStringList{"-b", "16", wav} + sine));
    } else if (kind == "extensible") {
        writeFile(wav, riff(fmtExtensible(channels, rate, 16, 16) +
                            chunk("data", sine16(frames, channels, rate, 440, 0.5))));
    } else if (kind == "list") {
        const QByteArray list = chunk("LIST", "INFOISFT" + le32(4001) + randomBytes(4001));
        writeFile(wav, riff(fmtPcm(channels, rate, 16) + list +
                            chunk("data", sine16(frames, channels, rate, 440, 0.5)) + list));
    }
    const QByteArray source = readFile(wav);

    TLameCoder coder;
    coder.setMode(mode);
    coder.setReSampleRate(uint32_t(resample));
    coder.setWriteVBRHeader(-1); // the Info frame lets mpg123 cut the encoder's delay and padding
    const QString mp3 = path(QStringLiteral("%1-%2-%3-%4.mp3").arg(kind).arg(rate).arg(channels).arg(mode));
    QVERIFY(encode(coder, wav, mp3));
    QCOMPARE(readFile(wav), source);

    const QByteArray bytes = readFile(mp3);
    const MpegWalk walk = walkFrames(bytes);
    QVERIFY(walk.reachedEnd);
    QVERIFY(!walk.frames.empty());
    for (const MpegFrame& frame : walk.frames) {
        QCOMPARE(frame.rate, outRate);
        QCOMPARE(frame.mode == 3, outChannels == 1);
    }
    const int expectedMode = mode == JSTEREO ? 1 : mode;
    QCOMPARE(walk.frames.back().mode, expectedMode);

    const Decoded decoded = decode(mp3);
    QVERIFY(decoded.ok);
    QCOMPARE(decoded.rate, outRate);
    QCOMPARE(decoded.channels, outChannels);
    // As long as the source, at the output rate: not one sample frame more
    // than a frame off, so never at a wrong speed or from a wrong sample size.
    const qint64 expected = qint64(std::llround(seconds * outRate));
    QVERIFY2(std::abs(decoded.frames - expected) <= 1152,
             qPrintable(QStringLiteral("%1 frames, %2 expected").arg(decoded.frames).arg(expected)));
    if (rms > 0)
        QVERIFY2(std::abs(decoded.rms / 32768 - rms) < 0.1 * rms,
                 qPrintable(QStringLiteral("rms %1, %2 expected").arg(decoded.rms / 32768).arg(rms)));

    // ffprobe agrees on the stream.
    const QString probe =
        QString::fromUtf8(
            toolOutput("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                   "stream=codec_name,sample_rate,channels", "-of", "csv=p=0", mp3}))
            .trimmed();
    QCOMPARE(probe, QStringLiteral("mp3,%1,%2").arg(outRate).arg(outChannels));
}

void TestLameCoder::headerBits_data()
{
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("crc");
    QTest::addColumn<bool>("copyright");
    QTest::addColumn<bool>("original");
    QTest::addColumn<bool>("privateBit");
    QTest::addColumn<bool>("header");

    QTest::newRow("128 kbit/s, CRC, copyright, private")
        << 128 << 44100 << true << true << false << true << false;
    QTest::newRow("64 kbit/s, original, Info frame")
        << 64 << 44100 << false << false << true << false << true;
    QTest::newRow("320 kbit/s, everything") << 320 << 48000 << true << true << true << true << true;
    QTest::newRow("MPEG 2, 40 kbit/s") << 40 << 22050 << false << true << false << true << false;
}

void TestLameCoder::headerBits()
{
    QFETCH(int, bitrate);
    QFETCH(int, rate);
    QFETCH(bool, crc);
    QFETCH(bool, copyright);
    QFETCH(bool, original);
    QFETCH(bool, privateBit);
    QFETCH(bool, header);

    const QString wav = path(QStringLiteral("bits-%1.wav").arg(rate));
    QVERIFY(makeWav(wav, rate, 2, 2.0));
    TLameCoder coder;
    coder.setBitrate(uint32_t(bitrate));
    coder.setReSampleRate(uint32_t(rate)); // else a low rate lowers the output rate
    coder.setCRC(crc ? -1 : 0);
    coder.setCopyright(copyright ? -1 : 0);
    coder.setOriginal(original ? -1 : 0);
    coder.setPrivate(privateBit ? -1 : 0);
    coder.setWriteVBRHeader(header ? -1 : 0);
    const QString mp3 = path(QStringLiteral("bits-%1-%2.mp3").arg(bitrate).arg(rate));
    QVERIFY(encode(coder, wav, mp3));

    const MpegWalk walk = walkFrames(readFile(mp3));
    QVERIFY(walk.reachedEnd);
    QVERIFY(walk.frames.size() > 10);
    for (const MpegFrame& frame : walk.frames) {
        QCOMPARE(frame.bitrate, bitrate);
        QCOMPARE(frame.rate, rate);
        QCOMPARE(frame.version, rate >= 32000 ? 1 : 2);
        QCOMPARE(frame.crc, crc);
        QCOMPARE(frame.copyright, copyright);
        QCOMPARE(frame.original, original);
        QCOMPARE(frame.privateBit, privateBit);
    }
    QVERIFY(decode(mp3).ok);
}

void TestLameCoder::infoTag_data()
{
    QTest::addColumn<bool>("vbr");
    QTest::addColumn<bool>("header");
    QTest::addColumn<bool>("crc");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("id");

    QTest::newRow("VBR") << true << true << false << 44100 << QByteArray("Xing");
    QTest::newRow("VBR with CRC, MPEG 2") << true << true << true << 22050 << QByteArray("Xing");
    QTest::newRow("CBR with header") << false << true << true << 44100 << QByteArray("Info");
    QTest::newRow("CBR without header") << false << false << false << 44100 << QByteArray();
    QTest::newRow("VBR without header") << true << false << false << 44100 << QByteArray();
}

void TestLameCoder::infoTag()
{
    QFETCH(bool, vbr);
    QFETCH(bool, header);
    QFETCH(bool, crc);
    QFETCH(int, rate);
    QFETCH(QByteArray, id);

    const double seconds = 3.0;
    const QString wav = path(QStringLiteral("tag-%1.wav").arg(rate));
    QVERIFY(makeWav(wav, rate, 2, seconds));
    TLameCoder coder;
    coder.setEnableVBR(vbr ? -1 : 0);
    coder.setWriteVBRHeader(header ? -1 : 0);
    coder.setCRC(crc ? -1 : 0);
    // The least VBR rate is the lowest; a CBR rate leaves room for the tag in its frame.
    coder.setBitrate(vbr ? (rate >= 32000 ? 32 : 8) : 128);
    coder.setVBRQuality(2);
    const QString mp3 = path(QStringLiteral("tag-%1-%2-%3-%4.mp3").arg(vbr).arg(header).arg(crc).arg(rate));
    QVERIFY(encode(coder, wav, mp3));

    const QByteArray bytes = readFile(mp3);
    const MpegWalk walk = walkFrames(bytes);
    QVERIFY(walk.reachedEnd);
    QVERIFY(!walk.frames.empty());
    const InfoTag tag = readInfoTag(bytes, walk.frames.front());
    QCOMPARE(tag.id, id);
    if (!id.isEmpty()) {
        // The count is of the audio frames after the tag's own.
        QVERIFY(tag.hasFrames);
        QCOMPARE(qsizetype(tag.frames), qsizetype(walk.frames.size() - 1));
        // LAME's extension of the tag follows, as written by the encoder at the end.
        QVERIFY(bytes.left(walk.frames.front().size).contains("LAME"));
    }
    std::set<int> bitrates;
    for (const MpegFrame& frame : walk.frames)
        bitrates.insert(frame.bitrate);
    QCOMPARE(bitrates.size() > 1, vbr);

    // The length a player states: from the tag's frame count, or for CBR from the size.
    const double duration =
        QString::fromUtf8(
            toolOutput("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", mp3}))
            .trimmed()
            .toDouble();
    // ffprobe counts the encoder's delay and padding in, less than two MPEG 1 frames.
    const int outRate = walk.frames.front().rate;
    const double slack = 2 * 1152.0 / outRate;
    if (header)
        QVERIFY2(duration >= seconds && duration <= seconds + slack, qPrintable(QString::number(duration)));
    else
        QVERIFY2(std::abs(duration - seconds) < 2 * slack, qPrintable(QString::number(duration)));
    const Decoded decoded = decode(mp3);
    QVERIFY(decoded.ok);
    if (header) QVERIFY(std::abs(decoded.frames - qint64(seconds * outRate)) <= 1152);
}

void TestLameCoder::qualities()
{
    const QString wav = path("quality.wav");
    QVERIFY(makeWav(wav, 44100, 2, 2.0));
    QByteArray outputs[4];
    for (const MPEG_QUALITY quality : {NORMAL_QUALITY, LOW_QUALITY, HIGH_QUALITY, VOICE_QUALITY}) {
        TLameCoder coder;
        coder.setQuality(quality);
        // Bitrate is also the floor of the voice preset's average rate.
        coder.setBitrate(quality == VOICE_QUALITY ? 32 : 128);
        const QString mp3 = path(QStringLiteral("quality-%1.mp3").arg(quality));
        QVERIFY(encode(coder, wav, mp3));
        outputs[quality] = readFile(mp3);
        const MpegWalk walk = walkFrames(outputs[quality]);
        QVERIFY(walk.reachedEnd);
        const Decoded decoded = decode(mp3);
        QVERIFY(decoded.ok);
        QVERIFY(std::abs(decoded.frames - 2 * qint64(decoded.rate)) <= 2 * 1152);
        if (quality == VOICE_QUALITY) {
            // Speech: one channel at the 56 kbit/s preset, whatever the mode asks.
            QCOMPARE(decoded.channels, 1);
            double bits = 0;
            for (const MpegFrame& frame : walk.frames) {
                QCOMPARE(frame.mode, 3);
                bits += frame.size * 8.0;
            }
            const double kbps =
                bits / (double(walk.frames.size()) * walk.frames.front().samples / walk.frames.front().rate) /
                1000;
            QVERIFY2(kbps > 40 && kbps < 72, qPrintable(QString::number(kbps)));
        } else {
            QCOMPARE(decoded.channels, 2);
            QCOMPARE(walk.frames.front().bitrate, 128);
        }
    }
    // Each setting does its own work.
    QVERIFY(outputs[NORMAL_QUALITY] != outputs[LOW_QUALITY]);
    QVERIFY(outputs[NORMAL_QUALITY] != outputs[HIGH_QUALITY]);
    QVERIFY(outputs[LOW_QUALITY] != outputs[HIGH_QUALITY]);
}

void TestLameCoder::chunksAroundTheDataAreNotAudio()
{
    // Digital silence between chunks of loud random bytes: none of them may be heard.
    const int rate = 44100;
    const int frames = rate * 2;
    const QByteArray list = chunk("LIST", "INFOICMT" + le32(30000) + randomBytes(30000));
    const QByteArray junk = chunk("junk", randomBytes(777));
    for (const int channels : {1, 2}) {
        const QString wav = path(QStringLiteral("silence-%1.wav").arg(channels));
        // The fmt chunk is longer than 16 bytes, as some writers make it.
        const int align = channels * 2;
        const QByteArray fmt = chunk("fmt ", le16(1) + le16(channels) + le32(rate) + le32(rate * align) +
                                                 le16(align) + le16(16) + le16(0) + randomBytes(0));
        writeFile(wav,
                  riff(fmt + list + junk + chunk("data", QByteArray(frames * align, '\0')) + list + junk));
        for (const bool snd : {false, true}) {
            TLameCoder coder;
            coder.setMode(channels == 1 ? MONO : STEREO);
            coder.setWriteVBRHeader(-1);
            coder.setSndEncode(snd ? -1 : 0);
            const QString mp3 = path(QStringLiteral("silence-%1-%2.mp3").arg(channels).arg(snd));
            QVERIFY(encode(coder, wav, mp3));
            const Decoded decoded = decode(mp3);
            QVERIFY(decoded.ok);
            QVERIFY2(decoded.peak <= 8, qPrintable(QString::number(decoded.peak)));
            QVERIFY(std::abs(decoded.frames - frames) <= 1152);
        }
    }
}

void TestLameCoder::directAndLibsndfileReadsAgree()
{
    // The encoder is deterministic: the same samples, read either way, make the same bytes.
    for (const int channels : {1, 2}) {
        const QString wav = path(QStringLiteral("agree-%1.wav").arg(channels));
        QVERIFY(makeWav(wav, 44100, channels, 2.5));
        QByteArray outputs[2];
        for (const bool snd : {false, true}) {
            TLameCoder coder;
            coder.setMode(channels == 1 ? MONO : JSTEREO);
            coder.setEnableVBR(-1);
            coder.setSndEncode(snd ? -1 : 0);
            const QString mp3 = path(QStringLiteral("agree-%1-%2.mp3").arg(channels).arg(snd));
            QVERIFY(encode(coder, wav, mp3));
            outputs[snd] = readFile(mp3);
        }
        QVERIFY(outputs[0].size() > 10000);
        QVERIFY(outputs[0] == outputs[1]);
    }
}

void TestLameCoder::headerlessInput()
{
    // Raw 16-bit PCM: SampleRate and Mode tell what it is.
    const int rate = 22050;
    const QString raw = path("raw.pcm");
    writeFile(raw, sine16(rate * 2, 1, rate, 440, 0.5));
    TLameCoder coder;
    coder.setSampleRate(rate);
    coder.setMode(MONO);
    coder.setWriteVBRHeader(-1);
    for (const bool snd : {false, true}) {
        coder.setSndEncode(snd ? -1 : 0);
        const QString mp3 = path(QStringLiteral("raw-%1.mp3").arg(snd));
        QVERIFY(encode(coder, raw, mp3));
        const Decoded decoded = decode(mp3);
        QVERIFY(decoded.ok);
        QCOMPARE(decoded.rate, rate);
        QCOMPARE(decoded.channels, 1);
        QVERIFY(std::abs(decoded.frames - rate * 2) <= 1152);
    }
    // Taken as stereo, the same bytes last half as long.
    coder.setMode(STEREO);
    coder.setSndEncode(0);
    QVERIFY(encode(coder, raw, path("raw-stereo.mp3")));
    const Decoded stereo = decode(path("raw-stereo.mp3"));
    QCOMPARE(stereo.channels, 2);
    QVERIFY(std::abs(stereo.frames - rate) <= 1152);
}

void TestLameCoder::eventsAndProgress()
{
    TLameCoder coder;
    {
        EventLog log(coder);
        coder.EncodeFiles();
        QCOMPARE(log.events, QStringList({"begin", "end"}));
        QVERIFY(log.progress.isEmpty());
    }

    const QString a = path("events-a.wav");
    const QString b = path("events-b.wav");
    QVERIFY(makeWav(a, 44100, 2, 2.0));
    // An empty data chunk: nothing to encode, yet a file and both its events.
    writeFile(b, riff(fmtPcm(1, 22050, 16) + chunk("data", {})));
    coder.setInputFiles({a, b});
    QCOMPARE(coder.OutputFiles(), QStringList({path("events-a.mp3"), path("events-b.mp3")}));

    EventLog log(coder);
    // Every handle of a file is released before its end is announced.
    QStringList stillOpen;
    connect(&coder, &TLameCoder::OnEndFile, this, [&](quint16 n, const QString& output) {
        if (heldOpen(output) || heldOpen(coder.InputFiles().at(n))) stillOpen << output;
    });
    // The end of a run may start the next one.
    int runs = 0;
    connect(&coder, &TLameCoder::OnEndProcess, this, [&] {
        if (++runs == 1) coder.EncodeFiles();
    });
    coder.EncodeFiles();
    QVERIFY2(stillOpen.isEmpty(), qPrintable(stillOpen.join(u' ')));
    QCOMPARE(runs, 2);
    const QStringList once{"begin",
                           "file 0 " + a,
                           "done 0 " + path("events-a.mp3"),
                           "file 1 " + b,
                           "done 1 " + path("events-b.mp3"),
                           "end"};
    QCOMPARE(log.events, once + once);
    QVERIFY(!log.progress.isEmpty());
    QCOMPARE(log.progress.last(), 100);
    // Rising within each run, 100 once at the end of each.
    for (qsizetype i = 1; i < log.progress.size(); ++i)
        if (log.progress[i - 1] != 100) QVERIFY(log.progress[i] >= log.progress[i - 1]);
    QCOMPARE(log.progress.count(100), 2);
    const MpegWalk empty = walkFrames(readFile(path("events-b.mp3")));
    QVERIFY(empty.reachedEnd);
    QVERIFY(decode(path("events-a.mp3")).ok);
}

void TestLameCoder::cancelFromProgress()
{
    const QString wav = path("cancel.wav");
    QVERIFY(makeWav(wav, 44100, 2, 6.0));
    const QString mp3 = path("cancel.mp3");
    TLameCoder coder;
    coder.setInputFiles({wav, wav});
    coder.OutputFiles() = {mp3, path("cancel-second.mp3")};
    EventLog log(coder);
    const QMetaObject::Connection cancelling =
        connect(&coder, &TLameCoder::OnProgress, this, [&](quint16 percent) {
            if (percent >= 30) coder.Cancel();
        });
    coder.EncodeFiles();
    QCOMPARE(log.events, QStringList({"begin", "file 0 " + wav}));
    QVERIFY(log.progress.last() >= 30 && log.progress.last() < 100);
    // What was written stays: the start of what a whole run writes.
    const QByteArray partial = readFile(mp3);
    QVERIFY(walkFrames(partial).frames.size() > 10);
    QVERIFY(!QFileInfo::exists(path("cancel-second.mp3")));
    QVERIFY(!heldOpen(mp3));

    // The next run starts clean and completes.
    disconnect(cancelling);
    log.events.clear();
    log.progress.clear();
    coder.EncodeFiles();
    QCOMPARE(log.events.size(), 6);
    QCOMPARE(log.events.last(), QStringLiteral("end"));
    const QByteArray whole = readFile(mp3);
    QVERIFY(whole.size() > partial.size());
    QVERIFY(whole.startsWith(partial));
    QVERIFY(walkFrames(whole).reachedEnd);
    QCOMPARE(whole, readFile(path("cancel-second.mp3")));
}

void TestLameCoder::overwritesLongerOutput()
{
    const QString wav = path("over.wav");
    QVERIFY(makeWav(wav, 44100, 1, 1.0));
    const QString mp3 = path("over.mp3");
    writeFile(mp3, QByteArray(3 << 20, 'X'));
    TLameCoder coder;
    coder.setMode(MONO);
    QVERIFY(encode(coder, wav, mp3));
    const QByteArray bytes = readFile(mp3);
    QVERIFY(bytes.size() < (1 << 20));
    QVERIFY(!bytes.contains(QByteArray(64, 'X')));
    QVERIFY(walkFrames(bytes).reachedEnd);
}

void TestLameCoder::settingsAndLists()
{
    TLameCoder coder;
    QCOMPARE(coder.Mode(), STEREO);
    coder.setMode(MONO);
    coder.setMode(7);
    QCOMPARE(coder.Mode(), MONO);
    coder.setMode(-1);
    QCOMPARE(coder.Mode(), MONO);
    coder.setMode(DUALCHANNEL);
    QCOMPARE(coder.Mode(), DUALCHANNEL);

    coder.setEnableVBR(-1);
    QCOMPARE(coder.EnableVBR(), -1);
    QCOMPARE(coder.WriteVBRHeader(), -1);
    coder.setEnableVBR(0);
    QCOMPARE(coder.WriteVBRHeader(), 0);

    coder.setOutputFiles({"stale.mp3", "older.mp3", "oldest.mp3"});
    coder.setInputFiles({"/music/a.wav", "/music/v1.0/track", "/music/b.x.WAV", "c.pcm"});
    QCOMPARE(coder.OutputFiles(),
             QStringList({"/music/a.mp3", "/music/v1.0/track.mp3", "/music/b.x.mp3", "c.mp3"}));
    coder.setDefaultExt(".mp2");
    coder.setInputFiles({"/music/a.wav"});
    QCOMPARE(coder.OutputFiles(), QStringList({"/music/a.mp2"}));

    // Assign takes the encoder settings only.
    TLameCoder source;
    source.setSampleRate(22050);
    source.setReSampleRate(16000);
    source.setMode(MONO);
    source.setBitrate(64);
    source.setMaxBitrate(160);
    source.setQuality(HIGH_QUALITY);
    source.setPrivate(-1);
    source.setCRC(0);
    source.setCopyright(-1);
    source.setOriginal(-1);
    source.setEnableVBR(-1);
    source.setWriteVBRHeader(0);
    source.setVBRQuality(7);
    source.setSndEncode(-1);
    source.setDefaultExt(".xx");
    source.setInputFiles({"in.wav"});
    coder.Assign(source);
    QCOMPARE(coder.SampleRate(), 22050u);
    QCOMPARE(coder.ReSampleRate(), 16000u);
    QCOMPARE(coder.Mode(), MONO);
    QCOMPARE(coder.Bitrate(), 64u);
    QCOMPARE(coder.MaxBitrate(), 160u);
    QCOMPARE(coder.Quality(), HIGH_QUALITY);
    QCOMPARE(coder.Private(), -1);
    QCOMPARE(coder.CRC(), 0);
    QCOMPARE(coder.Copyright(), -1);
    QCOMPARE(coder.Original(), -1);
    QCOMPARE(coder.EnableVBR(), -1);
    QCOMPARE(coder.WriteVBRHeader(), 0);
    QCOMPARE(coder.VBRQuality(), 7);
    QCOMPARE(coder.SndEncode(), 0);
    QCOMPARE(coder.DefaultExt(), QStringLiteral(".mp2"));
    QCOMPARE(coder.InputFiles(), QStringList({"/music/a.wav"}));
}

void TestLameCoder::errors()
{
    TLameCoder coder;
    EventLog log(coder);

    const QString missing = path("missing.wav");
    coder.InputFiles() = {missing};
    coder.OutputFiles() = {path("missing.mp3")};
    try {
        coder.EncodeFiles();
        QFAIL("a missing input was taken");
    } catch (const EFileError& error) {
        QCOMPARE(error.message(), "Cannot open file " + missing);
    }
    QCOMPARE(log.events, QStringList({"begin"}));
    QVERIFY(!QFileInfo::exists(path("missing.mp3")));

    const QString wav = path("errors.wav");
    QVERIFY(makeWav(wav, 44100, 2, 0.5));
    const QByteArray hash = fileHash(wav);
    const QString nowhere = path("no/such/folder/out.mp3");
    coder.InputFiles() = {wav};
    coder.OutputFiles() = {nowhere};
    try {
        coder.EncodeFiles();
        QFAIL("an output in a missing folder was made");
    } catch (const EFileError& error) {
        QCOMPARE(error.message(), "Cannot create file " + nowhere);
    }
    // The output must not be the input.
    coder.OutputFiles() = {wav};
    QVERIFY_THROWS_EXCEPTION(EFileError, coder.EncodeFiles());
    QCOMPARE(fileHash(wav), hash);
    // A full disk, or a file grown to the largest the system allows, is
    // named as the system names it.
    const QString limited = path("limited.mp3");
    for (const auto& [output, cause] : {std::pair{QString("/dev/full"), ENOSPC}, std::pair{limited, EFBIG}}) {
        if (!QFileInfo::exists(output) && output != limited) continue; // no /dev/full here
        coder.OutputFiles() = {output};
        std::optional<FileSizeLimit> limit;
        if (output == limited) limit.emplace(3000);
        try {
            coder.EncodeFiles();
            QFAIL("a full disk took the output");
        } catch (const ELameError& error) {
            QCOMPARE(error.message(), "Write Error: " + QString::fromLocal8Bit(std::strerror(cause)));
        }
    }

    // A WAVE whose format nobody knows.
    const QString corrupt = path("corrupt.wav");
    writeFile(corrupt, riff(fmtPcm(2, 44100, 16, 0x4242) + chunk("data", randomBytes(20000))));
    coder.InputFiles() = {corrupt};
    coder.OutputFiles() = {path("corrupt.mp3")};
    log.events.clear();
    try {
        coder.EncodeFiles();
        QFAIL("an unknown format was encoded");
    } catch (const ELameError& error) {
        QVERIFY2(error.message().startsWith("Cannot read " + corrupt + ": "), qPrintable(error.message()));
        QVERIFY(error.message().size() > QString("Cannot read " + corrupt + ": ").size());
    }
    QCOMPARE(log.events, QStringList({"begin"}));
    QVERIFY(!heldOpen(corrupt));

    // A header claiming a rate no recording has is refused before anything is written.
    const QString slow = path("one-hertz.wav");
    writeFile(slow, riff(fmtPcm(2, 1, 16) + chunk("data", randomBytes(20000))));
    coder.InputFiles() = {slow};
    coder.OutputFiles() = {path("one-hertz.mp3")};
    try {
        coder.EncodeFiles();
        QFAIL("a 1 Hz input was encoded");
    } catch (const ELameError& error) {
        QCOMPARE(error.message(),
                 "Cannot encode " + slow + ": its sample rate of 1 Hz is not between 1000 and 768000 Hz.");
    }
    QVERIFY(!QFileInfo::exists(path("one-hertz.mp3")));

    // The same coder runs again after every error.
    QVERIFY(encode(coder, wav, path("after-errors.mp3")));
    QVERIFY(decode(path("after-errors.mp3")).ok);
}

void TestLameCoder::damagedInputsEnd()
{
    // Cut short anywhere, or claiming more than it holds: the coder ends,
    // encoding what is there or saying why not.
    const int rate = 22050;
    const QByteArray data16 = sine16(rate, 2, rate, 440, 0.5);
    const QByteArray whole16 = riff(fmtPcm(2, rate, 16) + chunk("data", data16));
    const QString wav24 = path("damaged24-source.wav");
    QVERIFY(runTool("sox", {"-q", "-n", "-r", QString::number(rate), "-c", "2", "-b", "24", wav24, "synth",
                            "1", "sine", "440"}));
    const QByteArray whole24 = readFile(wav24);
    // A streaming writer's sizes: unknown, so as far as the file goes.
    QByteArray streaming = whole16;
    qToLittleEndian<quint32>(0xFFFFFFFF, streaming.data() + 4);
    qToLittleEndian<quint32>(0xFFFFFFFF, streaming.data() + 40);

    struct Case
    {
        QString name;
        QByteArray bytes;
        qint64 frames; // the sample frames of 16-bit stereo it holds, or -1 when unknown
    };
    std::vector<Case> cases{{"streaming sizes", streaming, rate}};
    for (const int cut : {0, 3, 11, 12, 20, 30, 36, 43, 44, 45, 47, 8000, 44 + int(data16.size()) - 3})
        cases.push_back(
            {QStringLiteral("16-bit cut at %1").arg(cut), whole16.left(cut), cut > 44 ? (cut - 44) / 4 : -1});
    for (const int cut : {16, 40, 60, 70, 71, 5001, int(whole24.size()) - 1})
        cases.push_back({QStringLiteral("24-bit cut at %1").arg(cut), whole24.left(cut), -1});

    TLameCoder coder;
    coder.setSampleRate(rate);
    coder.setWriteVBRHeader(-1);
    for (const Case& c : cases) {
        const QString wav = path("damaged.wav");
        writeFile(wav, c.bytes);
        const QString mp3 = path("damaged.mp3");
        QFile::remove(mp3);
        coder.InputFiles() = {wav};
        coder.OutputFiles() = {mp3};
        bool finished = false;
        try {
            coder.EncodeFiles();
            finished = true;
        } catch (const EAudrelError&) {
        }
        QVERIFY2(!heldOpen(wav), qPrintable(c.name));
        if (!finished) continue;
        QVERIFY2(walkFrames(readFile(mp3)).reachedEnd, qPrintable(c.name));
        if (c.frames > 1152) {
            const Decoded decoded = decode(mp3);
            QVERIFY2(decoded.ok, qPrintable(c.name));
            QVERIFY2(std::abs(decoded.frames - c.frames) <= 1152,
                     qPrintable(c.name + QStringLiteral(": %1 frames").arg(decoded.frames)));
        }
    }
}

void TestLameCoder::thirdPartySamples()
{
    const QString data = testDataDir();
    if (data.isEmpty()) QSKIP("the third-party samples are not beside the clone");
    const QDir dir(data + "/wav");
    const QStringList names = dir.entryList({"*.wav"}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    TLameCoder coder;
    coder.setWriteVBRHeader(-1);
    int encoded = 0;
    for (const QString& name : names) {
        const QString wav = dir.filePath(name);
        const QByteArray hash = fileHash(wav);
        const QString mp3 = path(name + ".mp3");
        coder.InputFiles() = {wav};
        coder.OutputFiles() = {mp3};
        try {
            coder.EncodeFiles();
        } catch (const ELameError& error) {
            // Only a layout libsndfile does not read may be refused.
            QVERIFY2(error.message().startsWith("Cannot read " + wav), qPrintable(error.message()));
            continue;
        }
        QCOMPARE(fileHash(wav), hash);
        const MpegWalk walk = walkFrames(readFile(mp3));
        QVERIFY2(walk.reachedEnd && !walk.frames.empty(), qPrintable(name));
        // PCM comes out as long as ffprobe says the source is, give or take
        // a frame and the rounding of rates; compressed layouts are decoded
        // by libsndfile, whose length is its own.
        const QStringList probe =
            QString::fromUtf8(
                toolOutput("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                       "stream=codec_name:format=duration", "-of", "csv=p=0", wav}))
                .trimmed()
                .split(u'\n');
        const bool pcm = !probe.isEmpty() && probe.first().startsWith("pcm_");
        const double source = probe.size() > 1 ? probe.last().toDouble() : 0;
        const Decoded decoded = decode(mp3);
        QVERIFY2(decoded.ok, qPrintable(name));
        const double length = double(decoded.frames) / decoded.rate;
        if (pcm && source > 0.2)
            QVERIFY2(std::abs(length - source) <= 1152.0 / decoded.rate + 0.01 * source,
                     qPrintable(name + QStringLiteral(": %1 s, source %2 s").arg(length).arg(source)));
        ++encoded;
    }
    QVERIFY(encoded > names.size() / 2);
}

AUDREL_CORE_TEST_MAIN(TestLameCoder)
#include "tst_lamecoder.moc"
