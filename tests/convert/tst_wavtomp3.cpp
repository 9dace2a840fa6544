// "Convert Wav to Mp3" on a real main window: real WAV files encoded by the
// real encoder, the results judged by ffprobe.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "windowbench.h"

#include "app/mainform.h"
#include "convert/destinationfile.h"
#include "convert/form_wavtomp3.h"
#include "convert/lamecoder.h"
#include "convert/wavtomp3path.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace audrel;
using namespace audrel::test;

namespace {

struct Bench : WindowBench
{
    JobList* list() const { return form->WavRecs(); }
    int addRow(const QString& source, const QString& dest, uint32_t rate = 44100, uint32_t mode = 0,
               uint32_t bits = 16, bool checked = true)
    {
        return addWavRow(source, dest, rate, mode, bits, checked);
    }
};

} // namespace

class TestWavToMp3 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void layoutAndGatheredRows();
    void encodesCheckedRowsAndWritesDone();
    void autoSelectKeepsEachFilesFormat();
    void fixedRateResamplesWithTheOptionsMode();
    void settingsReachTheEncoder();

private:
    QTemporaryDir m_media;
    QString m_stereo; // 1.5 s, 44.1 kHz stereo, 16-bit
    QString m_mono;   // 1 s, 22.05 kHz mono, 8-bit
    QString m_long;   // 30 s, 44.1 kHz stereo
};

