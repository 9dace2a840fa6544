// Play, Play Source, Play Destination and the double-click on a real main
// window: the player each tab opens, modally, with the sources or the
// destinations of the selected rows. The files do not exist, so each window
// announces every entry and plays nothing, which shows what it was given.

#include "tst_playcommands.h"

#include "scriptedprompts.h"
#include "windowbench.h"

#include "app/joblistview.h"
#include "app/mainform.h"
#include "player/playmp3form.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace audrel;
using namespace audrel::test;

namespace {

const char* const kExtensions[kJobKindCount][2] = {
    {"mp3", "wav"}, {"wav", "mp3"}, {"wma", "wav"}, {"wav", "wma"}, {"flac", "opus"}};

// Rows 0 to 2 of every list, with sources /nowhere/src<row>.<kind> and
// destinations /nowhere/dst<row>.<kind>; the MP3 list's titles are T0 to T2.
struct Bench : WindowBench
{
    explicit Bench(const QString& library = QStringLiteral(XAUDIO_PATH)) : WindowBench(library)
    {
        for (int k = 0; k < kJobKindCount; ++k)
            for (int row = 0; row < 3; ++row)
                addRow(JobKind(k), path(k, "src", row, 0), path(k, "dst", row, 1),
                       {QString(), QString(), QStringLiteral("T%1").arg(row)});
    }
    static QString path(int kind, const char* name, int row, int side)
    {
        return QStringLiteral("/nowhere/%1%2.%3")
            .arg(QLatin1String(name))
            .arg(row)
            .arg(QLatin1String(kExtensions[kind][side]));
    }

    // What a player window was given, seen while it was open.
    struct Seen
    {
        QString name;
        QString caption;
        QStringList paths;
        QStringList titles;
    };
    // Runs a command and closes the player it opens once every entry has been announced.
    Seen run(const std::function<void()>& command)
    {
        Seen seen;
        prompts.messages.clear();
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* player = qobject_cast<TPlayerForm*>(QApplication::activeModalWidget());
            if (!player || prompts.messages.size() < player->PlayPaths().size()) return;
            seen = {player->objectName(), player->windowTitle(), player->PlayPaths(), {}};
            if (auto* mp3 = qobject_cast<TPlayMp3Form*>(player)) seen.titles = mp3->PlayTitles();
            player->close();
        });
        watch.start();
        QTimer::singleShot(20000, [] {
            if (QWidget* stuck = QApplication::activeModalWidget()) stuck->close();
        });
        command();
        return seen;
    }
    void trigger(const char* action) { form->findChild<QAction*>(action)->trigger(); }
};

} // namespace

void TestPlayCommands::nothingSelected()
{
    Bench b;
    for (const char* action : {"Play", "PlaySource", "PlayDestination"}) {
        b.prompts.messages.clear();
        b.trigger(action);
        QCOMPARE(b.prompts.messages.size(), 1);
        QCOMPARE(b.prompts.messages[0].text, "No file selected , Please add and select audio file first ! ");
        QCOMPARE(b.prompts.messages[0].caption, "Information");
        QCOMPARE(b.prompts.messages[0].icon, MsgIcon::Warning);
    }
}

