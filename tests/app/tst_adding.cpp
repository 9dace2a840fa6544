#include "tst_adding.h"

#include "app/joblistview.h"
#include "app/mainform.h"
#include "jobs/playlists.h"
#include "jobs/rowbuilder.h"
#include "platform/errors.h"
#include "platform/ipc/handoverserver.h"
#include "audiotools.h"
#include "scriptedprompts.h"
#include "testsupport.h"
#include "windowbench.h"

#include "info/audiotags.h"
#include "info/form_mediaproperty.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace audrel;
using audrel::test::writeFile;

namespace {

QByteArray le(uint32_t value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// A canonical PCM file: 16-bit, 44 100 Hz, seconds of silence.
QByteArray wavBytes(double seconds, int channels = 2, uint16_t formatTag = 1)
{
    const uint32_t rate = 44100;
    const uint32_t blockAlign = 2 * channels;
    const uint32_t data = uint32_t(seconds * rate) * blockAlign;
    return "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(formatTag, 2) + le(channels, 2) +
           le(rate, 4) + le(rate * blockAlign, 4) + le(blockAlign, 2) + le(16, 2) + "data" + le(data, 4) +
           QByteArray(data, '\0');
}

// MPEG 1 Layer III frames at 128 kbit/s, 44 100 Hz: 417 bytes each.
QByteArray mpegBytes(int frames)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x00);
    return frame.repeated(frames);
}

struct Fixture
{
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    std::unique_ptr<TMainForm> form;

    Fixture() { form = std::make_unique<TMainForm>(dir.path() + "/"); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString wav(const QString& name, double seconds = 1, int channels = 2, uint16_t tag = 1)
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        writeFile(path(name), wavBytes(seconds, channels, tag));
        return path(name);
    }
    QString mp3(const QString& name, int frames = 400)
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        writeFile(path(name), mpegBytes(frames));
        return path(name);
    }
    QString text(const QString& name, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        writeFile(path(name), content);
        return path(name);
    }
    QStringList sources(JobKind kind) const
    {
        QStringList out;
        for (int i = 0; i < form->list(kind)->count(); ++i)
            out << form->list(kind)->record(i).Source;
        return out;
    }
    // The counters agree with the rows, and the lists are back to normal.
    void verifyNormal() const
    {
        for (int k = 0; k < kJobKindCount; ++k) {
            JobList* list = form->list(JobKind(k));
            QVERIFY(!list->Adding());
            QVERIFY(form->view(JobKind(k))->updatesEnabled());
            uint64_t total = 0, checked = 0;
            int checkedCount = 0;
            for (int i = 0; i < list->count(); ++i) {
                total += list->record(i).Seconds;
                if (list->isItemChecked(i)) {
                    checked += list->record(i).Seconds;
                    ++checkedCount;
                }
            }
            QCOMPARE(list->counters().TotalCount, list->count());
            QCOMPARE(list->counters().TotalSeconds, total);
            QCOMPARE(list->counters().CheckedCount, checkedCount);
            QCOMPARE(list->counters().CheckedSeconds, checked);
        }
    }
};

} // namespace

void TestAdding::init() {}

void TestAdding::classifyAndFormat()
{
    QCOMPARE(ExtensionOf("/a/b.c/song"), QString());
    QCOMPARE(ExtensionOf("/a/Song.Mp3"), QString(".MP3"));
    QCOMPARE(KindOf("/x/y.mP2"), FileKind::Mpeg);
    QCOMPARE(KindOf("/x/y.WAV"), FileKind::Wav);
    QCOMPARE(KindOf("/x/y.pls"), FileKind::Pls);
    QCOMPARE(KindOf("/x/y.Flac"), FileKind::Flac);
    QCOMPARE(KindOf("/x/y.webm"), FileKind::Matroska);
    QCOMPARE(KindOf("/x/y.txt"), FileKind::Other);
    QCOMPARE(KindOf("/x/mp3"), FileKind::Other);
    // Only ASCII letters are folded.
    QCOMPARE(ToUpperAscii("/Müsik/ä.mp3"), QString("/MüSIK/ä.MP3"));
    QCOMPARE(FormatMegabytes(3500000), QString("3.34MB"));
    QCOMPARE(FormatMegabytes(500000), QString("0.48MB"));
    QCOMPARE(FormatMegabytes(5LL * 1024 * 1024 * 1024), QString("5120.00MB"));
}

