#include "tst_mainform.h"

#include "app/application.h"
#include "app/joblistview.h"
#include "app/mainform.h"
#include "audiotools.h"
#include "convert/conversiondialog.h"
#include "platform/errors.h"
#include "scriptedprompts.h"
#include "testsupport.h"
#include "windowbench.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QToolTip>
#include <QToolBar>
#include <QToolButton>

using namespace audrel;

namespace {

QString folderOf(const QTemporaryDir& dir)
{
    return dir.path() + QDir::separator();
}

void addRows(JobList* list, const QList<uint32_t>& seconds)
{
    for (uint32_t s : seconds) {
        auto rec = std::make_unique<TMp3Rec>();
        rec->Source = QStringLiteral("/m/%1-%2.mp3").arg(list->count()).arg(s);
        rec->Seconds = s;
        list->appendRow(std::move(rec), {});
    }
}

QStringList menuTexts(const QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

QMenu* topMenu(TMainForm& form, const QString& title)
{
    for (QAction* a : form.menuBar()->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

} // namespace

void TestMainForm::windowAsBuilt()
{
    QTemporaryDir dir;
    TMainForm form(folderOf(dir));
    QCOMPARE(form.windowTitle(), QString("Audrel"));
    QCOMPARE(form.minimumSize(), QSize(517, 280));
    form.resize(300, 100);
    QCOMPARE(form.size(), QSize(517, 280));

    auto* tabs = form.findChild<QTabWidget*>("PageControl1");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 5);
    const QStringList captions{" MP3 to WAV  ", " WAV to MP3  ", "WMA to WAV", "WAV to WMA", "Any Format"};
    const QStringList sheets{"Tab_Mp32Wav", "Tab_Wav2Mp3", "Tab_WMA2Wav", "Tab_Wav2WMA", "Tab_AnyFormat"};
    const QStringList views{"Mp3listview", "WavListView", "WMAListView", "Wav2WMAView", "AnyListView"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(tabs->tabText(i), captions[i]);
        QCOMPARE(tabs->widget(i)->objectName(), sheets[i]);
        auto* view = form.findChild<JobListView*>(views[i]);
        QVERIFY2(view, qPrintable(views[i]));
        QCOMPARE(view->list(), form.list(JobKind(i)));
        QCOMPARE(view->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    }
    QCOMPARE(tabs->currentIndex(), 0);

    auto* mp3 = form.view(JobKind::Mp3ToWav);
    QStringList titles;
    for (int c = 0; c < mp3->model()->columnCount(); ++c)
        titles << mp3->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"MP3 Source File", "WAV Destination File", "Status", "Duration", "Title",
                                  "Artist", "Album", "Year", "Size"}));
    QCOMPARE(mp3->columnWidth(0), 180);
    QCOMPARE(mp3->columnWidth(7), 50);
    auto* wav = form.view(JobKind::WavToWma);
    QCOMPARE(wav->model()->headerData(1, Qt::Horizontal).toString(), QString("WMA Destination File"));
    QCOMPARE(wav->columnWidth(4), 80);

    // Two lists keep their selection visible without the focus, the WAV lists do not.
    const QPalette keep = mp3->palette();
    const QPalette hide = wav->palette();
    QVERIFY(keep.color(QPalette::Inactive, QPalette::Highlight) !=
            keep.color(QPalette::Inactive, QPalette::Base));
    QCOMPARE(hide.color(QPalette::Inactive, QPalette::Highlight),
             hide.color(QPalette::Inactive, QPalette::Base));

    QCOMPARE(form.panelText(0), QString("Total"));
    QCOMPARE(form.panelText(2), QString("Checked"));
    QCOMPARE(form.panelText(4), QString("Selected"));
    QCOMPARE(form.panelText(6), QString("Quorvex Software    "));
    for (int panel : {1, 3, 5})
        QCOMPARE(form.panelText(panel), QString("0 File(s)   00:00:00"));
}

