// What every conversion dialog does alike, run on the WAV to MP3 dialog with
// real files: the overwrite question, the outcome handed back, failures that
// wait for Abort, results that take their names only when complete, and the
// temporary files they are written under first, and the view of several
// files at once.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "windowbench.h"

#include "convert/destinationfile.h"
#include "convert/form_wavtomp3.h"
#include "convert/lamecoder.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace audrel;
using namespace audrel::test;

namespace {

struct Bench : WindowBench
{
    JobList* list() const { return form->WavRecs(); }
    int addRow(const QString& source, const QString& dest, bool checked = true)
    {
        return addWavRow(source, dest, 44100, 0, 16, checked);
    }
    // Hidden files of the run's folders, such as results not yet in place.
    QStringList leftovers(const QString& folder = {}) const
    {
        return QDir(folder.isEmpty() ? dir.path() : folder)
            .entryList({".audrel-*"}, QDir::Files | QDir::Hidden);
    }
};

bool isMp3(const QString& path)
{
    const QByteArray head = readFile(path).left(2);
    return head.size() == 2 && uchar(head[0]) == 0xFF && (uchar(head[1]) & 0xE0) == 0xE0;
}

} // namespace

class TestConversionDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void overwriteQuestionAndOutcome();
    void overwriteOffReplacesWithoutAsking();
    void twoAtOnceAndTheCloseBox();
    void closedBeforeTheRunBegins();
    void failuresWaitForAbort_data();
    void failuresWaitForAbort();
    void longBatchRunsToTheEnd();
    void temporaryFilesAreOursAlone();

private:
    QTemporaryDir m_media;
    QString m_short; // 1 s stereo
    QString m_long;  // 30 s stereo
};

void TestConversionDialog::initTestCase()
{
    if (!haveTool("sox")) QSKIP("sox is not installed");
    m_short = m_media.filePath("short.wav");
    m_long = m_media.filePath("long.wav");
    QVERIFY(makeWav(m_short, 44100, 2, 1.0));
    QVERIFY(makeWav(m_long, 44100, 2, 30.0));
}

void TestConversionDialog::overwriteQuestionAndOutcome()
{
    Bench b;
    writeFile(b.path("keep.mp3"), "not to be touched");
    writeFile(b.path("replace.mp3"), "old contents");
    b.addRow(m_short, b.path("keep.mp3"));
    b.addRow(m_short, b.path("replace.mp3"));
    b.addRow(m_short, b.path("unchecked.mp3"), false);
    b.addRow(m_short, b.path("new/folder/new.mp3")); // a missing folder is made
    b.prompts.messageAnswers << IdNo << IdYes;
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QList<int> totals;
    b.prompts.onMessage = [&](const MessageRequest&) {
        totals << dialog.findChild<QProgressBar*>("Gauge_Total")->value();
    };
    QCOMPARE(b.run(dialog), int(TConversionDialog::mrOk));

    QCOMPARE(b.prompts.messages.size(), 2);
    const MessageRequest& asked = b.prompts.messages.first();
    QCOMPARE(asked.text, overwriteQuestion(b.path("keep.mp3")));
    QCOMPARE(asked.caption, "Confirm");
    QCOMPARE(asked.icon, MsgIcon::Question);
    QCOMPARE(asked.buttons, (QList<int>{IdYes, IdNo}));
    QCOMPARE(b.prompts.messages[1].text, overwriteQuestion(b.path("replace.mp3")));
    QCOMPARE(totals, (QList<int>{0, 1}));
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge_Total")->value(), 3);

    QCOMPARE(readFile(b.path("keep.mp3")), QByteArray("not to be touched"));
    QVERIFY(isMp3(b.path("replace.mp3")));
    QVERIFY(isMp3(b.path("new/folder/new.mp3")));
    QVERIFY(!QFile::exists(b.path("unchecked.mp3")));
    QVERIFY(b.leftovers().isEmpty());
    QVERIFY(b.leftovers(b.path("new/folder")).isEmpty());

    // The rows show what happened, and the outcome says which rows this run converted.
    QCOMPARE(dialog.Outcome().Result, int(TConversionDialog::mrOk));
    QCOMPARE(dialog.Outcome().ConvertedRows, (QList<int>{1, 3}));
    QVERIFY(dialog.Outcome().AbortedDestPath.isEmpty());
    QVERIFY(!dialog.Outcome().EngineFailed);
    for (int row : {1, 3}) {
        QCOMPARE(b.list()->subItem(row, JobList::SubStatus), "Done");
        QVERIFY(!b.list()->isItemChecked(row));
        QCOMPARE(b.list()->record(row).State, JobState::Converted);
    }
    QVERIFY(b.list()->isItemChecked(0));
    QCOMPARE(b.list()->subItem(0, JobList::SubStatus), QString());
    QCOMPARE(b.list()->record(0).State, JobState::Pending);
    QCOMPARE(b.list()->counters().CheckedCount, 1);

    // Every destination declined: the dialog closes by itself, nothing converted.
    b.prompts.messages.clear();
    b.prompts.messageAnswers << IdNo;
    TForm_WavtoMp3 again(*b.list(), b.settings());
    QCOMPARE(b.run(again), int(TConversionDialog::mrOk));
    QCOMPARE(b.prompts.messages.size(), 1);
    QVERIFY(again.Outcome().ConvertedRows.isEmpty());
    QCOMPARE(readFile(b.path("keep.mp3")), QByteArray("not to be touched"));
}

