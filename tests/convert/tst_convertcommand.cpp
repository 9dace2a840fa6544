// The Convert command on a real main window: the checks before a run, the
// options dialog, the conversion dialog of the visible tab, and what happens
// after it (the aborted file deleted, the notice sound, the folder, removal).

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "windowbench.h"

#include "app/mainform.h"
#include "convert/form_wavtomp3.h"
#include "platform/shell/desktopshell.h"
#include "settings/optionform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace audrel;
using namespace audrel::test;

namespace {

// A main window whose program folder holds the player library and the notice sound.
struct Bench : WindowBench
{
    RecordingShell shell;
    // Modal windows seen while the command ran, in order of appearance.
    QStringList modals;
    // Acts on the modal window on top while the command runs.
    std::function<void(QWidget*)> onModal;

    explicit Bench(bool notice = true, const QString& library = QStringLiteral(XAUDIO_PATH))
        : WindowBench(library)
    {
        if (notice) writeFile(dir.filePath("notice.wav"), "RIFF");
        Settings& s = form->settings();
        s.ViewFolder = true;
        s.PlayDone = true;
        s.PromptCvt = false;
        s.RemoveItem = false;
        s.OverWrite = true;
        s.SampleRate = 0;
    }
    int addWav(const QString& source, const QString& dest, bool checked = true)
    {
        return addWavRow(source, dest, 44100, 0, 16, checked);
    }

    // Runs the command on a tab, watching the modal windows it opens.
    void convert(JobKind kind)
    {
        form->showTab(kind);
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (modals.isEmpty() || modals.last() != modal->objectName()) modals << modal->objectName();
            if (onModal) onModal(modal);
        });
        watch.start();
        form->ConvertExecute();
    }
};

} // namespace

class TestConvertCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void nothingCheckedOpensNothing();
    void wmaTabsRunTheirDialogs();
    void runPlaysTheNoticeAndOpensTheFirstRowsFolder();
    void noSoundWithoutTheFileOrTheSetting();
    void soundAfterEveryRowWasSkipped();
    void optionsComeFirstAndCancelStillConverts();
    void abortDeletesTheHalfWrittenFile();
    void removeItemDropsTheConvertedRows();
    void mp3TabDecodesThroughThePlayerLibrary();
    void engineThatCannotStartIsAFailure();
    void desktopShellPlaysTheNoticeSound();

private:
    QTemporaryDir m_media;
    QString m_wav;  // 1 s stereo
    QString m_long; // 30 s stereo
};

