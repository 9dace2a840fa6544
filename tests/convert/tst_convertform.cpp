// "Convert Mp3 to Wav" on a real main window with real MP3 files and the
// player library beside the program, on a file system that may fill up.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "windowbench.h"

#include "app/mainform.h"
#include "convert/convertform.h"
#include "convert/destinationfile.h"
#include "platform/xaudio/xaudioplayer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

using namespace audrel;
using namespace audrel::test;

namespace {

// A main window whose program folder holds the player library (or not).
struct Bench : WindowBench
{
    explicit Bench(const QString& library = QStringLiteral(XAUDIO_PATH)) : WindowBench(library) {}
    JobList* list() const { return form->Mp3Recs(); }
    int addRow(const QString& source, const QString& dest, bool checked = true)
    {
        return addMp3Row(source, dest, checked);
    }
};

} // namespace

class TestConvertForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void layoutAndGatheredRows();
    void convertsCheckedRowsAndWritesDone();
    void refusalsShowTheLibrarysReason_data();
    void refusalsShowTheLibrarysReason();
    void positionsDriveTheFileGauge();
    void unusableLibraryIsReportedOnce_data();
    void unusableLibraryIsReportedOnce();

private:
    QTemporaryDir m_media;
    QString m_short; // 1.5 s, 44.1 kHz stereo
    QString m_mono;  // 1 s, 22.05 kHz mono
    QString m_long;  // 40 s
};

