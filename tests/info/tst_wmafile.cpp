#include "tst_wmafile.h"

#include "info/wmafile.h"
#include "infotestutil.h"
#include "testsupport.h"

#include <QDir>
#include <QJsonObject>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

namespace {
const char* const FileProperties = "8CABDCA1-A947-11CF-8EE4-00C00C205365";
const char* const StreamProperties = "B7DC0791-A9B7-11CF-8EE6-00C00C205365";
const char* const ContentDescription = "75B22633-668E-11CF-A6D9-00AA0062CE6C";
const char* const ExtendedContent = "D2D0A440-E307-11D2-97F0-00A0C95EA850";

QByteArray fileProperties(uint32_t maxBitRate)
{
    return asfObject(FileProperties, QByteArray(76, '\x5A') + le32(maxBitRate));
}

QByteArray streamProperties(uint16_t channels, uint32_t rate, uint32_t byteRate)
{
    return asfObject(StreamProperties, QByteArray(54, '\0') + le16(0x161) + le16(channels) + le32(rate) +
                                           le32(byteRate) + le16(4) + le16(16) + le16(0));
}

QByteArray contentDescription(const QStringList& texts)
{
    QByteArray lengths;
    QByteArray strings;
    for (const QString& text : texts) {
        const QByteArray bytes = text.isNull() ? QByteArray() : utf16(text);
        lengths += le16(uint16_t(bytes.size()));
        strings += bytes;
    }
    return asfObject(ContentDescription, lengths + strings);
}

struct Descriptor
{
    QString name;
    uint16_t type;
    QByteArray value;
};

QByteArray extendedContent(const QList<Descriptor>& descriptors)
{
    QByteArray body = le16(uint16_t(descriptors.size()));
    for (const Descriptor& d : descriptors) {
        const QByteArray name = utf16(d.name);
        body += le16(uint16_t(name.size())) + name + le16(d.type) + le16(uint16_t(d.value.size())) + d.value;
    }
    return asfObject(ExtendedContent, body);
}

// A header followed by filler so that the file has the given size.
QByteArray asfFile(const QList<QByteArray>& objects, int fileSize = 0)
{
    const QByteArray header = asfHeader(objects);
    return header + QByteArray(qMax(0, fileSize - int(header.size())), '\0');
}
} // namespace

void TestWmaFile::byteLayouts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<int>("channels");

    const QByteArray fp = fileProperties(128000);
    QTest::newRow("128k stereo, 1 600 000 bytes")
        << asfFile({fp, streamProperties(2, 44100, 16000)}, 1600000) << true << 100.0 << 128 << 2;
    QTest::newRow("mono 8 kHz") << asfFile({streamProperties(1, 8000, 1000), fileProperties(8000)}, 10000)
                                << true << 10.0 << 8 << 1;
    QTest::newRow("the last stream wins")
        << asfFile({fp, streamProperties(6, 4000, 99999), streamProperties(1, 96000, 39999)}, 64000) << true
        << 4.0 << 319 << 1;
    QTest::newRow("six channels") << asfFile({fp, streamProperties(6, 44100, 16000)}) << false << 0.0 << 0
                                  << 0;
    QTest::newRow("4000 Hz") << asfFile({fp, streamProperties(2, 4000, 16000)}) << false << 0.0 << 0 << 0;
    QTest::newRow("byte rate 40000") << asfFile({fp, streamProperties(2, 44100, 40000)}) << false << 0.0 << 0
                                     << 0;
    QTest::newRow("maximum bit rate 320000")
        << asfFile({fileProperties(320000), streamProperties(2, 44100, 16000)}) << false << 0.0 << 0 << 0;
    QTest::newRow("no file properties")
        << asfFile({streamProperties(2, 44100, 16000)}) << false << 0.0 << 0 << 0;
    QTest::newRow("not ASF") << QByteArray("[Reference]\r\nRef1=http://example.com/a.wma\r\n") << false << 0.0
                             << 0 << 0;
}

