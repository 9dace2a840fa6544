// "Convert Wav to WMA" and "Convert WMA to Wav" on a real main window: real
// files through the real controls, judged by ffprobe and by the samples; the
// gauge's scales, the overwrite question, Abort while encoding, files the
// decoder cannot convert, and settings the encoder refuses.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"
#include "windowbench.h"

#include "convert/destinationfile.h"
#include "convert/form_wavtowma.h"
#include "convert/form_wmatowav.h"
#include "convert/wavtowmapath.h"
#include "platform/msaudio/msaudio2wave.h"
#include "platform/msaudio/msaudioenc.h"

#include <QFile>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace audrel;
using namespace audrel::test;

namespace {

struct Bench : WindowBench
{
    JobList* wma() const { return form->WMARecs(); }
    JobList* wav() const { return form->Wav2WMARecs(); }
};

void verifyDone(JobList* list, const QList<int>& rows)
{
    for (int row : rows) {
        QCOMPARE(list->subItem(row, JobList::SubStatus), "Done");
        QVERIFY(!list->isItemChecked(row));
        QCOMPARE(list->record(row).State, JobState::Converted);
    }
}

} // namespace

class TestWmaDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void layoutAndSettings();
    void roundTripAfterTheDrmNotice();
    void secondOfThreeDeclined();
    void gaugeInSecondsOrInPercent();
    void failureNamesTheFileAndWaitsForAbort_data();
    void failureNamesTheFileAndWaitsForAbort();
    void refusedSettingsAreReportedOnceBeforeTheRun_data();
    void refusedSettingsAreReportedOnceBeforeTheRun();

private:
    QTemporaryDir m_media;
    QString m_stereo;  // 3 s, 44.1 kHz stereo
    QString m_mono;    // 2 s, 22.05 kHz mono
    QString m_long;    // 60 s, 44.1 kHz stereo
    QString m_wma;     // 1.5 s, made by ffmpeg
    QString m_short;   // 0.6 s, made by ffmpeg
    QString m_wmaLong; // 200.5 s, made by ffmpeg
};

