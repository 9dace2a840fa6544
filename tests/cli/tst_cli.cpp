// Runs the built audrel-cli on generated files.

#include "audiotools.h"
#include "convert/destinationfile.h"
#include "testmain.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

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
    return audrel::test::runTool(name, arguments);
}

using audrel::test::probe;

bool haveTools(const QStringList& names)
{
    return std::all_of(names.begin(), names.end(),
                       [](const QString& name) { return audrel::test::haveTool(name); });
}

// The bytes of the "data" chunk of a RIFF WAVE file, found by walking its chunks.
QByteArray dataChunk(const QString& path)
{
    const QByteArray bytes = audrel::test::readFile(path);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return {};
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const quint32 size = quint8(bytes[at + 4]) | quint8(bytes[at + 5]) << 8 |
                             quint8(bytes[at + 6]) << 16 | quint32(quint8(bytes[at + 7])) << 24;
        if (bytes.mid(at, 4) == "data") return bytes.mid(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return {};
}

// The contents of files, to show that a run left them as they were.
QMap<QString, QByteArray> snapshot(const QStringList& paths)
{
    QMap<QString, QByteArray> contents;
    for (const QString& path : paths)
        contents.insert(path, audrel::test::readFile(path));
    return contents;
}

bool unchanged(const QMap<QString, QByteArray>& before)
{
    for (auto it = before.begin(); it != before.end(); ++it)
        if (audrel::test::readFile(it.key()) != it.value()) return false;
    return true;
}

// The names in a folder, sorted.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Writes an options file of the given [Encode] and [General] lines.
QString optionsFile(const QString& path, const QString& encode, const QString& general = {})
{
    audrel::test::writeFile(path, ("[General]\n" + general + "[Encode]\n" + encode).toUtf8());
    return path;
}

// Whether the first MPEG frame of a file (it starts the file) carries a CRC.
bool firstFrameProtected(const QString& path)
{
    const QByteArray bytes = audrel::test::readFile(path);
    return bytes.size() > 4 && quint8(bytes[0]) == 0xFF && (quint8(bytes[1]) & 0xE0) == 0xE0 &&
           (quint8(bytes[1]) & 0x01) == 0;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void usage();
    void infoReportsEveryReadableFile();
    void tagWritesAndRemoves();
    void convertUsageErrors();
    void convertToMp3FollowsTheSettings();
    void convertToWavHoldsTheDecodedSamples();
    void convertTakesPlaylistEntries();
    void convertKeepsExistingDestinations();
    void convertReportsBadFilesAndGoesOn();
    void convertWithoutThePlayerLibrary();
    void hostilePathsAndNames();
    void convertToWmaAndBack();
    void foldersInParallel();
    void tagsTravel();
    void tagText_data();
    void tagText();
    void anyFormatToEveryFormat();

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
    QVERIFY(run.out.startsWith("Usage: audrel-cli info [--json] FILE..."));
    QVERIFY(run.out.contains(".wma"));
    run = runCli({"--version"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("audrel-cli %1\n").arg(AUDREL_VERSION));

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

    Run run =
        runCli({"tag", mp3, "--title", "A Title", "--genre", "hard rock", "--track", "7", "--year", "2024"});
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

void TestCli::convertUsageErrors()
{
    Run run = runCli({"--help"});
    QVERIFY(run.out.contains("convert"));
    run = runCli({"convert", "--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("Usage: audrel-cli convert --to mp3|wma|wav"));
    QVERIFY(run.out.contains("--overwrite"));

    QTemporaryDir dir;
    const QString wav = dir.filePath("usage.wav");
    QVERIFY(tool("sox", {"-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth", "0.2", "sine", "440"}));
    const QString options = optionsFile(dir.filePath("Options.ini"), {});
    const QStringList wrong[] = {
        {"convert"},
        {"convert", wav},
        {"convert", "--to", "aiff", wav},
        {"convert", "--to", "mp3"},
        {"convert", "--to"},
        {"convert", "--to", "mp3", "--fast", wav},
        {"convert", "--to", "mp3", "--overwrite=yes", wav},
        {"convert", "--to", "mp3", "--options", dir.filePath("missing.ini"), wav},
        {"convert", "--to", "mp3", "--options", options, "--dest"},
    };
    for (const QStringList& arguments : wrong) {
        run = runCli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith("audrel-cli convert: "), qPrintable(run.err));
    }
    QVERIFY2(run.err.contains("'--dest'"), qPrintable(run.err));
    QCOMPARE(entries(dir.path()), (QStringList{"Options.ini", "usage.wav"}));
}

void TestCli::convertToMp3FollowsTheSettings()
{
    if (!haveTools({"sox", "ffprobe"})) QSKIP("sox or ffprobe is not installed");
    QTemporaryDir dir;
    const QString stereo = dir.filePath("stereo16.wav");
    const QString mono = dir.filePath("mono8.wav");
    QVERIFY(tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", stereo, "synth", "3", "sine", "440",
                         "sine", "660"}));
    QVERIFY(tool("sox", {"-n", "-r", "22050", "-c", "1", "-b", "8", mono, "synth", "2", "sine", "300"}));
    const auto sources = snapshot({stereo, mono});

    struct Case
    {
        const char* name;
        QString encode;
        int rate[2]; // of the stereo file, then of the mono file
        int channels[2];
        int bitrate;
        bool crc;
    };
    const Case cases[] = {
        // The defaults: 44 100 Hz stereo at 128 kbit/s with CRC, whatever the source.
        {"defaults", {}, {44100, 44100}, {2, 2}, 128000, true},
        // Auto Select: each source's own rate and channels (at a bit rate for
        // which the encoder keeps both rates).
        {"auto", "SampleRate=0\nBitrate=128\nCRC=0\n", {44100, 22050}, {2, 1}, 128000, false},
        {"fixed", "SampleRate=48000\nMode=3\nBitrate=192\n", {48000, 48000}, {1, 1}, 192000, true},
    };
    for (const Case& c : cases) {
        const QString out = dir.filePath(c.name);
        QVERIFY(QDir().mkpath(out));
        // Options files of any name, and one named as beside the program.
        QVERIFY(QDir().mkpath(dir.filePath("options")));
        const QString options =
            optionsFile(QString(c.name) == "fixed" ? dir.filePath("options/Options.ini")
                                                   : dir.filePath(QString(c.name) + ".ini"),
                        c.encode);
        const Run run = runCli({"convert", "--to", "mp3", "--options", options, "--dest", out, stereo, mono});
        QVERIFY2(run.status == 0, qPrintable(c.name + (": " + run.err)));
        QCOMPARE(entries(out), (QStringList{"mono8.mp3", "stereo16.mp3"}));
        const QString results[] = {out + "/stereo16.mp3", out + "/mono8.mp3"};
        const double seconds[] = {3.0, 2.0};
        for (int i = 0; i < 2; ++i) {
            const auto fields = probe(results[i]);
            QVERIFY2(fields.codec == "mp3", qPrintable(results[i]));
            QCOMPARE(fields.rate, c.rate[i]);
            QCOMPARE(fields.channels, c.channels[i]);
            QCOMPARE(fields.bitRate, c.bitrate);
            // Every sample is there; what is added is the encoder's delay and the
            // padding of the last frame, which a file without an Info frame keeps:
            // less than three frames (1152 samples each at 32 kHz and up, else 576).
            const double duration = fields.seconds;
            const double frame = (c.rate[i] >= 32000 ? 1152.0 : 576.0) / c.rate[i];
            QVERIFY2(duration >= seconds[i] - 0.001 && duration <= seconds[i] + 3 * frame,
                     qPrintable(QStringLiteral("%1: %2 s").arg(results[i]).arg(duration)));
            QCOMPARE(firstFrameProtected(results[i]), c.crc);
        }
    }
    QVERIFY(unchanged(sources));
}

void TestCli::convertToWavHoldsTheDecodedSamples()
{
    if (!haveTools({"sox", "lame", "mpg123", "ffprobe"})) QSKIP("a reference tool is not installed");
    QTemporaryDir dir;
    const QString music = dir.filePath("music.wav");
    const QString speech = dir.filePath("speech.wav");
    QVERIFY(tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", music, "synth", "4", "sine", "220",
                         "pinknoise", "remix", "1", "2", "gain", "-6"}));
    QVERIFY(tool("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", speech, "synth", "1.5", "sine", "500"}));
    const QString mp3s[] = {dir.filePath("music.mp3"), dir.filePath("speech.mp2")};
    QVERIFY(tool("lame", {"--quiet", "-b", "160", music, mp3s[0]}));
    QVERIFY(tool("lame", {"--quiet", "-V", "5", speech, mp3s[1]}));
    const auto sources = snapshot({mp3s[0], mp3s[1]});
    const QString out = dir.filePath("out");
    QVERIFY(QDir().mkpath(out));

    const Run run = runCli({"convert", "--to", "wav", "--options", optionsFile(dir.filePath("o.ini"), {}),
                            "--dest", out, mp3s[0], mp3s[1]});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(entries(out), (QStringList{"music.wav", "speech.wav"}));
    const struct
    {
        QString result;
        int rate;
        int channels;
    } expected[] = {{out + "/music.wav", 44100, 2}, {out + "/speech.wav", 22050, 1}};
    for (int i = 0; i < 2; ++i) {
        const auto fields = probe(expected[i].result);
        QCOMPARE(fields.codec, QStringLiteral("pcm_s16le"));
        QCOMPARE(fields.rate, expected[i].rate);
        QCOMPARE(fields.channels, expected[i].channels);
        const QString reference = dir.filePath(QString("mpg123-%1.wav").arg(i));
        QVERIFY(tool("mpg123", {"-q", "-w", reference, mp3s[i]}));
        const QByteArray ours = dataChunk(expected[i].result);
        QVERIFY(!ours.isEmpty());
        QVERIFY(ours == dataChunk(reference));
    }
    QVERIFY(unchanged(sources));
}