void TestConversionDialog::overwriteOffReplacesWithoutAsking()
{
    Bench b;
    b.settings().OverWrite = false;
    writeFile(b.path("a.mp3"), QByteArray(200000, 'x'));
    b.addRow(m_short, b.path("a.mp3"));
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QCOMPARE(b.run(dialog), int(TConversionDialog::mrOk));
    QVERIFY(b.prompts.messages.isEmpty());
    // Replaced, with no trace of the longer old contents.
    QVERIFY(!readFile(b.path("a.mp3")).contains(QByteArray(64, 'x')));
    QVERIFY(isMp3(b.path("a.mp3")));
}

void TestConversionDialog::twoAtOnceAndTheCloseBox()
{
    // Two files at a time: a line for each file in flight with a gauge in
    // percent, the run's time, and the close box aborting. The row that
    // finished shows "Done"; the two in flight leave nothing, and the earlier
    // destination of one of them stays as it was.
    Bench b;
    b.settings().ConvertJobs = 2;
    b.settings().OverWrite = false;
    writeFile(b.path("two.mp3"), "an earlier two.mp3");
    b.addRow(m_short, b.path("one.mp3"));
    b.addRow(m_long, b.path("two.mp3"));
    b.addRow(m_long, b.path("three.mp3"));
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QVERIFY(dialog.findChild<QLineEdit*>("Edit_Src2"));
    QVERIFY(!dialog.findChild<QLineEdit*>("Edit_Src3"));
    QStringList shown;
    connect(&dialog.Runner(), &BatchRunner::itemProgress, this, [&](int index, qint64 done) {
        if (index != 2 || done < 5 || !dialog.isVisible()) return;
        for (const char* name : {"Edit_Dest", "Edit_Dest2"})
            shown << dialog.findChild<QLineEdit*>(name)->text();
        for (const char* name : {"Gauge", "Gauge2", "Gauge_Total"})
            shown << dialog.findChild<QProgressBar*>(name)->text();
        shown << dialog.findChild<QLabel*>("Label_Time")->text().left(9);
        dialog.close();
    });
    QCOMPARE(b.run(dialog), int(TConversionDialog::mrCancel));

    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown.mid(0, 2), (QStringList{b.path("three.mp3"), b.path("two.mp3")}));
    QVERIFY2(shown[2].endsWith('%') && shown[3].endsWith('%'), qPrintable(shown.join(", ")));
    QCOMPARE(shown[4], "1 / 3");
    QCOMPARE(shown[5], "Elapsed: ");
    const ConversionOutcome& outcome = dialog.Outcome();
    QCOMPARE(outcome.Result, int(TConversionDialog::mrCancel));
    QCOMPARE(outcome.ConvertedRows, QList<int>{0});
    QVERIFY(isMp3(b.path("one.mp3")));
    QCOMPARE(readFile(b.path("two.mp3")), QByteArray("an earlier two.mp3"));
    QVERIFY(!QFile::exists(b.path("three.mp3")));
    QVERIFY(b.leftovers().isEmpty());
    QCOMPARE(b.list()->subItem(0, JobList::SubStatus), "Done");
    for (int row : {1, 2}) {
        QCOMPARE(b.list()->subItem(row, JobList::SubStatus), QString());
        QVERIFY(b.list()->isItemChecked(row));
        QCOMPARE(b.list()->record(row).State, JobState::Pending);
    }
    QCOMPARE(b.list()->counters().CheckedCount, 2);
}

void TestConversionDialog::closedBeforeTheRunBegins()
{
    Bench b;
    b.addRow(m_short, b.path("never.mp3"));
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    dialog.show();
    dialog.close(); // before the 100 ms timer
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(TConversionDialog::mrOk));
    QTest::qWait(300);
    QVERIFY(!QFile::exists(b.path("never.mp3")));
    QVERIFY(b.list()->isItemChecked(0));
    QVERIFY(dialog.Outcome().ConvertedRows.isEmpty());
    QVERIFY(dialog.Outcome().AbortedDestPath.isEmpty());
}

