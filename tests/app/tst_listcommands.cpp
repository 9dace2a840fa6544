#include "tst_listcommands.h"

#include "app/application.h"
#include "app/form_changefolder.h"
#include "app/joblistview.h"
#include "app/mainform.h"
#include "scriptedprompts.h"
#include "testsupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace audrel;

namespace {

struct Form
{
    QTemporaryDir dir;
    TMainForm form{dir.path() + "/"};

    // Rows /src/<name>.wav with destinations /dest/<name>.mp3 and the given seconds.
    void addRows(JobKind kind, std::initializer_list<uint32_t> seconds)
    {
        for (uint32_t s : seconds) {
            auto rec = std::make_unique<TWavRec>();
            const QString name = QStringLiteral("f%1").arg(form.list(kind)->count());
            rec->Source = "/src/" + name + ".wav";
            rec->Dest = "/dest/" + name + ".mp3";
            rec->Seconds = s;
            const QString dest = rec->Dest;
            form.list(kind)->appendRow(std::move(rec), {dest});
        }
    }
    void trigger(const char* action) { form.findChild<QAction*>(action)->trigger(); }
    void select(std::initializer_list<int> rows)
    {
        form.currentList()->selectionModel()->clearSelection();
        for (int r : rows)
            form.currentList()->setSelected(r, true);
    }
};

} // namespace

void TestListCommands::checkCommandsOnSelection()
{
    Form f;
    f.addRows(JobKind::Mp3ToWav, {10, 20, 40});
    f.form.Mp3Recs()->setItemChecked(1, false);
    // Nothing selected: nothing happens.
    f.trigger("Uncheck");
    QCOMPARE(f.form.Mp3Recs()->counters().CheckedCount, 2);

    // Two checked and one unchecked row inverted: one checked, two not.
    f.select({0, 1, 2});
    f.trigger("InvertCheck");
    QCOMPARE(f.form.Mp3Recs()->counters().CheckedCount, 1);
    QCOMPARE(f.form.Mp3Recs()->counters().CheckedSeconds, uint64_t(20));
    QCOMPARE(f.form.panelText(3), QString("1 File(s)   00:00:20"));
    f.select({0, 2});
    f.trigger("Check");
    QCOMPARE(f.form.panelText(3), QString("3 File(s)   00:01:10"));
    f.select({1});
    f.trigger("Uncheck");
    QCOMPARE(f.form.panelText(3), QString("2 File(s)   00:00:50"));
    f.trigger("UncheckAll");
    QCOMPARE(f.form.panelText(3), QString("0 File(s)   00:00:00"));
    f.trigger("CheckAll");
    QCOMPARE(f.form.panelText(3), QString("3 File(s)   00:01:10"));
    // Only the visible list is touched.
    f.addRows(JobKind::WavToMp3, {5});
    f.trigger("UncheckAll");
    QVERIFY(f.form.WavRecs()->isItemChecked(0));
}

void TestListCommands::deleteAndClear()
{
    Form f;
    f.form.showTab(JobKind::WavToMp3);
    f.addRows(JobKind::WavToMp3, {1, 2, 4, 8});
    f.addRows(JobKind::WavToWma, {100});
    f.trigger("Delete"); // nothing selected
    QCOMPARE(f.form.WavRecs()->count(), 4);

    f.form.WavRecs()->setItemChecked(2, false);
    f.select({1, 2});
    f.trigger("Delete");
    QCOMPARE(f.form.WavRecs()->count(), 2);
    QCOMPARE(f.form.WavRecs()->record(1).Source, QString("/src/f3.wav"));
    QCOMPARE(f.form.panelText(1), QString("2 File(s)   00:00:09"));
    QCOMPARE(f.form.panelText(3), QString("2 File(s)   00:00:09"));
    QCOMPARE(f.form.panelText(5), QString("0 File(s)   00:00:00"));
    QVERIFY(f.form.view(JobKind::WavToMp3)->updatesEnabled());

    // Select All, then Delete: every panel back to zero.
    f.trigger("SelectAll1");
    QCOMPARE(f.form.panelText(5), QString("2 File(s)   00:00:09"));
    f.trigger("Delete");
    for (int panel : {1, 3, 5})
        QCOMPARE(f.form.panelText(panel), QString("0 File(s)   00:00:00"));

    f.form.showTab(JobKind::WavToWma);
    f.select({0});
    f.trigger("Clear");
    QCOMPARE(f.form.Wav2WMARecs()->count(), 0);
    QCOMPARE(f.form.Wav2WMARecs()->counters(), JobCounters());
    f.trigger("Clear"); // an empty list: nothing
    QCOMPARE(f.form.panelText(1), QString("0 File(s)   00:00:00"));
}