void TestCli::convertTakesPlaylistEntries()
{
    if (!haveTools({"sox", "ffprobe"})) QSKIP("sox or ffprobe is not installed");
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("music/sub")));
    const QString one = dir.filePath("music/one.wav");
    const QString two = dir.filePath("music/sub/two.wav");
    const QString three = dir.filePath("three.wav");
    for (const QString& wav : {one, two, three})
        QVERIFY(
            tool("sox", {"-n", "-r", "16000", "-c", "1", "-b", "16", wav, "synth", "0.5", "sine", "440"}));
    audrel::test::writeFile(dir.filePath("music/skipped.txt"), QByteArray(100, 'x'));
    // Relative entries are taken from the playlist's folder; entries of another
    // kind are left out, and a file named twice is converted once.
    const QString m3u = dir.filePath("music/list.m3u");
    audrel::test::writeFile(m3u, "#EXTM3U\r\none.wav\r\n\r\nskipped.txt\r\nsub/two.wav\r\n");
    const QString pls = dir.filePath("list.pls");
    audrel::test::writeFile(
        pls, ("[playlist]\nNumberOfEntries=2\nFile1=" + three + "\nFile2=music/one.wav\n").toUtf8());
    const QString out = dir.filePath("out");
    QVERIFY(QDir().mkpath(out));
    const QString options = optionsFile(dir.filePath("o.ini"), {});

    Run run = runCli({"convert", "--to", "mp3", "--options", options, "--dest", out, m3u, pls, one});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("3 converted, 0 skipped, 0 failed\n"));
    QCOMPARE(entries(out), (QStringList{"one.mp3", "three.mp3", "two.mp3"}));
    for (const QString& name : entries(out))
        QCOMPARE(probe(out + "/" + name).codec, QStringLiteral("mp3"));

    // Without --dest the settings place the results: here beside their sources.
    run = runCli({"convert", "--to", "mp3", "--options",
                  optionsFile(dir.filePath("same.ini"), {}, "SameFolder=1\n"), m3u});
    QCOMPARE(run.status, 0);
    QVERIFY(QFileInfo::exists(dir.filePath("music/one.mp3")));
    QVERIFY(QFileInfo::exists(dir.filePath("music/sub/two.mp3")));

    // A missing entry and a playlist that cannot be read are reported; the rest is converted.
    audrel::test::writeFile(m3u, "one.wav\ngone.wav\n");
    const QString out2 = dir.filePath("out2");
    QVERIFY(QDir().mkpath(out2));
    run = runCli(
        {"convert", "--to", "mp3", "--options", options, "--dest", out2, m3u, dir.filePath("none.pls")});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(dir.filePath("music/gone.wav") + ": file not found (an entry of " + m3u + ")"),
             qPrintable(run.err));
    QVERIFY(run.err.contains(dir.filePath("none.pls") + ": Cannot open file"));
    QCOMPARE(entries(out2), QStringList{"one.mp3"});
}