void TestPlayCommands::eachTabOpensItsPlayer_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("destinations");
    QTest::addColumn<QString>("missing");
    const QString mpeg = "The mpeg file does not EXIST ! ";
    const QString wav = "The wav file does not EXIST ! ";
    const QString wma = "The wma file does not EXIST ! ";
    QTest::newRow("mp3 play") << 0 << "Play"
                              << "PlayMp3Form"
                              << "Play Mpeg File" << false << mpeg;
    QTest::newRow("mp3 dest") << 0 << "PlayDestination"
                              << "PlayWavForm"
                              << "Play Wav File" << true << wav;
    QTest::newRow("wav source") << 1 << "PlaySource"
                                << "PlayWavForm"
                                << "Play Wav File" << false << wav;
    QTest::newRow("wav dest") << 1 << "PlayDestination"
                              << "PlayMp3Form"
                              << "Play Mpeg File" << true << mpeg;
    QTest::newRow("wma play") << 2 << "Play"
                              << "PlayWMAForm"
                              << "Play WMA File" << false << wma;
    QTest::newRow("wma dest") << 2 << "PlayDestination"
                              << "PlayWavForm"
                              << "Play Wav File" << true << wav;
    QTest::newRow("to wma play") << 3 << "Play"
                                 << "PlayWavForm"
                                 << "Play Wav File" << false << wav;
    QTest::newRow("to wma dest") << 3 << "PlayDestination"
                                 << "PlayWMAForm"
                                 << "Play WMA File" << true << wma;
    const QString audio = "The audio file does not EXIST ! ";
    QTest::newRow("any play") << 4 << "Play"
                              << "PlayAudioForm"
                              << "Play Audio File" << false << audio;
    QTest::newRow("any dest") << 4 << "PlayDestination"
                              << "PlayAudioForm"
                              << "Play Audio File" << true << audio;
}

void TestPlayCommands::eachTabOpensItsPlayer()
{
    QFETCH(int, kind);
    QFETCH(QString, action);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(bool, destinations);
    QFETCH(QString, missing);
    Bench b;
    b.form->showTab(JobKind(kind));
    b.form->list(JobKind(kind))->setSelected(2, true);
    b.form->list(JobKind(kind))->setSelected(0, true);
    const Bench::Seen seen = b.run([&] { b.trigger(qPrintable(action)); });
    QCOMPARE(seen.name, window);
    QCOMPARE(seen.caption, caption);
    const char* side = destinations ? "dst" : "src";
    const QStringList paths{Bench::path(kind, side, 0, destinations),
                            Bench::path(kind, side, 2, destinations)};
    QCOMPARE(seen.paths, paths);
    QCOMPARE(b.prompts.messages.size(), 2);
    QCOMPARE(b.prompts.messages[1].text, paths[1] + "\n\n" + missing);
    // Only the MP3 sources bring their titles.
    if (window == "PlayMp3Form")
        QCOMPARE(seen.titles, destinations ? QStringList(2, "Not Known") : (QStringList{"T0", "T2"}));
    // The window is gone once the command returns.
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(b.form->findChildren<TPlayerForm*>().isEmpty());
}

void TestPlayCommands::playerLibraryThatCannotStartIsShown()
{
    Bench b{QString()};
    b.form->list(JobKind::Mp3ToWav)->setSelected(1, true);
    const Bench::Seen seen = b.run([&] { b.trigger("Play"); });
    QVERIFY(seen.name.isEmpty());
    QCOMPARE(b.prompts.messages.size(), 1);
    QCOMPARE(b.prompts.messages[0].text, "Cannot Load Xaudio DLL (" + b.folder() + "libxaudio.so)");
    QCOMPARE(b.prompts.messages[0].caption, "Error");
}

void TestPlayCommands::doubleClickPlaysLikePlay()
{
    Bench b;
    b.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.form.get()));
    b.form->showTab(JobKind::WmaToWav);
    JobListView* view = b.form->view(JobKind::WmaToWav);
    // On the empty part of the list, with no row selected: nothing, not even a word.
    const QPoint empty(20, view->viewport()->height() - 5);
    Bench::Seen seen = b.run([&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, empty); });
    QVERIFY(seen.name.isEmpty());
    QVERIFY(b.prompts.messages.isEmpty());
    // On a row: that row plays.
    const QPoint row1 = view->visualRect(view->model()->index(1, 0)).center();
    seen = b.run([&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row1); });
    QCOMPARE(seen.name, "PlayWMAForm");
    QCOMPARE(seen.paths, QStringList{Bench::path(2, "src", 1, 0)});
}
