// Runs the built audrel-cli on generated files.

#include "testmain.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(AUDREL_CLI_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool tool(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(name), arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void usage();
    void infoReportsEveryReadableFile();
    void tagWritesAndRemoves();

private:
    QTemporaryDir m_dir;
};

void TestCli::usage()
{
    Run run = runCli({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains("info"));
    run = runCli({"info", "--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("Usage: audrel-cli info FILE..."));
    QVERIFY(run.out.contains(".wma"));

    for (const QStringList& wrong :
         {QStringList{}, QStringList{"info"}, QStringList{"frobnicate", "x.mp3"}}) {
        run = runCli(wrong);
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(!run.err.isEmpty());
    }
    QVERIFY(run.err.contains("unknown command \"frobnicate\""));
}

void TestCli::infoReportsEveryReadableFile()
{
    for (const char* name : {"sox", "lame", "ffmpeg"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            QSKIP("a reference tool is not installed");
    }
    const QString wav = m_dir.filePath("tone.wav");
    const QString mp3 = m_dir.filePath("TONE.MP3");
    const QString wma = m_dir.filePath("tone.wma");
    QVERIFY(tool("sox", {"-n", "-r", "22050", "-c", "2", "-b", "16", wav, "synth", "2.5", "sine", "440"}));
    QVERIFY(tool("lame", {"--quiet", "-b", "64", "--id3v1-only", "--tt", "Cli Title", "--ta", "Cli Artist",
                          "--tl", "Cli Album", "--ty", "2024", "--tn", "7", "--tg", "Rock", wav, mp3}));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "wmav2", "-b:a", "64k", wma}));
    const QString missing = m_dir.filePath("missing.mp3");
    const QString junkMp3 = m_dir.filePath("junk.mp3");
    const QString junkWav = m_dir.filePath("junk.wav");
    const QString text = m_dir.filePath("notes.txt");
    audrel::test::writeFile(junkMp3, QByteArray(5000, 'j'));
    audrel::test::writeFile(junkWav, "RIFF" + QByteArray(60, '\0'));
    audrel::test::writeFile(text, "not audio");

    const Run run = runCli({"info", missing, wav, junkMp3, mp3, junkWav, text, wma});
    QCOMPARE(run.status, 1);

    // Every failure names its file on standard error, in order.
    const QStringList errors = run.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errors.size(), 4);
    QVERIFY(errors[0].contains(missing + ": file not found"));
    QVERIFY(errors[1].contains(junkMp3 + ": no MPEG audio found"));
    QVERIFY(errors[2].contains(junkWav + ": not a one- or two-channel RIFF WAVE file"));
    QVERIFY(errors[3].contains(text + ": unsupported file type"));

    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    const qsizetype wavAt = lines.indexOf(wav);
    const qsizetype mp3At = lines.indexOf(mp3);
    const qsizetype wmaAt = lines.indexOf(wma);
    QVERIFY(wavAt == 0 && mp3At > wavAt && wmaAt > mp3At);
    QCOMPARE(lines.mid(wavAt + 1, mp3At - wavAt - 1),
             (QStringList{"  Format: Windows PCM", "  Channel mode: Stereo", "  Sample rate: 22050 hz",
                          "  Bytes per second: 88200 bytes", "  Bits per sample: 16 bit",
                          "  Duration: 2.500 sec.", "  File Size: 220544 bytes"}));
    const QStringList mpeg = lines.mid(mp3At + 1, wmaAt - mp3At - 1);
    QCOMPARE(mpeg.size(), 17);
    QCOMPARE(mpeg[2], QStringLiteral("  Version: Mpeg 2.0 Layer III"));
    QVERIFY(mpeg[3].startsWith("  64kbit, "));
    QCOMPARE(mpeg[4], QStringLiteral("  22050Hz, Joint-Stereo"));
    QCOMPARE(mpeg.mid(9), (QStringList{"  ID3v1 Tag: Yes", "  Title: Cli Title", "  Artist: Cli Artist",
                                       "  Album: Cli Album", "  Year: 2024", "  Comment: ", "  Track: 7",
                                       "  Genre: Rock"}));
    QCOMPARE(lines.mid(wmaAt + 1, 4), (QStringList{"  Format: Windows Media Audio", "  Channel mode: Stereo",
                                                   "  Sample rate: 22050 hz", "  Bit Rate: 64 kb/s"}));
}

void TestCli::tagWritesAndRemoves()
{
    // 50 frames of MPEG 1 Layer III at 128 kbit/s, 44 100 Hz.
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    const QString mp3 = m_dir.filePath("tag-me.mp3");
    audrel::test::writeFile(mp3, frame.repeated(50));

    Run run = runCli({"tag", mp3, "--title", "A Title", "--genre", "hard rock", "--track", "7", "--year", "2024"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains("Title: A Title"));
    QVERIFY(run.out.contains("Genre: Hard Rock"));
    QByteArray tag = audrel::test::readFile(mp3).right(128);
    QCOMPARE(tag.left(3), QByteArray("TAG"));
    QCOMPARE(tag.mid(3, 7), QByteArray("A Title"));
    QCOMPARE(tag.mid(93, 4), QByteArray("2024"));
    QCOMPARE(uint8_t(tag[126]), uint8_t(7));
    QCOMPARE(uint8_t(tag[127]), uint8_t(79));

    // Fields not given keep their values; a second write replaces the tag.
    run = runCli({"tag", mp3, "--artist", "Someone", "--genre", "17"});
    QCOMPARE(run.status, 0);
    QCOMPARE(QFileInfo(mp3).size(), 417 * 50 + 128);
    tag = audrel::test::readFile(mp3).right(128);
    QCOMPARE(tag.mid(3, 7), QByteArray("A Title"));
    QCOMPARE(tag.mid(33, 7), QByteArray("Someone"));
    QCOMPARE(uint8_t(tag[127]), uint8_t(17));

    run = runCli({"tag", mp3, "--remove"});
    QCOMPARE(run.status, 0);
    QCOMPARE(QFileInfo(mp3).size(), 417 * 50);

    // Usage errors and files that are not MPEG audio change nothing.
    QCOMPARE(runCli({"tag", mp3, "--genre", "Nonsense"}).status, 2);
    QCOMPARE(runCli({"tag", mp3, "--track", "256"}).status, 2);
    QCOMPARE(runCli({"tag", mp3}).status, 2);
    const QString text = m_dir.filePath("notes.mp3");
    audrel::test::writeFile(text, QByteArray(4000, 'n'));
    run = runCli({"tag", text, "--title", "x"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains("no MPEG audio found"));
    QCOMPARE(QFileInfo(text).size(), 4000);
}

AUDREL_CORE_TEST_MAIN(TestCli)

#include "tst_cli.moc"