void TestCli::convertKeepsExistingDestinations()
{
    if (!haveTools({"sox", "lame", "ffprobe"})) QSKIP("a reference tool is not installed");
    QTemporaryDir dir;
    const QString wav = dir.filePath("song.wav");
    const QString mp3 = dir.filePath("track.mp3");
    QVERIFY(tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "1", "sine", "440"}));
    QVERIFY(tool("lame", {"--quiet", "-b", "96", wav, mp3}));
    const auto sources = snapshot({wav, mp3});
    const QString options = optionsFile(dir.filePath("o.ini"), {}, "SameFolder=1\n");
    const QString oldMp3 = dir.filePath("song.mp3");
    const QString oldWav = dir.filePath("track.wav");
    audrel::test::writeFile(oldMp3, "an older song.mp3");
    audrel::test::writeFile(oldWav, "an older track.wav");

    Run run = runCli({"convert", "--to", "mp3", "--options", options, wav});
    QCOMPARE(run.status, 0);
    QVERIFY(run.err.contains(oldMp3 + " exists, skipped (use --overwrite)"));
    QCOMPARE(audrel::test::readFile(oldMp3), QByteArray("an older song.mp3"));
    run = runCli({"convert", "--to", "wav", "--options", options, mp3});
    QCOMPARE(run.status, 0);
    QVERIFY(run.err.contains(oldWav + " exists, skipped (use --overwrite)"));
    QCOMPARE(audrel::test::readFile(oldWav), QByteArray("an older track.wav"));

    QCOMPARE(runCli({"convert", "--to", "mp3", "--overwrite", "--options", options, wav}).status, 0);
    QCOMPARE(probe(oldMp3).codec, QStringLiteral("mp3"));
    QCOMPARE(runCli({"convert", "--to", "wav", "--overwrite", "--options", options, mp3}).status, 0);
    QCOMPARE(probe(oldWav).codec, QStringLiteral("pcm_s16le"));

    // A destination that is the source itself (through a link) is refused.
    QVERIFY(QFile::remove(oldWav));
    QVERIFY(QFile::link(mp3, oldWav));
    run = runCli({"convert", "--to", "wav", "--overwrite", "--options", options, mp3});
    QCOMPARE(run.status, 1);
    QVERIFY2(
        run.err.contains("Cannot convert \"" + mp3 + "\" into \"" + oldWav + "\": they are the same file."),
        qPrintable(run.err));

    // A destination folder that does not exist is made; one that cannot be made is reported.
    run =
        runCli({"convert", "--to", "mp3", "--options", options, "--dest", dir.filePath("nowhere/deep"), wav});
    QCOMPARE(run.status, 0);
    QCOMPARE(probe(dir.filePath("nowhere/deep/song.mp3")).codec, QStringLiteral("mp3"));
    run =
        runCli({"convert", "--to", "mp3", "--options", options, "--dest", dir.filePath("song.wav/sub"), wav});
    QCOMPARE(run.status, 1);
    QVERIFY2(
        run.err.contains("Cannot create the destination folder \"" + dir.filePath("song.wav/sub") + "\""),
        qPrintable(run.err));
    QVERIFY(unchanged(sources));
}

