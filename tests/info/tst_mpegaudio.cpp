#include "tst_mpegaudio.h"

#include "info/mpegaudio.h"
#include "infotestutil.h"
#include "scriptedprompts.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <limits>

using namespace audrel;
using namespace audrel::test;

namespace {
// MPEG 1 Layer III 128 kbit/s 44100 Hz stereo without CRC: 417-byte frames.
constexpr uint32_t M1L3 = 0xFFFB9000;
constexpr uint32_t M1L3Mono = 0xFFFB90C0;
// MPEG 2 Layer III 64 kbit/s 22050 Hz: 208-byte frames of 576 samples.
constexpr uint32_t M2L3 = 0xFFF38000;
constexpr uint32_t M2L3Mono = 0xFFF380C0;
// MPEG 2.5 Layer III 8 kbit/s 8000 Hz: 72-byte frames.
constexpr uint32_t M25L3 = 0xFFE31800;

QByteArray frames(uint32_t header, int length, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += mpegFrame(header, length);
    return bytes;
}

enum Flags
{
    ErrorProt = 1,
    Padding = 2,
    Copyrighted = 4,
    Original = 8
};
} // namespace

QString TestMpegAudio::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    writeFile(path, bytes);
    return path;
}

void TestMpegAudio::decodeHeader_data()
{
    QTest::addColumn<uint>("header");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<int>>("fields"); // version, layer, rate, bit rate, mode, frame length, flags
    QTest::addColumn<uint>("duration");     // of a 4 000 000-byte file

    auto row = [](const char* name, uint32_t header, bool valid, QList<int> fields, uint duration) {
        QTest::newRow(name) << uint(header) << valid << fields << duration;
    };
    row("MPEG 1 Layer III 128k", M1L3, true, {1, 3, 44100, 128, 0, 417, ErrorProt}, 250);
    row("padded", 0xFFFB9200, true, {1, 3, 44100, 128, 0, 418, ErrorProt | Padding}, 250);
    row("CRC, copyright, original", 0xFFFA900C, true, {1, 3, 44100, 128, 0, 417, Copyrighted | Original},
        250);
    row("MPEG 1 Layer III 320k 48 kHz joint", 0xFFFBE440, true, {1, 3, 48000, 320, 1, 960, ErrorProt}, 100);
    row("MPEG 2 Layer III", M2L3, true, {2, 3, 22050, 64, 0, 208, ErrorProt}, 500);
    row("MPEG 2.5 Layer III", M25L3, true, {3, 3, 8000, 8, 0, 72, ErrorProt}, 4000);
    row("MPEG 1 Layer II dual channel", 0xFFFDE480, true, {1, 2, 48000, 384, 2, 1152, ErrorProt}, 83);
    row("MPEG 2 Layer II", 0xFFF5E400, true, {2, 2, 24000, 160, 0, 960, ErrorProt}, 200);
    row("MPEG 1 Layer I mono", 0xFFFF18C0, true, {1, 1, 32000, 32, 3, 48, ErrorProt}, 1000);
    row("MPEG 1 Layer I padded", 0xFFFF1AC0, true, {1, 1, 32000, 32, 3, 52, ErrorProt | Padding}, 1000);
    row("MPEG 2 Layer I", 0xFFF7E000, true, {2, 1, 22050, 256, 0, 556, ErrorProt}, 125);
    row("free format", 0xFFFB0000, false, {1, 3, 44100, 0, 0, 0, ErrorProt}, 0);
    row("bit-rate index 15", 0xFFFBF000, false, {1, 3, 44100, 0, 0, 0, ErrorProt}, 0);
    row("sample-rate index 3", 0xFFFB9C00, false, {1, 3, 0, 128, 0, 0, ErrorProt}, 250);
    row("reserved layer", 0xFFF99000, false, {1, 0, 44100, 0, 0, 0, ErrorProt}, 0);
    row("reserved version", 0xFFEB9000, false, {0, 0, 0, 0, 0, 0, 0}, 0);
    row("no frame sync", 0xFFDB9000, false, {0, 0, 0, 0, 0, 0, 0}, 0);
}