void TestWmaFile::byteLayouts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(double, duration);
    QFETCH(int, bitRate);
    QFETCH(int, channels);

    const QString path = m_dir.filePath("layout.wma");
    writeFile(path, bytes);
    TWMAfile wma;
    QVERIFY(wma.LoadFile(path));
    QCOMPARE(wma.Valid, valid);
    QCOMPARE(wma.Duration, duration);
    QCOMPARE(wma.BitRate, bitRate);
    QCOMPARE(int(wma.Channels), channels);
    QCOMPARE(wma.FileSize, valid ? int32_t(bytes.size()) : 0);
    QCOMPARE(wma.ChannelModeText(), QString::fromLatin1(channels == 1   ? "Mono"
                                                        : channels == 2 ? "Stereo"
                                                                        : "Unknown"));
}

void TestWmaFile::texts()
{
    const QString longTitle = QString(300, QLatin1Char('t'));
    const QList<Descriptor> descriptors{
        {"WM/AlbumTitle", 0, utf16("first album")},
        {"WM/Track", 3, le32(77)}, // a number: skipped
        {"  wm/albumtitle ", 0, utf16(" \tSecond Album\n")},
        {"WM/TRACK", 0, utf16(" 12 ")},
        {"WM/Year", 0, utf16("1999")},
        {"WM/Genre", 0, utf16("Jazz")},
        {"WM/Picture", 1, QByteArray(2000, '\x7F')},
        {"WM/Composer", 0, utf16("not kept")},
    };
    const QString path = m_dir.filePath("texts.wma");
    writeFile(path,
              asfFile({contentDescription({longTitle, QStringLiteral("  Artist  "), QStringLiteral("Rights"),
                                           QStringLiteral("Comment \u00e9\u4e2d"), QStringLiteral("Rating")}),
                       extendedContent(descriptors), fileProperties(64000), streamProperties(2, 22050, 8000)},
                      40000));
    TWMAfile wma;
    QVERIFY(wma.LoadFile(path));
    QVERIFY(wma.Valid);
    QCOMPARE(wma.Title, longTitle.left(250));
    QCOMPARE(wma.Artist, QStringLiteral("Artist"));
    QCOMPARE(wma.Album, QStringLiteral("Second Album"));
    QCOMPARE(wma.Track, 12);
    QCOMPARE(wma.Year, QStringLiteral("1999"));
    QCOMPARE(wma.Genre, QStringLiteral("Jazz"));
    QCOMPARE(wma.Comment, QStringLiteral("Comment \u00e9\u4e2d"));
    QCOMPARE(wma.Duration, 5.0);

    // Extended descriptors named WM/Title, WM/Author and WM/Description replace the
    // content description, and a track that is not a number gives 0.
    writeFile(path, asfFile({contentDescription({"Old", QString(), QString(), "Old comment", QString()}),
                             extendedContent({{"WM/Title", 0, utf16("New")},
                                              {"WM/Author", 0, utf16("Author")},
                                              {"WM/Description", 0, utf16("New comment")},
                                              {"WM/Track", 0, utf16("7a")}}),
                             fileProperties(64000), streamProperties(1, 22050, 8000)}));
    QVERIFY(wma.LoadFile(path));
    QCOMPARE((QStringList{wma.Title, wma.Artist, wma.Comment}),
             (QStringList{"New", "Author", "New comment"}));
    QCOMPARE(wma.Track, 0);
}

void TestWmaFile::brokenHeaders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = asfFile({fileProperties(128000), streamProperties(2, 44100, 16000)});
    QTest::newRow("header cut short") << good.left(good.size() - 10);
    QByteArray zeroSize = good;
    zeroSize.replace(30 + 16, 8, le64(0));
    QTest::newRow("object of size 0") << zeroSize;
    QByteArray moreObjects = good;
    moreObjects.replace(24, 4, le32(0xFFFFFFFF));
    QTest::newRow("more objects than present") << moreObjects;
    QTest::newRow("text past the end")
        << asfFile({contentDescription(
                       {QString(100, QLatin1Char('x')), QString(), QString(), QString(), QString()})})
               .left(150);
    QTest::newRow("shorter than an identifier") << QByteArray("\x30\x26\xB2\x75", 4);
}