void TestListCommands::browseDestinationFolder()
{
    test::RecordingShell shell;
    Form f;
    f.form.settings().SameFolder = true;
    f.form.settings().DestFolder = "/music/out/";
    f.trigger("Explore");
    f.addRows(JobKind::Mp3ToWav, {1, 1});
    f.form.Mp3Recs()->record(1).Dest = "/elsewhere/deep/b.wav";
    f.select({1});
    f.trigger("Explore");
    QCOMPARE(shell.opened, (QStringList{"/music/out/", "/elsewhere/deep/"}));
}

void TestListCommands::changeDestinationFolder()
{
    test::ScriptedPrompts prompts;
    Form f;
    f.addRows(JobKind::Mp3ToWav, {1, 2});
    f.addRows(JobKind::WmaToWav, {3});
    f.form.settings().SameFolder = false;
    f.form.settings().DestFolder = "/music/out";
    {
        TForm_ChangeFolder dialog(f.form.Mp3Recs(), f.form.settings());
        QCOMPARE(dialog.windowTitle(), QString("Change Destination File Folder"));
        QVERIFY(dialog.findChild<QRadioButton*>("Radio_other")->isChecked());
        auto* edit = dialog.findChild<QLineEdit*>("Edit_Folder");
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->text(), QString("/music/out"));
        prompts.folderAnswers.enqueue("/new");
        dialog.Btn_BrowseClick();
        QCOMPARE(prompts.folderRequests.last().title, QString("Select Directory to save destination files "));
        QCOMPARE(edit->text(), QString("/new/"));
        dialog.BtnOKClick();
    }
    QCOMPARE(f.form.Mp3Recs()->record(0).Dest, QString("/new/f0.mp3"));
    QCOMPARE(f.form.Mp3Recs()->subItem(1, JobList::SubDest), QString("/new/f1.mp3"));
    QCOMPARE(f.form.WMARecs()->record(0).Dest, QString("/dest/f0.mp3")); // another list
    QCOMPARE(f.form.settings().DestFolder, QString("/music/out"));       // the settings stay

    {
        TForm_ChangeFolder dialog(f.form.Mp3Recs(), f.form.settings());
        dialog.findChild<QRadioButton*>("Radio_same")->setChecked(true);
        QVERIFY(!dialog.findChild<QLineEdit*>("Edit_Folder")->isEnabled());
        dialog.BtnOKClick();
    }
    QCOMPARE(f.form.Mp3Recs()->record(0).Dest, QString("/src/f0.mp3"));

    {
        // A cancelled browser leaves the box as it was; "Other folder" with an
        // empty box changes nothing.
        TForm_ChangeFolder dialog(f.form.Mp3Recs(), f.form.settings());
        dialog.Btn_BrowseClick();
        auto* edit = dialog.findChild<QLineEdit*>("Edit_Folder");
        QCOMPARE(edit->text(), f.form.settings().DestFolder);
        edit->clear();
        dialog.BtnOKClick();
    }
    QCOMPARE(f.form.Mp3Recs()->record(1).Dest, QString("/src/f1.mp3"));
    QCOMPARE(TForm_ChangeFolder::JoinFolder("/a/", "b.wav"), QString("/a/b.wav"));
}

void TestListCommands::helpAboutAndToggles()
{
    test::RecordingShell shell;
    Form f;
    f.trigger("Help");
    QCOMPARE(shell.opened.last(), f.dir.path() + "/help.html");
    test::writeFile(f.dir.path() + "/help.chm", "x");
    f.trigger("Help");
    QCOMPARE(shell.opened.last(), f.dir.path() + "/help.chm");

    // The about box: its texts, and the two links through the shell.
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QString("About Audrel"));
        QCOMPARE(about->findChild<QLabel*>("Label_Version")->text(), QString("Version 1.88"));
        QCOMPARE(about->findChild<QLabel*>("Image_Icon")->pixmap().toImage(),
                 ProgramIcon().pixmap(64).toImage());
        QVERIFY(about->findChild<QLabel*>("Label_Licence")->text().contains("GPL-3.0-or-later"));
        QVERIFY(about->findChild<QLabel*>("Label_Credits")->text().contains("FFmpeg"));
        auto* home = about->findChild<QLabel*>("Label_Homepage");
        QCOMPARE(home->text(), f.form.links().HomepageTitle);
        QTest::mouseClick(home, Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label_email"), Qt::LeftButton);
        seen = true;
        about->accept();
    });
    f.trigger("About1");
    QVERIFY(seen);
    QCOMPARE(shell.opened.mid(2), (QStringList{f.form.links().Homepage, f.form.links().MailTo}));

    f.form.show();
    auto* toolbar = f.form.findChild<QToolBar*>("ToolBar1");
    f.trigger("Toolbar1");
    QVERIFY(!toolbar->isVisible());
    f.trigger("Toolbar1");
    QVERIFY(toolbar->isVisible());
    f.trigger("StatusBar2");
    f.trigger("StatusBar2");
    QVERIFY(f.form.statusBar()->isVisible());
    f.trigger("Exit1");
    QVERIFY(!f.form.isVisible());
}