void TestMpegAudio::decodeHeader()
{
    QFETCH(uint, header);
    QFETCH(bool, valid);
    QFETCH(QList<int>, fields);
    QFETCH(uint, duration);

    TMPEGAudio mpeg;
    mpeg.ResetData();
    mpeg.Data.FileLength = 4000000;
    mpeg.Data.FileDate = 1;
    // Fields of an earlier header (joint stereo, padding, copyright, original) must not survive.
    mpeg.DecodeHeader(0xFFFB9E4Fu);
    mpeg.Data.Duration = 0;

    QCOMPARE(mpeg.DecodeHeader(header), valid);
    const TMPEGInfo& d = mpeg.Data;
    const int flags = (d.ErrorProt ? ErrorProt : 0) | (d.Padding ? Padding : 0) |
                      (d.Copyrighted ? Copyrighted : 0) | (d.Original ? Original : 0);
    QCOMPARE((QList<int>{d.Version, d.Layer, d.SampleRate, d.BitRate, d.Mode, d.FrameLength, flags}), fields);
    QCOMPARE(d.Duration, duration);
}

void TestMpegAudio::searchFindsFirstConfirmedFrame_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("headerPos");
    QTest::addColumn<int>("frameLength");

    const QByteArray audio = frames(M1L3, 417, 400);
    QTest::newRow("first frame at 0") << audio << qint64(0) << 417;
    QTest::newRow("2000 zero bytes first") << QByteArray(2000, '\0') + audio << qint64(2000) << 417;
    // Junk with 0xFF bytes that never start a frame sync.
    QByteArray junk;
    for (int i = 0; i < 3000; ++i)
        junk += char(i % 7 == 0 ? 0xFF : i % 251);
    QTest::newRow("junk with 0xFF bytes") << junk + audio << qint64(junk.size()) << 417;
    // A valid-looking header whose next "frame" is zeros; the real frame
    // starts three bytes after it, inside its window.
    const QByteArray stray = QByteArray(100, '\0') + QByteArray::fromHex("FFFB90") + audio;
    QTest::newRow("stray sync overlapping the first frame") << stray << qint64(103) << 417;
    // A stray header confirmed by nothing, far before the audio.
    const QByteArray lone = QByteArray(50, 'x') + be32(M1L3) + QByteArray(1000, '\0') + audio;
    QTest::newRow("stray sync followed by garbage") << lone << qint64(1054) << 417;
    // The first header is confirmed by a second one even if the file ends inside the second frame.
    QTest::newRow("file ends inside the second frame")
        << mpegFrame(M1L3, 417) + be32(M1L3) + QByteArray(100, '\0') << qint64(0) << 417;
    QTest::newRow("MPEG 2 Layer III confirmed 208 bytes on") << frames(M2L3, 208, 3) << qint64(0) << 208;
    QTest::newRow("MPEG 2.5 Layer III") << QByteArray(7, '\0') + frames(M25L3, 72, 3) << qint64(7) << 72;
    QTest::newRow("Layer I with padding") << frames(0xFFFF1AC0, 52, 3) << qint64(0) << 52;
}

void TestMpegAudio::searchFindsFirstConfirmedFrame()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, headerPos);
    QFETCH(int, frameLength);

    ScriptedPrompts prompts;
    TMPEGAudio mpeg;
    mpeg.LoadFile(write("search.mp3", bytes));
    QVERIFY(mpeg.IsValid());
    QCOMPARE(mpeg.HeaderPos, headerPos);
    QCOMPARE(int(mpeg.Data.FrameLength), frameLength);
    QCOMPARE(mpeg.Data.FileLength, int32_t(bytes.size()));
    QCOMPARE(mpeg.Data.Duration, uint32_t(int64_t(bytes.size()) * 8 / (mpeg.Data.BitRate * 1000)));
    QCOMPARE(mpeg.Data.FileName, QFileInfo(m_dir.filePath("search.mp3")).absoluteFilePath());
    QVERIFY(mpeg.Data.FileDate != 0);
    QVERIFY(prompts.messages.isEmpty());
}

void TestMpegAudio::unconfirmedFilesFail_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("reset"); // false: a read past the end stopped the analysis, Data kept
    QTest::newRow("free-format frames") << frames(0xFFFB0000, 417, 20) << true;
    QTest::newRow("bit-rate index 15") << frames(0xFFFBF000, 417, 20) << true;
    QTest::newRow("ends within the first frame") << mpegFrame(M1L3, 300) << true;
    QTest::newRow("no sync at all") << QByteArray(100000, 'A') << true;
    QTest::newRow("only 0xFF bytes") << QByteArray(5000, char(0xFF)) << true;
    QTest::newRow("second header cut short") << mpegFrame(M1L3, 417) + QByteArray::fromHex("FFFB") << false;
    // Never confirmed; the last header's next frame lies past the end.
    QTest::newRow("headers 416 bytes apart") << frames(M1L3, 416, 20) << false;
}