void TestConvertForm::initTestCase()
{
    for (const char* tool : {"sox", "lame", "mpg123"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_short = m_media.filePath("short.mp3");
    m_mono = m_media.filePath("mono.mp3");
    m_long = m_media.filePath("long.mp3");
    QVERIFY(makeMp3(m_short, 44100, 2, 1.5, {"-b", "128"}));
    QVERIFY(makeMp3(m_mono, 22050, 1, 1.0, {"-V", "5"}));
    QVERIFY(makeMp3(m_long, 44100, 2, 40.0, {"-b", "128"}));
}

void TestConvertForm::layoutAndGatheredRows()
{
    Bench b;
    b.addRow(m_short, b.path("a.wav"));
    b.addRow(m_mono, b.path("b.wav"), false);
    b.addRow(m_long, b.path("c.wav"));
    TConvertForm dialog(*b.list(), b.settings(), b.folder());
    QCOMPARE(dialog.windowTitle(), "Convert Mp3 to Wav");
    QCOMPARE(dialog.findChild<QGroupBox*>("GroupBox")->title(), " Decoding ");
    QCOMPARE(dialog.findChild<QPushButton*>("BitBtn1")->text(), "Abort");
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge")->maximum(), 400);
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge_Total")->maximum(), 2);
    QVERIFY(dialog.findChild<QLineEdit*>("Edit_Src")->isReadOnly());
    QCOMPARE(dialog.XaudioPlayer()->Priority(), 2);
    QCOMPARE(dialog.XaudioPlayer()->XaudioPath(), b.path("libxaudio.so"));
    QCOMPARE(dialog.Runner().items().size(), 2);
    QCOMPARE(dialog.Runner().items()[0].RowIndex, 0);
    QCOMPARE(dialog.Runner().items()[1].RowIndex, 2);
    QCOMPARE(dialog.Runner().items()[1].SourcePath, m_long);
    QCOMPARE(dialog.Runner().items()[1].DestPath, b.path("c.wav"));
    QCOMPARE(dialog.Runner().items()[1].JobState, ItemState::Waiting);
    QVERIFY(!dialog.Runner().running());
}

void TestConvertForm::convertsCheckedRowsAndWritesDone()
{
    Bench b;
    b.addRow(m_short, b.path("a.wav"));
    b.addRow(m_long, b.path("skipped.wav"), false);
    b.addRow(m_mono, b.path("b.wav"));
    QCOMPARE(b.list()->counters().CheckedCount, 2);
    const QByteArray sourceHash = fileHash(m_short);

    TConvertForm dialog(*b.list(), b.settings(), b.folder());
    QStringList titles;
    QList<int> gauge;
    auto* group = dialog.findChild<QGroupBox*>("GroupBox");
    auto* bar = dialog.findChild<QProgressBar*>("Gauge");
    connect(dialog.XaudioPlayer(), &TXaudioPlayer::OnNotifyInputPosition, this, [&] {
        if (!titles.contains(group->title())) titles << group->title();
        gauge << bar->value();
    });
    QCOMPARE(b.run(dialog), int(TConvertForm::mrOk));

    QCOMPARE(titles, (QStringList{" Decoding File #1 Of 2 ", " Decoding File #2 Of 2 "}));
    QVERIFY(gauge.contains(400));
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge_Total")->value(), 2);
    QCOMPARE(dialog.findChild<QLineEdit*>("Edit_Dest")->text(), b.path("b.wav"));
    QCOMPARE(dialog.findChild<QLineEdit*>("Edit_Dest")->toolTip(), b.path("b.wav"));
    QVERIFY(b.prompts.messages.isEmpty());
    QVERIFY(dialog.Outcome().AbortedDestPath.isEmpty());

    for (int row : {0, 2}) {
        QCOMPARE(b.list()->subItem(row, JobList::SubStatus), "Done");
        QVERIFY(!b.list()->isItemChecked(row));
        QCOMPARE(b.list()->record(row).State, JobState::Converted);
    }
    QCOMPARE(b.list()->subItem(1, JobList::SubStatus), QString());
    QCOMPARE(b.list()->record(1).State, JobState::Pending);
    QCOMPARE(b.list()->counters().CheckedCount, 0);
    QCOMPARE(b.form->panelText(3), "0 File(s)   00:00:00");
    QVERIFY(!QFile::exists(b.path("skipped.wav")));
    QCOMPARE(fileHash(m_short), sourceHash);

    // The files hold what mpg123 makes of the sources.
    QVERIFY(runTool("mpg123", {"-q", "-w", b.path("ref-a.wav"), m_short}));
    QVERIFY(runTool("mpg123", {"-q", "-w", b.path("ref-b.wav"), m_mono}));
    QVERIFY(readWav(b.path("a.wav")).samples == readWav(b.path("ref-a.wav")).samples);
    QVERIFY(readWav(b.path("b.wav")).samples == readWav(b.path("ref-b.wav")).samples);
}

void TestConvertForm::refusalsShowTheLibrarysReason_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("not MPEG audio") << "junk"
                                    << "Cannot Open Input (not an MPEG audio stream)";
    QTest::newRow("source gone") << "missing"
                                 << "Cannot Open Input (file not found)";
    QTest::newRow("empty file") << "empty"
                                << "Cannot Open Input (not an MPEG audio stream)";
    // The result outgrows what the file system takes: the system's reason follows the library's.
    QTest::newRow("full disk") << "full"
                               << "Cannot Play Stream (cannot write output file: " +
                                      QString::fromLocal8Bit(std::strerror(EFBIG)) + ")";
}

void TestConvertForm::refusalsShowTheLibrarysReason()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    Bench b;
    QString source = b.path("bad.mp3");
    QString dest = b.path("bad.wav");
    if (kind == "junk") {
        QByteArray junk(30000, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 37) & 0x7F);
        writeFile(source, junk);
    } else if (kind == "empty") {
        writeFile(source, {});
    } else if (kind == "full") {
        source = m_long;
        dest = b.path("long.wav");
    }
    b.addRow(m_short, b.path("first.wav"));
    b.addRow(source, dest);
    b.addRow(m_mono, b.path("third.wav"));
    TConvertForm dialog(*b.list(), b.settings(), b.folder());
    std::optional<FileSizeLimit> limit;
    if (kind == "full") limit.emplace(1 << 20); // more than the first result, less than this one
    dialog.show();
    QVERIFY(QTest::qWaitFor([&] { return !b.prompts.messages.isEmpty(); }, 30000));
    limit.reset();
    const MessageRequest shown = b.prompts.messages.first();
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.caption, "Error");
    QCOMPARE(shown.icon, MsgIcon::Error);
    QCOMPARE(shown.buttons, QList<int>{IdOk});
    // The run waits on the refused file. A refused input also refuses the
    // play command that follows it.
    QTest::qWait(300);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.Runner().running());
    QCOMPARE(dialog.Runner().currentIndex(), 1);
    QStringList expected{message};
    if (message.startsWith("Cannot Open Input")) expected << "Cannot Play Stream (no input is open)";
    QStringList texts;
    for (const MessageRequest& m : b.prompts.messages)
        texts << m.text;
    QCOMPARE(texts, expected);

    dialog.findChild<QPushButton*>("BitBtn1")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(TConvertForm::mrCancel));
    QCOMPARE(dialog.Outcome().AbortedDestPath, DestinationFile::TempPathFor(dest));
    QVERIFY(!QFile::exists(dest));
    QCOMPARE(dialog.Outcome().ConvertedRows, QList<int>{0});
    QCOMPARE(b.list()->subItem(0, JobList::SubStatus), "Done");
    QCOMPARE(b.list()->subItem(1, JobList::SubStatus), QString());
    QVERIFY(b.list()->isItemChecked(1));
    QVERIFY(!QFile::exists(b.path("third.wav")));
}