void TestAdding::destinationRule()
{
    Settings s;
    s.SameFolder = true;
    QCOMPARE(RowBuilder::Destination("/a/b.c/song", ".mp3", s), QString("/a/b.c/song.mp3"));
    QCOMPARE(RowBuilder::Destination("/a/song.x.MP3", ".wav", s), QString("/a/song.x.wav"));
    s.SameFolder = false;
    s.DestFolder = "/out";
    QCOMPARE(RowBuilder::Destination("/a/song.mp3", ".wav", s), QString("/out/song.wav"));
    s.DestFolder = "/out/";
    QCOMPARE(RowBuilder::Destination("/a/song.mp3", ".wav", s), QString("/out/song.wav"));
    QCOMPARE(RowBuilder::Destination("/a/b.c/noext", ".wma", s), QString("/out/noext.wma"));
}

void TestAdding::duplicatesAreTheSamePath()
{
    Fixture f;
    const QString a = f.wav("Music/Song.wav");
    const QString lower = f.path("Music/song.wav");
    QVERIFY(QFile::copy(a, lower));
    RowBuilder& b = f.form->builder();
    QVERIFY(b.AddRow(JobKind::WavToMp3, a));
    QVERIFY(!b.AddRow(JobKind::WavToMp3, a));
    QVERIFY(!b.AddRow(JobKind::WavToMp3, f.path("Music/../Music/./Song.wav"))); // the same file, spelled otherwise
    QVERIFY(b.AddRow(JobKind::WavToMp3, lower));                                // another file: names differ in case
    QVERIFY(b.AddRow(JobKind::WavToWma, a));                                // each list has its own rows
    QCOMPARE(f.form->WavRecs()->count(), 2);
}

void TestAdding::rowTexts()
{
    Fixture f;
    f.form->settings().SameFolder = false;
    f.form->settings().DestFolder = f.path("out");
    RowBuilder& b = f.form->builder();

    const QString mp3 = f.mp3("a/one.mp3", 1000); // 417,000 bytes at 128 kbit/s: 26 s
    QVERIFY(b.AddRow(JobKind::Mp3ToWav, mp3));
    JobList* l = f.form->Mp3Recs();
    QCOMPARE(l->record(0).Dest, f.path("out/one.wav"));
    QCOMPARE(l->record(0).Seconds, 26u);
    QCOMPARE(l->record(0).State, JobState::Pending);
    QStringList texts;
    for (int c = 0; c < l->columnCount(); ++c)
        texts << l->itemText(0, c);
    QCOMPARE(texts, (QStringList{mp3, f.path("out/one.wav"), "", "00:00:26", "Unknown Title",
                                 "Unknown Artist", "[notag]", "    ", "0.40MB"}));

    const QString mono = f.wav("b/mono.wav", 2.5, 1);
    QVERIFY(b.AddRow(JobKind::WavToMp3, mono));
    auto& wav = f.form->WavRecs()->recordAs<TWavRec>(0);
    QCOMPARE(wav.Seconds, 2u);
    QCOMPARE(wav.Mode, 3u);
    QCOMPARE(wav.SampleRate, 44100u);
    QCOMPARE(wav.BitsPerSample, 16u);
    QCOMPARE(f.form->WavRecs()->subItem(0, JobList::SubDuration), QString("00:00:02"));
    QCOMPARE(f.form->WavRecs()->subItem(0, 3), QString("0.21MB"));
    QVERIFY(b.AddRow(JobKind::WavToWma, f.wav("b/stereo.wav", 1, 2)));
    QCOMPARE(f.form->Wav2WMARecs()->recordAs<TWavRec>(0).Mode, 0u);
    QCOMPARE(f.form->Wav2WMARecs()->record(0).Dest, f.path("out/stereo.wma"));

    // Not a WAV file: refused silently. Not a WMA file: added with no duration.
    QVERIFY(!b.AddRow(JobKind::WavToMp3, f.text("c/fake.wav", "not a riff file at all, but long enough to read")));
    QVERIFY(b.AddRow(JobKind::WmaToWav, f.text("c/fake.wma", "not asf")));
    QCOMPARE(f.form->WMARecs()->record(0).Seconds, 0u);
    QCOMPARE(f.prompts.messages.size(), 0);
}

