// "Play Wav File" and "Play WMA File" playing generated files for real through
// the media player, on the default audio device (the private null sink that
// scripts/test starts), and what they play as the sink's monitor records it.

#include "audiotools.h"
#include "playertools.h"
#include "scriptedprompts.h"
#include "testmain.h"
#include "testsupport.h"

#include "platform/mci/mediaplayer.h"
#include "player/playwavform.h"
#include "player/playwmaform.h"
#include "player/slider.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace audrel;
using namespace audrel::test;

namespace {

// The buttons of a player window by their design names, and which of Play,
// Pause, Stop, Prior and Next are enabled.
struct Buttons
{
    QWidget& w;
    QToolButton* operator()(const char* name) const { return w.findChild<QToolButton*>(name); }
    QList<bool> enabled() const
    {
        QList<bool> on;
        for (const char* name : {"btn_Play", "Btn_Pause", "Btn_Stop", "btn_REW", "Btn_FOR"})
            on << (*this)(name)->isEnabled();
        return on;
    }
};

QStringList labels(QWidget* w)
{
    QStringList texts;
    for (const QLabel* l : w->findChildren<QLabel*>())
        texts << l->text();
    return texts;
}

} // namespace

class TestMediaPlayerForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wavListPlaysForReal();
    void wmaAfterADamagedFile();
    void heardAsPlayed_data();
    void heardAsPlayed();

private:
    QTemporaryDir m_dir;
};

void TestMediaPlayerForms::initTestCase()
{
    if (!haveTool("sox")) QSKIP("sox is not installed");
}

void TestMediaPlayerForms::wavListPlaysForReal()
{
    const QString first = m_dir.filePath("first.wav"); // 2.3 s: the seek bar runs 0 to 2
    const QString missing = m_dir.filePath("missing.wav");
    const QString brief = m_dir.filePath("brief.wav"); // 0.6 s: 0 to 0
    const QString last = m_dir.filePath("last.wav");   // 1.2 s
    QVERIFY(makeWav(first, 8000, 1, 2.3));
    QVERIFY(makeWav(brief, 22050, 2, 0.6));
    QVERIFY(makeWav(last, 8000, 1, 1.2));

    ScriptedPrompts prompts;
    TPlayWavForm form({first, missing, brief, last}, buildDir());
    const Buttons b{form};
    auto* group = form.findChild<QGroupBox*>("GroupBox");
    TSlider* slider = form.Slider();
    TMediaPlayer* player = form.MediaPlayer1();
    QCOMPARE(form.windowTitle(), "Play Wav File");
    QCOMPARE(group->title(), " Wav File ");
    QVERIFY(labels(group).contains("Wav Filename:"));
    QCOMPARE(b.enabled(), (QList<bool>{false, false, false, false, false}));
    QVERIFY(b("SpeedButton6")->isEnabled());
    form.show();

    // The first entry plays, and its position grows.
    QVERIFY(
        QTest::qWaitFor([&] { return b("Btn_Pause")->isEnabled() || !prompts.messages.isEmpty(); }, 5000));
    if (!prompts.messages.isEmpty() && prompts.messages[0].text.contains("no audio device"))
        QSKIP("no audio device (scripts/test provides one)");
    QCOMPARE(group->title(), " Wav file #1 of 4 ");
    QCOMPARE(form.findChild<QLineEdit*>("Edit_file")->text(), first);
    QCOMPARE(slider->Maximum(), 2);
    QCOMPARE(b.enabled(), (QList<bool>{false, true, true, false, true}));
    QVERIFY(QTest::qWaitFor([&] { return player->Position() > 0; }, 5000));
    const qint64 early = player->Position();
    QTest::qWait(300);
    QVERIFY(player->Position() > early);

    // Pause holds the position.
    b("Btn_Pause")->click();
    QCOMPARE(b.enabled(), (QList<bool>{true, false, true, false, true}));
    const qint64 paused = player->Position();
    QTest::qWait(300);
    QCOMPARE(player->Position(), paused);

    // The thumb dropped at second 1 while paused: it stays paused, as the
    // buttons say; Play goes on from 1000 ms (within 250 ms).
    dragThumb(slider, 113);
    QCOMPARE(slider->Position(), 1);
    QCOMPARE(player->Mode(), mpPaused);
    QCOMPARE(player->Position(), paused);
    QCOMPARE(b.enabled(), (QList<bool>{true, false, true, false, true}));
    b("btn_Play")->click();
    const qint64 resumed = player->Position();
    QVERIFY2(resumed >= 1000 && resumed <= 1250, qPrintable(QString::number(resumed)));

    // Stop, then Play: from the start.
    b("Btn_Stop")->click();
    QCOMPARE(b.enabled(), (QList<bool>{true, false, false, false, true}));
    QCOMPARE(slider->Position(), 0);
    b("btn_Play")->click();
    QVERIFY(player->Position() < paused);

    // The thumb dropped at second 1 plays again from 1000 ms (within 250 ms).
    dragThumb(slider, 113);
    QCOMPARE(slider->Position(), 1);
    const qint64 landed = player->Position();
    QVERIFY2(landed >= 1000 && landed <= 1250, qPrintable(QString::number(landed)));

    // At the end the missing entry is announced and skipped; the next file is
    // shorter than a second: a seek bar of 0 to 0, and still an end.
    QVERIFY(QTest::qWaitFor([&] { return group->title() == " Wav file #3 of 4 "; }, 10000));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, missing + "\n\nThe wav file does not EXIST ! ");
    QCOMPARE(prompts.messages[0].caption, "Information");
    QCOMPARE(slider->Maximum(), 0);
    QCOMPARE(b.enabled(), (QList<bool>{false, true, true, true, true}));
    QVERIFY(QTest::qWaitFor([&] { return group->title() == " Wav file #4 of 4 "; }, 10000));
    QCOMPARE(slider->Maximum(), 1);
    QCOMPARE(b.enabled(), (QList<bool>{false, true, true, true, false}));

    // After the last one the file is rewound and waits for Play.
    QVERIFY(QTest::qWaitFor([&] { return b("btn_Play")->isEnabled(); }, 10000));
    QCOMPARE(b.enabled(), (QList<bool>{true, false, false, true, false}));
    QCOMPARE(slider->Position(), 0);
    QCOMPARE(player->Position(), 0);
    QCOMPARE(player->Mode(), mpStopped);

    b("SpeedButton6")->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(player->Mode(), mpNotReady);
    QCOMPARE(prompts.messages.size(), 1);
}