void TestWmaFile::brokenHeaders()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath("broken.wma");
    writeFile(path, bytes);
    TWMAfile wma;
    QVERIFY(!wma.LoadFile(path));
    QVERIFY(!wma.Valid);
    QCOMPARE(wma.Duration, 0.0);
    QVERIFY(!wma.LoadFile(m_dir.filePath("missing.wma")));
}

void TestWmaFile::ffmpegFiles_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("tags"); // title, artist, album, track, year, genre, comment
    QTest::newRow("stereo 128k, no tags") << QStringList{"-ac", "2", "-ar", "44100", "-b:a", "128k"}
                                          << QStringList{"", "", "", "0", "", "", ""};
    QTest::newRow("mono 32k with tags")
        << QStringList{"-ac",       "1",
                       "-ar",       "22050",
                       "-b:a",      "32k",
                       "-metadata", "title=Tone",
                       "-metadata", "artist=Maker",
                       "-metadata", "WM/AlbumTitle=Sines",
                       "-metadata", "WM/Track=4",
                       "-metadata", "WM/Year=2024",
                       "-metadata", "WM/Genre=Test",
                       "-metadata", "WM/Description=Just a tone"}
        << QStringList{"Tone", "Maker", "Sines", "4", "2024", "Test", "Just a tone"};
}

void TestWmaFile::ffmpegFiles()
{
    AUDREL_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    QFETCH(QStringList, options);
    QFETCH(QStringList, tags);

    const QString path = m_dir.filePath("ffmpeg.wma");
    QVERIFY(runTool("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=20"} +
                                  options + QStringList{"-c:a", "wmav2", path}));
    const QJsonObject reference = probeStream(path);

    TWMAfile wma;
    QVERIFY(wma.LoadFile(path));
    QVERIFY(wma.Valid);
    QCOMPARE(int(wma.Channels), reference.value("channels").toInt());
    QCOMPARE(wma.SampleRate, reference.value("sample_rate").toString().toInt());
    QCOMPARE(wma.BitRate * 1000, reference.value("bit_rate").toString().toInt());
    // The playing time is estimated from the file size, packet overhead
    // included, at the maximum bit rate: within 20 % at these rates.
    const double seconds = reference.value("format_duration").toString().toDouble();
    QVERIFY2(qAbs(wma.Duration - seconds) < seconds / 5,
             qPrintable(QStringLiteral("%1 s, ffprobe %2 s").arg(wma.Duration).arg(seconds)));
    QCOMPARE((QStringList{wma.Title, wma.Artist, wma.Album, QString::number(wma.Track), wma.Year, wma.Genre,
                          wma.Comment}),
             tags);
}

void TestWmaFile::thirdPartyFiles()
{
    const QString dir = testDataDir();
    if (dir.isEmpty()) QSKIP("the third-party samples are not available");
    TWMAfile wma;
    QVERIFY(wma.LoadFile(QDir(dir).filePath("wma/audioscan__wma92-32k.wma")));
    QVERIFY(wma.Valid);
    QCOMPARE((QStringList{wma.Title, wma.Artist, wma.Comment}),
             (QStringList{"Voice Test", "Author String", "Description String"}));
    QCOMPARE(wma.SampleRate, 22050);
    QCOMPARE(wma.BitRate, 32);

    QVERIFY(wma.LoadFile(QDir(dir).filePath("wma/audioscan__wma92-vbr.wma")));
    QCOMPARE(wma.SampleRate, 44100);
    QCOMPARE(int(wma.Channels), 2);

    // A text redirector with a .wma extension is read but not valid.
    QVERIFY(wma.LoadFile(QDir(dir).filePath("wma/totem__WMA9.1_98_quality_48khz_vbr_s.wma")));
    QVERIFY(!wma.Valid);
}