void TestCli::convertReportsBadFilesAndGoesOn()
{
    if (!haveTools({"sox", "lame", "ffmpeg", "ffprobe"})) QSKIP("a reference tool is not installed");
    QTemporaryDir dir;
    const QString good = dir.filePath("good.mp3");
    const QString corrupt = dir.filePath("corrupt.mp3");
    const QString wav = dir.filePath("plain.wav");
    const QString mpegWav = dir.filePath("mpeg.wav");
    const QString junkWav = dir.filePath("junk.wav");
    QVERIFY(tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "1", "sine", "440"}));
    QVERIFY(tool("lame", {"--quiet", "-b", "128", wav, good}));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "libmp3lame", "-b:a", "128k", mpegWav}));
    QByteArray noise(20000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251 & 0xFE); // no frame sync anywhere
    audrel::test::writeFile(corrupt, noise);
    audrel::test::writeFile(junkWav, "RIFF" + QByteArray(100, 'j'));
    const QStringList all{good, corrupt, wav, mpegWav, junkWav};
    const auto sources = snapshot(all);
    const QString options = optionsFile(dir.filePath("o.ini"), {}, "SameFolder=1\n");

    // The corrupt file also has a destination already: it must survive the failure.
    const QString corruptDest = dir.filePath("corrupt.wav");
    audrel::test::writeFile(corruptDest, "keep me");
    Run run = runCli({"convert", "--to", "wav", "--overwrite", "--options", options, corrupt, wav, good});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(corrupt + ": Cannot Open Input ("), qPrintable(run.err));
    // A WAV file to WAV: beside itself, that is the source again.
    QVERIFY(run.err.contains(wav + ": Cannot convert \"" + wav + "\" into \"" + wav + "\": they are the same file."));
    QCOMPARE(run.out, QStringLiteral("1 converted, 0 skipped, 2 failed\n"));
    QCOMPARE(probe(dir.filePath("good.wav")).codec, QStringLiteral("pcm_s16le"));
    QCOMPARE(audrel::test::readFile(corruptDest), QByteArray("keep me"));
    QVERIFY(QFile::remove(corruptDest));
    run = runCli({"convert", "--to", "wav", "--options", options, corrupt});
    QCOMPARE(run.status, 1);

    // WAV to MP3: a WAV holding MPEG audio and a WAV without a usable header
    // are refused; an MP3 to MP3 beside itself is its own destination, which exists.
    run = runCli({"convert", "--to", "mp3", "--options", options, mpegWav, junkWav, good, wav});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(mpegWav + " is already a MP3 file"), qPrintable(run.err));
    QVERIFY(run.err.contains(junkWav + ": not a WAV file that can be encoded"));
    QVERIFY(run.err.contains(good + " exists, skipped (use --overwrite)"));
    QCOMPARE(probe(dir.filePath("plain.mp3")).codec, QStringLiteral("mp3"));

    // Nothing but the sources, the options and the two results: no partial file.
    QCOMPARE(entries(dir.path()), (QStringList{"corrupt.mp3", "good.mp3", "good.wav", "junk.wav", "mpeg.wav",
                                               "o.ini", "plain.mp3", "plain.wav"}));
    QVERIFY(unchanged(sources));
}

void TestCli::convertWithoutThePlayerLibrary()
{
    if (!haveTools({"sox", "lame"})) QSKIP("sox or lame is not installed");
    // A copy of the program in a folder without the player library beside it.
    QTemporaryDir dir;
    const QString program = dir.filePath("audrel-cli");
    QVERIFY(QFile::copy(QStringLiteral(AUDREL_CLI_PATH), program));
    const QString wav = dir.filePath("tone.wav");
    const QString mp3 = dir.filePath("other.mp3");
    QVERIFY(tool("sox", {"-n", "-r", "44100", "-c", "1", "-b", "16", wav, "synth", "0.5", "sine", "440"}));
    QVERIFY(tool("lame", {"--quiet", wav, mp3}));
    const QString options = optionsFile(dir.filePath("o.ini"), {}, "SameFolder=1\n");

    QProcess process;
    process.start(program, {"convert", "--to", "wav", "--options", options, mp3});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 1);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(dir.filePath("libxaudio.so")), qPrintable(err));

    // The encoder does not need it.
    process.start(program, {"convert", "--to", "mp3", "--options", options, wav});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(entries(dir.path()), (QStringList{"audrel-cli", "o.ini", "other.mp3", "tone.mp3", "tone.wav"}));
}

void TestCli::hostilePathsAndNames()
{
    if (!haveTools({"sox"})) QSKIP("sox is not installed");
    QTemporaryDir dir;
    const QString options = optionsFile(dir.filePath("o.ini"), {}, "SameFolder=1\n");
    // Pipes and devices where files are expected are refused at once (a hang
    // here would end the run at its time limit and fail the test).
    const QString fifo = dir.filePath("fifo.m3u");
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.pls")));
    Run run = runCli({"convert", "--to", "mp3", "--options", options, fifo, dir.filePath("zero.pls")});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(fifo + "\": it is not a regular file"), qPrintable(run.err));
    QVERIFY(run.err.contains(dir.filePath("zero.pls") + "\": it is not a regular file"));
    QCOMPARE(runCli({"convert", "--to", "mp3", "--options", fifo, dir.filePath("x.wav")}).status, 2);

    // Names that differ in case are two files; a name of 255 bytes converts,
    // although nothing could be appended to it; what a killed run left under
    // the temporary name of a destination is taken over by the next run.
    const QString upper = dir.filePath("Song.wav");
    const QString lower = dir.filePath("song.wav");
    const QString longest = dir.filePath(QString(251, 'x') + ".wav");
    for (const QString& wav : {upper, lower, longest})
        QVERIFY(tool("sox", {"-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth", "0.2", "sine", "440"}));
    const QString stale = audrel::DestinationFile::TempPathFor(dir.filePath("song.mp3"));
    audrel::test::writeFile(stale, "left by a run that was killed");
    run = runCli({"convert", "--to", "mp3", "--options", options, upper, lower, longest});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("3 converted, 0 skipped, 0 failed\n"));
    for (const QString& mp3 :
         {dir.filePath("Song.mp3"), dir.filePath("song.mp3"), dir.filePath(QString(251, 'x') + ".mp3")})
        QVERIFY2(QFileInfo(mp3).size() > 0, qPrintable(mp3));
    QVERIFY(!QFileInfo::exists(stale));

    // A report that cannot be written is a failure, help and version too.
    for (const QStringList& arguments :
         {QStringList{"info", upper}, QStringList{"--help"}, QStringList{"--version"}, QStringList{"tag", "--help"}}) {
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(QStringLiteral(AUDREL_CLI_PATH), arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains("cannot write to standard output"));
    }
}