void TestWavToMp3::initTestCase()
{
    for (const char* tool : {"sox", "ffprobe"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_stereo = m_media.filePath("stereo.wav");
    m_mono = m_media.filePath("mono8.wav");
    m_long = m_media.filePath("long.wav");
    QVERIFY(makeWav(m_stereo, 44100, 2, 1.5));
    const QString mono16 = m_media.filePath("mono16.wav");
    QVERIFY(makeWav(mono16, 22050, 1, 1.0));
    QVERIFY(runTool("sox", {mono16, "-b", "8", "-e", "unsigned-integer", m_mono}));
    QVERIFY(makeWav(m_long, 44100, 2, 30.0));
}

void TestWavToMp3::layoutAndGatheredRows()
{
    Bench b;
    b.addRow(m_stereo, b.path("a.mp3"));
    b.addRow(m_mono, b.path("b.mp3"), 22050, 3, 8, false);
    b.addRow(m_mono, b.path("c.mp3"), 22050, 3, 8);
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QCOMPARE(dialog.windowTitle(), "Convert Wav to Mp3");
    QCOMPARE(dialog.findChild<QGroupBox*>("GroupBox")->title(), " Encoding ");
    QCOMPARE(dialog.findChild<QPushButton*>("btn_Cancel")->text(), "Abort");
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge")->maximum(), 100);
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge_Total")->maximum(), 2);
    QCOMPARE(dialog.Runner().items().size(), 2);
    QCOMPARE(dialog.Runner().items()[1].RowIndex, 2);
    QCOMPARE(dialog.Runner().items()[1].SampleRate, 22050u);
    QCOMPARE(dialog.Runner().items()[1].Mode, 3u);
    QCOMPARE(dialog.Runner().items()[1].BitsPerSample, 8u);
    // Closed before the start: nothing converted, result 1, and no late start.
    dialog.close();
    QCOMPARE(dialog.result(), int(TForm_WavtoMp3::mrOk));
    QTest::qWait(300);
    QVERIFY(!QFile::exists(b.path("a.mp3")));
}

void TestWavToMp3::encodesCheckedRowsAndWritesDone()
{
    Bench b;
    b.settings().SampleRate = 0;
    b.addRow(m_stereo, b.path("a.mp3"));
    b.addRow(m_mono, b.path("skip.mp3"), 22050, 3, 8, false);
    b.addRow(m_mono, b.path("c.mp3"), 22050, 3, 8);
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QStringList captions;
    QList<int> gauges;
    connect(&dialog.Runner(), &BatchRunner::itemProgress, this, [&](int, qint64 percent) {
        const QString caption = dialog.findChild<QGroupBox*>("GroupBox")->title();
        if (captions.isEmpty() || captions.last() != caption) captions << caption;
        gauges << int(percent);
    });
    QCOMPARE(b.run(dialog), int(TForm_WavtoMp3::mrOk));
    QCOMPARE(captions, QStringList({" Encoding File #1 Of 2 ", " Encoding File #2 Of 2 "}));
    QCOMPARE(gauges.last(), 100);
    QCOMPARE(dialog.findChild<QProgressBar*>("Gauge_Total")->value(), 2);

    for (int row : {0, 2}) {
        QCOMPARE(b.list()->subItem(row, JobList::SubStatus), "Done");
        QVERIFY(!b.list()->isItemChecked(row));
        QCOMPARE(b.list()->record(row).State, JobState::Converted);
    }
    QVERIFY(!b.list()->isItemChecked(1));
    QCOMPARE(b.list()->subItem(1, JobList::SubStatus), QString());
    QCOMPARE(b.list()->record(1).State, JobState::Pending);
    QVERIFY(!QFile::exists(b.path("skip.mp3")));
    QCOMPARE(b.list()->counters().CheckedCount, 0);
    QCOMPARE(probe(b.path("a.mp3")).codec, "mp3");
    QVERIFY(b.prompts.messages.isEmpty());
    QVERIFY(dialog.Outcome().AbortedDestPath.isEmpty());
}

void TestWavToMp3::autoSelectKeepsEachFilesFormat()
{
    Bench b;
    b.settings().SampleRate = 0;         // Auto Select
    b.settings().Mode = audrel::JSTEREO; // not used with Auto Select
    b.addRow(m_mono, b.path("mono.mp3"), 22050, 3, 8);
    b.addRow(m_stereo, b.path("stereo.mp3"));
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QCOMPARE(b.run(dialog), int(TForm_WavtoMp3::mrOk));
    const Probe mono = probe(b.path("mono.mp3"));
    QCOMPARE(mono.rate, 22050);
    QCOMPARE(mono.channels, 1);
    // Without an Info frame the decoder's count includes the encoder's delay
    // and padding: up to three frames of 576 samples at this rate.
    QVERIFY2(qAbs(mono.seconds - 1.0) < 0.08, qPrintable(QString::number(mono.seconds)));
    const Probe stereo = probe(b.path("stereo.mp3"));
    QCOMPARE(stereo.rate, 44100);
    QCOMPARE(stereo.channels, 2);
    QVERIFY2(qAbs(stereo.seconds - 1.5) < 0.06, qPrintable(QString::number(stereo.seconds)));
}

void TestWavToMp3::fixedRateResamplesWithTheOptionsMode()
{
    // A fixed rate is the rate of the output: a 22050 Hz mono file keeps its
    // speed and length and comes out at 44100 Hz in the options' mode.
    Bench b;
    b.settings().SampleRate = 44100;
    b.settings().Mode = audrel::JSTEREO;
    b.addRow(m_mono, b.path("mono.mp3"), 22050, 3, 8);
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    QCOMPARE(b.run(dialog), int(TForm_WavtoMp3::mrOk));
    const Probe p = probe(b.path("mono.mp3"));
    QCOMPARE(p.rate, 44100);
    QCOMPARE(p.channels, 2);
    QVERIFY2(qAbs(p.seconds - 1.0) < 0.06, qPrintable(QString::number(p.seconds)));
}

void TestWavToMp3::settingsReachTheEncoder()
{
    Bench b;
    Settings& s = b.settings();
    s.Bitrate = 96;
    s.MaxBitrate = 256;
    s.Quality = audrel::HIGH_QUALITY;
    s.VBR = true;
    s.WriteVBR = false; // set after VBR, so it wins
    s.VBRQuality = 2;
    s.Private = true;
    s.CRC = false;
    s.Original = true;
    s.CopyRight = true;
    s.Mode = audrel::MONO;
    s.SampleRate = 32000;
    b.addRow(m_stereo, b.path("a.mp3"));
    TForm_WavtoMp3 dialog(*b.list(), b.settings());
    const TLameCoder* coder = qobject_cast<WavToMp3Path*>(dialog.Runner().path(JobKind::WavToMp3))->LameCoder();
    QCOMPARE(coder->Bitrate(), 96u);
    QCOMPARE(coder->MaxBitrate(), 256u);
    QCOMPARE(coder->Quality(), audrel::HIGH_QUALITY);
    QVERIFY(coder->EnableVBR() != 0);
    QCOMPARE(coder->WriteVBRHeader(), 0);
    QCOMPARE(coder->VBRQuality(), 2);
    QCOMPARE(coder->Private(), -1);
    QCOMPARE(coder->CRC(), 0);
    QCOMPARE(coder->Original(), -1);
    QCOMPARE(coder->Copyright(), -1);
    QCOMPARE(coder->Mode(), audrel::MONO);
    QCOMPARE(coder->ReSampleRate(), 32000u);
    QCOMPARE(b.run(dialog), int(TForm_WavtoMp3::mrOk));
    const Probe p = probe(b.path("a.mp3"));
    QCOMPARE(p.rate, 32000);
    QCOMPARE(p.channels, 1);
}

AUDREL_GUI_TEST_MAIN(TestWavToMp3)
#include "tst_wavtomp3.moc"