void TestConvertCommand::initTestCase()
{
    for (const char* tool : {"sox", "lame"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_wav = m_media.filePath("short.wav");
    m_long = m_media.filePath("long.wav");
    QVERIFY(makeWav(m_wav, 44100, 2, 1.0));
    QVERIFY(makeWav(m_long, 44100, 2, 30.0));
}

void TestConvertCommand::nothingCheckedOpensNothing()
{
    Bench b;
    b.form->settings().PromptCvt = true;
    b.addWav(m_wav, b.path("a.mp3"), false);
    b.convert(JobKind::WavToMp3);
    QVERIFY(b.modals.isEmpty());
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, "No File(s) Checked , Please add and checked audio file(s) first! ");
    QCOMPARE(b.prompts.messages[0].caption, "Information");
    QVERIFY(!QFile::exists(b.path("a.mp3")));
    QVERIFY(b.shell.opened.isEmpty());
    QVERIFY(b.shell.played.isEmpty());
}

void TestConvertCommand::wmaTabsRunTheirDialogs()
{
    // The encoder control can be made (FFmpeg has the WMA v2 encoder and the
    // ASF muxer), so each WMA tab converts through its own dialog.
    Bench b;
    b.addWavToWmaRow(m_wav, b.path("song.wma"));
    b.convert(JobKind::WavToWma);
    b.addWmaRow(b.path("song.wma"), b.path("song.wav"));
    b.convert(JobKind::WmaToWav);
    QCOMPARE(b.modals, QStringList({"Form_wavtowma", "Form_wmatowav"}));
    QVERIFY(b.prompts.messages.isEmpty());
    QCOMPARE(b.form->Wav2WMARecs()->subItem(0, JobList::SubStatus), "Done");
    QCOMPARE(b.form->WMARecs()->subItem(0, JobList::SubStatus), "Done");
    QVERIFY(readWav(b.path("song.wav")).valid);
    QCOMPARE(b.shell.played, QStringList(2, b.path("notice.wav")));
}

void TestConvertCommand::runPlaysTheNoticeAndOpensTheFirstRowsFolder()
{
    Bench b;
    QDir(b.dir.path()).mkdir("first");
    QDir(b.dir.path()).mkdir("second");
    b.addWav(m_wav, b.path("unchecked/x.mp3"), false);
    b.addWav(m_wav, b.path("first/a.mp3"));
    b.addWav(m_wav, b.path("second/b.mp3"));
    b.convert(JobKind::WavToMp3);
    QCOMPARE(b.modals, QStringList{"Form_WavtoMp3"});
    QVERIFY(QFile::exists(b.path("first/a.mp3")));
    QVERIFY(QFile::exists(b.path("second/b.mp3")));
    QCOMPARE(b.form->WavRecs()->subItem(1, JobList::SubStatus), "Done");
    QCOMPARE(b.shell.played, QStringList{b.path("notice.wav")});
    QCOMPARE(b.shell.opened, QStringList{b.path("first") + "/"});
    QVERIFY(b.prompts.messages.isEmpty());
}

void TestConvertCommand::noSoundWithoutTheFileOrTheSetting()
{
    {
        Bench b(false);
        b.addWav(m_wav, b.path("a.mp3"));
        b.convert(JobKind::WavToMp3);
        QVERIFY(QFile::exists(b.path("a.mp3")));
        QVERIFY(b.shell.played.isEmpty());
    }
    {
        Bench b;
        b.form->settings().PlayDone = false;
        b.form->settings().ViewFolder = false;
        b.addWav(m_wav, b.path("a.mp3"));
        b.convert(JobKind::WavToMp3);
        QVERIFY(QFile::exists(b.path("a.mp3")));
        QVERIFY(b.shell.played.isEmpty());
        QVERIFY(b.shell.opened.isEmpty());
    }
}

void TestConvertCommand::soundAfterEveryRowWasSkipped()
{
    Bench b;
    writeFile(b.path("a.mp3"), "old");
    b.addWav(m_wav, b.path("a.mp3"));
    b.prompts.messageAnswers << IdNo;
    b.convert(JobKind::WavToMp3);
    QCOMPARE(readFile(b.path("a.mp3")), QByteArray("old"));
    QCOMPARE(b.shell.played, QStringList{b.path("notice.wav")});
    QVERIFY(b.form->WavRecs()->isItemChecked(0));
}

void TestConvertCommand::optionsComeFirstAndCancelStillConverts()
{
    Bench b;
    b.form->settings().PromptCvt = true;
    b.form->settings().Bitrate = 64;
    b.addWav(m_wav, b.path("a.mp3"));
    b.onModal = [](QWidget* modal) {
        if (auto* options = qobject_cast<TOptionForm*>(modal)) options->reject();
    };
    b.convert(JobKind::WavToMp3);
    QCOMPARE(b.modals, QStringList({"OptionForm", "Form_WavtoMp3"}));
    QCOMPARE(b.form->settings().Bitrate, 64); // Cancel changed nothing
    QVERIFY(QFile::exists(b.path("a.mp3")));
    QCOMPARE(b.form->WavRecs()->subItem(0, JobList::SubStatus), "Done");
}

void TestConvertCommand::abortDeletesTheHalfWrittenFile()
{
    Bench b;
    b.addWav(m_wav, b.path("done.mp3"));
    b.addWav(m_long, b.path("aborted.mp3"));
    b.onModal = [](QWidget* modal) {
        auto* dialog = qobject_cast<TForm_WavtoMp3*>(modal);
        if (dialog && dialog->Runner().currentIndex() == 1 && dialog->findChild<QProgressBar*>("Gauge")->value() >= 5)
            dialog->findChild<QPushButton*>("btn_Cancel")->click();
    };
    b.convert(JobKind::WavToMp3);
    QVERIFY(QFile::exists(b.path("done.mp3")));
    QVERIFY(!QFile::exists(b.path("aborted.mp3")));
    // Nor is the file it was being written under left behind.
    QVERIFY(QDir(b.dir.path()).entryList({".audrel-*"}, QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(b.shell.played.isEmpty());
    QCOMPARE(b.shell.opened, QStringList{b.dir.path() + "/"});
    QCOMPARE(b.form->WavRecs()->subItem(0, JobList::SubStatus), "Done");
    QVERIFY(b.form->WavRecs()->isItemChecked(1));
}

void TestConvertCommand::removeItemDropsTheConvertedRows()
{
    Bench b;
    b.form->settings().RemoveItem = true;
    writeFile(b.path("declined.mp3"), "old");
    b.addWav(m_wav, b.path("one.mp3"));
    b.addWav(m_wav, b.path("unchecked.mp3"), false);
    b.addWav(m_wav, b.path("declined.mp3"));
    b.addWav(m_wav, b.path("two.mp3"));
    // Converted by an earlier run and checked again: this run converts it again.
    JobList* list = b.form->WavRecs();
    list->record(3).State = JobState::Converted;
    b.prompts.messageAnswers << IdNo;
    b.convert(JobKind::WavToMp3);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->record(0).Dest, b.path("unchecked.mp3"));
    QCOMPARE(list->record(1).Dest, b.path("declined.mp3"));
    QCOMPARE(list->counters().TotalCount, 2);
    QCOMPARE(list->counters().CheckedCount, 1);
    QVERIFY(QFile::exists(b.path("one.mp3")));
    QVERIFY(QFile::exists(b.path("two.mp3")));
}

void TestConvertCommand::mp3TabDecodesThroughThePlayerLibrary()
{
    Bench b;
    const QString mp3 = b.path("song.mp3");
    QVERIFY(makeMp3(mp3, 44100, 2, 1.0, {"-b", "128"}));
    b.addMp3Row(mp3, b.path("song.wav"));
    b.convert(JobKind::Mp3ToWav);
    QCOMPARE(b.modals, QStringList{"ConvertForm"});
    QVERIFY(readWav(b.path("song.wav")).valid);
    QCOMPARE(b.form->Mp3Recs()->subItem(0, JobList::SubStatus), "Done");
    QCOMPARE(b.shell.played, QStringList{b.path("notice.wav")});
}

void TestConvertCommand::engineThatCannotStartIsAFailure()
{
    // No player library beside the program: the error is shown, and neither
    // the sound nor the folder claims a finished run.
    Bench b(true, QString());
    b.addMp3Row(m_media.filePath("any.mp3"), b.path("any.wav"));
    b.convert(JobKind::Mp3ToWav);
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].caption, "Error");
    QVERIFY(b.shell.played.isEmpty());
    QVERIFY(b.shell.opened.isEmpty());
    QVERIFY(b.form->Mp3Recs()->isItemChecked(0));
}

void TestConvertCommand::desktopShellPlaysTheNoticeSound()
{
    // The sound made by the build, played on the private sound server: while
    // it plays, the server has a stream for it.
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || !haveTool("pactl"))
        QSKIP("no private sound server (run through scripts/test)");
    const QString notice = qEnvironmentVariable("AUDREL_BUILD_DIR") + "/notice.wav";
    QVERIFY2(readWav(notice).valid, qPrintable(notice));
    DesktopShell shell;
    QVERIFY(!shell.playSound(m_media.filePath("missing.wav")));
    QVERIFY(shell.playSound(notice));
    // The stream is the program's, by its name and its icon.
    QList<QMap<QString, QString>> streams;
    QVERIFY(QTest::qWaitFor([&] { return !(streams = soundServerStreams()).isEmpty(); }, 3000));
    QCOMPARE(streams[0].value("application.name"), "Audrel");
    QCOMPARE(streams[0].value("application.icon_name"), "audrel");
}

AUDREL_GUI_TEST_MAIN(TestConvertCommand)
#include "tst_convertcommand.moc"