void TestAdding::mpegWavRefusedForMp3Only()
{
    Fixture f;
    const QString mp3wav = f.wav("layer3.wav", 1, 2, 85);
    QVERIFY(!f.form->builder().AddRow(JobKind::WavToMp3, mp3wav));
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text,
             mp3wav + " is already a MP3 file,\nIt can not be converted to MP3 again!");
    QCOMPARE(f.prompts.messages[0].caption, QString("Information"));
    QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Warning);
    QVERIFY(f.form->builder().AddRow(JobKind::WavToWma, mp3wav));
    QCOMPARE(f.prompts.messages.size(), 1);
}

void TestAdding::m3uPlainAndExtended()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    writeFile(folder + "/plain.m3u", "music/a.mp3\r\n/abs/b.mp3\n\n   \nc #1.mp3\rlast.mp3");
    QCOMPARE(ReadPlaylist(folder + "/plain.m3u"), (QStringList{folder + "/music/a.mp3", "/abs/b.mp3",
                                                               folder + "/c #1.mp3", folder + "/last.mp3"}));
    writeFile(folder + "/ext.m3u",
              "#EXTM3U\r\n#EXTINF:123,Artist - Title #2\r\nsong one.mp3\r\n#EXTINF:5,x\r\n/abs/two.wav\r\n");
    QCOMPARE(ReadM3U(folder + "/ext.m3u"), (QStringList{"song one.mp3", "/abs/two.wav"}));
    // Without the header line nothing is lost either.
    writeFile(folder + "/nohead.m3u", "#EXTINF:1,a\r\nfirst.mp3\r\n#EXTINF:1,b\r\nsecond.mp3\r\n");
    QCOMPARE(ReadM3U(folder + "/nohead.m3u"), (QStringList{"first.mp3", "second.mp3"}));
    writeFile(folder + "/empty.m3u", "");
    QCOMPARE(ReadM3U(folder + "/empty.m3u"), QStringList());
    QVERIFY_THROWS_EXCEPTION(EFileError, ReadM3U(folder + "/missing.m3u"));

    const QString shared = test::testDataDir();
    if (!shared.isEmpty())
        QCOMPARE(ReadM3U(shared + "/playlists/mopidy__two-ext.m3u"), (QStringList{"song1.mp3", "song2.mp3"}));
}

void TestAdding::plsEntries()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    writeFile(folder + "/a.pls", "[Playlist]\r\nnumberofentries=3\r\nFile1=rel/one.wav\r\nfile3=  "
                                 "\"/abs/three.mp3\" \r\nTitle1=x\r\n");
    QCOMPARE(ReadPLS(folder + "/a.pls"), (QStringList{"rel/one.wav", "error", "/abs/three.mp3"}));
    QCOMPARE(ReadPlaylist(folder + "/a.pls"),
             (QStringList{folder + "/rel/one.wav", folder + "/error", "/abs/three.mp3"}));
    writeFile(folder + "/zero.pls", "[playlist]\nNumberOfEntries=0\nFile1=/a.mp3\n");
    QCOMPARE(ReadPLS(folder + "/zero.pls"), QStringList());
    writeFile(folder + "/nocount.pls", "[playlist]\nFile1=/a.mp3\n");
    QCOMPARE(ReadPLS(folder + "/nocount.pls"), QStringList());
    // A count far beyond the file's lines costs nothing and adds nothing.
    writeFile(folder + "/huge.pls", "[playlist]\nNumberOfEntries=2000000000\nFile1=/a.mp3\n");
    QCOMPARE(ReadPLS(folder + "/huge.pls").first(), QString("/a.mp3"));
    QVERIFY_THROWS_EXCEPTION(EFileError, ReadPLS(folder + "/missing.pls"));
}