void TestMainForm::actionsAndMenus()
{
    QTemporaryDir dir;
    TMainForm form(folderOf(dir));
    struct Expected
    {
        const char* name;
        const char* caption;
        const char* hint;
        QKeySequence shortcut;
    };
    const Expected actions[] = {
        {"Add", "Add File(s)", "Add Audio File(s) To Convert", QKeySequence(Qt::Key_Insert)},
        {"Delete", "Delete", "Remove selected files", QKeySequence(Qt::Key_Delete)},
        {"Convert", "Convert", "Convert file(s) which is checked in batches", {}},
        {"Play", "Play", "Play selected file(s)  in batches", {}},
        {"Properties", "Property", "View and modify property", {}},
        {"Help", "Help", "Open help document", QKeySequence(Qt::Key_F1)},
        {"Explore", "Browse Destination Folder", "Browse Destination Folder", {}},
        {"ChangeFolder", "ChangeFolder", "", {}},
    };
    for (const auto& e : actions) {
        auto* a = form.findChild<QAction*>(e.name);
        QVERIFY2(a, e.name);
        QCOMPARE(a->text(), QString(e.caption));
        if (*e.hint) QCOMPARE(a->toolTip(), QString(e.hint));
        QCOMPARE(a->shortcut(), e.shortcut);
    }
    for (const char* name : {"Convert", "Play", "PlaySource", "PlayDestination"})
        QVERIFY2(form.findChild<QAction*>(name)->isEnabled(), name);

    QCOMPARE(menuTexts(topMenu(form, "&File")),
             (QStringList{"Add File(s)", "&Delete Selected Item(s)", "Clear All Files", "-", "E&xit"}));
    // An entry shows its command's shortcut beside it; screen readers get the
    // plain words as its name and the shortcut apart, and the tabs' names
    // and the toolbar's have no padding.
    QAccessibleInterface* fileMenu = QAccessible::queryAccessibleInterface(topMenu(form, "&File"));
    QCOMPARE(fileMenu->child(1)->text(QAccessible::Name), QString("Delete Selected Item(s)"));
    QCOMPARE(fileMenu->child(1)->text(QAccessible::Accelerator), QKeySequence(Qt::Key_Delete).toString());
    QCOMPARE(topMenu(form, "Help")->actions().first()->shortcut(), QKeySequence(Qt::Key_F1));
    QAccessibleInterface* tabBar =
        QAccessible::queryAccessibleInterface(form.findChild<QTabWidget*>("PageControl1")->tabBar());
    QStringList tabNames;
    for (int i = 0; i < tabBar->childCount(); ++i)
        tabNames << tabBar->child(i)->text(QAccessible::Name);
    QCOMPARE(tabNames.mid(0, 4), (QStringList{"MP3 to WAV", "WAV to MP3", "WMA to WAV", "WAV to WMA"}));
    auto* toolbar = form.findChild<QToolBar*>("ToolBar1");
    QAccessibleInterface* add = QAccessible::queryAccessibleInterface(toolbar->widgetForAction(toolbar->actions()[0]));
    QCOMPARE(add->text(QAccessible::Name), QString("Add"));
    QCOMPARE(form.findChild<QAction*>("Exit1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    QCOMPARE(form.findChild<QAction*>("SelectAll1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    QCOMPARE(menuTexts(topMenu(form, "Edit")),
             (QStringList{"Select &All", "-", "Check", "Uncheck", "Invert Check", "-",
                          "Change Destination Folder", "Browse Destination Folder"}));
    QCOMPARE(menuTexts(topMenu(form, "&Action")),
             (QStringList{"Convert", "&Play", "-", "Property", "-", "Options"}));
    QCOMPARE(menuTexts(topMenu(form, "Help")),
             (QStringList{"Contents", "-", "Home Page", "Tech Support", "-", "About..."}));
    auto* popup = form.findChild<QMenu*>("PopupMenu_mp3");
    QCOMPARE(menuTexts(popup), (QStringList{"Convert", "Play Audio File", "-", "Add File(s)", "Delete",
                                            "Clear All Files", "-", "Check", "Uncheck", "Invert Check", "-",
                                            "Change Destination Folder", "Browse", "-", "Property"}));
    // An entry with its own caption follows its command's enabled state.
    auto* del = form.findChild<QAction*>("Delete");
    del->setEnabled(true);
    QVERIFY(topMenu(form, "&File")->actions().at(1)->isEnabled());

    // View toggles hide and show the bars.
    form.show();
    auto* toolbarToggle = form.findChild<QAction*>("Toolbar1");
    QVERIFY(toolbarToggle->isChecked());
    toolbarToggle->trigger();
    QVERIFY(!form.findChild<QToolBar*>("ToolBar1")->isVisible());
    form.findChild<QAction*>("StatusBar2")->trigger();
    QVERIFY(!form.statusBar()->isVisible());
}

void TestMainForm::toolbarButtons()
{
    QTemporaryDir dir;
    TMainForm form(folderOf(dir));
    auto* bar = form.findChild<QToolBar*>("ToolBar1");
    QStringList captions;
    for (QAction* a : bar->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions, (QStringList{"    Add    ", "  Delete  ", "-", "Browse", "-", "Convert", "Play",
                                    "Property", "-", "Options", "-", "Help"}));
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QCOMPARE(bar->iconSize(), QSize(32, 32));
    auto* play = qobject_cast<QToolButton*>(bar->widgetForAction(form.findChild<QAction*>("Play")));
    QVERIFY(play);
    QCOMPARE(play->popupMode(), QToolButton::MenuButtonPopup);
    QCOMPARE(menuTexts(play->defaultAction()->menu()),
             (QStringList{"Play Source File(s)", "Play Destination File(s)"}));
    QCOMPARE(bar->actions().first()->toolTip(), QString("Add Audio File(s) To Convert"));
    // Every button has a drawing of the toolbar's size, so none sits smaller or higher.
    for (QAction* a : bar->actions())
        if (!a->isSeparator()) QCOMPARE(a->icon().actualSize(QSize(32, 32)), QSize(32, 32));
    // The window carries the program's own icon, drawn at the desktop's sizes.
    const QIcon own = ProgramIcon();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QCOMPARE(own.actualSize(QSize(size, size)), QSize(size, size));
        QCOMPARE(form.windowIcon().pixmap(size).toImage(), own.pixmap(size).toImage());
    }
}

namespace {

// Counts the conversion dialogs that are shown.
struct ConversionDialogs : QObject
{
    int shown = 0;
    ConversionDialogs() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<TConversionDialog*>(watched)) ++shown;
        return false;
    }
};

