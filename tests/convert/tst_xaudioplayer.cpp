// The player library through its binding: loading and binding failures,
// notification delivery, refusals, conversion to WAV judged against mpg123,
// corrupt input, playback in real time, and the audio device module that the
// library loads only when a device output is asked for.

#include "audiotools.h"
#include "playerrecorder.h"
#include "testmain.h"
#include "testsupport.h"

#include "platform/xaudio/xaudioplayer.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

#include <memory>
#include <optional>

using namespace audrel;
using namespace audrel::test;

namespace {

constexpr int kPlay = XA_MSG_COMMAND_PLAY;
constexpr int kInputOpen = XA_MSG_COMMAND_INPUT_OPEN;
constexpr int kOutputOpen = XA_MSG_COMMAND_OUTPUT_OPEN;

std::unique_ptr<TXaudioPlayer> newPlayer()
{
    auto player = std::make_unique<TXaudioPlayer>();
    player->setXaudioPath(QStringLiteral(XAUDIO_PATH));
    return player;
}

bool isMapped(const QString& path)
{
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    dlclose(handle);
    return true;
}

QString raised(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const EXaudioException& error) {
        return error.message();
    }
    return QStringLiteral("<nothing raised>");
}

// Converts one file through the binding as the conversion dialog does.
int answerTo(PlayerRecorder& recorder, int command);

bool convert(TXaudioPlayer& player, PlayerRecorder& recorder, const QString& source, const QString& dest)
{
    // What the player still tells of the file before (a refused input also
    // refuses the play that follows it) arrives before the answer to a
    // synchronisation, and is not taken for news of this file.
    recorder.clear();
    player.Synchronize();
    answerTo(recorder, XA_MSG_COMMAND_SYNC);
    recorder.clear();
    player.InputOpen(source);
    player.OutputOpen(QStringLiteral("wav:") + dest);
    player.Play();
    return recorder.waitForState(XA_PLAYER_STATE_EOS);
}

// Waits for the answer to a command: XA_SUCCESS when acknowledged, the error
// code when refused, 1 when no answer came.
int answerTo(PlayerRecorder& recorder, int command)
{
    const auto answer = [&]() -> std::optional<int> {
        for (const auto& e : recorder.events) {
            if (e.code == XA_MSG_NOTIFY_ACK && e.a == command) return XA_SUCCESS;
            if (e.code == XA_MSG_NOTIFY_NACK && e.a == command) return int(e.b);
        }
        return std::nullopt;
    };
    if (!QTest::qWaitFor([&] { return answer().has_value(); }, 20000)) return 1;
    return *answer();
}

// The audio device module beside the player library in the build folder.
QString deviceModulePath()
{
    return QFileInfo(QStringLiteral(XAUDIO_PATH)).dir().filePath(QStringLiteral("libxaudio_device.so"));
}

} // namespace

class TestXaudioPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void defaults();
    void missingLibraryFile();
    void brokenLibraries_data();
    void brokenLibraries();

    void notificationsArriveInOrderOnTheGuiThread();
    void refusedCommandsAreNacked();

    void wavMatchesMpg123_data();
    void wavMatchesMpg123();
    void thirdPartySamplesMatchMpg123();
    void nextFileStartsFromTheEndOfStreamHandler();
    void corruptInputNeverCrashes();
    void destroyingThePlayerMidStreamCompletesTheFile();

    void silentOutputKeepsRealTime();
    void defaultOutputPlaysInRealTime();
    void deviceOutputIsRefusedWithoutTheDeviceModule();
    void deviceModuleIsLoadedBesideTheRealLibraryOnFirstNeed();

private:
    QTemporaryDir m_dir;
    QString m_mp3; // 44.1 kHz stereo, 3 s
};

void TestXaudioPlayer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char* tool : {"sox", "lame", "mpg123", "ffmpeg"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    m_mp3 = m_dir.filePath("tone.mp3");
    QVERIFY(makeMp3(m_mp3, 44100, 2, 3.0, {"-b", "128"}));
}

void TestXaudioPlayer::defaults()
{
    TXaudioPlayer player;
    QCOMPARE(player.XaudioPath(), ProgramFolder() + "libxaudio.so");
    QCOMPARE(player.Priority(), 3);
    QVERIFY(!player.isLoaded());
    QVERIFY(!player.hasPlayer());
}