void TestWmaDialogs::initTestCase()
{
    for (const char* tool : {"sox", "ffmpeg", "ffprobe"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_stereo = m_media.filePath("stereo.wav");
    m_mono = m_media.filePath("mono.wav");
    m_long = m_media.filePath("long.wav");
    m_wma = m_media.filePath("song.wma");
    m_short = m_media.filePath("short.wma");
    m_wmaLong = m_media.filePath("long.wma");
    QVERIFY(makeWav(m_stereo, 44100, 2, 3.0));
    QVERIFY(makeWav(m_mono, 22050, 1, 2.0));
    QVERIFY(makeWav(m_long, 44100, 2, 60.0));
    QVERIFY(makeWma(m_wma, 44100, 2, 1.5, 128));
    QVERIFY(makeWma(m_short, 44100, 2, 0.6, 128));
    QVERIFY(makeWma(m_wmaLong, 22050, 1, 200.5, 32));
}

void TestWmaDialogs::layoutAndSettings()
{
    Bench b;
    Settings& s = b.settings();
    s.WMASampleRate = 32000;
    s.WMABitRate = 128;
    s.WMAChannels = 1;
    s.EnableDRM = false;
    b.addWavToWmaRow(m_stereo, b.path("a.wma"));
    b.addWavToWmaRow(m_mono, b.path("b.wma"), false);
    b.addWavToWmaRow(m_mono, b.path("c.wma"));
    b.addWmaRow(m_wma, b.path("a.wav"));

    TForm_wavtowma encode(*b.wav(), s, b.folder());
    TForm_wmatowav decode(*b.wma(), s, b.folder());
    for (TConversionDialog* dialog : std::initializer_list<TConversionDialog*>{&encode, &decode}) {
        QCOMPARE(dialog->findChild<QPushButton*>("btn_Cancel")->text(), "Abort");
        const auto* timer1 = dialog->findChild<QTimer*>("Timer1");
        const auto* timer2 = dialog->findChild<QTimer*>("Timer2");
        QVERIFY(timer1 && timer1->isActive());
        QCOMPARE(timer1->interval(), 100);
        QVERIFY(timer2 && !timer2->isActive());
        QCOMPARE(timer2->interval(), 10);
    }
    QCOMPARE(encode.windowTitle(), "Convert Wav to WMA");
    QCOMPARE(encode.findChild<QGroupBox*>("GroupBox")->title(), " Encoding ");
    QCOMPARE(encode.findChild<QProgressBar*>("Gauge")->maximum(), 100);
    QCOMPARE(encode.findChild<QProgressBar*>("Gauge_Total")->maximum(), 2);
    QCOMPARE(encode.Runner().items()[1].RowIndex, 2);
    const TMsAudioEnc* enc = encode.findChild<TMsAudioEnc*>("MsAudioEnc1");
    QVERIFY(enc && enc == encode.MsAudioEnc1());
    QVERIFY(enc->isVisibleTo(&encode));
    QCOMPARE(enc->Samplerate(), 32000);
    QCOMPARE(enc->Bitrate(), 128000);
    QCOMPARE(enc->Channels(), 1);
    QCOMPARE(enc->UseDrm(), false);

    QCOMPARE(decode.windowTitle(), "Convert WMA to Wav");
    QCOMPARE(decode.findChild<QGroupBox*>("GroupBox")->title(), " Decoding ");
    QCOMPARE(decode.findChild<QProgressBar*>("Gauge_Total")->maximum(), 1);
    QVERIFY(decode.findChild<TMsAudio2Wave*>("MsAudio2Wave1") == decode.MsAudio2Wave1());

    // Closed before the start: nothing converted, result 1, and no late start.
    encode.close();
    decode.close();
    QCOMPARE(encode.result(), int(TConversionDialog::mrOk));
    QCOMPARE(decode.result(), int(TConversionDialog::mrOk));
    QTest::qWait(300);
    QVERIFY(!QFile::exists(b.path("a.wma")));
    QVERIFY(!QFile::exists(b.path("a.wav")));
    QVERIFY(b.prompts.messages.isEmpty());
}

void TestWmaDialogs::roundTripAfterTheDrmNotice()
{
    Bench b;
    Settings& s = b.settings();
    s.WMASampleRate = 44100;
    s.WMABitRate = 128;
    s.WMAChannels = 2;
    s.EnableDRM = true;
    b.addWavToWmaRow(m_stereo, b.path("stereo.wma"));
    b.addWavToWmaRow(m_mono, b.path("mono.wma")); // resampled and mixed to the settings' shape
    TForm_wavtowma encode(*b.wav(), s, b.folder());
    bool startedBeforeNotice = true;
    b.prompts.onMessage = [&](const MessageRequest&) { startedBeforeNotice = encode.Runner().running(); };
    QStringList captions;
    connect(encode.MsAudioEnc1(), &TMsAudioEnc::OnEncodePercentDone, this, [&] {
        const QString caption = encode.findChild<QGroupBox*>("GroupBox")->title();
        if (captions.isEmpty() || captions.last() != caption) captions << caption;
    });
    QCOMPARE(b.run(encode), int(TConversionDialog::mrOk));

    // Said once, before anything was encoded; the files are written all the same.
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, WavToWmaPath::kNoDrmNotice);
    QCOMPARE(b.prompts.messages[0].caption, "Information");
    QCOMPARE(b.prompts.messages[0].icon, MsgIcon::Information);
    QVERIFY(!startedBeforeNotice);
    QCOMPARE(captions, QStringList({" Encoding File #1 Of 2 ", " Encoding File #2 Of 2 "}));
    verifyDone(b.wav(), {0, 1});
    for (const auto& [name, seconds] : {std::pair{"stereo.wma", 3.0}, std::pair{"mono.wma", 2.0}}) {
        const Probe p = probe(b.path(name));
        QCOMPARE(p.codec, "wmav2");
        QVERIFY2(std::abs(p.bitRate - 128000) <= 12800, qPrintable(QString::number(p.bitRate)));
        QCOMPARE(p.rate, 44100);
        QCOMPARE(p.channels, 2);
        QVERIFY2(std::abs(p.seconds - seconds) < 0.05, qPrintable(QString::number(p.seconds)));
    }

    // And back: the WAV holds the source's sound, as long as the source.
    b.addWmaRow(b.path("stereo.wma"), b.path("back.wav"));
    TForm_wmatowav decode(*b.wma(), s, b.folder());
    QCOMPARE(b.run(decode), int(TConversionDialog::mrOk));
    verifyDone(b.wma(), {0});
    const WavData source = readWav(m_stereo);
    const WavData back = readWav(b.path("back.wav"));
    QVERIFY(back.valid);
    QCOMPARE(back.rate, 44100);
    QCOMPARE(back.channels, 2);
    QCOMPARE(back.bits, 16);
    QVERIFY2(std::abs(back.samples.size() / 4 / 44100.0 - 3.0) < 0.05,
             qPrintable(QString::number(back.samples.size())));
    const double alike = similarity(source.samples, back.samples, 2, 2500);
    QVERIFY2(alike > 0.95, qPrintable(QString::number(alike)));
    QCOMPARE(b.prompts.messages.size(), 1); // no notice on the way back
}

void TestWmaDialogs::secondOfThreeDeclined()
{
    Bench b;
    writeFile(b.path("two.wav"), "an earlier two.wav");
    b.addWmaRow(m_wma, b.path("one.wav"));
    b.addWmaRow(m_wma, b.path("two.wav"));
    b.addWmaRow(m_wma, b.path("three.wav"));
    b.prompts.messageAnswers << IdNo;
    TForm_wmatowav dialog(*b.wma(), b.settings(), b.folder());
    QCOMPARE(b.run(dialog), int(TConversionDialog::mrOk));
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, overwriteQuestion(b.path("two.wav")));
    QCOMPARE(dialog.Outcome().ConvertedRows, (QList<int>{0, 2}));
    verifyDone(b.wma(), {0, 2});
    QVERIFY(b.wma()->isItemChecked(1));
    QCOMPARE(readFile(b.path("two.wav")), QByteArray("an earlier two.wav"));
    QVERIFY(readWav(b.path("one.wav")).valid);
    QVERIFY(readWav(b.path("three.wav")).valid);
}