void TestAdding::addCommandPerTab()
{
    Fixture f;
    QAction* add = f.form->findChild<QAction*>("Add");
    QVERIFY(add->isEnabled());
    QCOMPARE(add->shortcut(), QKeySequence(Qt::Key_Insert));

    // MP3 to WAV: files of the family, and the existing MPEG entries of a playlist.
    const QString one = f.mp3("one.mp3", 100);
    const QString two = f.mp3("sub/two.MP2", 200);
    f.text("list.m3u", "sub/two.MP2\nmissing.mp3\none.wav\n");
    f.prompts.openAnswers.enqueue({one, f.path("list.m3u"), f.path("ignored.txt")});
    add->trigger();
    QCOMPARE(f.prompts.openRequests.size(), 1);
    QCOMPARE(f.prompts.openRequests[0].filter,
             QString("All Supported File|*.mp3;*.mp2;*.mp1;*.m3u;*.pls|Mpeg Audio File (*.MP3;*.MP2;*.MP1)|"
                     "*.mp3;*.mp2;*.mp1|Winamp Playlist File (*.M3U;*.PLS)|*.m3u;*.pls"));
    QCOMPARE(f.prompts.openRequests[0].defaultExt, QString("*.mp3;*.mp2;*.mp1;*.m3u;*.pls"));
    QCOMPARE(f.sources(JobKind::Mp3ToWav), (QStringList{one, two}));
    QCOMPARE(f.form->panelText(3), QString("2 File(s)   00:00:07")); // three spaces on this list

    // WAV to WMA shares the WAV dialog; panel 3 takes the bulk-add spelling.
    f.form->showTab(JobKind::WavToWma);
    const QString w = f.wav("w.wav", 3);
    f.prompts.openAnswers.enqueue({w, one});
    add->trigger();
    QCOMPARE(f.prompts.openRequests[1].defaultExt, QString("*.wav"));
    QVERIFY(f.prompts.openRequests[1].filter.startsWith("All Supported File|*.wav;*.pls;*.m3u|"));
    // The dialog opens in the folder it was last left in, remembered outside Options.ini.
    QCOMPARE(f.prompts.openRequests[1].startFolder, QFileInfo(one).absolutePath());
    QCOMPARE(f.sources(JobKind::WavToWma), QStringList{w});
    QCOMPARE(f.form->panelText(1), QString("1 File(s)   00:00:03"));
    QCOMPARE(f.form->panelText(3), QString("1 File(s)  00:00:03"));

    f.form->showTab(JobKind::WmaToWav);
    f.prompts.openAnswers.enqueue({}); // cancelled
    add->trigger();
    QCOMPARE(f.prompts.openRequests[2].defaultExt, QString("*.wma"));
    QCOMPARE(f.form->WMARecs()->count(), 0);
    QCOMPARE(f.prompts.messages.size(), 0);
    f.verifyNormal();
}

void TestAdding::listFileSwitchesTabAndSummarises()
{
    Fixture f;
    f.form->showTab(JobKind::WavToWma);
    const QString w1 = f.wav("w1.wav", 2);
    const QString m1 = f.mp3("m1.mp3", 100);
    const QString m2 = f.mp3("pl/m2.mp3", 100);
    const QString wma = f.text("x.wma", "not really asf");
    f.text("pl/list.pls", "[playlist]\nNumberOfEntries=3\nFile1=m2.mp3\nFile2=gone.mp3\nFile3=../w1.wav\n");
    const QString list =
        f.text("files.txt", (w1 + "\r\n" + m1 + "\r\n\r\n" + f.path("pl/list.pls") + "\n" + wma + "\n" +
                             f.path("notes.txt") + "\n" + m1 + "\n" + f.path("pl/../m1.mp3"))
                                .toUtf8());
    f.form->AddFromListFile(list);
    QCOMPARE(f.form->currentKind(), JobKind::WavToMp3);
    QCOMPARE(f.sources(JobKind::WavToMp3), QStringList{w1});
    QCOMPARE(f.sources(JobKind::Mp3ToWav), (QStringList{m1, m2}));
    QCOMPARE(f.sources(JobKind::WmaToWav), QStringList{wma});
    QCOMPARE(f.form->Wav2WMARecs()->count(), 0);
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text,
             QString("2 MPEG file(s) added and 1 WAV file(s) added, 1 WMA file(s) added, \n\n"
                     "Please Click \"Convert Button\" to Start Converting."));
    QCOMPARE(f.prompts.messages[0].caption, QString("Information"));
    QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Information);
    QCOMPARE(f.form->panelText(1), QString("1 File(s)   00:00:02"));
    QCOMPARE(f.form->panelText(3), QString("1 File(s)  00:00:02"));
    f.verifyNormal();

    // The same list again adds nothing and says nothing; an empty list file
    // changes nothing at all, not even the spelling of the checked panel.
    f.form->AddFromListFile(list);
    QCOMPARE(f.prompts.messages.size(), 1);
    f.form->writePanel(f.form->WavRecs(), TMainForm::PanelChecked);
    f.form->AddFromListFile(f.text("empty.txt", ""));
    QCOMPARE(f.form->panelText(3), QString("1 File(s)   00:00:02"));
    QCOMPARE(f.prompts.messages.size(), 1);

    // A first line of another kind shows the MP3 to WAV tab.
    const QString other = f.text("other.txt", f.path("readme").toUtf8() + "\n" + w1.toUtf8());
    f.form->AddFromListFile(other);
    QCOMPARE(f.form->currentKind(), JobKind::Mp3ToWav);
}