void TestConversionDialog::failuresWaitForAbort_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("encoder error") << "broken"
                                   << "Cannot read %source";
    QTest::newRow("destination is the source")
        << "hardlink"
        << "Cannot convert \"%source\" into \"%dest\": they are the same file.";
    QTest::newRow("folder cannot be made") << "nofolder"
                                           << "Cannot create the destination folder";
}

void TestConversionDialog::failuresWaitForAbort()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    Bench b;
    QString source = b.path("source.wav");
    QString dest = b.path("source.mp3");
    if (kind == "broken") {
        // Claims 8 bits, so the sample library reads it, and it can't.
        writeFile(source, QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(8, '\xff'));
    } else {
        QVERIFY(QFile::copy(m_short, source));
        if (kind == "hardlink") {
            dest = b.path("linked.mp3");
            QVERIFY(::link(QFile::encodeName(source).constData(), QFile::encodeName(dest).constData()) == 0);
        } else {
            writeFile(b.path("plain"), "a file, not a folder");
            dest = b.path("plain/sub/source.mp3");
        }
    }
    const QByteArray before = fileHash(source);
    b.settings().OverWrite = false;
    b.addWavRow(source, dest, 8000, 3, kind == "broken" ? 8 : 16);
    b.addRow(m_short, b.path("after.mp3"));
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    const std::optional<MessageRequest> shown = b.failsAndWaitsForAbort(dialog);
    QVERIFY(shown);
    message.replace("%source", source).replace("%dest", dest);
    QVERIFY2(shown->text.contains(message), qPrintable(shown->text));
    QVERIFY(!QFile::exists(b.path("after.mp3")));
    QVERIFY(b.list()->isItemChecked(0));
    QVERIFY(b.list()->isItemChecked(1));
    QCOMPARE(fileHash(source), before);
}

void TestConversionDialog::longBatchRunsToTheEnd()
{
    // Each next file starts from the event loop, so a long batch of short
    // files neither deepens the stack nor stalls.
    Bench b;
    const QString tiny = b.path("tiny.wav");
    QVERIFY(makeWav(tiny, 8000, 1, 0.05));
    constexpr int kFiles = 150;
    for (int i = 0; i < kFiles; ++i)
        b.addWavRow(tiny, b.path(QStringLiteral("out%1.mp3").arg(i)), 8000, 3, 16);
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QCOMPARE(b.run(dialog), int(TConversionDialog::mrOk));
    QCOMPARE(b.list()->counters().CheckedCount, 0);
    QCOMPARE(dialog.Outcome().ConvertedRows.size(), kFiles);
    for (int i = 0; i < kFiles; ++i)
        QVERIFY(QFile::exists(b.path(QStringLiteral("out%1.mp3").arg(i))));
}

void TestConversionDialog::temporaryFilesAreOursAlone()
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("song.mp3");
    const QString temp = DestinationFile::TempPathFor(dest);
    const QByteArray tempName = QFile::encodeName(temp);

    // What a killed run left is removed at the start of a run; one that a
    // conversion is writing stays, and a second writer is refused.
    writeFile(temp, "left by a run that was killed");
    QVERIFY(DestinationFile::RemoveStale(dest));
    QVERIFY(!QFileInfo::exists(temp));
    QVERIFY(!DestinationFile::RemoveStale(dest));
    DestinationFile writing;
    QCOMPARE(writing.prepare(m_short, dest), QString());
    QVERIFY(!DestinationFile::RemoveStale(dest));
    QVERIFY(QFileInfo::exists(temp));
    DestinationFile second;
    QCOMPARE(second.prepare(m_short, dest), "\"" + dest + "\" is being written by another conversion.");
    writing.discard();

    // A hard link to someone's file planted under the name, or a pipe, is
    // refused at once and left as it was.
    const QString victim = dir.filePath("victim.txt");
    writeFile(victim, "someone's file");
    QVERIFY(::link(QFile::encodeName(victim).constData(), tempName.constData()) == 0);
    const QString refusal =
        QStringLiteral("Cannot write \"%1\": its temporary name \"%2\" is taken by a link to "
                       "another file or by something that is not a plain file, which is left "
                       "alone.")
            .arg(dest, temp);
    QCOMPARE(second.prepare(m_short, dest), refusal);
    QVERIFY(!DestinationFile::RemoveStale(dest));
    QCOMPARE(readFile(victim), "someone's file");
    QVERIFY(QFileInfo::exists(temp));
    QVERIFY(QFile::remove(temp));
    QVERIFY(::mkfifo(tempName.constData(), 0600) == 0);
    QCOMPARE(second.prepare(m_short, dest), refusal);
    QVERIFY(!DestinationFile::RemoveStale(dest));
    struct stat status;
    QVERIFY(::lstat(tempName.constData(), &status) == 0 && S_ISFIFO(status.st_mode));
}

AUDREL_GUI_TEST_MAIN(TestConversionDialog)
#include "tst_conversiondialog.moc"