void TestCli::convertToWmaAndBack()
{
    if (!haveTools({"sox", "ffprobe"})) QSKIP("sox or ffprobe is not installed");
    QTemporaryDir dir;
    const QString wav = dir.filePath("tone.wav");
    QVERIFY(tool("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", wav, "synth", "2", "sine", "440"}));
    const auto sources = snapshot({wav});
    // DRM asked for, and a bit rate below the encoder's lowest: each is said
    // once, before the file, which is written without DRM at 24 kbit/s.
    const QString options = dir.filePath("o.ini");
    audrel::test::writeFile(options, "[WMAEncode]\nSampleRate=16000\nBitRate=16\nChannels=1\nEnableDRM=1\n");
    Run run = runCli({"convert", "--to", "wma", "--options", options, wav});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("1 converted, 0 skipped, 0 failed\n"));
    QCOMPARE(run.err.count("warning: "), 2);
    QVERIFY2(
        run.err.startsWith("audrel-cli convert: warning: Files are written without DRM protection: this "
                           "encoder cannot apply it.\naudrel-cli convert: warning: Files are written at 24 "
                           "kbit/s: the encoder takes no lower bit rate.\n"),
        qPrintable(run.err));
    const QString wma = dir.filePath("tone.wma");
    auto fields = probe(wma);
    QCOMPARE(fields.codec, QStringLiteral("wmav2"));
    QCOMPARE(fields.rate, 16000);
    QCOMPARE(fields.channels, 1);
    QCOMPARE(fields.bitRate, 24000);

    // And back, beside a file that cannot be decoded: that one is reported,
    // leaves nothing behind, and the other is converted.
    const QString bad = dir.filePath("bad.wma");
    audrel::test::writeFile(bad, "not a WMA file");
    const QString out = dir.filePath("out");
    run = runCli({"convert", "--to", "wav", "--options", options, "--dest", out, wma, bad});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QStringLiteral("1 converted, 0 skipped, 1 failed\n"));
    QVERIFY2(run.err.contains(bad + ": \"" + bad + "\" holds no audio that can be decoded."),
             qPrintable(run.err));
    QVERIFY(!run.err.contains("warning"));
    QCOMPARE(entries(out), QStringList{"tone.wav"});
    fields = probe(out + "/tone.wav");
    QCOMPARE(fields.codec, QStringLiteral("pcm_s16le"));
    QCOMPARE(fields.rate, 16000);
    QVERIFY(std::abs(fields.seconds - 2.0) < 0.05);

    // Settings the encoder refuses fail once, before the first of two files.
    const QString refused = dir.filePath("refused.ini");
    audrel::test::writeFile(refused, "[WMAEncode]\nSampleRate=96000\n");
    const QString second = dir.filePath("second.wav");
    QVERIFY(QFile::copy(wav, second));
    run = runCli({"convert", "--to", "wma", "--options", refused, "--dest", dir.filePath("none"), wav, second});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.count('\n') == 1 && run.err.contains("The WMA encoder does not encode 96000 Hz"),
             qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(dir.filePath("none")));
    QVERIFY(unchanged(sources));
}

