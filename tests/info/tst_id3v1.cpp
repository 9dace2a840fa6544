#include "tst_id3v1.h"

#include "info/genres.h"
#include "info/mpegaudio.h"
#include "infotestutil.h"
#include "platform/errors.h"
#include "scriptedprompts.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

using namespace audrel;
using namespace audrel::test;

namespace {
QByteArray audio()
{
    QByteArray bytes;
    for (int i = 0; i < 3; ++i)
        bytes += mpegFrame(0xFFFB9000, 417);
    return bytes;
}
} // namespace

void TestId3v1::readsTag_data()
{
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QStringList>("texts"); // header, title, artist, album, year, comment
    QTest::addColumn<int>("track");
    QTest::addColumn<int>("genre");

    QTest::newRow("ID3v1.1 with track")
        << id3v1Tag("Track Title", "Artist Name", "Album Name", "2009", "A comment", 7, 17)
        << QStringList{"TAG", "Track Title", "Artist Name", "Album Name", "2009", "A comment"} << 7 << 17;
    // Without the zero at 125 the comment takes all 30 bytes, the last of them read as the track too.
    QTest::newRow("30-character comment")
        << id3v1Tag("t", "a", "b", "1999", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", '3', 255)
        << QStringList{"TAG", "t", "a", "b", "1999", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"} << int('3') << 255;
    QTest::newRow("blanks, zero bytes and Latin-1")
        << id3v1Tag("  lead and trail   ", QByteArray("cut\0after", 9), QByteArray("Caf\xE9 \0 x", 9),
                    QByteArray("19\0\0", 4), "", 0, 0)
        << QStringList{"TAG", "  lead and trail", "cut", "Caf\u00e9", QString::fromLatin1("19\0\0", 4), ""}
        << 0 << 0;
    QByteArray lower = id3v1Tag("Title", "Artist", "Album", "2000", "", 1, 2);
    lower.replace(0, 3, "tag");
    QTest::newRow("lower-case marker")
        << lower << QStringList{"BAD", "tagged.mp3", "[notag]", "[notag]", "    ", "[notag]"} << 0 << 255;
}

void TestId3v1::readsTag()
{
    QFETCH(QByteArray, tag);
    QFETCH(QStringList, texts);
    QFETCH(int, track);
    QFETCH(int, genre);

    const QString path = m_dir.filePath("tagged.mp3");
    writeFile(path, audio() + tag);
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(path);
    QVERIFY(mpeg.IsValid());
    const TMPEGInfo& d = mpeg.Data;
    QCOMPARE((QStringList{d.Header, d.Title, d.Artist, d.Album, d.Year, d.Comment}), texts);
    QCOMPARE(int(d.Track), track);
    QCOMPARE(int(d.Genre), genre);
    QCOMPARE(mpeg.HasTag(), texts[0] == "TAG");
    QCOMPARE(mpeg.TitleOrDefault(), mpeg.HasTag() ? texts[1] : QStringLiteral("Unknown Title"));
    QCOMPARE(mpeg.ArtistOrDefault(), mpeg.HasTag() ? texts[2] : QStringLiteral("Unknown Artist"));
}

void TestId3v1::writeReadRemove()
{
    const QString path = m_dir.filePath("write.mp3");
    const QByteArray original = audio();
    writeFile(path, original);

    ScriptedPrompts prompts;
    TMPEGAudio mpeg;
    mpeg.LoadFile(path);
    QVERIFY(!mpeg.HasTag());
    mpeg.setTitle("A title that is longer than thirty characters");
    mpeg.setArtist("Artist");
    mpeg.setAlbum("Album");
    mpeg.setYear("20245");
    mpeg.setComment("Comment");
    mpeg.setGenre(17);
    mpeg.setTrack(9);
    QCOMPARE(mpeg.Data.Title, QStringLiteral("A title that is longer than th"));
    QCOMPARE(mpeg.WriteTag(), 0);
    QCOMPARE(QFileInfo(path).size(), original.size() + 128);
    QCOMPARE(readFile(path).left(original.size()), original);
    QVERIFY(mpeg.HasTag());
    QCOMPARE(mpeg.Data.Title, QStringLiteral("A title that is longer than th"));
    QCOMPARE(mpeg.Data.Year, QStringLiteral("2024"));
    QCOMPARE(mpeg.Data.Comment, QStringLiteral("Comment"));
    QCOMPARE(mpeg.Data.Track, uint8_t(9));
    QCOMPARE(mpeg.Data.Genre, uint8_t(17));
    const QByteArray tagged = readFile(path);
    QCOMPARE(tagged.right(128),
             id3v1Tag("A title that is longer than th", "Artist", "Album", "2024", "Comment", 9, 17));

    // Writing again replaces the tag: same size, only the last 128 bytes differ.
    mpeg.setArtist("Other");
    QCOMPARE(mpeg.WriteTag(), 0);
    const QByteArray retagged = readFile(path);
    QCOMPARE(retagged.size(), tagged.size());
    QCOMPARE(retagged.left(original.size()), original);
    QCOMPARE(mpeg.Data.Artist, QStringLiteral("Other"));

    QCOMPARE(mpeg.RemoveTag(), 0);
    QCOMPARE(readFile(path), original);
    QVERIFY(!mpeg.HasTag());
    QCOMPARE(mpeg.Data.Title, QStringLiteral("write.mp3"));
    // Removing from a file without tag changes nothing.
    QCOMPARE(mpeg.RemoveTag(), 0);
    QCOMPARE(readFile(path), original);
    QVERIFY(prompts.messages.isEmpty());
}

void TestId3v1::textsRoundTrip_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("track");
    QTest::addColumn<QString>("readComment");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("readTitle");

    const QString thirty = QStringLiteral("123456789012345678901234567890");
    QTest::newRow("30 characters, track 0") << thirty << 0 << thirty.left(29) << "  leading"
                                            << "  leading";
    QTest::newRow("30 characters, track 5") << thirty << 5 << thirty.left(29) + QChar(5) << "trailing  "
                                            << "trailing";
    QTest::newRow("outside ISO-8859-1") << "\u20ac \U0001F600 \u00e9" << 0 << "? ? \u00e9"
                                        << "\u00c5ngstr\u00f6m \u4e2d"
                                        << "\u00c5ngstr\u00f6m ?";
}

void TestId3v1::textsRoundTrip()
{
    QFETCH(QString, comment);
    QFETCH(int, track);
    QFETCH(QString, readComment);
    QFETCH(QString, title);
    QFETCH(QString, readTitle);

    const QString path = m_dir.filePath("roundtrip.mp3");
    writeFile(path, audio());
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(path);
    mpeg.setComment(comment);
    mpeg.setTitle(title);
    mpeg.setTrack(uint8_t(track));
    QCOMPARE(mpeg.WriteTag(), 0);
    QCOMPARE(mpeg.Data.Comment, readComment);
    QCOMPARE(mpeg.Data.Title, readTitle);
    QCOMPARE(int(mpeg.Data.Track), track);
    // The untouched fields of a file without tag are written as they were read.
    QCOMPARE(mpeg.Data.Year, QStringLiteral("    "));
    QCOMPARE(mpeg.Data.Album, QStringLiteral("[notag]"));
    QCOMPARE(mpeg.Data.Genre, uint8_t(255));
    QCOMPARE(readFile(path).right(128).mid(93, 4), QByteArray("    "));
}

void TestId3v1::writesNeverLoseTheFile()
{
    ScriptedPrompts prompts;
    // A path far longer than 255 characters is used whole, never cut.
    QString folder = m_dir.path();
    while (folder.size() < 300)
        folder += "/a-folder-with-a-rather-long-name";
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/deep.mp3";
    const QByteArray original = audio();
    writeFile(path, original);
    TMPEGAudio mpeg;
    mpeg.LoadFile(path);
    QVERIFY(mpeg.IsValid());
    QCOMPARE(mpeg.Data.FileName, path);
    mpeg.setTitle("Deep");
    QCOMPARE(mpeg.WriteTag(), 0);
    QCOMPARE(readFile(path).right(128).mid(3, 4), QByteArray("Deep"));

    // A write that fails leaves the file exactly as it was, tagged or not. A
    // file size limit makes the writes fail: the append of a new tag, and the
    // last byte of a tag rewritten in place.
    const QString bare = m_dir.filePath("bare.mp3");
    writeFile(bare, original);
    const QByteArray tagged = readFile(path);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto writeLimited = [&](const QString& file, qint64 limit) {
        rlimit lowered = saved;
        lowered.rlim_cur = rlim_t(limit);
        if (setrlimit(RLIMIT_FSIZE, &lowered) != 0) return false;
        TMPEGAudio writer;
        writer.LoadFile(file);
        writer.setTitle("Never");
        bool raised = false;
        try {
            writer.WriteTag();
        } catch (const EFileError& error) {
            raised = error.message().contains(file);
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        return raised;
    };
    QVERIFY(writeLimited(bare, original.size()));
    QVERIFY(writeLimited(path, tagged.size() - 1));
    std::signal(SIGXFSZ, previous);
    QCOMPARE(readFile(bare), original);
    QCOMPARE(readFile(path), tagged);
    QVERIFY(prompts.messages.isEmpty());
}

void TestId3v1::smallAndMissingFiles()
{
    ScriptedPrompts prompts;
    prompts.messageAnswers.append(QList<int>{IdCancel, IdCancel, IdCancel, IdCancel});
    TMPEGAudio mpeg;
    mpeg.Data.FileName = m_dir.filePath("missing.mp3");
    QCOMPARE(mpeg.WriteTag(), -1);
    QCOMPARE(mpeg.RemoveTag(), -1);
    QVERIFY(!QFile::exists(m_dir.filePath("missing.mp3")));
    QVERIFY(prompts.messages.isEmpty());

    // A file of 128 bytes or less: nothing to remove, a tag is appended; the
    // analysis after each operation shows the error prompt (no MPEG frames).
    const QString path = m_dir.filePath("small.mp3");
    const QByteArray small = "TAG" + QByteArray(125, 'x');
    writeFile(path, small);
    mpeg.Data.FileName = path;
    QCOMPARE(mpeg.RemoveTag(), 0);
    QCOMPARE(readFile(path), small);
    QCOMPARE(prompts.messages.size(), 1);
    mpeg.setTitle("t");
    QCOMPARE(mpeg.WriteTag(), 0);
    QCOMPARE(readFile(path).size(), 256);
    QCOMPARE(prompts.messages.size(), 2);
}

void TestId3v1::genreTable()
{
    QCOMPARE(GenreCount, 126);
    QCOMPARE(GenreName(0), QStringLiteral("Blues"));
    QCOMPARE(GenreName(17), QStringLiteral("Rock"));
    QCOMPARE(GenreName(67), QStringLiteral("Psychadelic"));
    QCOMPARE(GenreName(79), QStringLiteral("Hard Rock"));
    QCOMPARE(GenreName(80), QStringLiteral("Folk"));
    QCOMPARE(GenreName(92), QStringLiteral("Progessive Rock"));
    QCOMPARE(GenreName(123), QStringLiteral("A capella"));
    QCOMPARE(GenreName(125), QStringLiteral("Dance Hall"));
    QCOMPARE(GenreName(126), QString());
    QCOMPARE(GenreName(255), QString());
}
