// The batch runner in every direction, with real engines and files: existing
// destinations replaced or kept as the handler says, leftovers of killed runs
// removed, a failure that leaves nothing and lets the run go on, several
// files at once giving the bytes of one at a time, and an abort while two
// files are in flight.

#include "audiotools.h"
#include "testmain.h"
#include "testsupport.h"

#include "convert/batchrunner.h"
#include "convert/directions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

namespace {

struct ScriptedHandler final : BatchHandler
{
    QStringList asked;     // the destinations asked about, in order
    QStringList replace;   // those to replace
    QStringList failures;  // the messages put to it
    bool ReplaceExisting(const TCvtItem& item) override
    {
        asked << item.DestPath;
        return replace.contains(item.DestPath);
    }
    bool ItemFailed(const TCvtItem&, const QString& message) override
    {
        failures << message;
        return true;
    }
};

// Runs the runner until it ends by itself or is aborted.
void runToEnd(BatchRunner& runner)
{
    runner.start();
    QVERIFY(QTest::qWaitFor([&] { return !runner.running(); }, 180000));
}

TCvtItem item(JobKind kind, const QString& source, const QString& dest, int row, uint32_t bits = 16)
{
    TCvtItem item;
    item.Kind = kind;
    item.SourcePath = source;
    item.DestPath = dest;
    item.RowIndex = row;
    item.SampleRate = 44100;
    item.BitsPerSample = bits;
    return item;
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({".audrel-*"}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestBatchRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tableFollowsTheListOrder();
    void everyDirection_data();
    void everyDirection();

private:
    QTemporaryDir m_media;
};

void TestBatchRunner::initTestCase()
{
    for (const char* tool : {"sox", "lame", "ffmpeg"})
        if (!haveTool(tool)) QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
}

void TestBatchRunner::tableFollowsTheListOrder()
{
    for (int i = 0; i < kJobKindCount; ++i) {
        QCOMPARE(int(Directions()[size_t(i)].kind), i);
        QVERIFY(Directions()[size_t(i)].makePath);
    }
}

void TestBatchRunner::everyDirection_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("ext"); // of the sources
    QTest::newRow("MP3 to WAV") << int(JobKind::Mp3ToWav) << "mp3";
    QTest::newRow("WAV to MP3") << int(JobKind::WavToMp3) << "wav";
    QTest::newRow("WMA to WAV") << int(JobKind::WmaToWav) << "wma";
    QTest::newRow("WAV to WMA") << int(JobKind::WavToWma) << "wav";
}

void TestBatchRunner::everyDirection()
{
    QFETCH(int, kind);
    QFETCH(QString, ext);
    const JobKind direction = JobKind(kind);
    const QString destExt = QLatin1String(DirectionOf(direction).destExt);
    const auto source = [&](const QString& name, double seconds) {
        const QString path = m_media.filePath(name + "." + ext);
        if (QFile::exists(path)) return path;
        const bool made = ext == "mp3"   ? makeMp3(path, 44100, 2, seconds, {"-b", "128"})
                          : ext == "wma" ? makeWma(path, 44100, 2, seconds, 128)
                                         : makeWav(path, 44100, 2, seconds);
        return made ? path : QString();
    };
    const QString shortSource = source("short", 1.5);
    const QString longSource = source("long", 180);
    QVERIFY(!shortSource.isEmpty() && !longSource.isEmpty());
    // Damaged: a WAV header cut off in its format chunk, or no audio at all.
    const QString bad = m_media.filePath("bad." + ext);
    writeFile(bad, ext == "wav" ? QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(8, '\xff')
                                : QByteArray(4096, '\x5a'));
    const QByteArray shortHash = fileHash(shortSource);

    QTemporaryDir out;
    const auto dest = [&](const QString& name) { return out.filePath(name + destExt); };
    const Settings settings;

    // One file at a time, for the bytes that several at once must also give.
    {
        ScriptedHandler handler;
        BatchRunner runner(settings, buildDir(), 1, handler);
        QVERIFY(runner.init({direction}).isEmpty());
        runner.setItems({item(direction, shortSource, dest("reference"), 0)});
        runToEnd(runner);
        QCOMPARE(runner.outcome().ConvertedRows, QList<int>{0});
    }

    // Two at a time: an existing destination replaced, one kept, a failure
    // that the run goes past, and a plain file.
    writeFile(dest("replaced"), "an old result");
    writeFile(dest("kept"), "a result to keep");
    // What a killed run left goes at the start, even for a file then skipped.
    writeFile(DestinationFile::TempPathFor(dest("kept")), "left by a killed run");
    ScriptedHandler handler;
    handler.replace << dest("replaced");
    BatchRunner runner(settings, buildDir(), 2, handler);
    QVERIFY(runner.init({direction}).isEmpty());
    runner.setItems({item(direction, shortSource, dest("replaced"), 3),
                     item(direction, shortSource, dest("kept"), 5),
                     item(direction, bad, dest("bad"), 6, 8),
                     item(direction, shortSource, dest("plain"), 8)});
    QList<int> started, skipped, finished, failed;
    connect(&runner, &BatchRunner::itemStarted, this, [&](int index) { started << index; });
    connect(&runner, &BatchRunner::itemSkipped, this, [&](int index) { skipped << index; });
    connect(&runner, &BatchRunner::itemFinished, this, [&](int index) { finished << index; });
    connect(&runner, &BatchRunner::itemFailed, this, [&](int index) { failed << index; });
    runToEnd(runner);
    QVERIFY(!runner.running());

    QCOMPARE(handler.asked, (QStringList{dest("replaced"), dest("kept")}));
    QCOMPARE(started, (QList<int>{0, 2, 3}));
    QCOMPARE(skipped, QList<int>{1});
    std::sort(finished.begin(), finished.end());
    QCOMPARE(finished, (QList<int>{0, 3}));
    QCOMPARE(failed, QList<int>{2});
    QCOMPARE(handler.failures.size(), 1);
    QVERIFY(!handler.failures.first().isEmpty());
    const ConversionOutcome outcome = runner.outcome();
    QCOMPARE(outcome.Result, int(ConversionOutcome::mrOk));
    QCOMPARE(outcome.ConvertedRows, (QList<int>{3, 8}));
    QCOMPARE(runner.finishedCount(), 3);
    QCOMPARE(readFile(dest("kept")), QByteArray("a result to keep"));
    QVERIFY(!QFile::exists(dest("bad")));
    const QByteArray reference = readFile(dest("reference"));
    QVERIFY(reference.size() > 1000);
    QCOMPARE(readFile(dest("replaced")), reference);
    QCOMPARE(readFile(dest("plain")), reference);
    QVERIFY(leftovers(out.path()).isEmpty());
    QCOMPARE(fileHash(shortSource), shortHash);

    // An abort in the middle of the second of three files, with the second
    // and third in flight: the first stays converted, nothing of the other
    // two is left, and the second's earlier destination stays as it was.
    writeFile(dest("second"), "an earlier second");
    ScriptedHandler replacing;
    replacing.replace << dest("second");
    BatchRunner aborted(settings, buildDir(), 2, replacing);
    QVERIFY(aborted.init({direction}).isEmpty());
    aborted.setItems({item(direction, shortSource, dest("first"), 0), item(direction, longSource, dest("second"), 1),
                      item(direction, longSource, dest("third"), 2)});
    bool secondMoved = false;
    bool thirdStarted = false;
    bool secondEnded = false;
    int inFlightAtAbort = 0;
    const auto abortOnceBothRun = [&] {
        if (!secondMoved || !thirdStarted || !aborted.running()) return;
        for (const TCvtItem& i : aborted.items())
            inFlightAtAbort += i.JobState == ItemState::Converting;
        aborted.abort();
    };
    connect(&aborted, &BatchRunner::itemFinished, this, [&](int index) { secondEnded |= index == 1; });
    connect(&aborted, &BatchRunner::itemStarted, this, [&](int index) {
        thirdStarted |= index == 2;
        abortOnceBothRun();
    });
    connect(&aborted, &BatchRunner::itemProgress, this, [&](int index, qint64 done) {
        secondMoved |= index == 1 && done > 0;
        abortOnceBothRun();
    });
    runToEnd(aborted);
    QVERIFY(!aborted.running());
    QVERIFY(!secondEnded);
    QCOMPARE(inFlightAtAbort, 2);
    const ConversionOutcome cut = aborted.outcome();
    QCOMPARE(cut.Result, int(ConversionOutcome::mrCancel));
    QCOMPARE(cut.ConvertedRows, QList<int>{0});
    QCOMPARE(cut.AbortedDestPath, DestinationFile::TempPathFor(dest("second")));
    QCOMPARE(readFile(dest("first")), reference);
    QCOMPARE(readFile(dest("second")), QByteArray("an earlier second"));
    QVERIFY(!QFile::exists(dest("third")));
    QVERIFY(leftovers(out.path()).isEmpty());
    // Nothing comes back once the engines have let go.
    QTest::qWait(300);
    QVERIFY(leftovers(out.path()).isEmpty());
    QVERIFY(!QFile::exists(dest("third")));
}

AUDREL_CORE_TEST_MAIN(TestBatchRunner)
#include "tst_batchrunner.moc"