void TestMediaPlayerForms::wmaAfterADamagedFile()
{
    if (!haveTool("ffmpeg")) QSKIP("ffmpeg is not installed");
    const QString damaged = m_dir.filePath("damaged.wma");
    const QString good = m_dir.filePath("good.wma"); // 1.2 s
    writeFile(damaged, QByteArray(600, '\x5a'));
    QVERIFY(makeWma(good, 44100, 2, 1.2, 64));
    ScriptedPrompts prompts;
    TPlayWMAForm form({damaged, good}, buildDir()); // which holds the FFmpeg module
    const Buttons b{form};
    auto* group = form.findChild<QGroupBox*>("GroupBox");
    QCOMPARE(form.windowTitle(), "Play WMA File");
    QCOMPARE(group->title(), " WMA File ");
    QVERIFY(labels(&form).contains("WMA Filename:"));
    form.show();

    // A file that cannot be opened is shown; the window stays, playing nothing.
    QVERIFY(QTest::qWaitFor([&] { return !prompts.messages.isEmpty(); }, 5000));
    QVERIFY(prompts.messages[0].text.startsWith("Cannot open the media file " + damaged + ":\n"));
    QCOMPARE(prompts.messages[0].caption, "Error");
    QCOMPARE(prompts.messages[0].icon, MsgIcon::Error);
    QCOMPARE(group->title(), " WMA file #1 of 2 ");
    QTest::qWait(200);
    QVERIFY(form.isVisible());
    QCOMPARE(form.MediaPlayer1()->Mode(), mpNotReady);

    // Next plays the good one to its end.
    b("Btn_FOR")->click();
    if (prompts.messages.size() > 1 && prompts.messages[1].text.contains("no audio device"))
        QSKIP("no audio device (scripts/test provides one)");
    QCOMPARE(group->title(), " WMA file #2 of 2 ");
    QCOMPARE(form.Slider()->Maximum(), 1);
    QCOMPARE(form.MediaPlayer1()->Mode(), mpPlaying);
    QVERIFY(QTest::qWaitFor([&] { return b("btn_Play")->isEnabled(); }, 10000));
    QCOMPARE(b.enabled(), (QList<bool>{true, false, false, true, false}));
    QCOMPARE(form.MediaPlayer1()->Position(), 0);
    QCOMPARE(prompts.messages.size(), 1);
}

void TestMediaPlayerForms::heardAsPlayed_data()
{
    QTest::addColumn<bool>("wma");
    QTest::newRow("Play Wav File") << false;
    QTest::newRow("Play WMA File") << true;
}

void TestMediaPlayerForms::heardAsPlayed()
{
    QFETCH(bool, wma);
    if (const QString why = MonitorRecording::unavailable(); !why.isEmpty()) QSKIP(qPrintable(why));
    if (wma && !haveTool("ffmpeg")) QSKIP("ffmpeg is not installed");
    const QString ext = wma ? ".wma" : ".wav";
    const QString song = m_dir.filePath("song" + ext); // 20 s: the seek bar runs 0 to 20
    const QString blip = m_dir.filePath("blip" + ext); // 50 ms
    QVERIFY(wma ? makeWma(song, 44100, 2, 20, 128) : makeWav(song, 44100, 2, 20));
    QVERIFY(wma ? makeWma(blip, 44100, 2, 0.05, 128) : makeWav(blip, 44100, 2, 0.05));

    ScriptedPrompts prompts;
    std::unique_ptr<TPlayerForm> form;
    if (wma)
        form = std::make_unique<TPlayWMAForm>(QStringList{song, blip}, buildDir());
    else
        form = std::make_unique<TPlayWavForm>(QStringList{song, blip}, buildDir());
    const Buttons b{*form};
    form->show();
    QVERIFY(QTest::qWaitFor([&] { return b("Btn_Pause")->isEnabled() || !prompts.messages.isEmpty(); }, 10000));
    QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.messages.value(0).text));

    // Ten Stop and Play cycles and ten seeks (each a drop of the thumb while
    // playing), then the song without a dropout: every restart of the stream
    // keeps the buffer it asked for.
    for (int i = 0; i < 10; ++i) {
        b("Btn_Stop")->click();
        b("btn_Play")->click();
    }
    for (int i = 0; i < 10; ++i)
        dragThumbTo(form->Slider(), i % 2 ? 2 : 5);
    // Stopped, the next entry is heard to its end, shorter though it is than
    // what the device waits for before it starts.
    listenToPlayer([&] { b("Btn_Stop")->click(); }, [&] { b("Btn_FOR")->click(); },
                   [&] { return b("btn_Play")->isEnabled(); });
    if (QTest::currentTestFailed()) return;
    QVERIFY(prompts.messages.isEmpty());
    b("SpeedButton6")->click();
}

AUDREL_GUI_TEST_MAIN(TestMediaPlayerForms)
#include "tst_mediaplayerforms.moc"