void TestWmaDialogs::gaugeInSecondsOrInPercent()
{
    // A source of 200.5 s: the bar counts whole seconds, 0 to 200. One of
    // 0.6 s would have a bar of 0 to 0: it counts percent instead.
    Bench b;
    b.addWmaRow(m_wmaLong, b.path("long.wav"));
    b.addWmaRow(m_short, b.path("short.wav"));
    TForm_wmatowav dialog(*b.wma(), b.settings(), b.folder());
    auto* gauge = dialog.findChild<QProgressBar*>("Gauge");
    QList<int> maxima;
    connect(dialog.MsAudio2Wave1(), &TMsAudio2Wave::OnDecodeStatus, this, [&](short status) {
        if (status != 1) return;
        maxima << gauge->maximum();
        if (maxima.size() == 1) {
            QCOMPARE(dialog.MsAudio2Wave1()->Duration() / 1000, 200);
            dialog.MsAudio2Wave1ActPosition(999);
            QCOMPARE(gauge->value(), 0);
            dialog.MsAudio2Wave1ActPosition(150999);
            QCOMPARE(gauge->value(), 150);
        }
    });
    QList<int> shortValues;
    connect(dialog.MsAudio2Wave1(), &TMsAudio2Wave::OnActPosition, this, [&] {
        if (dialog.Runner().currentIndex() == 1) shortValues << gauge->value();
    });
    QCOMPARE(b.run(dialog), int(TConversionDialog::mrOk));
    QCOMPARE(maxima, (QList<int>{200, 100}));
    QVERIFY(!shortValues.isEmpty());
    QCOMPARE(gauge->value(), 100);
    verifyDone(b.wma(), {0, 1});
}

