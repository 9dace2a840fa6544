#include "tst_mpegreference.h"

#include "info/mpegaudio.h"
#include "infotestutil.h"
#include "scriptedprompts.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

namespace {
// Size of the first frame after the one at the given position, as ffprobe splits the file.
int nextFrameSize(const QString& path, qint64 position)
{
    for (const auto& [pos, size] : probePackets(path, 3)) {
        if (pos > position) return size;
    }
    return -1;
}

// MPEG version of a sample rate: 1 = MPEG 1, 2 = MPEG 2, 3 = MPEG 2.5.
int versionOf(int sampleRate)
{
    return sampleRate >= 32000 ? 1 : sampleRate >= 16000 ? 2 : 3;
}
} // namespace

void TestMpegReference::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestMpegReference::lameFiles_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QStringList>("lameOptions");
    QTest::addColumn<bool>("vbr");

    for (const int rate : {44100, 32000, 22050, 16000, 11025, 8000}) {
        for (const int channels : {1, 2}) {
            const QString name = QStringLiteral("%1 Hz %2").arg(rate).arg(channels == 1 ? "mono" : "stereo");
            QTest::newRow(qPrintable(name + " CBR")) << rate << channels << QStringList{"-b", "32"} << false;
            QTest::newRow(qPrintable(name + " VBR")) << rate << channels << QStringList{"-V", "4"} << true;
        }
    }
}

void TestMpegReference::lameFiles()
{
    AUDREL_REQUIRE_TOOLS("lame", "sox", "ffprobe");
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QStringList, lameOptions);
    QFETCH(bool, vbr);

    const QString wav = m_dir.filePath("source.wav");
    const QString mp3 = m_dir.filePath("lame.mp3");
    // Twelve seconds of a chirp: long enough that a doubled playing time shows.
    QVERIFY(runTool("sox", {"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b", "16",
                            wav, "synth", "12", "sine", "300-3000", "vol", "0.5"}));
    QVERIFY(runTool("lame", QStringList{"--quiet", "--resample", QString::number(rate / 1000.0)} +
                                lameOptions + QStringList{wav, mp3}));
    const QJsonObject reference = probeStream(mp3);
    QCOMPARE(reference.value("codec_name").toString(), QStringLiteral("mp3"));

    ScriptedPrompts prompts;
    TMPEGAudio mpeg;
    mpeg.LoadFile(mp3);
    QVERIFY(mpeg.IsValid());
    QVERIFY(prompts.messages.isEmpty());
    const TMPEGInfo& d = mpeg.Data;
    QCOMPARE(int(d.Version), versionOf(rate));
    QCOMPARE(int(d.Layer), 3);
    QCOMPARE(d.SampleRate, reference.value("sample_rate").toString().toInt());
    QCOMPARE(d.Mode == 3, reference.value("channels").toInt() == 1);
    QCOMPARE(mpeg.HeaderPos, qint64(0));
    QCOMPARE(d.FileLength, int32_t(QFileInfo(mp3).size()));
    if (vbr) {
        QCOMPARE(d.BitRate, -1);
    } else {
        QCOMPARE(d.BitRate * 1000, reference.value("bit_rate").toString().toInt());
        // Data holds the values of the second frame header.
        QCOMPARE(int(d.FrameLength), nextFrameSize(mp3, mpeg.HeaderPos));
    }
    const double seconds = reference.value("duration").toString().toDouble();
    QVERIFY2(qAbs(double(d.Duration) - seconds) <= 1.0,
             qPrintable(QStringLiteral("%1 s, ffprobe %2 s").arg(d.Duration).arg(seconds)));
}

void TestMpegReference::ffmpegLayerII_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("kbits");
    QTest::newRow("MPEG 1 48 kHz stereo 192k") << 48000 << 2 << 192;
    QTest::newRow("MPEG 1 44.1 kHz mono 64k") << 44100 << 1 << 64;
    QTest::newRow("MPEG 2 24 kHz stereo 96k") << 24000 << 2 << 96;
    QTest::newRow("MPEG 2 16 kHz mono 32k") << 16000 << 1 << 32;
}