void TestMpegAudio::unconfirmedFilesFail()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, reset);
    const QString path = write("bad.mp3", bytes);

    ScriptedPrompts prompts;
    prompts.messageAnswers.append(QList<int>{IdCancel});
    TMPEGAudio mpeg;
    mpeg.LoadFile(path);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, "Error openning file: " + QFileInfo(path).absoluteFilePath());

    mpeg.OnError = nullptr;
    QCOMPARE(mpeg.Analyze(), -1);
    QCOMPARE(mpeg.Data.FileLength, int32_t(bytes.size()));
    QCOMPARE(mpeg.Data.Header, QStringLiteral("BAD"));
    QCOMPARE(mpeg.Data.Title, QStringLiteral("[notag]"));
    QCOMPARE(mpeg.IsValid(), !reset);
    if (reset) QCOMPARE(mpeg.HeaderPos, qint64(bytes.size() + 1));
}

void TestMpegAudio::tinyFilesAreNotAnalysed()
{
    ScriptedPrompts prompts;
    TMPEGAudio mpeg;
    for (const QByteArray& bytes : {QByteArray(), QByteArray::fromHex("FFFB900000")}) {
        mpeg.OnError = nullptr;
        mpeg.Data.FileName = write("tiny.mp3", bytes);
        QCOMPARE(mpeg.Analyze(), 0);
        QVERIFY(!mpeg.IsValid());
        QCOMPARE(mpeg.Data.FileLength, 0);
        QCOMPARE(mpeg.Data.Year, QStringLiteral("    "));
        QCOMPARE(mpeg.Data.Genre, uint8_t(255));
    }
    TMPEGAudio prompting;
    prompting.LoadFile(m_dir.filePath("tiny.mp3"));
    QVERIFY(prompts.messages.isEmpty());
}

void TestMpegAudio::longSearchOfALargeFile()
{
    // 2.5 GiB of zeros (a sparse file) before the frames: positions beyond
    // 32 bits, and pending events are handled while the search runs.
    const qint64 start = 2500LL * 1024 * 1024;
    const QString path = m_dir.filePath("large.mp3");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(start));
    QVERIFY(file.seek(start));
    QCOMPARE(file.write(frames(M1L3, 417, 3)), qint64(1251));
    file.close();

    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(0);
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(path);
    QVERIFY(ticks > 0);
    QVERIFY(mpeg.IsValid());
    QCOMPARE(mpeg.HeaderPos, start);
    QCOMPARE(mpeg.Data.FileLength, QFileInfo(path).size()); // past 2 GiB
    QCOMPARE(mpeg.Data.Duration, uint32_t((start + 1251) * 8 / 128000));
    QFile::remove(path);
}

void TestMpegAudio::xingHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<uint>("duration");
    QTest::addColumn<int>("frameLength");

    // The first frame carries "Xing" after the side information, then flags and fields.
    auto xing = [](uint32_t header, int length, int offset, uint32_t flags, uint32_t frameCount, int count) {
        QByteArray first = mpegFrame(header, length);
        QByteArray fields = "Xing" + be32(flags);
        if (flags & 1) fields += be32(frameCount);
        if (flags & 2) fields += be32(123456);
        first.replace(offset, fields.size(), fields);
        return first + frames(header, length, count);
    };
    // FrameLength is the file length divided by the frame count (3 frames of 417 bytes here).
    QTest::newRow("MPEG 1 stereo") << xing(M1L3, 417, 36, 15, 10000, 2) << 0 << -1 << 261u << 0;
    QTest::newRow("MPEG 1 mono") << xing(M1L3Mono, 417, 21, 3, 10000, 2) << 0 << -1 << 261u << 0;
    QTest::newRow("frame count only") << xing(M1L3, 417, 36, 1, 100, 2) << 0 << -1 << 3u << 12;
    // 576 samples per frame: 5000 frames at 22050 Hz are 130.6 seconds.
    QTest::newRow("MPEG 2 stereo") << xing(M2L3, 208, 21, 15, 5000, 2) << 0 << -1 << 131u << 0;
    QTest::newRow("MPEG 2 mono") << xing(M2L3Mono, 208, 13, 1, 5000, 2) << 0 << -1 << 131u << 0;
    QTest::newRow("MPEG 2.5") << xing(M25L3, 72, 21, 1, 1000, 200) << 0 << -1 << 72u << 14;
    QTest::newRow("tag at the mono offset of a stereo frame")
        << xing(M1L3, 417, 21, 15, 10000, 2) << 0 << 128 << 0u << 417;
    QTest::newRow("no frame count") << xing(M1L3, 417, 36, 14, 0, 2) << -1 << -1 << 0u << 417;
    QTest::newRow("frame count 0") << xing(M1L3, 417, 36, 1, 0, 2) << -1 << -1 << 0u << 417;
    // 72-byte frames: the 116 bytes after "Xing" run past the end of a 100-byte file.
    QTest::newRow("cut short") << xing(M25L3, 72, 21, 1, 10, 0) + be32(M25L3) + QByteArray(24, '\0') << -1
                               << -1 << 0u << 72;
}