void TestConvertForm::positionsDriveTheFileGauge()
{
    Bench b;
    TConvertForm dialog(*b.list(), b.settings(), b.folder());
    auto* bar = dialog.findChild<QProgressBar*>("Gauge");
    dialog.XaudioPlayerNotifyInputPosition(200, 400);
    QCOMPARE(bar->value(), 200);
    dialog.XaudioPlayerNotifyInputPosition(400, 400);
    QCOMPARE(bar->value(), 400);
    // The range is divided by the gauge's span first: a smaller range gives 0 ...
    dialog.XaudioPlayerNotifyInputPosition(150, 399);
    QCOMPARE(bar->value(), 0);
    // ... a doubled one doubles the offset, which the gauge holds at its end.
    dialog.XaudioPlayerNotifyInputPosition(150, 800);
    QCOMPARE(bar->value(), 300);
    dialog.XaudioPlayerNotifyInputPosition(300, 800);
    QCOMPARE(bar->value(), 400);
}

void TestConvertForm::unusableLibraryIsReportedOnce_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QString() << QString(); // names the program folder's library
    QTest::newRow("version 3.7") << QStringLiteral(BROKEN_VERSION_PATH)
                                 << "Xaudio DLL API Mismatch\nExpected 3.8, Got 3.7";
}

void TestConvertForm::unusableLibraryIsReportedOnce()
{
    QFETCH(QString, library);
    QFETCH(QString, message);
    Bench b(library);
    b.addRow(m_short, b.path("a.wav"));
    if (message.isEmpty()) message = "Cannot Load Xaudio DLL (" + b.path("libxaudio.so") + ")";
    {
        TConvertForm dialog(*b.list(), b.settings(), b.folder());
        QVERIFY(dialog.Runner().items().isEmpty());
        QCOMPARE(b.run(dialog), int(TConvertForm::mrOk));
        // A run whose engine could not start is a failure, not a finished run.
        QVERIFY(dialog.Outcome().EngineFailed);
        QVERIFY(dialog.Outcome().AbortedDestPath.isEmpty());
    }
    // Shown once: neither closing nor destroying the dialog raises it again.
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages.first().text, message);
    QCOMPARE(b.prompts.messages.first().caption, "Error");
    QVERIFY(b.list()->isItemChecked(0));
    QVERIFY(!QFile::exists(b.path("a.wav")));
}

AUDREL_GUI_TEST_MAIN(TestConvertForm)
#include "tst_convertform.moc"
