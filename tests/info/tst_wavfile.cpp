#include "tst_wavfile.h"

#include "info/wavfile.h"
#include "infotestutil.h"
#include "testsupport.h"

#include <QDir>
#include <QJsonObject>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

namespace {
using wav::chunk;
using wav::riff;

// The body of a "fmt " chunk, with extra bytes after the sample size.
QByteArray fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                   const QByteArray& extra = {})
{
    const uint16_t align = uint16_t(channels * ((bits + 7) / 8));
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits) + extra;
}
} // namespace

void TestWavFile::byteLayouts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("sampleCount");
    QTest::addColumn<int>("headerSize");
    QTest::addColumn<double>("duration");

    const QByteArray second16(176400, '\x11');
    QTest::newRow("canonical 16-bit stereo")
        << riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("data", second16 + second16)) << true << 0
        << 44 << 2.0;
    // Non-PCM with a fact chunk right after "fmt ": the sample count gives the time.
    QTest::newRow("fact after a 20-byte fmt")
        << riff(chunk("fmt ", fmtBody(17, 1, 22050, 4, le16(2) + le16(505))) + chunk("fact", le32(55125)) +
                chunk("data", QByteArray(1000, '\0')))
        << true << 55125 << 60 << 2.5;
    // A LIST chunk between "fmt " and "data": its bytes are not a sample count.
    QTest::newRow("LIST before data")
        << riff(chunk("fmt ", fmtBody(1, 2, 8000, 8)) + chunk("LIST", "INFOISFT" + le32(6) + "Lavf5\0") +
                chunk("data", QByteArray(8000, '\x80')))
        << true << 0 << 70 << 0.5;
    QTest::newRow("fact not right after fmt")
        << riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) + chunk("LIST", QByteArray(7, 'i')) +
                chunk("fact", le32(99)) + chunk("data", QByteArray(4000, '\x80')))
        << true << 0 << 72 << 0.5;
    // A data chunk that says more than the file holds is bounded by the file.
    QByteArray longer =
        riff(chunk("fmt ", fmtBody(1, 1, 1000, 8)) + chunk("junk", "ab") + chunk("data", QByteArray(500, 1)));
    longer.replace(longer.size() - 504, 4, le32(0xFFFFFFFF));
    QTest::newRow("data size past the end") << longer << true << 0 << 54 << 0.5;
    QTest::newRow("8-bit mono 96 kHz")
        << riff(chunk("fmt ", fmtBody(1, 1, 96000, 8)) + chunk("data", QByteArray(48000, 0))) << true << 0
        << 44 << 0.5;
    // The RIFF size alone sets the time of a canonical file.
    QTest::newRow("RIFF size too small")
        << riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("data", second16), -176400 - 20) << true << 0
        << 24 << 0.0;
    // Written to a stream, or cut off: the file's own length gives the time.
    QByteArray streamed = riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("data", second16));
    streamed.replace(4, 4, le32(0xFFFFFFFF));
    streamed.replace(40, 4, le32(0xFFFFFFFF));
    QTest::newRow("streamed sizes") << streamed << true << 0 << 44 << 1.0;
    QTest::newRow("cut off") << riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("data", second16),
                                     176400)
                             << true << 0 << 44 << 1.0;
    QTest::newRow("six channels") << riff(chunk("fmt ", fmtBody(1, 6, 48000, 16)) +
                                          chunk("data", QByteArray(96, 0)))
                                  << false << 0 << 0 << 0.0;
    QByteArray lower = riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("data", QByteArray(400, 0)));
    lower.replace(0, 4, "riff");
    QTest::newRow("lower-case riff") << lower << false << 0 << 0 << 0.0;
    QByteArray notFirst = riff(chunk("LIST", QByteArray(4, 0)) + chunk("fmt ", fmtBody(1, 2, 44100, 16)));
    QTest::newRow("fmt not first") << notFirst + QByteArray(40, 0) << false << 0 << 0 << 0.0;
}

void TestWavFile::byteLayouts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(int, sampleCount);
    QFETCH(int, headerSize);
    QFETCH(double, duration);

    const QString path = m_dir.filePath("layout.wav");
    writeFile(path, bytes);
    TWAVfile wav;
    QVERIFY(wav.LoadFile(path));
    QCOMPARE(wav.Valid, valid);
    QCOMPARE(wav.SampleCount, sampleCount);
    QCOMPARE(int(wav.HeaderSize), headerSize);
    QCOMPARE(wav.Duration(), duration);
    QCOMPARE(wav.ChannelModeText(), QString::fromLatin1(!valid              ? "Unknown"
                                                        : wav.Channels == 1 ? "Mono"
                                                                            : "Stereo"));
    if (!valid) QCOMPARE(wav.FormatText(), QString());
}

void TestWavFile::unreadableFiles()
{
    TWAVfile wav;
    QVERIFY(!wav.LoadFile(m_dir.filePath("missing.wav")));
    const QString path = m_dir.filePath("short.wav");
    const QByteArray full =
        riff(QByteArray("fmt ") + le32(16) + fmtBody(1, 2, 44100, 16) + "LIST" + le32(4) + "abcd");
    // Shorter than the 40 bytes of the fixed header, or than the chunk after "fmt ".
    for (const int size : {39, 43}) {
        writeFile(path, full.left(size));
        QVERIFY(!wav.LoadFile(path));
        QVERIFY(!wav.Valid);
        QCOMPARE(wav.SampleRate, 0u);
    }
    writeFile(path, full.left(48));
    QVERIFY(wav.LoadFile(path));
    QVERIFY(wav.Valid);
    QCOMPARE(wav.SampleRate, 44100u);
    QCOMPARE(wav.FormatText(), QStringLiteral("Windows PCM"));
}