void TestXaudioPlayer::missingLibraryFile()
{
    TXaudioPlayer player;
    const QString path = m_dir.filePath("nowhere/libxaudio.so");
    player.setXaudioPath(path);
    QCOMPARE(raised([&] { player.Init(); }), "Cannot Load Xaudio DLL (" + path + ")");
    // Every operation that needs the player tries again and fails the same way.
    QCOMPARE(raised([&] { player.Play(); }), "Cannot Load Xaudio DLL (" + path + ")");
    QCOMPARE(raised([&] { player.OutputClose(); }), "Cannot Load Xaudio DLL (" + path + ")");
    QCOMPARE(player.ErrorString(XA_ERROR_NO_SUCH_FILE), QString());
    QVERIFY(!player.isLoaded());
}

void TestXaudioPlayer::brokenLibraries_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    // The first name missing in the order of resolution is the one reported.
    QTest::newRow("missing symbol") << QStringLiteral(BROKEN_MISSING_SYMBOL_PATH)
                                    << "Cannot Find Symbol control_message_send_SS in Xaudio DLL";
    QTest::newRow("version 3.7") << QStringLiteral(BROKEN_VERSION_PATH)
                                 << "Xaudio DLL API Mismatch\nExpected 3.8, Got 3.7";
    QTest::newRow("player_new fails")
        << QStringLiteral(BROKEN_PLAYER_NEW_PATH) << "Cannot Start Xaudio Player";
}

void TestXaudioPlayer::brokenLibraries()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(!isMapped(path));
    {
        TXaudioPlayer player;
        player.setXaudioPath(path);
        QCOMPARE(raised([&] { player.Init(); }), message);
        QVERIFY(!player.hasPlayer());
        QVERIFY(!player.isLoaded());
        QVERIFY2(!isMapped(path), "the library stays loaded after the failure");
        // The next operation loads it again and fails again.
        QCOMPARE(raised([&] { player.InputOpen(m_mp3); }), message);
        QVERIFY(!isMapped(path));
        QCOMPARE(player.ErrorString(XA_ERROR_NO_SUCH_FILE), QString());
    }
    QVERIFY(!isMapped(path));
}

void TestXaudioPlayer::notificationsArriveInOrderOnTheGuiThread()
{
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    QVERIFY(player->Init());
    for (quint32 tag = 1; tag <= 300; ++tag)
        QCOMPARE(player->Ping(tag), XA_SUCCESS);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.of(XA_MSG_NOTIFY_PONG).size(), 300, 20000);
    const auto pongs = recorder.of(XA_MSG_NOTIFY_PONG);
    for (int i = 0; i < pongs.size(); ++i) {
        QCOMPARE(pongs[i].a, i + 1);
        QVERIFY(pongs[i].onOwnThread);
        QVERIFY2(pongs[i].afterMessage, "OnNotifyMessage did not come first");
    }
    // Commands of different kinds are answered in the order they were sent.
    recorder.clear();
    player->Ping(1);
    player->Play(); // no input: refused
    player->Ping(2);
    player->Stop();
    player->Ping(3);
    QTRY_COMPARE(recorder.of(XA_MSG_NOTIFY_PONG).size(), 3);
    QList<QPair<int, qint64>> order;
    for (const auto& e : recorder.events)
        order.append({e.code, e.a});
    const QList<QPair<int, qint64>> expected{{XA_MSG_NOTIFY_PONG, 1},
                                             {XA_MSG_NOTIFY_NACK, kPlay},
                                             {XA_MSG_NOTIFY_PONG, 2},
                                             {XA_MSG_NOTIFY_ACK, XA_MSG_COMMAND_STOP},
                                             {XA_MSG_NOTIFY_PONG, 3}};
    QCOMPARE(order, expected);
}

