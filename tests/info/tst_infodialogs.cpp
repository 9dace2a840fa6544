#include "app/mainform.h"
#include "info/audiotags.h"
#include "info/form_property.h"
#include "info/form_wavproperty.h"
#include "info/form_wmaproperty.h"
#include "info/mpegaudio.h"
#include "infotestutil.h"
#include "jobs/joblist.h"
#include "jobs/rowbuilder.h"
#include "scriptedprompts.h"
#include "testmain.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace audrel;
using namespace audrel::test;

namespace {

// 100 frames of MPEG 1 Layer III, 128 kbit/s, 44 100 Hz.
QByteArray frames()
{
    return mpegFrame(0xFFFB9000, 417).repeated(100);
}

template <class W> W* child(QWidget& w, const char* name)
{
    W* c = w.findChild<W*>(name);
    if (!c) qFatal("no child %s", name);
    return c;
}

QByteArray lastBytes(const QString& path, int n)
{
    return readFile(path).right(n);
}

// A silent 8 kHz stereo WAV of the playing time wanted.
QByteArray silentWav(double seconds)
{
    return wav::riff(wav::fmtPcm(2, 8000, 16) +
                     wav::chunk("data", QByteArray(int(seconds * 8000) * 4, '\0')));
}

} // namespace

class TestInfoDialogs : public QObject
{
    Q_OBJECT

private slots:
    void updateAtOnceWritesDefaults()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("plain.mp3");
        writeFile(path, frames());
        TForm_Property form(path);
        QCOMPARE(form.windowTitle(), QString("Mpeg file property + ID3 tag editor"));
        QVERIFY(!child<QCheckBox>(form, "Check_ID3v1")->isChecked());
        for (const char* name : {"Edit_Title", "Edit_Artist", "Edit_Album", "Edit_year", "Edit_Comment",
                                 "Edit_track", "Combo_Genre"})
            QVERIFY2(!child<QWidget>(form, name)->isEnabled(), name);
        child<QCheckBox>(form, "Check_ID3v1")->setChecked(true);
        QVERIFY(child<QLineEdit>(form, "Edit_Title")->isEnabled());
        QCOMPARE(child<QLineEdit>(form, "Edit_Title")->maxLength(), 30);
        QCOMPARE(child<QComboBox>(form, "Combo_Genre")->count(), 127);
        QCOMPARE(child<QComboBox>(form, "Combo_Genre")->currentIndex(), 0);