void TestMpegReference::ffmpegLayerII()
{
    AUDREL_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(int, kbits);

    const QString mp2 = m_dir.filePath("ffmpeg.mp2");
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=9",
                               "-ar", QString::number(rate), "-ac", QString::number(channels), "-c:a", "mp2",
                               "-b:a", QStringLiteral("%1k").arg(kbits), mp2}));
    const QJsonObject reference = probeStream(mp2);

    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(mp2);
    QVERIFY(mpeg.IsValid());
    QCOMPARE(int(mpeg.Data.Version), versionOf(rate));
    QCOMPARE(mpeg.LayerText(), QStringLiteral("II"));
    QCOMPARE(mpeg.Data.SampleRate, reference.value("sample_rate").toString().toInt());
    QCOMPARE(mpeg.Data.BitRate * 1000, reference.value("bit_rate").toString().toInt());
    QCOMPARE(mpeg.Data.Mode == 3, channels == 1);
    QCOMPARE(int(mpeg.Data.FrameLength), nextFrameSize(mp2, mpeg.HeaderPos));
    const double seconds = reference.value("duration").toString().toDouble();
    QVERIFY(qAbs(double(mpeg.Data.Duration) - seconds) <= 1.0);
}

void TestMpegReference::thirdPartyFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("result");
    QTest::addColumn<qint64>("headerPos");
    QTest::addColumn<QString>("description"); // version layer rate bitrate mode
    QTest::addColumn<QString>("tag");         // title|artist|album|year|track|genre, empty without tag

    // Byte 126 is the track whatever byte 125 holds: a blank here.
    QTest::newRow("ID3v1.0") << "mp3/audioscan__v1.mp3" << 0 << qint64(0) << "1.0 III 32000 32"
                             << "Track Title|Artist Name|Album Name|2009|32|26";
    QTest::newRow("ID3v2 and ID3v1.1")
        << "mp3/mutagen__silence-44-s.mp3" << 0 << qint64(1314) << "1.0 III 44100 32"
        << "Silence|piman|Quod Libet Test Data|2004|2|255";
    QTest::newRow("ID3v1 before an ID3v2 footer")
        << "mp3/mutagen__audacious-trailing-id32-id31.mp3" << 0 << qint64(0) << "1.0 III 44100 32"
        << "";
    QTest::newRow("random junk with false syncs")
        << "mp3/taglib__garbage.mp3" << 0 << qint64(2255) << "1.0 III 44100 64"
        << "";
    QTest::newRow("293 bytes before the first frame")
        << "mp3/audioscan__bad-first-samplerate.mp3" << 0 << qint64(293) << "1.0 III 44100 128"
        << "";
    QTest::newRow("MPEG 2.5 without VBR header")
        << "mp3/audioscan__no-tags-mp2.5l3.mp3" << 0 << qint64(0) << "2.5 III 8000 8"
        << "";
    QTest::newRow("Layer I") << "mpa/iso__l1-fl4.mp1" << 0 << qint64(0) << "1.0 I 32000 32"
                             << "";
    QTest::newRow("Layer II with CRC") << "mpa/iso__l2-fl14.mp2" << 0 << qint64(0) << "1.0 II 48000 384"
                                       << "";
    QTest::newRow("free format") << "mpa/iso__l2-nonstandard-free_format.mp2" << -1 << qint64(-1) << ""
                                 << "";
    QTest::newRow("ID3v2 without audio")
        << "mp3/audioscan__v2.3-no-audio-frames.mp3" << -1 << qint64(-1) << ""
        << "";
}

void TestMpegReference::thirdPartyFiles()
{
    const QString dir = testDataDir();
    if (dir.isEmpty()) QSKIP("the third-party samples are not available");
    QFETCH(QString, file);
    QFETCH(int, result);
    QFETCH(qint64, headerPos);
    QFETCH(QString, description);
    QFETCH(QString, tag);

    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.Data.FileName = QDir(dir).filePath(file);
    QCOMPARE(mpeg.Analyze(), result);
    if (result != 0) {
        QCOMPARE(mpeg.HeaderPos, qint64(QFileInfo(mpeg.Data.FileName).size() + 1));
        return;
    }
    QCOMPARE(mpeg.HeaderPos, headerPos);
    const TMPEGInfo& d = mpeg.Data;
    QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                 .arg(mpeg.VersionText(), mpeg.LayerText())
                 .arg(d.SampleRate)
                 .arg(d.BitRate),
             description);
    const QString read = mpeg.HasTag() ? QStringList{d.Title,
                                                     d.Artist,
                                                     d.Album,
                                                     d.Year,
                                                     QString::number(d.Track),
                                                     QString::number(d.Genre)}
                                             .join('|')
                                       : QString();
    QCOMPARE(read, tag);
}