void TestXaudioPlayer::refusedCommandsAreNacked()
{
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    const auto lastNack = [&](int command) -> int {
        if (!QTest::qWaitFor([&] { return recorder.sawNack(); }, 20000)) return 0;
        const auto nack = recorder.of(XA_MSG_NOTIFY_NACK).first();
        return nack.a == command ? int(nack.b) : -1000 - int(nack.a);
    };

    recorder.clear();
    player->InputOpen(m_dir.filePath("absent.mp3"));
    QCOMPARE(lastNack(kInputOpen), XA_ERROR_NO_SUCH_FILE);
    QCOMPARE(player->ErrorString(XA_ERROR_NO_SUCH_FILE), "file not found");

    const QString junk = m_dir.filePath("junk.mp3");
    QByteArray noise(20000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251 & 0xE0); // never a frame sync
    writeFile(junk, noise);
    recorder.clear();
    player->InputOpen(junk);
    QCOMPARE(lastNack(kInputOpen), XA_ERROR_NOT_MPEG_AUDIO);
    QCOMPARE(player->ErrorString(XA_ERROR_NOT_MPEG_AUDIO), "not an MPEG audio stream");

    recorder.clear();
    player->InputOpen(m_dir.path());
    QCOMPARE(lastNack(kInputOpen), XA_ERROR_OPEN_FAILED);

    recorder.clear();
    player->Play(); // nothing is open
    QCOMPARE(lastNack(kPlay), XA_ERROR_NO_INPUT);

    recorder.clear();
    player->OutputOpen("tape:somewhere");
    QCOMPARE(lastNack(kOutputOpen), XA_ERROR_UNKNOWN_OUTPUT);

    // An output file that cannot be created refuses the play that follows, so
    // a conversion never falls back to the loudspeakers.
    recorder.clear();
    player->OutputOpen("wav:" + m_dir.filePath("no/such/folder/out.wav"));
    QCOMPARE(lastNack(kOutputOpen), XA_ERROR_CREATE_FAILED);
    recorder.clear();
    player->InputOpen(m_mp3);
    player->Play();
    QCOMPARE(lastNack(kPlay), XA_ERROR_CREATE_FAILED);
    QVERIFY(!recorder.sawState(XA_PLAYER_STATE_PLAYING));
    QCOMPARE(player->ErrorString(XA_ERROR_CREATE_FAILED), "cannot create output file");

    // The input is never written over.
    const QByteArray before = fileHash(m_mp3);
    recorder.clear();
    player->OutputOpen("wav:" + m_mp3);
    QCOMPARE(lastNack(kOutputOpen), XA_ERROR_OUTPUT_IS_INPUT);
    QCOMPARE(fileHash(m_mp3), before);

    recorder.clear();
    player->InputSeek(5, 0);
    QCOMPARE(lastNack(XA_MSG_COMMAND_INPUT_SEEK), XA_ERROR_INVALID_PARAMETERS);
}

void TestXaudioPlayer::wavMatchesMpg123_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("MPEG 1, 44.1 kHz stereo CBR") << "mp3" << 44100 << 2 << QStringList{"-b", "128"};
    QTest::newRow("MPEG 1, 48 kHz mono VBR") << "mp3" << 48000 << 1 << QStringList{"-V", "4"};
    QTest::newRow("MPEG 1, 32 kHz joint stereo VBR")
        << "mp3" << 32000 << 2 << QStringList{"-V", "2", "-m", "j"};
    QTest::newRow("MPEG 2, 22.05 kHz stereo VBR") << "mp3" << 22050 << 2 << QStringList{"-V", "5"};
    QTest::newRow("MPEG 2, 16 kHz mono CBR") << "mp3" << 16000 << 1 << QStringList{"-b", "32"};
    QTest::newRow("MPEG 2, 24 kHz stereo CBR no tag") << "mp3" << 24000 << 2 << QStringList{"-b", "64", "-t"};
    QTest::newRow("MPEG 2.5, 8 kHz mono CBR") << "mp3" << 8000 << 1 << QStringList{"-b", "16"};
    QTest::newRow("MPEG 2.5, 11.025 kHz stereo VBR") << "mp3" << 11025 << 2 << QStringList{"-V", "6"};
    QTest::newRow("MPEG 2.5, 12 kHz mono VBR") << "mp3" << 12000 << 1 << QStringList{"-V", "3"};
    QTest::newRow("Layer II, 44.1 kHz stereo") << "mp2" << 44100 << 2 << QStringList{"192"};
    QTest::newRow("Layer II, 24 kHz mono") << "mp2" << 24000 << 1 << QStringList{"48"};
}