void TestAdding::listFileThroughSocket()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    Fixture f;
    {
        HandoverServer server;
        QVERIFY(server.listen("AudrelTest"));
        QCOMPARE(server.fullServerName(), runtime.path() + "/AudrelTest");
        QCOMPARE(QFileInfo(server.fullServerName()).permissions() & (QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        f.form->ListenForHandover(&server);
        // A second instance carries on without the name.
        HandoverServer second;
        QVERIFY(!second.listen("AudrelTest"));

        const QString m1 = f.mp3("m1.mp3", 10);
        const QString w1 = f.wav("w1.wav", 1);
        const QString list = f.text("files.txt", (m1 + "\n" + w1 + "\n").toUtf8());
        QLocalSocket client;
        client.connectToServer(server.fullServerName());
        QVERIFY(client.waitForConnected(2000));
        client.write(list.toUtf8() + "\nForceForeground\r\n");
        client.flush();
        QTRY_COMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.sources(JobKind::Mp3ToWav), QStringList{m1});
        QCOMPARE(f.sources(JobKind::WavToMp3), QStringList{w1});
        QCOMPARE(f.prompts.messages[0].text.left(52),
                 QString("1 MPEG file(s) added and 1 WAV file(s) added, 0 WMA "));
        QTRY_VERIFY(f.form->isVisible()); // brought to the front

        // A flood of bad requests: each handled after the one before has ended,
        // never from inside its message box; relative paths are ignored.
        f.prompts.messages.clear();
        int depth = 0;
        int deepest = 0;
        f.prompts.onMessage = [&](const MessageRequest&) {
            deepest = std::max(deepest, ++depth);
            QCoreApplication::processEvents(); // as a real message box does
            --depth;
        };
        QByteArray flood;
        for (int i = 0; i < 300; ++i)
            flood += (f.path("missing%1.txt").arg(i) + "\nrelative.txt\n").toUtf8();
        client.write(flood);
        client.flush();
        QTRY_VERIFY(!f.prompts.messages.isEmpty());
        QTest::qWait(300);
        QCOMPARE(deepest, 1);
        QVERIFY(f.prompts.messages.size() <= 300);
        for (const MessageRequest& m : f.prompts.messages)
            QVERIFY2(m.text.contains("/missing") && !m.text.contains("relative.txt"), qPrintable(m.text));
        // What waits beyond the queue's bound is dropped.
        f.prompts.messages.clear();
        for (int i = 0; i < TMainForm::kMaxQueuedListFiles + 50; ++i)
            f.form->QueueListFile(f.path("gone%1.txt").arg(i));
        QTRY_COMPARE(f.prompts.messages.size(), TMainForm::kMaxQueuedListFiles);
        QTest::qWait(100);
        QCOMPARE(f.prompts.messages.size(), TMainForm::kMaxQueuedListFiles);
        f.prompts.onMessage = nullptr;
        client.disconnectFromServer();
    }
    // A socket left behind by an instance that ended is taken over.
    const QByteArray stale = HandoverServer::socketPath("AudrelTest").toUtf8();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, stale.constData(), sizeof(address.sun_path));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    QVERIFY(QFile::exists(stale));
    HandoverServer third;
    QVERIFY(third.listen("AudrelTest"));
    qunsetenv("XDG_RUNTIME_DIR");

    // Without a runtime folder the socket lives in a folder of its own under the
    // temporary folder, used only when it is this user's and nobody else's: a
    // planted link or an open folder is left alone and not served.
    QTemporaryDir temp;
    QTemporaryDir elsewhere;
    writeFile(elsewhere.filePath("AudrelTest"), "not a socket");
    QFile::setPermissions(elsewhere.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther);
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    const QString own = temp.filePath(QStringLiteral("audrel-%1").arg(getuid()));
    QVERIFY(QFile::link(elsewhere.path(), own));
    HandoverServer planted;
    QVERIFY(!planted.listen("AudrelTest"));
    QVERIFY(QFileInfo(elsewhere.path()).permissions() & QFile::ReadOther);
    QCOMPARE(test::readFile(elsewhere.filePath("AudrelTest")), QByteArray("not a socket"));
    QVERIFY(QFile::remove(own));
    QVERIFY(QDir().mkdir(own));
    QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    QVERIFY(!planted.listen("AudrelTest"));
    QVERIFY(QDir().rmdir(own));
    HandoverServer fresh;
    QVERIFY(fresh.listen("AudrelTest"));
    QCOMPARE(fresh.fullServerName(), own + "/AudrelTest");
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(own).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
    qputenv("TMPDIR", oldTemp);
}

