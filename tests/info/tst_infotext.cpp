#include "tst_infotext.h"

#include "info/infotext.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "infotestutil.h"
#include "testsupport.h"

#include <QTest>

using namespace audrel;
using namespace audrel::test;

void TestInfoText::decimal3_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("rounded down") << 261.2244 << "261.224";
    QTest::newRow("no digit before the point") << 0.5 << ".500";
    QTest::newRow("zero") << 0.0 << ".000";
    QTest::newRow("whole") << 2.5 << "2.500";
    QTest::newRow("half rounds away from zero") << 0.0625 << ".063";
    QTest::newRow("carry into the whole part") << 9.9996 << "10.000";
    QTest::newRow("large") << 5387.28 << "5387.280";
}

void TestInfoText::decimal3()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatDecimal3(value), text);
}

void TestInfoText::mpegMemo()
{
    // CRC-protected frames (protection bit 0), padded, copyrighted, not original, single channel.
    QByteArray bytes;
    for (int i = 0; i < 3; ++i)
        bytes += mpegFrame(0xFFFA92C8, 418);
    bytes += id3v1Tag("Song", "", "Record", "1987", "", 3, 17);
    const QString path = m_dir.filePath("memo.mp3");
    writeFile(path, bytes);
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(path);
    QCOMPARE(MpegMemoLines(mpeg),
             (QStringList{"Size: 1382 bytes", "Length: 0 seconds", "Version: Mpeg 1.0 Layer III",
                          "128kbit, 418Frames", "44100Hz, Single-Channel", "CRCs: Yes", "Copyrighted: Yes",
                          "Original: No", "Padding: Yes"}));
    QCOMPARE(MpegTagLines(mpeg), (QStringList{"ID3v1 Tag: Yes", "Title: Song", "Artist: ", "Album: Record",
                                              "Year: 1987", "Comment: ", "Track: 3", "Genre: Rock"}));

    // A Xing file shows -1 and the average frame length; no tag shows the defaults.
    QByteArray xing = mpegFrame(0xFFFB9000, 417);
    xing.replace(36, 12, "Xing" + be32(1) + be32(2));
    writeFile(path, xing + mpegFrame(0xFFFB9000, 417) + mpegFrame(0xFFFB9000, 417));
    mpeg.LoadFile(path);
    QCOMPARE(MpegMemoLines(mpeg).mid(0, 5),
             (QStringList{"Size: 1251 bytes", "Length: 0 seconds", "Version: Mpeg 1.0 Layer III",
                          "-1kbit, 625Frames", "44100Hz, Stereo"}));
    QCOMPARE(MpegMemoLines(mpeg)[5], QStringLiteral("CRCs: No"));
    QCOMPARE(MpegTagLines(mpeg),
             (QStringList{"ID3v1 Tag: No", "Title: Unknown Title", "Artist: Unknown Artist", "Album: [notag]",
                          "Year:     ", "Comment: [notag]", "Track: 0", "Genre: "}));

    // Reset values for a file that is not MPEG audio.
    writeFile(path, QByteArray(1000, 'a'));
    mpeg.LoadFile(path);
    QCOMPARE(MpegMemoLines(mpeg).mid(1, 4),
             (QStringList{"Length: 0 seconds", "Version: Mpeg Unknown Layer Unknown", "0kbit, 0Frames",
                          "0Hz, Stereo"}));
}

void TestInfoText::wavMemo()
{
    const uint32_t bytesPerSecond = 8000 * 2;
    const QByteArray samples(int(bytesPerSecond * 5 / 2), '\0');
    const QByteArray wav = "RIFF" + le32(36 + samples.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) +
                           le32(8000) + le32(bytesPerSecond) + le16(2) + le16(16) + "data" +
                           le32(samples.size()) + samples;
    const QString path = m_dir.filePath("memo.wav");
    writeFile(path, wav);
    TWAVfile reader;
    QVERIFY(reader.LoadFile(path));
    QCOMPARE(WavMemoLines(reader),
             (QStringList{"Format: Windows PCM", "Channel mode: Mono", "Sample rate: 8000 hz",
                          "Bytes per second: 16000 bytes", "Bits per sample: 16 bit", "Duration: 2.500 sec.",
                          "File Size: 40044 bytes"}));
    writeFile(path, "RIFX" + wav.mid(4));
    QVERIFY(reader.LoadFile(path));
    QVERIFY(WavMemoLines(reader).isEmpty());
}

void TestInfoText::wmaMemo()
{
    const QByteArray fileProperties =
        asfObject("8CABDCA1-A947-11CF-8EE4-00C00C205365", QByteArray(76, '\0') + le32(48000));
    const QByteArray stream =
        asfObject("B7DC0791-A9B7-11CF-8EE6-00C00C205365",
                  QByteArray(56, '\0') + le16(1) + le32(32000) + le32(6000) + QByteArray(6, '\0'));
    const QByteArray header = asfHeader({fileProperties, stream});
    const QString path = m_dir.filePath("memo.wma");
    writeFile(path, header + QByteArray(3000 - header.size(), '\0'));
    TWMAfile reader;
    QVERIFY(reader.LoadFile(path));
    QCOMPARE(WmaMemoLines(reader),
             (QStringList{"Format: Windows Media Audio", "Channel mode: Mono", "Sample rate: 32000 hz",
                          "Bit Rate: 48 kb/s", "Duration: .500 sec.", "File Size: 3000 bytes"}));
    writeFile(path, header.left(40));
    QVERIFY(!reader.LoadFile(path));
    QVERIFY(WmaMemoLines(reader).isEmpty());
}