void TestXaudioPlayer::wavMatchesMpg123()
{
    QFETCH(QString, kind);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QStringList, options);
    const QString name =
        QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("[^A-Za-z0-9]+"), "_");
    const QString source = m_dir.filePath(name + "." + kind);
    if (kind == "mp2")
        QVERIFY(makeMp2(source, rate, channels, 2.3, options.first().toInt()));
    else
        QVERIFY(makeMp3(source, rate, channels, 2.3, options));
    const QByteArray sourceHash = fileHash(source);

    const QString reference = m_dir.filePath(name + ".mpg123.wav");
    QVERIFY(runTool("mpg123", {"-q", "-w", reference, source}));
    const QString ours = m_dir.filePath(name + ".wav");
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    QVERIFY(convert(*player, recorder, source, ours));

    const WavData expected = readWav(reference);
    const WavData actual = readWav(ours);
    QVERIFY(expected.valid);
    QVERIFY(actual.valid);
    QCOMPARE(actual.format, 1);
    QCOMPARE(actual.bits, 16);
    QCOMPARE(actual.rate, expected.rate);
    QCOMPARE(actual.channels, expected.channels);
    QCOMPARE(actual.rate, rate);
    QCOMPARE(actual.channels, channels);
    QCOMPARE(actual.samples.size(), expected.samples.size());
    QVERIFY2(actual.samples == expected.samples, "the samples differ from mpg123's");
    QCOMPARE(QFileInfo(ours).size(), 44 + actual.samples.size());
    QCOMPARE(fileHash(source), sourceHash);

    // Progress: on the range 400, never backwards, ending at 400.
    const auto positions = recorder.of(XA_MSG_NOTIFY_INPUT_POSITION);
    QVERIFY(positions.size() >= 2);
    for (int i = 0; i < positions.size(); ++i) {
        QCOMPARE(positions[i].b, 400);
        if (i > 0) QVERIFY(positions[i].a >= positions[i - 1].a);
    }
    QCOMPARE(positions.last().a, 400);
    QCOMPARE(recorder.states(), (QList<int>{XA_PLAYER_STATE_PLAYING, XA_PLAYER_STATE_EOS}));
}

void TestXaudioPlayer::thirdPartySamplesMatchMpg123()
{
    const QString data = testDataDir();
    if (data.isEmpty()) QSKIP("the third-party samples are not beside the clone");
    QStringList sources;
    for (const char* folder : {"mp3", "mpa"})
        for (const QFileInfo& info : QDir(data + "/" + folder).entryInfoList(QDir::Files, QDir::Name))
            sources << info.filePath();
    QVERIFY(!sources.isEmpty());
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    int compared = 0;
    for (const QString& source : sources) {
        const QString base = QFileInfo(source).fileName();
        const QString reference = m_dir.filePath(base + ".mpg123.wav");
        const QString ours = m_dir.filePath(base + ".wav");
        QString report;
        const bool referenceMade = runTool("mpg123", {"-w", reference, source}, &report);
        const WavData expected = readWav(reference);
        const bool converted = convert(*player, recorder, source, ours);
        if (report.contains("Frankenstein")) {
            // The stream changes its rate or layer part-way (junk taken for
            // frames): mpg123 starts its file over, we refuse to go on.
            QVERIFY2(!converted, qPrintable(base));
            const auto nack = recorder.of(XA_MSG_NOTIFY_NACK).first();
            QCOMPARE(nack.a, kPlay);
            QCOMPARE(nack.b, XA_ERROR_FORMAT_CHANGED);
            continue;
        }
        if (!referenceMade || !expected.valid || expected.samples.isEmpty()) {
            // mpg123 finds nothing to play: neither do we, or what we find is short.
            if (converted) QVERIFY2(readWav(ours).valid, qPrintable(base));
            continue;
        }
        QVERIFY2(converted, qPrintable(base));
        const WavData actual = readWav(ours);
        QVERIFY2(actual.valid, qPrintable(base));
        QCOMPARE(actual.rate, expected.rate);
        QCOMPARE(actual.channels, expected.channels);
        QVERIFY2(actual.samples == expected.samples,
                 qPrintable(QStringLiteral("%1: %2 bytes, mpg123 %3 bytes")
                                .arg(base)
                                .arg(actual.samples.size())
                                .arg(expected.samples.size())));
        ++compared;
    }
    QVERIFY(compared >= 10);
}

