#include "tst_audiotags.h"

#include "info/audiotags.h"
#include "infotestutil.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

using namespace audrel;
using namespace audrel::test;

namespace {

const QString Title = QStringLiteral("𝄞 Ťitle 日本語");

// The samples ffmpeg decodes from a file, to show its audio was left alone.
QByteArray decoded(const QString& path)
{
    return toolOutput("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "s16le", "-"});
}

// The files made here seed the tags' fuzz target.
constexpr char kSeeds[] = "AUDREL_TAG_SEEDS";

} // namespace

void TestAudioTags::initTestCase()
{
    AUDREL_REQUIRE_TOOLS("ffmpeg", "ffprobe");
    const QString cover = m_dir.filePath("cover.png");
    QVERIFY(runTool("ffmpeg",
                    {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=32x32", "-frames:v", "1", cover}));
    m_cover = readFile(cover);
}

void TestAudioTags::carried_data()
{
    QTest::addColumn<QStringList>("encoder");
    QTest::addColumn<QString>("holds");      // "rw", "read" or "none"
    QTest::addColumn<bool>("trackTotal");    // the result keeps the track total
    QTest::addColumn<bool>("ffmpegCover");   // ffmpeg attaches a cover to a source of this kind
    QTest::addColumn<QStringList>("probed"); // what ffprobe shows beyond title, artist, album, genre, comment
    const QStringList albumArtist{"album_artist=Album Ártist", "copyright=© 2021 Someone"};
    const QStringList pairs = albumArtist + QStringList{"date=2021", "track=3/12", "disc=1/2"};
    const QStringList xiph =
        albumArtist + QStringList{"date=2021", "track=3", "tracktotal=12", "disc=1", "disctotal=2"};
    QTest::newRow("a.mp3") << QStringList{"-c:a", "libmp3lame"} << "rw" << true << true << pairs;
    // ffprobe shows INFO, whose track stands alone; the ID3v2 chunk holds the rest.
    QTest::newRow("a.wav") << QStringList{"-c:a", "pcm_s16le"} << "rw" << true << false
                           << QStringList{"date=2021", "track=3"};
    QTest::newRow("a.flac") << QStringList{"-c:a", "flac"} << "rw" << true << true << xiph;
    QTest::newRow("a.ogg") << QStringList{"-c:a", "libvorbis"} << "rw" << true << false << xiph;
    QTest::newRow("a.opus") << QStringList{"-c:a", "libopus"} << "rw" << true << false << xiph;
    QTest::newRow("aac.m4a") << QStringList{"-c:a", "aac"} << "rw" << true << true << pairs;
    QTest::newRow("alac.m4a") << QStringList{"-c:a", "alac"} << "rw" << true << true << pairs;
    QTest::newRow("a.wma") << QStringList{"-c:a", "wmav2"} << "rw" << false << false
                           << albumArtist + QStringList{"wm/year=2021", "track=3", "disc=1/2"};
    // TagLib reads the ID3v2 chunk of an AIFF file (not its NAME and AUTH chunks).
    QTest::newRow("a.aiff") << QStringList{"-c:a", "pcm_s16be", "-write_id3v2", "1"} << "rw" << true << false
                            << pairs;
    QTest::newRow("a.wv") << QStringList{"-c:a", "wavpack"} << "rw" << true << false
                          << QStringList{"album artist=Album Ártist", "copyright=© 2021 Someone", "year=2021",
                                         "track=3/12", "disc=1/2"};
    QTest::newRow("a.oga") << QStringList{"-c:a", "flac"} << "read" << true << false << QStringList();
    QTest::newRow("a.mka") << QStringList{"-c:a", "flac"} << "none" << false << false << QStringList();
}

// Every field and the cover, in text beyond ISO-8859-1, go into a fresh file of
// each kind and come back, as TagLib, ffprobe and ffmpeg see them; a source
// tagged by ffmpeg is read.
void TestAudioTags::carried()
{
    QFETCH(QStringList, encoder);
    QFETCH(QString, holds);
    QFETCH(bool, trackTotal);
    QFETCH(bool, ffmpegCover);
    QFETCH(QStringList, probed);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QStringList tone{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=d=0.3"};

    const QString source = m_dir.filePath("source-" + name);
    const QStringList picture{"-i",
                              m_dir.filePath("cover.png"),
                              "-map",
                              "0:a",
                              "-map",
                              "1:v",
                              "-c:v",
                              "copy",
                              "-disposition:v",
                              "attached_pic"};
    QVERIFY(runTool("ffmpeg", tone + (ffmpegCover ? picture : QStringList()) +
                                  QStringList{"-metadata", "title=" + Title, "-metadata", "track=3/12"} +
                                  encoder + QStringList{source}));
    keepAsSeed(source, kSeeds);
    const WriteWatch watch(source);
    const AudioTags read = ReadTags(source);
    (void)ReadId3v2(source);
    QVERIFY2(!watch.sawWrite(), "a source read for its tags was opened for writing");
    QCOMPARE(read.Title, holds == "none" ? QString() : Title);
    QCOMPARE(read.Track, holds == "none" ? 0u : 3u);
    QCOMPARE(read.Cover, ffmpegCover ? m_cover : QByteArray());

    const QString path = m_dir.filePath(name);
    QVERIFY(runTool("ffmpeg", tone + QStringList{"-map_metadata", "-1", "-fflags", "+bitexact"} + encoder +
                                  QStringList{path}));
    const QByteArray fresh = readFile(path);
    const QByteArray audio = decoded(path);
    AudioTags tags;
    tags.Title = Title;
    tags.Artist = QStringLiteral("Ártist 😀");
    tags.Album = QStringLiteral("Album");
    tags.AlbumArtist = QStringLiteral("Album Ártist");
    tags.Year = QStringLiteral("2021");
    tags.Comment = QStringLiteral("A comment");
    tags.Genre = QStringLiteral("Jazz");
    tags.Copyright = QStringLiteral("© 2021 Someone");
    tags.Track = 3;
    tags.TrackTotal = 12;
    tags.Disc = 1;
    tags.DiscTotal = 2;
    tags.Cover = m_cover;
    tags.CoverMime = QStringLiteral("image/png");
    const QString problem = WriteTags(path, tags, ContainerOf(path));
    if (holds != "rw") {
        // Nothing is written: a kind without tags says nothing, one TagLib would damage says so.
        QCOMPARE(problem.isEmpty(), holds == "none");
        QCOMPARE(readFile(path), fresh);
        return;
    }
    QCOMPARE(problem, QString());
    QVERIFY(readFile(path) != fresh);
    QCOMPARE(decoded(path), audio);

    AudioTags expected = tags;
    if (!trackTotal) expected.TrackTotal = 0;
    const AudioTags back = ReadTags(path);
    QCOMPARE(back.Title, Title);
    QVERIFY(back == expected);

    const QMap<QString, QString> shown = probeTags(path);
    for (const char* key : {"title", "artist", "album", "genre", "comment"})
        QVERIFY2(!shown.value(key).isEmpty(), key);
    QCOMPARE(shown.value("title"), Title);
    QCOMPARE(shown.value("artist"), tags.Artist);
    for (const QString& entry : probed)
        QCOMPARE(entry.section('=', 0, 0) + '=' + shown.value(entry.section('=', 0, 0)), entry);
    QCOMPARE(attachedPicture(path), m_cover);

    const TagLib::FileRef file(QFile::encodeName(path).constData());
    QVERIFY(!file.isNull());
    const TagLib::PropertyMap properties = file.file()->properties();
    QCOMPARE(QString::fromStdString(properties["TITLE"].toString().to8Bit(true)), Title);
    QCOMPARE(QString::fromStdString(properties["ALBUM"].toString().to8Bit(true)), tags.Album);
    keepAsSeed(path, kSeeds);
}