void TestCli::foldersInParallel()
{
    if (!haveTools({"sox"})) QSKIP("sox is not installed");
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("music/sub/deeper")));
    const QStringList sources{"music/a.wav", "music/b.wav", "music/sub/c.wav", "music/sub/deeper/d.wav"};
    for (const QString& name : sources)
        QVERIFY(tool("sox", {"-n", "-r", "8000", "-c", "1", "-b", "16", dir.filePath(name), "synth", "0.3",
                             "sine", "440"}));
    audrel::test::writeFile(dir.filePath("music/notes.txt"), "not audio");
    const QString options = optionsFile(dir.filePath("o.ini"), {}, "SameFolder=1\n");

    // Without --recursive only the folder's own files; --opt=value as well as --opt value.
    Run run = runCli({"convert", "--to=mp3", "--options=" + options, "--dest", dir.filePath("flat"),
                      "--quiet", dir.filePath("music")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err)); // quiet: no progress
    QCOMPARE(entries(dir.filePath("flat")), (QStringList{"a.mp3", "b.mp3"}));

    // Recursive, in parallel: the folder structure is kept under --dest (made
    // when missing), and the files are reported in the order given.
    run = runCli({"convert", "--to", "mp3", "--options", options, "--dest", dir.filePath("tree/out"),
                  "--jobs", "3", "--recursive", dir.filePath("music")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("4 converted, 0 skipped, 0 failed\n"));
    const QStringList done = run.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(done.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(
            done[i].startsWith(QStringLiteral("[%1/4] %2").arg(i + 1).arg(QFileInfo(sources[i]).fileName())),
            qPrintable(done[i]));
    for (const char* name :
         {"tree/out/a.mp3", "tree/out/b.mp3", "tree/out/sub/c.mp3", "tree/out/sub/deeper/d.mp3"})
        QVERIFY2(QFileInfo(dir.filePath(name)).size() > 0, name);
    // The same files one at a time come out byte for byte the same.
    run = runCli({"convert", "--to", "mp3", "--options", options, "--dest", dir.filePath("serial"), "--jobs",
                  "1", "--recursive", dir.filePath("music")});
    QCOMPARE(run.status, 0);
    QCOMPARE(audrel::test::readFile(dir.filePath("serial/sub/deeper/d.mp3")),
             audrel::test::readFile(dir.filePath("tree/out/sub/deeper/d.mp3")));
    QCOMPARE(runCli({"convert", "--to", "mp3", "--jobs", "0", dir.filePath("music")}).status, 2);

    // A subfolder that cannot be read is named as a failure; the rest converts.
    // (For root, permissions hold only once it has given up its privileges.)
    QVERIFY(QDir().mkpath(dir.filePath("music/locked")));
    QVERIFY(tool("sox", {"-n", "-r", "8000", "-c", "1", "-b", "16", dir.filePath("music/locked/e.wav"), "synth",
                         "0.3", "sine", "440"}));
    QVERIFY(QDir().mkpath(dir.filePath("open")));
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                          QFile::WriteOther | QFile::ExeOther;
    for (const QString& folder : {dir.path(), dir.filePath("open")})
        QVERIFY(QFile::setPermissions(folder, everyone));
    QVERIFY(QFile::setPermissions(dir.filePath("music/locked"), {}));
    QStringList asUser{QStringLiteral(AUDREL_CLI_PATH), "convert", "--to", "mp3", "--options", options, "--dest",
                       dir.filePath("open"), "--recursive", dir.filePath("music")};
    if (geteuid() == 0) asUser = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + asUser;
    QProcess locked;
    locked.start(geteuid() == 0 ? QStringLiteral("setpriv") : asUser.takeFirst(), asUser);
    QVERIFY(locked.waitForFinished(60000));
    QFile::setPermissions(dir.filePath("music/locked"), everyone);
    const QString lockedErr = QString::fromUtf8(locked.readAllStandardError());
    QCOMPARE(locked.exitCode(), 1);
    QVERIFY2(lockedErr.contains(dir.filePath("music/locked") + ": the folder cannot be read: Permission denied"),
             qPrintable(lockedErr));
    QCOMPARE(QString::fromUtf8(locked.readAllStandardOutput()), QStringLiteral("4 converted, 0 skipped, 1 failed\n"));

    // info --json: one object per file, with the facts of the text report.
    run = runCli({"info", "--json", dir.filePath("music/a.wav"), dir.filePath("tree/out/a.mp3")});
    QCOMPARE(run.status, 0);
    const QStringList objects = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(objects.size(), 2);
    const QJsonObject wav = QJsonDocument::fromJson(objects[0].toUtf8()).object();
    QCOMPARE(wav.value("file").toString(), dir.filePath("music/a.wav"));
    QCOMPARE(wav.value("type").toString(), QStringLiteral("wav"));
    QCOMPARE(wav.value("sampleRate").toInt(), 8000);
    QCOMPARE(wav.value("channelMode").toString(), QStringLiteral("Mono"));
    QVERIFY(std::abs(wav.value("seconds").toDouble() - 0.3) < 0.01);
    const QJsonObject mp3 = QJsonDocument::fromJson(objects[1].toUtf8()).object();
    QCOMPARE(mp3.value("type").toString(), QStringLiteral("mpeg"));
    QCOMPARE(mp3.value("id3v1").toObject().value("present").toBool(), false);
}

void TestCli::tagsTravel()
{
    if (!haveTools({"sox", "lame", "ffmpeg", "ffprobe"})) QSKIP("a reference tool is not installed");
    QTemporaryDir dir;
    const QString wav = dir.filePath("plain.wav");
    QVERIFY(tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "0.5", "sine", "440"}));
    const QString png = dir.filePath("cover.png");
    QVERIFY(
        tool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=16x16", "-frames:v", "1", png}));
    const QByteArray cover = audrel::test::readFile(png);
    // An MP3 with an ID3v2 tag only, in text beyond ISO-8859-1, and a cover.
    const QString mp3 = dir.filePath("tagged.mp3");
    QVERIFY(tool("lame",
                 {"--quiet", "--id3v2-only", "--id3v2-utf16", "--tt", "Ťitle ünïcode", "--ta", "Ártist",
                  "--tl", "Album", "--ty", "2021", "--tn", "5/9", "--tg", "Jazz", "--ti", png, wav, mp3}));
    const auto tagsOf = [](const QString& path) {
        QProcess process;
        process.start(QStandardPaths::findExecutable("ffprobe"),
                      {"-v", "error", "-show_entries", "format_tags", "-of", "json", path});
        process.waitForFinished(60000);
        QJsonObject tags = QJsonDocument::fromJson(process.readAllStandardOutput())
                               .object()["format"]
                               .toObject()["tags"]
                               .toObject();
        QJsonObject lower;
        for (auto it = tags.begin(); it != tags.end(); ++it)
            lower.insert(it.key().toLower(), it.value());
        return lower;
    };
    const QString options = optionsFile(dir.filePath("o.ini"), {}, "SameFolder=1\n");

    // MP3 to WAV: the tags go into INFO and an ID3v2 chunk, Unicode kept.
    Run run = runCli({"convert", "--to", "wav", "--options", options, mp3});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QJsonObject tags = tagsOf(dir.filePath("tagged.wav"));
    QCOMPARE(tags.value("title").toString(), QStringLiteral("Ťitle ünïcode"));
    QCOMPARE(tags.value("artist").toString(), QStringLiteral("Ártist"));
    QCOMPARE(tags.value("album").toString(), QStringLiteral("Album"));
    QVERIFY(tags.value("date").toString().startsWith("2021"));
    QVERIFY(tags.value("track").toString().startsWith("5"));
    QCOMPARE(tags.value("genre").toString(), QStringLiteral("Jazz"));
    QCOMPARE(audrel::test::attachedPicture(dir.filePath("tagged.wav")), cover);

    // And back to MP3: an ID3v2 tag at the front, an ID3v1 tag at the end in its
    // ISO-8859-1 form, the Info frame still the first audio frame.
    QVERIFY(QFile::rename(mp3, dir.filePath("original.mp3")));
    run = runCli({"convert", "--to", "mp3", "--options",
                  optionsFile(dir.filePath("o2.ini"), "WriteVBR=1\n", "SameFolder=1\n"),
                  dir.filePath("tagged.wav")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    tags = tagsOf(mp3);
    QCOMPARE(tags.value("title").toString(), QStringLiteral("Ťitle ünïcode"));
    QCOMPARE(tags.value("genre").toString(), QStringLiteral("Jazz"));
    QCOMPARE(tags.value("track").toString(), QStringLiteral("5/9"));
    QCOMPARE(audrel::test::attachedPicture(mp3), cover);
    const QByteArray bytes = audrel::test::readFile(mp3);
    QVERIFY(bytes.startsWith("ID3\x03"));
    QCOMPARE(bytes.right(128).left(3), QByteArray("TAG"));
    QCOMPARE(bytes.right(128).mid(33, 6), QByteArray("\xC1rtist"));
    run = runCli({"info", "--json", mp3});
    QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8()).object()["id3v1"].toObject()["genre"].toString(),
             QStringLiteral("Jazz"));

    // An MP3 with an ID3v1 tag only: the program's own reader gives its fields.
    const QString v1 = dir.filePath("v1/old.mp3");
    QVERIFY(QDir().mkpath(dir.filePath("v1")));
    QVERIFY(tool("lame", {"--quiet", "--id3v1-only", "--tt", "Old Tag", "--ta", "V1", wav, v1}));
    QCOMPARE(runCli({"convert", "--to", "wav", "--options", options, v1}).status, 0);
    QCOMPARE(tagsOf(dir.filePath("v1/old.wav")).value("title").toString(), QStringLiteral("Old Tag"));

    // Without tags at the source, or with --no-tags: no tag blocks at all.
    run = runCli({"convert", "--to", "mp3", "--options", options, "--dest", dir.filePath("bare"), wav});
    QCOMPARE(run.status, 0);
    run = runCli({"convert", "--to", "mp3", "--options", options, "--dest", dir.filePath("untagged"),
                  "--no-tags", dir.filePath("tagged.wav")});
    QCOMPARE(run.status, 0);
    for (const QString& result : {dir.filePath("bare/plain.mp3"), dir.filePath("untagged/tagged.mp3")}) {
        const QByteArray plain = audrel::test::readFile(result);
        QVERIFY2(!plain.startsWith("ID3") && plain.right(128).left(3) != "TAG", qPrintable(result));
    }

    // WAV to WMA and back: the ASF attributes carry them.
    run = runCli({"convert", "--to", "wma", "--options", options, "--dest", dir.filePath("wma"),
                  dir.filePath("tagged.wav")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    tags = tagsOf(dir.filePath("wma/tagged.wma"));
    QCOMPARE(tags.value("title").toString(), QStringLiteral("Ťitle ünïcode"));
    QCOMPARE(tags.value("artist").toString(), QStringLiteral("Ártist"));
    QCOMPARE(tags.value("album").toString(), QStringLiteral("Album"));
    QCOMPARE(audrel::test::attachedPicture(dir.filePath("wma/tagged.wma")), cover);
    run = runCli({"convert", "--to", "wav", "--options", options, "--dest", dir.filePath("back"),
                  dir.filePath("wma/tagged.wma")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    tags = tagsOf(dir.filePath("back/tagged.wav"));
    QCOMPARE(tags.value("title").toString(), QStringLiteral("Ťitle ünïcode"));
    QCOMPARE(tags.value("genre").toString(), QStringLiteral("Jazz"));
    QCOMPARE(audrel::test::attachedPicture(dir.filePath("back/tagged.wav")), cover);

    // tag --id3v2 updates both tags; without it, the ID3v2 tag is left as it was.
    run = runCli({"tag", mp3, "--title", "Only v1"});
    QCOMPARE(run.status, 0);
    QCOMPARE(tagsOf(mp3).value("title").toString(), QStringLiteral("Ťitle ünïcode"));
    run = runCli({"tag", mp3, "--title", "Both", "--id3v2"});
    QCOMPARE(run.status, 0);
    QCOMPARE(tagsOf(mp3).value("title").toString(), QStringLiteral("Both"));
    QCOMPARE(audrel::test::readFile(mp3).right(128).mid(3, 4), QByteArray("Both"));
}

void TestCli::tagText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("marker");
    QTest::newRow("ID3v2.3, UTF-16") << "3" << QByteArray("ID3\x03");
    QTest::newRow("ID3v2.4, UTF-8") << "4" << QByteArray("ID3\x04");
}

// Characters beyond U+FFFF in a source's tag reach every result whole, and a
// field the source lacks is written nowhere.
void TestCli::tagText()
{
    QFETCH(QString, version);
    QFETCH(QByteArray, marker);
    if (!haveTools({"sox", "ffmpeg", "ffprobe"})) QSKIP("a reference tool is not installed");
    QTemporaryDir dir;
    const QString title = QStringLiteral("𝄞 clef 😀 日本語");
    const QString wav = dir.filePath("plain.wav");
    const QString mp3 = dir.filePath("song.mp3");
    QVERIFY(audrel::test::makeWav(wav, 44100, 2, 0.5));
    // A title and an artist, no year and no track.
    QVERIFY(tool("ffmpeg", {"-v", "error", "-i", wav, "-id3v2_version", version, "-metadata", "title=" + title,
                            "-metadata", "artist=Ártist", mp3}));
    QVERIFY(audrel::test::readFile(mp3).startsWith(marker));
    const QString options = optionsFile(dir.filePath("o.ini"), {});

    const auto convert = [&](const char* to, const QString& source, const QString& dest) {
        const Run run = runCli({"convert", "--to", to, "--options", options, "--dest", dir.filePath(dest), source});
        return run.status == 0 ? dir.filePath(dest + "/" + QFileInfo(source).completeBaseName() + "." + to)
                               : run.err;
    };
    const QString fromMp3 = convert("wav", mp3, "wav");
    const QString results[] = {fromMp3, convert("wma", fromMp3, "wma"), convert("mp3", fromMp3, "mp3")};
    for (const QString& result : results) {
        const QMap<QString, QString> tags = audrel::test::probeTags(result);
        QVERIFY2(tags.value("title") == title, qPrintable(result));
        QCOMPARE(tags.value("artist"), QStringLiteral("Ártist"));
        for (const char* absent : {"date", "track", "wm/year", "wm/tracknumber", "tdrc", "tyer", "trck"})
            QVERIFY2(!tags.contains(absent), qPrintable(result + ": " + absent));
    }

    // Another field given to tag --id3v2 leaves the title whole, in the tag's own version.
    QCOMPARE(runCli({"tag", mp3, "--artist", "Other", "--id3v2"}).status, 0);
    const QMap<QString, QString> tags = audrel::test::probeTags(mp3);
    QCOMPARE(tags.value("title"), title);
    QCOMPARE(tags.value("artist"), QStringLiteral("Other"));
    QVERIFY(audrel::test::readFile(mp3).startsWith(marker));
}

void TestCli::anyFormatToEveryFormat()
{
    if (!haveTools({"sox", "ffmpeg", "ffprobe"})) QSKIP("a reference tool is not installed");
    QTemporaryDir dir;
    const QString wav = dir.filePath("source.wav");
    QVERIFY(tool("sox", {"-n", "-r", "48000", "-c", "2", "-b", "24", wav, "synth", "2", "sine", "440", "sine", "660"}));
    const QString cover = dir.filePath("cover.png");
    QVERIFY(tool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=blue:s=16x16", "-frames:v", "1", cover}));
    // A tagged FLAC with a cover, an Ogg Vorbis, an AAC in M4A, an AIFF and a 5.1 FLAC.
    const QString flac = dir.filePath("in/tagged.flac");
    QVERIFY(QDir().mkpath(dir.filePath("in")));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-i", wav, "-i", cover, "-map", "0:a", "-map", "1:v", "-c:a", "flac",
                            "-c:v", "png", "-disposition:v", "attached_pic", "-metadata", "title=Sång 😀",
                            "-metadata", "track=3/12", flac}));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "libvorbis", dir.filePath("in/vorbis.ogg")}));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "aac", dir.filePath("in/aac.m4a")}));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-i", wav, dir.filePath("in/plain.aiff")}));
    QVERIFY(tool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=f=300:d=2:r=44100", "-af",
                            "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0", "-c:a", "flac", dir.filePath("in/six.flac")}));
    const QStringList names{"aac", "plain", "six", "tagged", "vorbis"};
    const auto sources = snapshot({flac, dir.filePath("in/six.flac")});

    // The samples of a file as ffmpeg decodes them, at 32 bits.
    const auto samples = [](const QString& path) {
        return audrel::test::toolOutput("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "s32le", "-"});
    };
    const struct
    {
        const char* to;
        const char* ext;
        const char* codec;
        int sixChannels; // what the 5.1 source becomes
        bool lossless;
    } formats[] = {
        {"mp3", "mp3", "mp3", 2, false},      {"wav", "wav", "pcm_s24le", 6, true},
        {"flac", "flac", "flac", 6, true},    {"ogg", "ogg", "vorbis", 6, false},
        {"opus", "opus", "opus", 6, false},   {"m4a", "m4a", "aac", 6, false},
        {"alac", "m4a", "alac", 6, true},     {"wma", "wma", "wmav2", 2, false},
    };
    for (const auto& format : formats) {
        const QString out = dir.filePath(QStringLiteral("out-%1").arg(QLatin1String(format.to)));
        const Run run = runCli({"convert", "--to", format.to, "--jobs", "2", "--quiet", "--dest", out,
                                dir.filePath("in")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(run.out, QStringLiteral("5 converted, 0 skipped, 0 failed\n"));
        for (const QString& name : names) {
            const QString result = out + "/" + name + "." + format.ext;
            const audrel::test::Probe p = probe(result);
            // WAV as the source: 24-bit for the 24-bit FLAC, floating point for the lossy ones.
            const bool wav = QLatin1String(format.to) == QLatin1String("wav");
            const bool sameCodec = wav && name != "tagged" ? p.codec.startsWith("pcm_")
                                                                                : p.codec == QLatin1String(format.codec);
            QVERIFY2(sameCodec, qPrintable(result + ": " + p.codec));
            // As long as its source, within one codec frame.
            QVERIFY2(std::abs(p.seconds - 2.0) < 0.05, qPrintable(result + ": " + QString::number(p.seconds)));
            if (name == "six") QCOMPARE(p.channels, format.sixChannels);
        }
        const QString tagged = out + "/tagged." + format.ext;
        QCOMPARE(audrel::test::probeTags(tagged).value("title"), QStringLiteral("Sång 😀"));
        QCOMPARE(audrel::test::attachedPicture(tagged), audrel::test::readFile(cover));
        if (format.lossless) QCOMPARE(samples(tagged), samples(flac));
    }
    QVERIFY(unchanged(sources));

    // info describes them all, in text and in JSON.
    const Run info = runCli({"info", "--json", flac, dir.filePath("out-opus/vorbis.opus")});
    QCOMPARE(info.status, 0);
    const QStringList objects = info.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(objects.size(), 2);
    const QJsonObject facts = QJsonDocument::fromJson(objects[0].toUtf8()).object();
    QCOMPARE(facts.value("codec").toString(), QStringLiteral("flac"));
    QCOMPARE(facts.value("bitsPerSample").toInt(), 24);
    QCOMPARE(facts.value("format").toString(), QStringLiteral("FLAC 48 kHz stereo 24-bit"));
    QCOMPARE(facts.value("tags").toObject().value("trackTotal").toInt(), 12);
    QCOMPARE(QJsonDocument::fromJson(objects[1].toUtf8()).object().value("sampleRate").toInt(), 48000);
}

AUDREL_CORE_TEST_MAIN(TestCli)

#include "tst_cli.moc"