        form.Btn_updateClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        const QByteArray tag = lastBytes(path, 128);
        QCOMPARE(QFileInfo(path).size(), 417 * 100 + 128);
        QCOMPARE(tag.left(3), QByteArray("TAG"));
        QCOMPARE(tag.mid(3, 30), QByteArray("Unknown Title").leftJustified(30, '\0'));
        QCOMPARE(tag.mid(33, 30), QByteArray("Unknown Artist").leftJustified(30, '\0'));
        QCOMPARE(tag.mid(63, 30), QByteArray("[notag]").leftJustified(30, '\0'));
        QCOMPARE(tag.mid(93, 4), QByteArray("    "));
        QCOMPARE(tag.mid(97, 29), QByteArray("[notag]").leftJustified(29, '\0'));
        QCOMPARE(uint8_t(tag[126]), uint8_t(0));
        QCOMPARE(uint8_t(tag[127]), uint8_t(255));
    }

    void editsReachTheTag()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tagged.mp3");
        writeFile(path, frames() + id3v1Tag("Song", "Band", "Disc", "1999",
                                            QByteArray(28, '\0') + '\0' + '\7', 7, 17));
        TForm_Property form(path);
        auto* genre = child<QComboBox>(form, "Combo_Genre");
        QCOMPARE(genre->currentText(), QString("Rock")); // genre 17 is item 18
        QCOMPARE(child<QLineEdit>(form, "Edit_track")->text(), QString("7"));
        child<QCheckBox>(form, "Check_ID3v1")->setChecked(true);
        child<QLineEdit>(form, "Edit_Title")->setText("New Title");
        child<QLineEdit>(form, "Edit_year")->setText("20");
        genre->setCurrentIndex(5);
        emit genre->activated(5);
        child<QLineEdit>(form, "Edit_track")->setText("99");
        // Undo puts back what was read.
        form.Btn_UndoClick();
        QCOMPARE(child<QLineEdit>(form, "Edit_Title")->text(), QString("Song"));
        QCOMPARE(genre->currentText(), QString("Rock"));
        QCOMPARE(child<QLineEdit>(form, "Edit_track")->text(), QString("7"));

        child<QLineEdit>(form, "Edit_Title")->setText("New Title");
        child<QLineEdit>(form, "Edit_year")->setText("20");
        child<QLineEdit>(form, "Edit_track")->setText("300");
        // A typed genre name chooses no entry: genre 255.
        QTest::keyClicks(genre->lineEdit(), "Jazz");
        QVERIFY(form.UpdatedColumns().isEmpty());
        form.Btn_updateClick();
        QCOMPARE(form.UpdatedColumns(), QStringList({"New Title", "Band", "Disc", "20  "}));
        TMPEGAudio reader;
        reader.OnError = nullptr;
        reader.LoadFile(path);
        QCOMPARE(reader.Data.Title, QString("New Title"));
        QCOMPARE(reader.Data.Year, QString("20  "));
        QCOMPARE(reader.Data.Track, uint8_t(44)); // 300 - 256
        QCOMPARE(reader.Data.Genre, uint8_t(255));
        QCOMPARE(QFileInfo(path).size(), 417 * 100 + 128); // the old tag replaced

        // An empty track keeps the value it had.
        TForm_Property again(path);
        child<QLineEdit>(again, "Edit_track")->clear();
        again.Btn_updateClick();
        reader.LoadFile(path);
        QCOMPARE(reader.Data.Track, uint8_t(44));
    }

    void xingMemoAndBadFile()
    {
        QTemporaryDir dir;
        // A Xing frame (mono MPEG 1: the tag 21 bytes in) with 10 000 frames.
        QByteArray first = mpegFrame(0xFFFB90C0, 417);
        first.replace(21, 12, "Xing" + be32(1) + be32(10000));
        const QString xing = dir.filePath("xing.mp3");
        writeFile(xing, first + mpegFrame(0xFFFB90C0, 417).repeated(100));
        TForm_Property form(xing);
        const QStringList memo = child<QPlainTextEdit>(form, "MpegMemo")->toPlainText().split('\n');
        QCOMPARE(memo.size(), 9);
        QVERIFY2(memo[3].startsWith("-1kbit, "), qPrintable(memo[3]));
        QCOMPARE(memo[1], QString("Length: 261 seconds"));

        // A file without MPEG frames: the error prompt, then the reset values.
        ScriptedPrompts prompts;
        const QString junk = dir.filePath("junk.mp3");
        writeFile(junk, QByteArray(5000, 'x'));
        TForm_Property bad(junk);
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages[0].text, "Error openning file: " + junk);
        QVERIFY(child<QPlainTextEdit>(bad, "MpegMemo")
                    ->toPlainText()
                    .contains("Version: Mpeg Unknown Layer Unknown"));
    }

    void failedWriteIsReported()
    {
        if (geteuid() == 0 && QProcess::execute("chattr", {"-h"}) < 0)
            QSKIP("no way to make a file unwritable here");
        QTemporaryDir dir;
        const QString path = dir.filePath("locked.mp3");
        writeFile(path, frames());
        const bool root = geteuid() == 0;
        if (root ? QProcess::execute("chattr", {"+i", path}) != 0
                 : !QFile::setPermissions(path, QFile::ReadOwner))
            QSKIP("cannot make the file unwritable");
        ScriptedPrompts prompts;
        TForm_Property form(path);
        form.Btn_updateClick();
        if (root) QProcess::execute("chattr", {"-i", path});
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(prompts.messages[0].text.startsWith("The tag could not be written to " + path));
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(QFileInfo(path).size(), 417 * 100);
    }

    void wavAndWmaMemos()
    {
        QTemporaryDir dir;
        const QString half = dir.filePath("half.wav");
        writeFile(half, silentWav(2.5));
        TForm_WavProperty w(half);
        QCOMPARE(w.windowTitle(), QString("Wav File Property"));
        QVERIFY(w.memoLines().contains("Duration: 2.500 sec."));
        QCOMPARE(w.memoLines().first(), QString("Format: Windows PCM"));

        const QString bad = dir.filePath("bad.wav");
        writeFile(bad, "RIFF" + QByteArray(60, '\0'));
        QCOMPARE(TForm_WavProperty(bad).memoLines(), QStringList());
        const QString notWma = dir.filePath("bad.wma");
        writeFile(notWma, QByteArray(100, 'a'));
        TForm_WmaProperty m(notWma);
        QCOMPARE(m.windowTitle(), QString("Windows Media Audio File Property"));
        QCOMPARE(m.memoLines(), QStringList());
    }

    void id3v2TagBesideTheEditor()
    {
        AUDREL_REQUIRE_TOOLS("sox", "lame", "ffmpeg", "ffprobe");
        QTemporaryDir dir;
        ScriptedPrompts prompts;
        const QString wav = dir.filePath("tone.wav");
        const QString path = dir.filePath("v2.mp3");
        QVERIFY(
            runTool("sox", {"-n", "-r", "44100", "-c", "1", "-b", "16", wav, "synth", "0.3", "sine", "440"}));
        QVERIFY(runTool("lame", {"--quiet", "--id3v2-only", "--tt", "Version Two", "--ta", "Band", "--tl",
                                 "Disc", "--ty", "2020", wav, path}));
        // Without an ID3v1 tag, the list's columns come from the ID3v2 tag.
        TMainForm form(dir.path() + "/");
        QVERIFY(form.builder().AddRow(JobKind::Mp3ToWav, path));
        QCOMPARE(form.Mp3Recs()->subItem(0, 3), QString("Version Two"));
        QCOMPARE(form.Mp3Recs()->subItem(0, 4), QString("Band"));
        QCOMPARE(form.Mp3Recs()->subItem(0, 6), QString("2020"));

        // A plain Update leaves the ID3v2 tag as it was and adds the ID3v1 tag.
        const QByteArray original = readFile(path);
        TForm_Property(path).Btn_updateClick();
        QCOMPARE(readFile(path).size(), original.size() + 128);
        QCOMPARE(readFile(path).left(original.size()), original);

        // The editor names the tag and, with its box checked, updates it too.
        {
            TForm_Property editor(path);
            auto* label = child<QLabel>(editor, "Label_ID3v2");
            QVERIFY(label->text().startsWith("Also an ID3v2.") && label->text().endsWith(": Version Two"));
            auto* box = child<QCheckBox>(editor, "Check_ID3v2");
            QVERIFY(box->isChecked());
            child<QLineEdit>(editor, "Edit_Title")->setText("Both Tags");
            editor.Btn_updateClick();
        }
        QCOMPARE(ReadId3v2(path).Tags.Title, QString("Both Tags"));
        {
            TForm_Property editor(path);
            child<QCheckBox>(editor, "Check_ID3v2")->setChecked(false);
            child<QLineEdit>(editor, "Edit_Title")->setText("Only ID3v1");
            editor.Btn_updateClick();
        }
        QCOMPARE(ReadId3v2(path).Tags.Title, QString("Both Tags"));
        TMPEGAudio reader;
        reader.OnError = nullptr;
        reader.LoadFile(path);
        QCOMPARE(reader.Data.Title, QString("Only ID3v1"));

        // The editors hold the ID3v1 view; only a field changed there reaches the
        // ID3v2 tag, in full, and the others keep their longer texts.
        const QString both = dir.filePath("both.mp3");
        const QString longTitle = QStringLiteral("日本語のタイトル, a title longer than thirty characters 𝄞");
        QVERIFY(runTool("ffmpeg", {"-v", "error", "-i", wav, "-id3v2_version", "4", "-metadata",
                                   "title=" + longTitle, "-metadata", "album=Ålbum", "-metadata", "track=3/12",
                                   both}));
        TMPEGAudio v1;
        v1.OnError = nullptr;
        v1.LoadFile(both);
        v1.setTitle("V1 title");
        v1.setTrack(3);
        QCOMPARE(v1.WriteTag(), 0);
        const QByteArray tagged = readFile(both);
        TForm_Property(both).Btn_updateClick();
        QCOMPARE(readFile(both), tagged);
        {
            TForm_Property editor(both);
            QCOMPARE(child<QLineEdit>(editor, "Edit_Title")->text(), QString("V1 title"));
            child<QLineEdit>(editor, "Edit_Artist")->setText("Ärtist");
            child<QLineEdit>(editor, "Edit_track")->setText("4");
            editor.Btn_updateClick();
        }
        const AudioTags after = ReadId3v2(both).Tags;
        QCOMPARE(after.Title, longTitle);
        QCOMPARE(after.Artist, QString("Ärtist"));
        QCOMPARE(after.Album, QString("Ålbum"));
        QCOMPARE(probeTags(both).value("track"), QString("4/12"));
        QVERIFY(readFile(both).startsWith("ID3\x04"));
        // A file without an ID3v2 tag shows neither.
        TForm_Property plain(wav);
        QVERIFY(!child<QCheckBox>(plain, "Check_ID3v2")->isVisibleTo(&plain));
        QVERIFY(prompts.messages.size() <= 1); // the plain WAV is no MPEG audio
    }

    void propertiesCommand()
    {
        QTemporaryDir dir;
        ScriptedPrompts prompts;
        TMainForm form(dir.path() + "/");
        form.findChild<QAction*>("Properties")->trigger();
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages[0].text,
                 QString("No file selected , Please add and select audio file first ! "));
        QCOMPARE(prompts.messages[0].caption, QString("Information"));
        QCOMPARE(prompts.messages[0].icon, MsgIcon::Warning);

        for (const char* name : {"a.wav", "b.wav"}) {
            writeFile(dir.filePath(name), silentWav(1));
            QVERIFY(form.builder().AddRow(JobKind::WavToWma, dir.filePath(name)));
        }
        form.showTab(JobKind::WavToWma);
        form.Wav2WMARecs()->setSelected(1, true);
        form.Wav2WMARecs()->setSelected(0, true);
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TForm_WavProperty*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            shown = dialog->findChild<QWidget*>("Panel_Name")->property("text").toString();
            dialog->accept();
        });
        form.findChild<QAction*>("Properties")->trigger();
        QCOMPARE(shown, dir.filePath("a.wav"));
        QCOMPARE(form.CurrentFile, dir.filePath("a.wav"));

        // On the MP3 to WAV tab, the tag written by Update shows in the row's columns.
        const QString song = dir.filePath("song.mp3");
        writeFile(song, frames());
        QVERIFY(form.builder().AddRow(JobKind::Mp3ToWav, song));
        form.showTab(JobKind::Mp3ToWav);
        form.Mp3Recs()->setSelected(0, true);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TForm_Property*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            child<QLineEdit>(*dialog, "Edit_Title")->setText("Renamed");
            dialog->Btn_updateClick();
        });
        form.findChild<QAction*>("Properties")->trigger();
        QCOMPARE(form.Mp3Recs()->subItem(0, 3), QString("Renamed"));
        QCOMPARE(form.Mp3Recs()->subItem(0, 4), QString("Unknown Artist"));
    }
};

AUDREL_GUI_TEST_MAIN(TestInfoDialogs)
#include "tst_infodialogs.moc"