void TestAdding::commandLineListFileAfterStart()
{
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    const QString w = dir.filePath("w.wav");
    writeFile(w, wavBytes(1));
    writeFile(dir.filePath("list.txt"), w.toUtf8() + "\n");
    TMainForm form(dir.path() + "/", {"audrel", dir.filePath("list.txt"), dir.filePath("ignored.txt")});
    QCOMPARE(form.WavRecs()->count(), 0);
    QTRY_COMPARE(form.WavRecs()->count(), 1);
    QCOMPARE(form.currentKind(), JobKind::WavToMp3);
    QCOMPARE(prompts.messages.size(), 1);

    // "Open with" from a file manager: audio files, added as if dropped, silently.
    const QString w2 = dir.filePath("w2.wav");
    writeFile(w2, wavBytes(2));
    TMainForm opened(dir.path() + "/", {"audrel", w2, w, dir.filePath("missing.wav")});
    QTRY_COMPARE(opened.WavRecs()->count(), 2);
    QCOMPARE(opened.WavRecs()->record(0).Source, w2);
    QCOMPARE(opened.currentKind(), JobKind::WavToMp3);
    QCOMPARE(prompts.messages.size(), 1);
}

void TestAdding::droppedFiles()
{
    Fixture f;
    f.form->showTab(JobKind::WavToWma);
    const QString m1 = f.mp3("m1.mp3", 10);
    const QString pl = f.text("a.m3u", "m1.mp3\n");
    f.form->DropFiles({pl});
    QCOMPARE(f.form->currentKind(), JobKind::WavToWma); // a playlist alone leaves the tab
    QCOMPARE(f.sources(JobKind::Mp3ToWav), QStringList{m1});
    QCOMPARE(f.prompts.messages.size(), 0);

    // A drop on a list view, with a path deeper than 79 bytes.
    const QString deep = f.wav(QString("d").repeated(60) + "/" + QString("e").repeated(60) + "/song.wav", 1);
    auto* view = f.form->view(JobKind::WavToWma);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(deep), QUrl::fromLocalFile(f.path("x.txt"))});
    QVERIFY(view->takeDrop(&mime));
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.wav")});
    QVERIFY(!view->takeDrop(&remote));
    QTRY_COMPARE(f.sources(JobKind::WavToMp3), QStringList{deep});
    QCOMPARE(f.form->currentKind(), JobKind::WavToMp3);
    QCOMPARE(f.prompts.messages.size(), 0);
    f.verifyNormal();
}