// A left click on a widget: on an X display real input through the server
// and its window manager, as a user's hand gives it; elsewhere Qt's own.
bool clickAsUser(QWidget* widget)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QTest::mouseClick(widget, Qt::LeftButton);
        return true;
    }
    const qreal ratio = widget->window()->windowHandle()->devicePixelRatio();
    const QPoint at = widget->mapToGlobal(widget->rect().center()) * ratio;
    // The server takes the move and the click in this order.
    return test::runTool("xdotool",
                         {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

} // namespace

void TestMainForm::toolbarConvertFirstClick()
{
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (x11 && !test::haveTool("xdotool")) QSKIP("xdotool is missing");
    test::WindowBench bench;
    const QString wav = bench.path("tone.wav");
    const QString mp3 = bench.path("tone.mp3");
    QVERIFY(test::makeWav(wav, 44100, 2, 0.2));
    bench.addWavRow(wav, mp3);
    TMainForm& form = *bench.form;
    form.showTab(JobKind::WavToMp3);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (x11) QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* bar = form.findChild<QToolBar*>("ToolBar1");
    QWidget* convert = bar->widgetForAction(form.findChild<QAction*>("Convert"));
    QVERIFY(convert && convert->isVisible() && convert->isEnabled());

    // The first click on the button converts the checked row in the dialog.
    ConversionDialogs dialogs;
    QVERIFY(clickAsUser(convert));
    QTRY_COMPARE_WITH_TIMEOUT(form.WavRecs()->subItem(0, JobList::SubStatus), QString("Done"), 120000);
    QCOMPARE(dialogs.shown, 1);
    QVERIFY(QFileInfo(mp3).size() > 0);
    QVERIFY(bench.prompts.messages.isEmpty());
    // The next click is taken too: nothing is checked any more, which it says.
    QVERIFY(clickAsUser(convert));
    QTRY_COMPARE_WITH_TIMEOUT(bench.prompts.messages.size(), 1, 60000);
    QVERIFY(bench.prompts.messages[0].text.startsWith("No File(s) Checked"));
    QCOMPARE(dialogs.shown, 1);
}

void TestMainForm::panelsFollowVisibleList()
{
    QTemporaryDir dir;
    TMainForm form(folderOf(dir));
    addRows(form.Mp3Recs(), {100, 145});
    addRows(form.WavRecs(), {3600});
    QCOMPARE(form.panelText(1), QString("2 File(s)   00:04:05"));

    form.showTab(JobKind::WavToMp3);
    QCOMPARE(form.panelText(1), QString("1 File(s)   01:00:00"));
    QCOMPARE(form.panelText(3), QString("1 File(s)   01:00:00"));
    form.Mp3Recs()->setItemChecked(0, false); // a hidden list does not write the panels
    QCOMPARE(form.panelText(3), QString("1 File(s)   01:00:00"));
    form.WavRecs()->setSelected(0, true);
    QCOMPARE(form.panelText(5), QString("1 File(s)   01:00:00"));

    form.showTab(JobKind::WmaToWav);
    for (int panel : {1, 3, 5})
        QCOMPARE(form.panelText(panel), QString("0 File(s)   00:00:00"));

    form.showTab(JobKind::Mp3ToWav);
    QCOMPARE(form.panelText(3), QString("1 File(s)   00:02:25"));
    QCOMPARE(form.panelText(5), QString("0 File(s)   00:00:00"));
    // The bulk-add spelling lasts until the next check change; a selection leaves it.
    form.writePanel(form.Mp3Recs(), TMainForm::PanelChecked, CountSpacing::BulkAdd);
    QCOMPARE(form.panelText(3), QString("1 File(s)  00:02:25"));
    form.Mp3Recs()->setSelected(1, true);
    QCOMPARE(form.panelText(3), QString("1 File(s)  00:02:25"));
    form.Mp3Recs()->setItemChecked(0, true);
    QCOMPARE(form.panelText(3), QString("2 File(s)   00:04:05"));

    form.Mp3Recs()->removeRowsAt({0});
    QCOMPARE(form.panelText(1), QString("1 File(s)   00:02:25"));
    QCOMPARE(form.panelText(3), QString("1 File(s)   00:02:25"));

    // At the first size every caption and count shows in full; at the smallest
    // the counts still do, and the caption panels give way instead.
    addRows(form.Mp3Recs(), QList<uint32_t>(20, 3000));
    form.view(JobKind::Mp3ToWav)->selectAll();
    form.show();
    for (const QSize& size : {QSize(549, 415), form.minimumSize()}) {
        form.resize(size);
        QTest::qWait(50);
        const QList<int> full = size.width() >= 549 ? QList<int>{0, 1, 2, 3, 4, 5} : QList<int>{1, 3, 5};
        for (int panel : full)
            QCOMPARE(form.panelShownText(panel), form.panelText(panel));
    }
    QCOMPARE(form.panelShownText(0).right(1), QString("…")); // below the first size
}

void TestMainForm::pathCellsShowFileNames()
{
    QTemporaryDir dir;
    TMainForm form(folderOf(dir));
    const QString folder = "/home/someone/Music/A rather long artist name/An album with a long title/CD 1/";
    const QString source = folder + "01 - song.mp3";
    const QString dest = folder + "01 - song.wav";
    auto rec = std::make_unique<TMp3Rec>();
    rec->Source = source;
    rec->Dest = dest;
    form.Mp3Recs()->appendRow(std::move(rec), {dest});
    form.resize(549, 415);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    JobListView* view = form.view(JobKind::Mp3ToWav);
    const QModelIndex cells[] = {form.Mp3Recs()->index(0, 0), form.Mp3Recs()->index(0, 1)};
    const QStringList paths{source, dest};

    // At the first size the columns keep their widths; the folder gives way,
    // so the end of its last folder and the whole file name show.
    QCOMPARE(view->columnWidth(0), 180);
    QCOMPARE(view->columnWidth(1), 180);
    QStringList narrow;
    for (int i = 0; i < 2; ++i) {
        const QString shown = view->shownText(cells[i]);
        QVERIFY2(shown.startsWith("…") && shown.endsWith("/CD 1/" + QFileInfo(paths[i]).fileName()),
                 qPrintable(shown));
        QCOMPARE(cells[i].data().toString(), paths[i]); // the cell's own text stays whole
        narrow << shown;
    }
    // The tooltip shows the whole path.
    const QPoint at = view->visualRect(cells[0]).center();
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), source);

    // A wider window widens the path columns alone, which then fill the view.
    const int others[] = {80, 80, 80, 80, 80, 50, 60};
    form.resize(1100, 415);
    QTRY_VERIFY(view->columnWidth(0) > 180);
    int total = 0;
    for (int c = 0; c < 9; ++c) {
        if (c >= 2) QCOMPARE(view->columnWidth(c), others[c - 2]);
        total += view->columnWidth(c);
    }
    QCOMPARE(total, view->viewport()->width());
    QVERIFY(qAbs(view->columnWidth(0) - view->columnWidth(1)) <= 1);
    for (int i = 0; i < 2; ++i) {
        const QString shown = view->shownText(cells[i]);
        // With that room the folder keeps its start and its last folder.
        QVERIFY2(shown.length() > narrow[i].length() && shown.startsWith("/home/someone/") &&
                     shown.endsWith("…/CD 1/" + QFileInfo(paths[i]).fileName()),
                 qPrintable(shown));
    }
    // With less room the end of the last folder stays.
    const QFontMetricsF metrics(view->font());
    QCOMPARE(ElidePath("/home/someone/Music/Album/song.wav", metrics, metrics.horizontalAdvance("…bum/song.wav") + 1),
             QString("…bum/song.wav"));

    // A file name longer than its cell keeps its start and its extension.
    const QString name = "A file name far too long to be shown whole in a narrow cell.mp3";
    const QString cut = ElidePath(folder + name, metrics, 120);
    QVERIFY2(cut.startsWith("A file") && cut.endsWith(".mp3") && cut.contains("…"), qPrintable(cut));
    QVERIFY(metrics.horizontalAdvance(cut) <= 120);
    QCOMPARE(ElidePath("/a/b.mp3", metrics, 120), QString("/a/b.mp3"));
}