void TestMpegAudio::xingHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(int, bitRate);
    QFETCH(uint, duration);
    QFETCH(int, frameLength);

    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.Data.FileName = write("xing.mp3", bytes);
    QCOMPARE(mpeg.Analyze(), result);
    QCOMPARE(mpeg.HeaderPos, qint64(0));
    QCOMPARE(mpeg.Data.BitRate, bitRate);
    QCOMPARE(mpeg.Data.Duration, duration);
    QCOMPARE(int(mpeg.Data.FrameLength), frameLength);
}

void TestMpegAudio::missingFilePromptsAndRetries()
{
    const QString path = m_dir.filePath("later.mp3");
    ScriptedPrompts prompts;
    prompts.messageAnswers.append(QList<int>{IdIgnore});
    TMPEGAudio mpeg;
    mpeg.Data.FileName = path;
    QCOMPARE(mpeg.Analyze(), int32_t(IdIgnore));
    QCOMPARE(prompts.messages.size(), 1);
    const MessageRequest& request = prompts.messages[0];
    QCOMPARE(request.text, "Error openning file: " + path);
    QCOMPARE(request.icon, MsgIcon::Error);
    QCOMPARE(request.buttons, (QList<int>{IdCancel, IdRetry, IdIgnore}));
    QCOMPARE(mpeg.Data.Title, QStringLiteral("[not found: later.mp3]"));
    QVERIFY(!mpeg.IsValid());

    // A long name is cut to 30 characters in the title.
    mpeg.LoadFile(m_dir.filePath(QString(40, QLatin1Char('n')) + ".mp3"));
    QCOMPARE(mpeg.Data.Title, QStringLiteral("[not found: nnnnnnnnnnnnnnnnnn"));

    // Retry analyses again: the file appears while the prompt is open.
    const TMPEGAudio::TErrorEvent prompt = mpeg.OnError;
    mpeg.OnError = [&](const TMPEGInfo& data) {
        const uint16_t answer = prompt(data);
        writeFile(path, frames(M1L3, 417, 3));
        return answer;
    };
    prompts.messages.clear();
    prompts.messageAnswers.append(QList<int>{IdRetry});
    mpeg.Data.FileName = path;
    QCOMPARE(mpeg.Analyze(), 0);
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY(mpeg.IsValid());

    // Retry on a file that stays bad asks again each time.
    writeFile(path, QByteArray(64, 'z'));
    mpeg.OnError = prompt;
    prompts.messages.clear();
    prompts.messageAnswers.append(QList<int>{IdRetry, IdRetry, IdCancel});
    mpeg.LoadFile(path);
    QCOMPARE(prompts.messages.size(), 3);
}

void TestMpegAudio::textOperations()
{
    TMPEGAudio mpeg;
    QCOMPARE(mpeg.VersionText(), QStringLiteral("Unknown"));
    QCOMPARE(mpeg.LayerText(), QStringLiteral("Unknown"));
    QCOMPARE(mpeg.ModeText(), QStringLiteral("Stereo"));
    QCOMPARE(mpeg.Data.Duration, 0u);

    mpeg.OnError = nullptr;
    mpeg.LoadFile(write("mono.mp2", frames(0xFFF5E4C0, 960, 3)));
    QCOMPARE(mpeg.VersionText(), QStringLiteral("2.0"));
    QCOMPARE(mpeg.LayerText(), QStringLiteral("II"));
    QCOMPARE(mpeg.ModeText(), QStringLiteral("Single-Channel"));
    mpeg.Data.Version = 3;
    mpeg.Data.Layer = 3;
    mpeg.Data.Mode = 2;
    QCOMPARE(mpeg.VersionText() + mpeg.LayerText() + mpeg.ModeText(), QStringLiteral("2.5IIIDual-Channel"));

    mpeg.Data.Duration = 3 * 3600 + 25 * 60 + 7;
    QCOMPARE(mpeg.DurationTime(), QTime(3, 25, 7));
    mpeg.Data.Duration = 24 * 3600;
    QVERIFY(!mpeg.DurationTime().isValid());
}