void TestAdding::failuresLeaveListsNormal()
{
    Fixture f;
    // A list file that cannot be read.
    f.form->AddFromListFile(f.path("no-such-list.txt"));
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY(f.prompts.messages[0].text.contains(f.path("no-such-list.txt")));
    QCOMPARE(f.prompts.messages[0].icon, MsgIcon::Error);
    f.verifyNormal();

    // Files that cannot be opened get no row; the add goes on and names them
    // at the end: a missing playlist, a missing WMA file, a pipe, a playlist
    // that is a device. A pipe as the list file is refused at once instead of
    // waiting for a writer.
    const QString w1 = f.wav("w1.wav");
    const QString w2 = f.wav("w2.wav");
    const QString missing = f.path("missing.wma");
    const QString pipe = f.path("pipe.wma");
    const QString fifoList = f.path("fifo.txt");
    QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY(mkfifo(QFile::encodeName(fifoList).constData(), 0600) == 0);
    QVERIFY(QFile::link("/dev/zero", f.path("zero.m3u")));
    f.prompts.messages.clear();
    f.form->AddFromListFile(f.text("l2.txt", (w1 + "\n" + f.path("gone.m3u") + "\n" + missing + "\n" + pipe +
                                              "\n" + f.path("zero.m3u") + "\n" + w2)
                                                 .toUtf8()));
    QVERIFY(f.sources(JobKind::WmaToWav).isEmpty());
    QCOMPARE(f.sources(JobKind::WavToMp3), (QStringList{w1, w2}));
    QCOMPARE(f.prompts.messages.size(), 2); // what was added, then what was not
    QVERIFY(f.prompts.messages[0].text.startsWith("0 MPEG file(s) added and 2 WAV file(s) added"));
    const QString skipped = f.prompts.messages[1].text;
    QCOMPARE(f.prompts.messages[1].icon, MsgIcon::Warning);
    for (const QString& name :
         {f.path("gone.m3u") + "\"", missing + "\"", pipe + "\": it is not a regular file",
          f.path("zero.m3u") + "\": it is not a regular file"})
        QVERIFY2(skipped.contains(name), qPrintable(skipped));
    f.verifyNormal();
    QCOMPARE(f.form->panelText(1), QString("2 File(s)   00:00:02"));
    f.form->AddFromListFile(fifoList);
    QCOMPARE(f.prompts.messages.size(), 3);
    QVERIFY(f.prompts.messages[2].text.contains("it is not a regular file"));
    f.verifyNormal();
}

void TestAdding::duplicateIndexFollowsRemovals()
{
    Fixture f;
    const QString w = f.wav("w.wav");
    QVERIFY(f.form->builder().AddRow(JobKind::WavToMp3, w));
    f.form->WavRecs()->removeRowsAt({0});
    QVERIFY(f.form->builder().AddRow(JobKind::WavToMp3, w));
    f.form->WavRecs()->clear();
    QVERIFY(f.form->WavRecs()->IsNewSource(w.toUpper()));
    QVERIFY(f.form->builder().AddRow(JobKind::WavToMp3, w));
}