void TestMainForm::viewClicksReachCounters()
{
    QTemporaryDir dir;
    TMainForm form(folderOf(dir));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    addRows(form.Mp3Recs(), {10, 20, 30});
    JobListView* view = form.view(JobKind::Mp3ToWav);
    view->selectAll();
    QCOMPARE(form.panelText(5), QString("3 File(s)   00:01:00"));
    // A click on a row selects that row alone.
    const QRect second = view->visualRect(form.Mp3Recs()->index(1, 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(form.panelText(5), QString("1 File(s)   00:00:20"));
    // Space toggles the check box of the current row.
    QTest::keyClick(view, Qt::Key_Space);
    QCOMPARE(form.Mp3Recs()->isItemChecked(1), false);
    QCOMPARE(form.panelText(3), QString("2 File(s)   00:00:40"));
    // Ctrl+A selects all rows of the visible list.
    form.findChild<QAction*>("SelectAll1")->trigger();
    QCOMPARE(form.Mp3Recs()->counters().SelectedCount, 3);
    // Del deletes them: the menu entry that shows the key does not take it from the command.
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(form.Mp3Recs()->count(), 0);
}

void TestMainForm::linksFromAffiliateFile()
{
    test::RecordingShell shell;
    {
        QTemporaryDir dir;
        TMainForm form(folderOf(dir));
        QCOMPARE(form.links().Homepage, QString("https://www.quorvex.example/"));
        QCOMPARE(form.links().MailTo, QString("mailto:support@quorvex.example"));
        form.findChild<QAction*>("HomePage1")->trigger();
        form.findChild<QAction*>("TechSupport1")->trigger();
        QCOMPARE(shell.opened,
                 (QStringList{"https://www.quorvex.example/", "mailto:support@quorvex.example"}));
    }
    QTemporaryDir dir;
    test::writeFile(folderOf(dir) + "Affiliate.ini",
                    "[Affiliate]\r\nhomepage=https://reseller.example/\r\nEmailUs=help@reseller.example\r\n");
    TMainForm form(folderOf(dir));
    QCOMPARE(form.links().Homepage, QString("https://reseller.example/"));
    QCOMPARE(form.links().HomepageTitle, QString("https://www.quorvex.example/")); // key missing
    QCOMPARE(form.links().MailTo, QString("mailto:help@reseller.example"));
}

void TestMainForm::closeSavesSettings()
{
    QTemporaryDir dir;
    {
        TMainForm form(folderOf(dir));
        form.settings().Bitrate = 192;
        addRows(form.Mp3Recs(), {1, 2});
        form.show();
        QVERIFY(form.close());
        QCOMPARE(form.Mp3Recs()->count(), 0);
    }
    const QString ini = QString::fromUtf8(test::readFile(folderOf(dir) + "Options.ini"));
    QCOMPARE(ini.count('='), 30);
    QVERIFY(ini.contains("[Encode]\r\nSampleRate=44100\r\nBitrate=192\r\n"));
    TMainForm again(folderOf(dir));
    QCOMPARE(again.settings().Bitrate, 192);
}

void TestMainForm::closeAfterFailedSaveStillCloses()
{
    // A program folder that cannot be written (an installed program) keeps the
    // settings in the user's configuration folder instead. Root may write into
    // any folder: there the program "folder" is a file, which cannot take one either.
    test::ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    QString program = folderOf(dir) + "installed" + QDir::separator();
    QVERIFY(QDir().mkpath(program));
    test::writeFile(program + "Options.ini", "[Encode]\r\nBitrate=64\r\n"); // shipped with the program
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    const bool shipped = !QFileInfo(program).isWritable();
    if (!shipped) {
        program = dir.filePath("a-file") + QDir::separator();
        test::writeFile(dir.filePath("a-file"), "x");
    }
    {
        TMainForm form(program);
        QCOMPARE(form.settings().Bitrate, shipped ? 64 : 128); // the program's own file at first
        form.settings().Bitrate = 192;
        form.show();
        QVERIFY(form.close());
    }
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(QFile::exists(dir.filePath("config/Audrel/Options.ini")));
    QCOMPARE(TMainForm(program).settings().Bitrate, 192);

    // When that cannot be written either, the error is shown and the window closes.
    const QString missing = folderOf(dir) + "missing" + QDir::separator();
    test::writeFile(dir.filePath("not-a-folder"), "x");
    qputenv("XDG_CONFIG_HOME", dir.filePath("not-a-folder").toUtf8());
    {
        TMainForm form(missing);
        form.show();
        QVERIFY(form.close());
    }
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QFile::setPermissions(folderOf(dir) + "installed",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text,
             "Unable to write to " + dir.filePath("not-a-folder") + "/Audrel/Options.ini");
    QCOMPARE(prompts.messages[0].icon, MsgIcon::Error);
}
