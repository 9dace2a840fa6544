// The media player of the WAV and WMA windows playing a generated WAV file for
// real on the default audio device (the private null sink of scripts/test).

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

namespace {

// The message a failed Open raised, or empty.
QString refusalOf(TMediaPlayer& player, const QString& path)
{
    player.setFileName(path);
    try {
        player.Open();
    } catch (const EMCIDeviceError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestMediaPlayer : public QObject
{
    Q_OBJECT

private slots:
    void refusesWhatItCannotOpen();
    void playsAFileForReal();

private:
    QTemporaryDir m_dir;
};

void TestMediaPlayer::refusesWhatItCannotOpen()
{
    TMediaPlayer player;
    const QString missing = m_dir.filePath("missing.wav");
    const QString garbage = m_dir.filePath("garbage.wav");
    const QString other = m_dir.filePath("notes.txt");
    writeFile(garbage, QByteArray("RIFF\x10\0\0\0WAVEjunk", 16) + QByteArray(300, '\x7f'));
    writeFile(other, "text");
    QCOMPARE(refusalOf(player, missing),
             "Cannot open the media file " + missing + ":\nthe file does not exist.");
    QVERIFY(refusalOf(player, garbage).startsWith("Cannot open the media file " + garbage + ":\n"));
    QCOMPARE(refusalOf(player, other),
             "Cannot open the media file " + other + ":\nthere is no player for this kind of file.");
    QCOMPARE(player.Mode(), mpNotReady);
    QCOMPARE(player.Length(), 0);
    try {
        player.Play();
        QFAIL("played with nothing open");
    } catch (const EMCIDeviceError&) {
    }
}

void TestMediaPlayer::playsAFileForReal()
{
    if (!haveTool("sox")) QSKIP("sox is not installed");
    const QString path = m_dir.filePath("tone.wav");
    QVERIFY(makeWav(path, 8000, 1, 0.8));
    TMediaPlayer player;
    player.setFileName(path);
    player.Open();
    QCOMPARE(player.Length(), 800);
    QCOMPARE(player.Position(), 0);
    QCOMPARE(player.Mode(), mpStopped);

    try {
        player.Play();
    } catch (const EMCIDeviceError& e) {
        if (e.message().contains("no audio device")) QSKIP("no audio device (scripts/test provides one)");
        throw;
    }
    QCOMPARE(player.Mode(), mpPlaying);
    // Whenever the mode reads stopped, the file has played to its end.
    QVERIFY(QTest::qWaitFor([&] { return player.Mode() == mpStopped; }, 10000));
    QCOMPARE(player.Position(), player.Length());

    // Play again starts from the start; Pause holds the place, Pause again resumes.
    player.Play();
    QVERIFY(QTest::qWaitFor([&] { return player.Position() > 0; }, 5000));
    QVERIFY(player.Position() < 700);
    player.Pause();
    QCOMPARE(player.Mode(), mpPaused);
    const qint64 paused = player.Position();
    QTest::qWait(200);
    QCOMPARE(player.Position(), paused);
    player.Pause();
    QCOMPARE(player.Mode(), mpPlaying);

    // Stop halts where the file is; Rewind goes back to the start.
    player.Stop();
    QCOMPARE(player.Mode(), mpStopped);
    const qint64 stopped = player.Position();
    QVERIFY(stopped >= paused && stopped < player.Length());
    QTest::qWait(100);
    QCOMPARE(player.Position(), stopped);
    player.Rewind();
    QCOMPARE(player.Position(), 0);

    // A start position counts for the next Play only.
    player.setStartPos(500);
    player.Play();
    QVERIFY(player.Position() >= 500);
    QVERIFY(QTest::qWaitFor([&] { return player.Mode() == mpStopped; }, 10000));
    QCOMPARE(player.Position(), 800);
    player.Play();
    QVERIFY(player.Position() < 500);

    player.Close();
    QCOMPARE(player.Mode(), mpNotReady);
    QCOMPARE(player.Position(), 0);
}

AUDREL_CORE_TEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