void TestXaudioPlayer::nextFileStartsFromTheEndOfStreamHandler()
{
    QStringList sources;
    for (int i = 0; i < 3; ++i) {
        sources << m_dir.filePath(QStringLiteral("chain%1.mp3").arg(i));
        QVERIFY(makeMp3(sources.last(), i == 1 ? 22050 : 44100, i == 2 ? 1 : 2, 1.0 + i * 0.4, {"-V", "5"}));
    }
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    int next = 0;
    const auto start = [&] {
        player->InputOpen(sources[next]);
        player->OutputOpen("wav:" + sources[next] + ".wav");
        player->Play();
        ++next;
    };
    connect(player.get(), &TXaudioPlayer::OnNotifyPlayerState, this, [&](int state) {
        if (state == XA_PLAYER_STATE_EOS && next < sources.size()) start();
    });
    start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.states().count(XA_PLAYER_STATE_EOS), 3, 60000);
    QVERIFY(!recorder.sawNack());
    for (const QString& source : sources) {
        const QString reference = source + ".mpg123.wav";
        QVERIFY(runTool("mpg123", {"-q", "-w", reference, source}));
        QVERIFY2(readWav(source + ".wav").samples == readWav(reference).samples, qPrintable(source));
    }
}

void TestXaudioPlayer::corruptInputNeverCrashes()
{
    const QByteArray good = readFile(m_mp3);
    QVERIFY(good.size() > 20000);
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    QByteArray holed = good;
    for (int i = 8000; i < 14000; ++i)
        holed[i] = char(i * 31);
    QByteArray flipped = good;
    for (int i = 500; i < flipped.size(); i += 97)
        flipped[i] = char(flipped[i] ^ 0x5A);
    const QList<Case> cases{{"empty", {}},
                            {"truncated", good.left(good.size() / 2)},
                            {"cut mid-frame", good.left(3001)},
                            {"garbage in the middle", holed},
                            {"bits flipped throughout", flipped},
                            {"header only", good.left(4)}};
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    for (const Case& c : cases) {
        const QString source = m_dir.filePath(QString::fromLatin1(c.name).replace(' ', '_') + ".mp3");
        writeFile(source, c.bytes);
        const QString dest = source + ".wav";
        recorder.clear();
        player->InputOpen(source);
        player->OutputOpen("wav:" + dest);
        player->Play();
        QVERIFY2(QTest::qWaitFor([&] { return recorder.sawState(XA_PLAYER_STATE_EOS) || recorder.sawNack(); },
                                 30000),
                 c.name);
        if (recorder.sawNack()) {
            const auto nack = recorder.of(XA_MSG_NOTIFY_NACK).first();
            QVERIFY2(nack.a == kInputOpen || nack.a == kPlay, c.name);
            QVERIFY2(!player->ErrorString(int(nack.b)).isEmpty(), c.name);
            QVERIFY2(player->ErrorString(int(nack.b)) != "unknown error", c.name);
        } else {
            QVERIFY2(readWav(dest).valid, c.name);
        }
        QCOMPARE(readFile(source), c.bytes);
    }
    // The player is still in working order.
    QVERIFY(convert(*player, recorder, m_mp3, m_dir.filePath("after-corrupt.wav")));
}

void TestXaudioPlayer::destroyingThePlayerMidStreamCompletesTheFile()
{
    const QString source = m_dir.filePath("long.mp3");
    QVERIFY(makeMp3(source, 44100, 2, 30.0, {"-b", "128"}));
    const QString dest = m_dir.filePath("long.wav");
    {
        auto player = newPlayer();
        PlayerRecorder recorder(*player);
        player->InputOpen(source);
        player->OutputOpen("wav:" + dest);
        player->Play();
        QVERIFY(recorder.waitForState(XA_PLAYER_STATE_PLAYING));
        // The player goes while it writes (or just after it finished).
    }
    const WavData wav = readWav(dest);
    QVERIFY(wav.valid);
    QCOMPARE(wav.rate, 44100);
    QCOMPARE(wav.channels, 2);
    QCOMPARE(QFileInfo(dest).size(), 44 + wav.samples.size());
}