void TestWmaDialogs::failureNamesTheFileAndWaitsForAbort_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");
    const QString noise = m_media.filePath("noise.wma");
    QByteArray noisy = readFile(m_wma);
    const qsizetype data = noisy.indexOf(QByteArray::fromHex("3626b2758e66cf11a6d900aa0062ce6c"));
    for (qsizetype i = data + 50; i < noisy.size(); ++i)
        noisy[i] = char((i * 7919) >> 3);
    writeFile(noise, noisy);
    QTest::newRow("damaged") << noise << "Cannot decode \"%1\": the file is damaged.";
    const QString text = m_media.filePath("text.wma");
    writeFile(text, "[Reference]\r\nRef1=http://example.com/a.wma\r\n");
    QTest::newRow("no audio") << text << "\"%1\" holds no audio that can be decoded.";
    if (!testDataDir().isEmpty())
        QTest::newRow("DRM") << testDataDir() + "/wma/audioscan__drm.wma"
                             << "Cannot decode \"%1\": it is protected by DRM.";
}

void TestWmaDialogs::failureNamesTheFileAndWaitsForAbort()
{
    QFETCH(QString, source);
    QFETCH(QString, message);
    const QByteArray before = fileHash(source);
    Bench b;
    b.addWmaRow(source, b.path("bad.wav"));
    b.addWmaRow(m_wma, b.path("after.wav"));
    TForm_wmatowav dialog(*b.wma(), b.settings(), b.folder());
    const std::optional<MessageRequest> shown = b.failsAndWaitsForAbort(dialog);
    QVERIFY(shown);
    QCOMPARE(shown->text, message.arg(source));
    QVERIFY(!QFile::exists(b.path("bad.wav")));
    QVERIFY(!QFile::exists(b.path("after.wav")));
    QVERIFY(b.wma()->isItemChecked(0));
    QVERIFY(b.wma()->isItemChecked(1));
    QCOMPARE(fileHash(source), before);
}

void TestWmaDialogs::refusedSettingsAreReportedOnceBeforeTheRun_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("kbps");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("shape"); // as the message states it
    QTest::newRow("96000 Hz") << 96000 << 128 << 2 << "96000 Hz, 2 channel(s) at 128 kbit/s";
    QTest::newRow("three channels") << 44100 << 128 << 3 << "44100 Hz, 3 channel(s) at 128 kbit/s";
    QTest::newRow("a bit rate beyond int")
        << 44100 << 3000000 << 2 << "44100 Hz, 2 channel(s) at 2147483 kbit/s";
}

void TestWmaDialogs::refusedSettingsAreReportedOnceBeforeTheRun()
{
    QFETCH(int, rate);
    QFETCH(int, kbps);
    QFETCH(int, channels);
    QFETCH(QString, shape);
    Bench b;
    b.settings().WMASampleRate = rate;
    b.settings().WMABitRate = kbps;
    b.settings().WMAChannels = channels;
    b.addWavToWmaRow(m_stereo, b.path("a.wma"));
    b.addWavToWmaRow(m_mono, b.path("b.wma"));
    {
        TForm_wavtowma dialog(*b.wav(), b.settings(), b.folder());
        QCOMPARE(b.run(dialog), int(TConversionDialog::mrOk));
        QVERIFY(dialog.Outcome().EngineFailed);
    }
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages.first().text,
             "The WMA encoder does not encode " + shape + ": change the WMA settings.");
    QCOMPARE(b.prompts.messages.first().caption, "Error");
    QVERIFY(b.wav()->isItemChecked(0));
    QVERIFY(b.wav()->isItemChecked(1));
    QVERIFY(!QFile::exists(b.path("a.wma")));
    QVERIFY(!QFile::exists(b.path("b.wma")));
}

AUDREL_GUI_TEST_MAIN(TestWmaDialogs)
#include "tst_wmadialogs.moc"
