// The media player of the WAV and WMA windows, in what the windows do not
// show: its refusals, and Stop, which halts in place until Rewind. It plays
// for real on the default audio device (the private null sink of scripts/test).

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"

#include "platform/mci/emcideviceerror.h"
#include "platform/mci/mediaplayer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

class TestMediaPlayer : public QObject
{
    Q_OBJECT

private slots:
    void refusalsAndStopInPlace();
};

void TestMediaPlayer::refusalsAndStopInPlace()
{
    QTemporaryDir dir;
    TMediaPlayer player(buildDir()); // which holds the FFmpeg module
    auto refusal = [&](const QString& path, const std::function<void()>& step) {
        player.setFileName(path);
        try {
            step();
        } catch (const EMCIDeviceError& e) {
            return e.message();
        }
        return QString();
    };
    const QString missing = dir.filePath("missing.wav");
    const QString text = dir.filePath("notes.txt");
    writeFile(text, "text");
    QCOMPARE(refusal(missing, [&] { player.Open(); }),
             "Cannot open the media file " + missing + ":\nthe file does not exist.");
    QCOMPARE(refusal(text, [&] { player.Open(); }),
             "Cannot open the media file " + text + ":\nthere is no player for this kind of file.");
    QCOMPARE(player.Mode(), mpNotReady);

    if (!haveTool("sox")) QSKIP("sox is not installed");
    const QString tone = dir.filePath("tone.wav");
    QVERIFY(makeWav(tone, 8000, 1, 1.5));
    const QString refused = refusal(tone, [&] {
        player.Open();
        player.Play();
    });
    if (refused.contains("no audio device")) QSKIP("no audio device (scripts/test provides one)");
    QVERIFY2(refused.isEmpty(), qPrintable(refused));
    QCOMPARE(player.Length(), 1500);
    QVERIFY(QTest::qWaitFor([&] { return player.Position() > 0; }, 5000));
    player.Stop();
    QCOMPARE(player.Mode(), mpStopped);
    const qint64 stopped = player.Position();
    QVERIFY(stopped > 0 && stopped < 1500);
    QTest::qWait(200);
    QCOMPARE(player.Position(), stopped);
    player.Rewind();
    QCOMPARE(player.Position(), 0);
    player.Close();
    QCOMPARE(player.Mode(), mpNotReady);
}

AUDREL_CORE_TEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
