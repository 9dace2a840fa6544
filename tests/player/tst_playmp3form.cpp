// "Play Mpeg File" playing generated MP3 files for real through the player
// library, on the default audio device (the private null sink that
// scripts/test starts), and what it plays as the sink's monitor records it.

#include "audiotools.h"
#include "playertools.h"
#include "scriptedprompts.h"
#include "testmain.h"

#include "platform/xaudio/xaudioplayer.h"
#include "player/playmp3form.h"
#include "player/slider.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace audrel;
using namespace audrel::test;

class TestPlayMp3Form : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playsAListForReal();
    void heardAsPlayed();

private:
    QTemporaryDir m_dir;
    QString m_program; // holds the player library
    QString m_first;   // 3 s
    QString m_last;    // 1 s
};

void TestPlayMp3Form::initTestCase()
{
    for (const char* tool : {"sox", "lame"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_program = m_dir.path() + "/";
    QVERIFY(QFile::link(QStringLiteral(XAUDIO_PATH), m_program + "libxaudio.so"));
    m_first = m_dir.filePath("first.mp3");
    m_last = m_dir.filePath("last.mp3");
    QVERIFY(makeMp3(m_first, 44100, 2, 3.0, {"-b", "128"}));
    QVERIFY(makeMp3(m_last, 22050, 1, 1.0, {"-b", "64"}));
}

void TestPlayMp3Form::playsAListForReal()
{
    ScriptedPrompts prompts;
    const QString missing = m_dir.filePath("missing.mp3");
    TPlayMp3Form form({m_first, missing, m_last}, {"First", "Gone", "Last"}, m_program);
    auto button = [&](const char* name) { return form.findChild<QToolButton*>(name); };
    QToolButton* play = button("btn_Play");
    QToolButton* pause = button("Btn_Pause");
    QToolButton* stop = button("Btn_Stop");
    QToolButton* prior = button("btn_REW");
    QToolButton* next = button("Btn_FOR");
    auto* group = form.findChild<QGroupBox*>("GroupBox");
    TSlider* slider = form.Slider();
    QList<int> reported; // offsets of the player's position reports
    connect(form.XaudioPlayer(), &TXaudioPlayer::OnNotifyInputPosition, this,
            [&](quint32 offset) { reported << int(offset); });

    QCOMPARE(form.windowTitle(), "Play Mpeg File");
    QCOMPARE(group->title(), " Mpeg File ");
    QVERIFY(!prior->isEnabled());
    QVERIFY(play->isEnabled() && next->isEnabled());
    QCOMPARE(form.XaudioPlayer()->Priority(), 3);
    QCOMPARE(form.XaudioPlayer()->XaudioPath(), m_program + "libxaudio.so");
    QCOMPARE(slider->geometry(), QRect(8, 80, 255, 39));
    form.show();

    // The first entry plays.
    QVERIFY(QTest::qWaitFor([&] { return !play->isEnabled() || !prompts.messages.isEmpty(); }, 10000));
    if (!prompts.messages.isEmpty() && prompts.messages[0].text.contains("no audio device"))
        QSKIP("no audio device (scripts/test provides one)");
    QCOMPARE(group->title(), " Mpeg file #1 of 3 ");
    QCOMPARE(form.findChild<QLineEdit*>("Edit_Title")->text(), "First");
    QCOMPARE(form.findChild<QLineEdit*>("Edit_Title")->cursorPosition(), 0); // a long title shows its start
    QCOMPARE(form.findChild<QLineEdit*>("Edit_file")->text(), m_first);
    QVERIFY(pause->isEnabled() && stop->isEnabled() && next->isEnabled() && !prior->isEnabled());

    // The thumb follows the position as it grows, except while it is held.
    QVERIFY(QTest::qWaitFor([&] { return slider->Position() > 0; }, 5000));
    QPoint grip = slider->ThumbRect().center();
    sendPointer(slider, QEvent::MouseButtonPress, grip);
    const int held = slider->Position();
    QTest::qWait(300);
    QCOMPARE(slider->Position(), held);
    sendPointer(slider, QEvent::MouseButtonRelease, grip); // not moved: no seek
    QVERIFY(QTest::qWaitFor([&] { return slider->Position() > held; }, 5000));

    // Pause holds the position.
    pause->click();
    QVERIFY(QTest::qWaitFor([&] { return play->isEnabled(); }, 5000));
    QVERIFY(stop->isEnabled() && !pause->isEnabled());
    QTest::qWait(100);
    const int paused = slider->Position();
    QTest::qWait(300);
    QCOMPARE(slider->Position(), paused);

    // Stop, then Play: from the start again.
    stop->click();
    QVERIFY(QTest::qWaitFor([&] { return !stop->isEnabled() && slider->Position() == 0; }, 5000));
    QVERIFY(play->isEnabled() && !pause->isEnabled());
    play->click();
    QVERIFY(QTest::qWaitFor([&] { return !play->isEnabled(); }, 5000));
    reported.clear();
    QVERIFY(QTest::qWaitFor([&] { return !reported.isEmpty(); }, 5000));
    QVERIFY2(reported.first() < paused, qPrintable(QString::number(reported.first())));

    // The thumb dropped at 200 of 400 seeks to the middle of the file: within
    // 250 ms of a 3 s file is within 34 steps.
    reported.clear();
    dragThumbTo(slider, 200);
    const int target = slider->Position();
    QVERIFY(target == 200 || target == 201);
    QVERIFY(QTest::qWaitFor([&] { return !reported.isEmpty(); }, 5000));
    QVERIFY2(qAbs(reported.first() - target) <= 34, qPrintable(QString::number(reported.first())));

    // At its end the missing entry is announced and skipped; the last one plays.
    QVERIFY(QTest::qWaitFor([&] { return !prompts.messages.isEmpty(); }, 10000));
    QCOMPARE(prompts.messages[0].text, missing + "\n\nThe mpeg file does not EXIST ! ");
    QCOMPARE(prompts.messages[0].caption, "Information");
    QCOMPARE(prompts.messages[0].icon, MsgIcon::Information);
    QVERIFY(QTest::qWaitFor([&] { return !play->isEnabled(); }, 5000));
    QCOMPARE(group->title(), " Mpeg file #3 of 3 ");
    QCOMPARE(form.findChild<QLineEdit*>("Edit_Title")->text(), "Last");
    QVERIFY(!next->isEnabled() && prior->isEnabled());

    // After the last one the file is rewound, ready to play again.
    QVERIFY(QTest::qWaitFor([&] { return play->isEnabled(); }, 10000));
    QVERIFY(!pause->isEnabled() && !stop->isEnabled());
    QVERIFY(QTest::qWaitFor([&] { return slider->Position() == 0; }, 5000));
    QCOMPARE(form.CurrentIndex(), 2);

    // Reports on another range are scaled onto the seek bar; refusals are shown.
    form.XaudioPlayerNotifyInputPosition(50, 100);
    QCOMPARE(slider->Position(), 200);
    form.XaudioPlayerNotifyNack(XA_MSG_COMMAND_INPUT_OPEN, XA_ERROR_NO_SUCH_FILE);
    form.XaudioPlayerNotifyNack(XA_MSG_COMMAND_STOP, XA_ERROR_NO_INPUT);
    QCOMPARE(prompts.messages.size(), 2);
    QCOMPARE(prompts.messages[1].text, "Cannot Open Input (file not found)");
    QCOMPARE(prompts.messages[1].icon, MsgIcon::Error);

    // Prior passes the missing entry forward again, to the last one.
    prior->click();
    QVERIFY(QTest::qWaitFor([&] { return !play->isEnabled(); }, 5000));
    QCOMPARE(prompts.messages.size(), 3);
    QCOMPARE(prompts.messages[2].text, prompts.messages[0].text);
    QCOMPARE(form.CurrentIndex(), 2);

    // Exit while playing. Whatever the player reports afterwards is dropped.
    button("SpeedButton6")->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(slider->Position(), 0);
    QVERIFY(form.PlayPaths().isEmpty() && form.PlayTitles().isEmpty());
    QTest::qWait(200);
    emit form.XaudioPlayer()->OnNotifyPlayerState(XA_PLAYER_STATE_EOS);
    emit form.XaudioPlayer()->OnNotifyInputPosition(300, 400);
    emit form.XaudioPlayer()->OnNotifyNack(XA_MSG_COMMAND_PLAY, XA_ERROR_NO_INPUT);
    QCOMPARE(prompts.messages.size(), 3);
    QCOMPARE(slider->Position(), 0);
    QCOMPARE(form.CurrentIndex(), 2);
}

void TestPlayMp3Form::heardAsPlayed()
{
    if (const QString why = MonitorRecording::unavailable(); !why.isEmpty()) QSKIP(qPrintable(why));
    const QString song = m_dir.filePath("song.mp3"); // 20 s
    const QString blip = m_dir.filePath("blip.mp3"); // 50 ms
    QVERIFY(makeMp3(song, 44100, 2, 20, {"-b", "128"}));
    QVERIFY(makeMp3(blip, 44100, 2, 0.05, {"-b", "128"}));
    ScriptedPrompts prompts;
    TPlayMp3Form form({song, blip}, {}, m_program);
    auto button = [&](const char* name) { return form.findChild<QToolButton*>(name); };
    QToolButton* play = button("btn_Play");
    form.show();
    QVERIFY(QTest::qWaitFor([&] { return !play->isEnabled() || !prompts.messages.isEmpty(); }, 10000));
    QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.messages.value(0).text));

    // Ten Stop and Play cycles and ten seeks, then the song without a
    // dropout: the output lives as long as the window, and every restart of
    // its stream keeps the buffer it asked for.
    for (int i = 0; i < 10; ++i) {
        button("Btn_Stop")->click();
        QVERIFY(QTest::qWaitFor([&] { return play->isEnabled(); }, 10000));
        play->click();
        QVERIFY(QTest::qWaitFor([&] { return !play->isEnabled(); }, 10000));
    }
    for (int i = 0; i < 10; ++i)
        dragThumbTo(form.Slider(), i % 2 ? 40 : 100);
    // Stopped, the next entry, 50 ms long, is heard to its end.
    listenToPlayer([&] { button("Btn_Stop")->click(); }, [&] { button("Btn_FOR")->click(); },
                   [&] { return form.CurrentIndex() == 1 && play->isEnabled(); });
    if (QTest::currentTestFailed()) return;
    QVERIFY(prompts.messages.isEmpty());
    button("SpeedButton6")->click();
}

AUDREL_GUI_TEST_MAIN(TestPlayMp3Form)
#include "tst_playmp3form.moc"