void TestXaudioPlayer::silentOutputKeepsRealTime()
{
    const QString source = m_dir.filePath("two-seconds.mp3");
    QVERIFY(makeMp3(source, 44100, 2, 2.0, {"-b", "128"}));
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    player->InputOpen(source);
    player->OutputOpen("null:");
    player->Play();
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_PLAYING));
    QTest::qWait(600);
    player->Pause();
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_PAUSED));
    QTest::qWait(100);
    const qint64 pausedAt = recorder.of(XA_MSG_NOTIFY_INPUT_POSITION).last().a;
    QVERIFY2(pausedAt > 0 && pausedAt < 400, qPrintable(QString::number(pausedAt)));
    QTest::qWait(400);
    QCOMPARE(recorder.of(XA_MSG_NOTIFY_INPUT_POSITION).last().a, pausedAt);

    // Seeking reports the new place at once; stopping goes back to the start.
    recorder.clear();
    player->InputSeek(200, 400);
    QTRY_VERIFY(!recorder.of(XA_MSG_NOTIFY_INPUT_POSITION).isEmpty());
    QCOMPARE(recorder.of(XA_MSG_NOTIFY_INPUT_POSITION).first().a, 200);
    player->Stop();
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_STOPPED));
    QTRY_COMPARE(recorder.of(XA_MSG_NOTIFY_INPUT_POSITION).last().a, 0);

    recorder.clear();
    player->Play();
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_EOS, 20000));
    const auto positions = recorder.of(XA_MSG_NOTIFY_INPUT_POSITION);
    QVERIFY(positions.size() > 10);
    QCOMPARE(positions.last().a, 400);
    // Two seconds of audio take about two seconds to play out.
    const qint64 playing = recorder.of(XA_MSG_NOTIFY_PLAYER_STATE).last().ms -
                           recorder.of(XA_MSG_NOTIFY_PLAYER_STATE).first().ms;
    QVERIFY2(playing >= 1500, qPrintable(QString::number(playing)));
}

void TestXaudioPlayer::defaultOutputPlaysInRealTime()
{
    const QString source = m_dir.filePath("short-play.mp3");
    QVERIFY(makeMp3(source, 44100, 2, 1.5, {"-b", "128"}));
    auto player = newPlayer();
    PlayerRecorder recorder(*player);
    player->InputOpen(source);
    player->Play(); // no output opened: the audio device
    QVERIFY(QTest::qWaitFor([&] { return recorder.sawState(XA_PLAYER_STATE_PLAYING) || recorder.sawNack(); },
                            20000));
    if (recorder.sawNack()) {
        const auto nack = recorder.of(XA_MSG_NOTIFY_NACK).first();
        QCOMPARE(nack.a, kPlay);
        if (nack.b == XA_ERROR_NO_AUDIO_DEVICE) QSKIP("no audio device (scripts/test provides one)");
        QFAIL(qPrintable("play refused: " + player->ErrorString(int(nack.b))));
    }
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_EOS, 20000));
    QCOMPARE(recorder.states(), (QList<int>{XA_PLAYER_STATE_PLAYING, XA_PLAYER_STATE_EOS}));

    const auto states = recorder.of(XA_MSG_NOTIFY_PLAYER_STATE);
    const qint64 started = states.first().ms;
    const qint64 ended = states.last().ms;
    QVERIFY2(ended - started >= 1000, qPrintable(QString::number(ended - started)));
    // Positions grow with the clock: the middle of the file is reached around
    // the middle of the playing time, not at once.
    QList<PlayerRecorder::Event> during;
    for (const auto& p : recorder.of(XA_MSG_NOTIFY_INPUT_POSITION))
        if (p.ms > started && p.ms < ended) during.append(p);
    QVERIFY(during.size() >= 10);
    for (int i = 1; i < during.size(); ++i)
        QVERIFY(during[i].a >= during[i - 1].a);
    for (const auto& p : during)
        if (p.a >= 200) {
            QVERIFY2(p.ms - started >= 400, qPrintable(QString::number(p.ms - started)));
            break;
        }

    // A second player, on a thread of its own, plays through the device too.
    player.reset();
    auto second = newPlayer();
    PlayerRecorder again(*second);
    second->InputOpen(source);
    second->Play();
    QVERIFY(again.waitForState(XA_PLAYER_STATE_EOS, 20000));
    QCOMPARE(again.states(), (QList<int>{XA_PLAYER_STATE_PLAYING, XA_PLAYER_STATE_EOS}));
}