void TestWavFile::referenceTools_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments"); // before the output path
    QTest::addColumn<int>("formatTag");

    const QStringList sox{"-n", "-r", "22050"};
    QTest::newRow("sox 8-bit mono") << "sox" << sox + QStringList{"-c", "1", "-b", "8"} << 1;
    QTest::newRow("sox 16-bit stereo") << "sox" << sox + QStringList{"-c", "2", "-b", "16"} << 1;
    QTest::newRow("sox 24-bit stereo (extensible)")
        << "sox" << sox + QStringList{"-c", "2", "-b", "24"} << 0xFFFE;
    QTest::newRow("sox A-law") << "sox" << sox + QStringList{"-c", "1", "-e", "a-law"} << 6;
    const QStringList ffmpeg{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=3.3:sample_rate=32000"};
    QTest::newRow("ffmpeg 16-bit with LIST") << "ffmpeg" << ffmpeg << 1;
    QTest::newRow("ffmpeg 8-bit stereo with LIST")
        << "ffmpeg" << ffmpeg + QStringList{"-ac", "2", "-c:a", "pcm_u8"} << 1;
    QTest::newRow("ffmpeg 24-bit extensible with LIST")
        << "ffmpeg" << ffmpeg + QStringList{"-c:a", "pcm_s24le"} << 0xFFFE;
    QTest::newRow("ffmpeg mu-law with LIST and fact")
        << "ffmpeg" << ffmpeg + QStringList{"-c:a", "pcm_mulaw"} << 7;
}

void TestWavFile::referenceTools()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(int, formatTag);
    AUDREL_REQUIRE_TOOLS("ffprobe");
    if (!haveTool(tool)) QSKIP("reference tool not installed");

    const QString path = m_dir.filePath("tool.wav");
    QStringList all = arguments << path;
    if (tool == "sox")
        all << "synth"
            << "3.3"
            << "sine"
            << "440";
    QVERIFY(runTool(tool, all));
    const QJsonObject reference = probeStream(path);

    TWAVfile wav;
    QVERIFY(wav.LoadFile(path));
    QVERIFY(wav.Valid);
    QCOMPARE(int(wav.FormatTag), formatTag);
    QCOMPARE(int(wav.Channels), reference.value("channels").toInt());
    QCOMPARE(int(wav.SampleRate), reference.value("sample_rate").toString().toInt());
    QCOMPARE(int(wav.BitsPerSample), reference.value("bits_per_sample").toInt());
    QCOMPARE(qRound(wav.Duration() * 1000), qRound(reference.value("duration").toString().toDouble() * 1000));
}

void TestWavFile::thirdPartyFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("summary"); // format tag, channels, rate, bits, header size
    QTest::addColumn<double>("duration");

    QTest::newRow("canonical 8-bit") << "monogame__tone_mono_44khz_8bit.wav"
                                     << "1 1 44100 8 44" << 0.5;
    QTest::newRow("LIST before data") << "cpython__pluck-pcm24.wav"
                                      << "1 2 11025 24 142" << 19842.0 / 66150;
    QTest::newRow("extensible with fact") << "cpython__pluck-pcm24-ext.wav"
                                          << "65534 2 11025 24 80" << 3307.0 / 11025;
    QTest::newRow("extensible, data at 60") << "wavefile__M1F1-int12WE-AFsp.wav"
                                            << "65534 2 8000 16 68" << 93972.0 / 32000;
    QTest::newRow("MS ADPCM without byte rate") << "monogame__tone_stereo_44khz_msadpcm.wav"
                                                << "2 2 44100 4 124" << 22264.0 / 44100;
    QTest::newRow("IMA ADPCM") << "monogame__tone_mono_44khz_imaadpcm.wav"
                               << "17 1 44100 4 60" << 24534.0 / 44100;
    QTest::newRow("MPEG Layer III in WAV") << "musicmetadata__mpeglayer3.wav"
                                           << "85 2 44100 0 104" << 5515.0 / 44100;
    QTest::newRow("streamed, sizes 0xFFFFFFFF") << "musicmetadata__ffmpeg-missing-chunksize.wav"
                                                << "1 2 44100 16 78" << 110592.0 / 176400;
    QTest::newRow("RF64") << "taglib__rf64.wav"
                          << "invalid" << 0.0;
}

void TestWavFile::thirdPartyFiles()
{
    const QString dir = testDataDir();
    if (dir.isEmpty()) QSKIP("the third-party samples are not available");
    QFETCH(QString, file);
    QFETCH(QString, summary);
    QFETCH(double, duration);

    TWAVfile wav;
    QVERIFY(wav.LoadFile(QDir(dir).filePath("wav/" + file)));
    const QString read = !wav.Valid ? QStringLiteral("invalid")
                                    : QStringLiteral("%1 %2 %3 %4 %5")
                                          .arg(wav.FormatTag)
                                          .arg(int(wav.Channels))
                                          .arg(wav.SampleRate)
                                          .arg(int(wav.BitsPerSample))
                                          .arg(wav.HeaderSize);
    QCOMPARE(read, summary);
    QCOMPARE(qRound(wav.Duration() * 1e6), qRound(duration * 1e6));
}