void TestAdding::anyFormatList()
{
    using namespace audrel::test;
    if (!haveTool("ffmpeg") || !haveTool("sox")) QSKIP("ffmpeg or sox is not installed");
    WindowBench b;
    b.settings().ConvertJobs = 2;
    b.settings().PlayDone = false;
    b.settings().ViewFolder = false;
    const QString wav = b.path("source.wav");
    QVERIFY(runTool("sox", {"-q", "-n", "-r", "48000", "-c", "2", "-b", "24", wav, "synth", "1", "sine", "440"}));
    const QString cover = b.path("cover.png");
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=32x32", "-frames:v", "1", cover}));
    const QString flac = b.path("song.flac");
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-i", wav, "-i", cover, "-map", "0:a", "-map", "1:v", "-c:a", "flac",
                               "-c:v", "png", "-disposition:v", "attached_pic", "-metadata", "title=Song",
                               "-metadata", "artist=Band", flac}));
    const QString ogg = b.path("piece.ogg");
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "libvorbis", ogg}));
    const QString mp3 = b.path("track.mp3");
    QVERIFY(runTool("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "libmp3lame", mp3}));
    const QString fake = b.path("fake.flac");
    writeFile(fake, "no audio in here");
    JobList* any = b.form->list(JobKind::AnyFormat);

    // Dropped on its own list, every audio file stays there whatever its kind;
    // a file without audio gets no row and is named.
    b.form->DropFilesOn(JobKind::AnyFormat, {flac, mp3, fake});
    QCOMPARE(b.form->currentKind(), JobKind::AnyFormat);
    QCOMPARE(any->count(), 2);
    QCOMPARE(b.form->Mp3Recs()->count(), 0);
    QCOMPARE(any->subItem(0, JobList::SubDest), b.path("song.mp3"));
    QCOMPARE(any->subItem(0, JobList::SubDuration), QString("00:00:01"));
    QCOMPARE(any->subItem(0, 4), QString("FLAC 48 kHz stereo 24-bit"));
    QCOMPARE(any->subItem(0, 5), QString("Song"));
    QCOMPARE(any->subItem(0, 6), QString("Band"));
    QCOMPARE(b.prompts.messages.size(), 1);
    QVERIFY2(b.prompts.messages[0].text.contains(fake + ": it holds no audio that can be decoded"),
             qPrintable(b.prompts.messages[0].text));

    // A list file sends the other audio file to this list and the MP3 file to
    // its own, and the summary counts the other kind too.
    b.prompts.messages.clear();
    const QString list = b.path("list.txt");
    writeFile(list, (ogg + "\n" + mp3 + "\n").toUtf8());
    b.form->AddFromListFile(list);
    QCOMPARE(any->count(), 3);
    QCOMPARE(b.form->Mp3Recs()->count(), 1);
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text,
             QString("1 MPEG file(s) added and 0 WAV file(s) added, 0 WMA file(s) added,  1 other audio file(s) "
                     "added, \n\nPlease Click \"Convert Button\" to Start Converting."));

    // Another format renames the destinations of the rows not converted yet.
    any->record(1).State = JobState::Converted;
    any->setItemChecked(1, false);
    b.form->FormatChange("opus");
    QCOMPARE(b.settings().AnyFormat, QString("opus"));
    QCOMPARE(b.form->findChild<QComboBox*>("Combo_Format")->currentText(), QString("Opus"));
    QCOMPARE(any->record(0).Dest, b.path("song.opus"));
    QCOMPARE(any->subItem(0, JobList::SubDest), b.path("song.opus"));
    QCOMPARE(any->record(1).Dest, b.path("track.mp3"));
    QCOMPARE(any->record(2).Dest, b.path("piece.opus"));

    // Converted two at a time, with their tags and cover.
    b.prompts.messages.clear();
    b.form->showTab(JobKind::AnyFormat);
    b.form->ConvertExecute();
    QVERIFY2(b.prompts.messages.isEmpty(), qPrintable(b.prompts.messages.value(0).text));
    for (int row : {0, 2}) {
        QCOMPARE(any->subItem(row, JobList::SubStatus), QString("Done"));
        QCOMPARE(probe(any->record(row).Dest).codec, QString("opus"));
        QVERIFY(std::abs(probe(any->record(row).Dest).seconds - 1.0) < 0.03);
    }
    const AudioTags carried = ReadTags(b.path("song.opus"));
    QCOMPARE(carried.Title, QString("Song"));
    QCOMPARE(carried.Cover, ReadTags(flac).Cover);
    QVERIFY(!carried.Cover.isEmpty());

    // Its information: what FFmpeg finds, the tags, and the cover picture.
    TForm_MediaProperty property(flac, b.folder());
    const QStringList lines = property.memoLines();
    QVERIFY2(lines.contains("Codec: FLAC (flac)") && lines.contains("Bits per sample: 24") &&
                 lines.contains("Title: Song"),
             qPrintable(lines.join(" | ")));
    QVERIFY(property.Image_Cover());
    QCOMPARE(property.Image_Cover()->pixmap().width(), 160);
}