void TestXaudioPlayer::deviceOutputIsRefusedWithoutTheDeviceModule()
{
    // A copy, not a link: the library looks for the module beside its own file.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString library = folder.filePath("libxaudio.so");
    QVERIFY(QFile::copy(QStringLiteral(XAUDIO_PATH), library));
    QVERIFY(!QFileInfo::exists(folder.filePath("libxaudio_device.so")));

    TXaudioPlayer player;
    player.setXaudioPath(library);
    PlayerRecorder recorder(player);
    QVERIFY(player.Init());

    // Playing with no output opened asks for the device.
    player.InputOpen(m_mp3);
    QCOMPARE(answerTo(recorder, kInputOpen), XA_SUCCESS);
    recorder.clear();
    player.Play();
    QCOMPARE(answerTo(recorder, kPlay), XA_ERROR_NO_AUDIO_DEVICE);
    QVERIFY(!recorder.sawState(XA_PLAYER_STATE_PLAYING));
    QCOMPARE(player.ErrorString(XA_ERROR_NO_AUDIO_DEVICE), "no audio device");

    for (const QString& name : {QStringLiteral("audio:"), QString()}) {
        recorder.clear();
        player.OutputOpen(name);
        QCOMPARE(answerTo(recorder, kOutputOpen), XA_ERROR_NO_AUDIO_DEVICE);
        recorder.clear();
        player.Play();
        QCOMPARE(answerTo(recorder, kPlay), XA_ERROR_NO_AUDIO_DEVICE);
        QVERIFY(!recorder.sawState(XA_PLAYER_STATE_PLAYING));
    }

    // The same player still converts to WAV.
    const QString reference = m_dir.filePath("no-device-module.mpg123.wav");
    QVERIFY(runTool("mpg123", {"-q", "-w", reference, m_mp3}));
    const QString ours = m_dir.filePath("no-device-module.wav");
    QVERIFY(convert(player, recorder, m_mp3, ours));
    const WavData expected = readWav(reference);
    const WavData actual = readWav(ours);
    QVERIFY(expected.valid);
    QVERIFY(actual.valid);
    QCOMPARE(actual.rate, expected.rate);
    QCOMPARE(actual.channels, expected.channels);
    QVERIFY2(actual.samples == expected.samples, "the samples differ from mpg123's");
}

void TestXaudioPlayer::deviceModuleIsLoadedBesideTheRealLibraryOnFirstNeed()
{
    QVERIFY2(QFileInfo::exists(deviceModulePath()), qPrintable(deviceModulePath() + " was not built"));
    // Copies of the library and its module, reached through a link from a
    // folder that holds neither, as when the program's folder links to them.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkpath("real"));
    QVERIFY(QDir(folder.path()).mkpath("program"));
    const QString library = folder.filePath("real/libxaudio.so");
    const QString module = folder.filePath("real/libxaudio_device.so");
    QVERIFY(QFile::copy(QStringLiteral(XAUDIO_PATH), library));
    QVERIFY(QFile::copy(deviceModulePath(), module));
    const QString link = folder.filePath("program/libxaudio.so");
    QVERIFY(QFile::link(library, link));

    TXaudioPlayer player;
    player.setXaudioPath(link);
    PlayerRecorder recorder(player);
    QVERIFY(player.Init());

    // Converting to a file leaves the module alone.
    QVERIFY(convert(player, recorder, m_mp3, m_dir.filePath("through-link.wav")));
    QVERIFY(readWav(m_dir.filePath("through-link.wav")).valid);
    QVERIFY(isMapped(library));
    QVERIFY(!isMapped(module));

    // The device output loads it from the folder of the real file.
    recorder.clear();
    player.OutputOpen("audio:");
    const int answer = answerTo(recorder, kOutputOpen);
    QVERIFY(isMapped(module));
    if (answer == XA_ERROR_NO_AUDIO_DEVICE) QSKIP("no audio device (scripts/test provides one)");
    QCOMPARE(answer, XA_SUCCESS);
    recorder.clear();
    player.InputOpen(m_mp3);
    player.Play();
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_PLAYING, 20000));
    player.Stop();
    QVERIFY(recorder.waitForState(XA_PLAYER_STATE_STOPPED, 20000));
}

AUDREL_CORE_TEST_MAIN(TestXaudioPlayer)
#include "tst_xaudioplayer.moc"
