#include "app/mainform.h"

#include "app/application.h"
#include "app/directionviews.h"
#include "app/form_about.h"
#include "app/form_changefolder.h"
#include "app/joblistview.h"
#include "convert/anyformatpath.h"
#include "convert/conversiondialog.h"
#include "convert/directions.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "jobs/playlists.h"
#include "jobs/rowbuilder.h"
#include "platform/errors.h"
#include "platform/ini/inifile.h"
#include "platform/ipc/handoverserver.h"
#include "platform/msaudio/msaudioenc.h"
#include "platform/prompts/prompts.h"
#include "platform/shell/shell.h"
#include "player/playerform.h"
#include "settings/optionform.h"
#include "settings/uistate.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtMath>
#include <QVBoxLayout>

#include <cstdio>

namespace audrel {

namespace {

const QString kMakerHomepage = QStringLiteral("https://www.quorvex.example/");
const QString kMakerSupport = QStringLiteral("support@quorvex.example");

struct PanelInfo
{
    const char* text;
    int width;
    Qt::Alignment alignment;
};

const PanelInfo kPanels[TMainForm::kPanelCount] = {
    {"Total", 40, Qt::AlignCenter},
    {"", 132, Qt::AlignRight | Qt::AlignVCenter},
    {"Checked", 60, Qt::AlignCenter},
    {"", 132, Qt::AlignRight | Qt::AlignVCenter},
    {"Selected", 60, Qt::AlignCenter},
    {"", 132, Qt::AlignCenter},
    {"Quorvex Software    ", 50, Qt::AlignCenter},
};

// A status bar panel, as wide as its text with a thin frame around it. A
// counter panel never gets narrower than its text, so the count and time
// always show in full, and never narrower than the empty list's text, so it
// does not jump about with each digit; a caption panel ("Total", ...) gives way
// only when the window is smaller than its first size, its text cut with "…".
// The last panel takes what room is left.
class PanelLabel : public QLabel
{
public:
    enum Role
    {
        Caption,
        Counter,
        Last
    };
    PanelLabel(const QString& text, int width, Role role, QWidget* parent)
        : QLabel(text, parent), m_width(width), m_role(role)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setSizePolicy(role == Counter ? QSizePolicy::Fixed : QSizePolicy::Preferred, QSizePolicy::Preferred);
    }
    QSize sizeHint() const override
    {
        const int chrome = 2 * (frameWidth() + kPadding);
        // Whole pixels round down; the text is cut when it needs a fraction more.
        const QFontMetricsF metrics(font());
        int text = qCeil(metrics.horizontalAdvance(QLabel::text()));
        if (m_role == Counter) text = qMax(text, qCeil(metrics.horizontalAdvance(CountText(0, 0))));
        // The last panel asks for no more than its own width; what is left is given to it.
        if (m_role == Last) text = qMin(text, m_width - chrome);
        return {text + chrome, QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override
    {
        const int height = QLabel::minimumSizeHint().height();
        return {m_role == Counter ? sizeHint().width() : 2 * (frameWidth() + kPadding), height};
    }

    // The text as painted: cut with "…" when the panel is too narrow for it.
    QString shownText() const { return fontMetrics().elidedText(text(), Qt::ElideRight, textArea().width()); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event); // the sunken frame
        QPainter painter(this);
        painter.drawText(textArea(), int(alignment()), shownText());
    }

private:
    static constexpr int kPadding = 1;
    QRect textArea() const { return contentsRect().adjusted(kPadding, 0, -kPadding, 0); }
    int m_width;
    Role m_role;
};

} // namespace

LinkSettings LinkSettings::load(const QString& programFolder)
{
    LinkSettings links{kMakerHomepage, kMakerHomepage, kMakerSupport, {}};
    const QString path = programFolder + QStringLiteral("Affiliate.ini");
    if (QFile::exists(path)) {
        const IniFile ini(path);
        const QString section = QStringLiteral("affiliate");
        links.HomepageTitle = ini.readString(section, QStringLiteral("HomepageTitle"), kMakerHomepage);
        links.Homepage = ini.readString(section, QStringLiteral("Homepage"), kMakerHomepage);
        links.EmailUs = ini.readString(section, QStringLiteral("EmailUs"), kMakerSupport);
    }
    links.MailTo = QStringLiteral("mailto:") + links.EmailUs;
    return links;
}

TMainForm::TMainForm(const QString& programFolder, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_programFolder(programFolder), m_arguments(arguments)
{
    setObjectName(QStringLiteral("MainForm"));
    resize(549, 415);
    setMinimumSize(517, 280);

    for (int i = 0; i < kJobKindCount; ++i) {
        JobList* list = NewJobList(JobKind(i), this);
        m_lists[size_t(i)] = list;
        connect(list, &JobList::countersChanged, this, [this, list] {
            if (list == currentList()) writeChangedPanels(list);
        });
    }
    createActions();
    createTabs();
    createMenus();
    createToolBar();
    createStatusBar();

    m_mpeg = std::make_unique<TMPEGAudio>();
    m_wav = std::make_unique<TWAVfile>();
    m_wma = std::make_unique<TWMAfile>();
    m_settings = LoadProgramSettings(m_programFolder);
    m_links = LinkSettings::load(m_programFolder);
    QList<ListRule> rules;
    for (JobList* list : m_lists)
        rules << ListRuleOf(list->kind(), list, m_settings);
    m_builder = std::make_unique<RowBuilder>(rules, m_settings, *m_mpeg, *m_wav, *m_wma);
    m_builder->setMediaFolder(m_programFolder);
    showFormat();
    // A WAV file that holds MPEG audio is refused on the spot.
    m_builder->OnRefused = [](const AddResult& refused) {
        showMessage(refused.message, QStringLiteral("Information"), MsgIcon::Warning);
    };
    writeCounterPanels(Mp3Recs());
    setWindowTitle(QStringLiteral("Audrel"));
    setWindowIcon(ProgramIcon());
    view(JobKind::Mp3ToWav)->setFocus();

    for (const DirectionView& tab : DirectionViews()) {
        JobListView* v = view(tab.kind);
        connect(
            v, &JobListView::filesDropped, this, [this, kind = tab.kind](const QStringList& paths) { DropFilesOn(kind, paths); },
            Qt::QueuedConnection);
        connect(v, &JobListView::OnDblClick, this, &TMainForm::WavListViewDblClick);
    }
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start(100);
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::action(const char* name, const QString& caption, const QString& hint,
                           const QKeySequence& shortcut)
{
    auto* a = new QAction(caption, this);
    a->setObjectName(QLatin1String(name));
    a->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')) : hint);
    a->setStatusTip(hint);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    addAction(a); // shortcuts work while the menu bar or toolbar is hidden
    return a;
}

// A menu entry or toolbar button with its own caption for a shared command: it
// runs the command and follows its enabled state, hint and icon.
QAction* TMainForm::alias(QAction* target, const QString& caption, bool showShortcut)
{
    auto* a = new QAction(target->icon(), caption, this);
    a->setObjectName(target->objectName() + QStringLiteral("_alias"));
    a->setToolTip(target->toolTip());
    a->setStatusTip(target->statusTip());
    a->setEnabled(target->isEnabled());
    if (showShortcut && !target->shortcut().isEmpty()) {
        // Shown beside the caption (and told to screen readers as the entry's
        // key, apart from its name); only the command's own shortcut fires.
        a->setShortcut(target->shortcut());
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    connect(a, &QAction::triggered, target, &QAction::trigger);
    connect(target, &QAction::enabledChanged, a, &QAction::setEnabled);
    return a;
}

void TMainForm::createActions()
{
    QStyle* s = style();
    auto icon = [s](QStyle::StandardPixmap p) { return s->standardIcon(p); };

    action("Add", QStringLiteral("Add File(s)"), QStringLiteral("Add Audio File(s) To Convert"),
           Qt::Key_Insert)
        ->setIcon(icon(QStyle::SP_FileDialogNewFolder));
    action("Delete", QStringLiteral("Delete"), QStringLiteral("Remove selected files"), Qt::Key_Delete)
        ->setIcon(icon(QStyle::SP_TrashIcon));
    action("Convert", QStringLiteral("Convert"),
           QStringLiteral("Convert file(s) which is checked in batches"))
        ->setIcon(icon(QStyle::SP_BrowserReload));
    action("Play", QStringLiteral("Play"), QStringLiteral("Play selected file(s)  in batches"))
        ->setIcon(icon(QStyle::SP_MediaPlay));
    action("PlaySource", QStringLiteral("Play Source File(s)"));
    action("PlayDestination", QStringLiteral("Play Destination File(s)"));
    action("Properties", QStringLiteral("Property"), QStringLiteral("View and modify property"))
        ->setIcon(icon(QStyle::SP_FileDialogInfoView));
    action("Options", QStringLiteral("Options"), QStringLiteral("Set options"))
        ->setIcon(icon(QStyle::SP_FileDialogDetailedView));
    action("Clear", QStringLiteral("Clear All Files"));
    action("Check", QStringLiteral("Check"));
    action("CheckAll", QStringLiteral("Check All"));
    action("Uncheck", QStringLiteral("Uncheck"));
    action("UncheckAll", QStringLiteral("Uncheck All"));
    action("InvertCheck", QStringLiteral("Invert Check"));
    action("Help", QStringLiteral("Help"), QStringLiteral("Open help document"), Qt::Key_F1)
        ->setIcon(icon(QStyle::SP_DialogHelpButton));
    action("Explore", QStringLiteral("Browse Destination Folder"),
           QStringLiteral("Browse Destination Folder"))
        ->setIcon(icon(QStyle::SP_DirIcon)); // the open folder has no 32 px drawing
    action("ChangeFolder", QStringLiteral("ChangeFolder"));

    const std::pair<const char*, void (TMainForm::*)()> commands[] = {
        {"Add", &TMainForm::AddExecute},
        {"Delete", &TMainForm::DeleteExecute},
        {"Clear", &TMainForm::ClearExecute},
        {"Check", &TMainForm::CheckExecute},
        {"CheckAll", &TMainForm::CheckAllExecute},
        {"Uncheck", &TMainForm::UncheckExecute},
        {"UncheckAll", &TMainForm::UncheckAllExecute},
        {"InvertCheck", &TMainForm::InvertCheckExecute},
        {"Explore", &TMainForm::ExploreExecute},
        {"ChangeFolder", &TMainForm::ChangeFolderExecute},
        {"Help", &TMainForm::HelpExecute},
        {"Options", &TMainForm::OptionsExecute},
        {"Properties", &TMainForm::PropertiesExecute},
        {"Convert", &TMainForm::ConvertExecute},
        {"Play", &TMainForm::PlayExecute},
        {"PlaySource", &TMainForm::PlayExecute},
        {"PlayDestination", &TMainForm::PlayDestinationExecute},
    };
    for (const auto& [name, handler] : commands)
        connect(findChild<QAction*>(QLatin1String(name)), &QAction::triggered, this, handler);
}

void TMainForm::createMenus()
{
    auto act = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(act("Add"));
    file->addAction(alias(act("Delete"), QStringLiteral("&Delete Selected Item(s)")));
    file->addAction(act("Clear"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("Exit1"));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

    QMenu* edit = bar->addMenu(QStringLiteral("Edit"));
    QAction* selectAll = edit->addAction(QStringLiteral("Select &All"), this, &TMainForm::SelectAll1Click);
    selectAll->setObjectName(QStringLiteral("SelectAll1"));
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    edit->addSeparator();
    QMenu* check = edit->addMenu(QStringLiteral("Check"));
    check->addAction(alias(act("Check"), QStringLiteral("&File(s)")));
    check->addAction(alias(act("CheckAll"), QStringLiteral("&All Files")));
    QMenu* uncheck = edit->addMenu(QStringLiteral("Uncheck"));
    uncheck->addAction(alias(act("Uncheck"), QStringLiteral("&File(s)")));
    uncheck->addAction(alias(act("UncheckAll"), QStringLiteral("&All Files")));
    edit->addAction(act("InvertCheck"));
    edit->addSeparator();
    edit->addAction(alias(act("ChangeFolder"), QStringLiteral("Change Destination Folder")));
    edit->addAction(act("Explore"));

    QMenu* actionMenu = bar->addMenu(QStringLiteral("&Action"));
    actionMenu->addAction(act("Convert"));
    QMenu* play = actionMenu->addMenu(QStringLiteral("&Play"));
    play->setToolTip(QStringLiteral("Play selected file(s)  in batches"));
    play->setToolTipsVisible(true);
    play->addAction(act("PlaySource"));
    play->addAction(act("PlayDestination"));
    actionMenu->addSeparator();
    actionMenu->addAction(act("Properties"));
    actionMenu->addSeparator();
    actionMenu->addAction(act("Options"));

    QMenu* viewMenu = bar->addMenu(QStringLiteral("&View"));
    QAction* toolbar = viewMenu->addAction(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    QAction* status = viewMenu->addAction(QStringLiteral("Status Bar"));
    status->setObjectName(QStringLiteral("StatusBar2"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(toolbar, &QAction::toggled, this, [this](bool on) { ToolBar1->setVisible(on); });
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    help->addAction(alias(act("Help"), QStringLiteral("Contents")));
    help->addSeparator();
    QAction* home = help->addAction(QStringLiteral("Home Page"), this,
                                    [this] { Shell::instance().open(m_links.Homepage); });
    home->setObjectName(QStringLiteral("HomePage1"));
    QAction* support = help->addAction(QStringLiteral("Tech Support"), this,
                                       [this] { Shell::instance().open(m_links.MailTo); });
    support->setObjectName(QStringLiteral("TechSupport1"));
    help->addSeparator();
    QAction* about = help->addAction(QStringLiteral("About..."), this, &TMainForm::AboutAudrel1Click);
    about->setObjectName(QStringLiteral("About1"));

    PopupMenu_mp3 = new QMenu(this);
    PopupMenu_mp3->setObjectName(QStringLiteral("PopupMenu_mp3"));
    PopupMenu_mp3->addAction(act("Convert"));
    QMenu* playAudio = PopupMenu_mp3->addMenu(QStringLiteral("Play Audio File"));
    playAudio->addAction(act("PlaySource"));
    playAudio->addAction(act("PlayDestination"));
    PopupMenu_mp3->addSeparator();
    PopupMenu_mp3->addAction(act("Add"));
    PopupMenu_mp3->addAction(act("Delete"));
    PopupMenu_mp3->addAction(act("Clear"));
    PopupMenu_mp3->addSeparator();
    QMenu* popupCheck = PopupMenu_mp3->addMenu(QStringLiteral("Check"));
    popupCheck->addAction(alias(act("Check"), QStringLiteral("File(s)")));
    popupCheck->addAction(alias(act("CheckAll"), QStringLiteral("All Files")));
    QMenu* popupUncheck = PopupMenu_mp3->addMenu(QStringLiteral("Uncheck"));
    popupUncheck->addAction(alias(act("Uncheck"), QStringLiteral("File(s)")));
    popupUncheck->addAction(alias(act("UncheckAll"), QStringLiteral("All Files")));
    PopupMenu_mp3->addAction(act("InvertCheck"));
    PopupMenu_mp3->addSeparator();
    PopupMenu_mp3->addAction(alias(act("ChangeFolder"), QStringLiteral("Change Destination Folder")));
    PopupMenu_mp3->addAction(alias(act("Explore"), QStringLiteral("Browse")));
    PopupMenu_mp3->addSeparator();
    PopupMenu_mp3->addAction(act("Properties"));
    for (JobListView* v : m_views)
        connect(v, &QWidget::customContextMenuRequested, this,
                [this, v](const QPoint& at) { PopupMenu_mp3->popup(v->viewport()->mapToGlobal(at)); });
}

void TMainForm::createToolBar()
{
    auto act = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
    ToolBar1 = addToolBar(QStringLiteral("Toolbar"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->toggleViewAction()->setEnabled(false);

    auto button = [this](QAction* a) {
        ToolBar1->addAction(a);
        if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(a))) {
            // Buttons grow past their 50 x 52 when a caption needs more room.
            b->setMinimumSize(50, 52);
            b->setAutoRaise(true);
            b->setAccessibleName(a->text().trimmed());
        }
    };
    button(alias(act("Add"), QStringLiteral("    Add    "), false));
    button(alias(act("Delete"), QStringLiteral("  Delete  "), false));
    ToolBar1->addSeparator();
    button(alias(act("Explore"), QStringLiteral("Browse"), false));
    ToolBar1->addSeparator();
    button(act("Convert"));
    // Play: pressing the button plays, its arrow offers source or destination.
    QAction* play = act("Play");
    auto* playMenu = new QMenu(this);
    playMenu->addAction(act("PlaySource"));
    playMenu->addAction(act("PlayDestination"));
    play->setMenu(playMenu);
    button(play);
    if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(play))) {
        b->setPopupMode(QToolButton::MenuButtonPopup);
    }
    button(act("Properties"));
    ToolBar1->addSeparator();
    button(act("Options"));
    ToolBar1->addSeparator();
    button(act("Help"));
}

void TMainForm::createTabs()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { font-weight: bold; }"));
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setDocumentMode(true);
    for (const DirectionView& tab : DirectionViews()) {
        auto* sheet = new QWidget(PageControl1);
        sheet->setObjectName(QLatin1String(tab.sheet));
        JobListView* view = new JobListView(list(tab.kind), tab.keepSelectionVisible, sheet);
        view->setObjectName(QLatin1String(tab.view));
        const QString name = QString::fromLatin1(tab.caption).trimmed();
        view->setAccessibleName(name);
        m_views[size_t(tab.kind)] = view;
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        if (tab.choosesFormat) {
            // The format of the list's results, chosen above it.
            m_formatKind = tab.kind;
            Combo_Format = new QComboBox(sheet);
            Combo_Format->setObjectName(QStringLiteral("Combo_Format"));
            for (const DestinationFormat& format : DestinationFormats())
                Combo_Format->addItem(QLatin1String(format.title), QLatin1String(format.word));
            auto* label = new QLabel(QStringLiteral("&Destination format:"), sheet);
            label->setBuddy(Combo_Format);
            auto* row = new QHBoxLayout;
            row->setContentsMargins(6, 4, 6, 4);
            row->addWidget(label);
            row->addWidget(Combo_Format);
            row->addStretch();
            layout->addLayout(row);
            connect(Combo_Format, &QComboBox::activated, this,
                    [this](int index) { FormatChange(Combo_Format->itemData(index).toString()); });
        }
        layout->addWidget(view);
        const int index = PageControl1->addTab(sheet, QLatin1String(tab.caption));
        // Screen readers read the words, not the captions' padding.
        PageControl1->tabBar()->setAccessibleTabName(index, name);
    }
    setCentralWidget(PageControl1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PageControl1Change);
}

void TMainForm::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    // The panels sit close together in a row of their own, and no size grip
    // takes their room (the window's edges resize it), so that all their texts
    // fit at the window's first size.
    bar->setSizeGripEnabled(false);
    auto* row = new QWidget(bar);
    row->setObjectName(QStringLiteral("StatusPanels"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < kPanelCount; ++i) {
        const auto role = i + 1 == kPanelCount ? PanelLabel::Last
                          : i % 2 == 1         ? PanelLabel::Counter
                                               : PanelLabel::Caption;
        auto* panel = new PanelLabel(QLatin1String(kPanels[i].text), kPanels[i].width, role, row);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setAlignment(kPanels[i].alignment);
        layout->addWidget(panel, i + 1 < kPanelCount ? 0 : 1);
        m_panels[i] = panel;
    }
    bar->addWidget(row, 1);
}

JobKind TMainForm::currentKind() const
{
    const int index = PageControl1 ? PageControl1->currentIndex() : 0;
    return JobKind(index < 0 ? 0 : index);
}

void TMainForm::showTab(JobKind kind)
{
    PageControl1->setCurrentIndex(int(kind));
}

QString TMainForm::panelText(int panel) const
{
    return m_panels[panel]->text();
}

QString TMainForm::panelShownText(int panel) const
{
    return static_cast<const PanelLabel*>(m_panels[panel])->shownText();
}

void TMainForm::writePanel(const JobList* list, int panel, CountSpacing spacing)
{
    const JobCounters& c = list->counters();
    switch (panel) {
    case PanelTotal:
        m_panels[panel]->setText(CountText(c.TotalCount, c.TotalSeconds));
        m_shown.TotalCount = c.TotalCount;
        m_shown.TotalSeconds = c.TotalSeconds;
        break;
    case PanelChecked:
        m_panels[panel]->setText(CountText(c.CheckedCount, c.CheckedSeconds, spacing));
        m_shown.CheckedCount = c.CheckedCount;
        m_shown.CheckedSeconds = c.CheckedSeconds;
        break;
    case PanelSelected:
        m_panels[panel]->setText(CountText(c.SelectedCount, c.SelectedSeconds));
        m_shown.SelectedCount = c.SelectedCount;
        m_shown.SelectedSeconds = c.SelectedSeconds;
        break;
    default:
        break;
    }
}

void TMainForm::writeCounterPanels(const JobList* list)
{
    writePanel(list, PanelTotal);
    writePanel(list, PanelChecked);
    writePanel(list, PanelSelected);
}

// Only the panels whose counters moved are written, so a selection change
// leaves the checked panel in the spelling a bulk add gave it.
void TMainForm::writeChangedPanels(const JobList* list)
{
    const JobCounters& c = list->counters();
    if (c.TotalCount != m_shown.TotalCount || c.TotalSeconds != m_shown.TotalSeconds)
        writePanel(list, PanelTotal);
    if (c.CheckedCount != m_shown.CheckedCount || c.CheckedSeconds != m_shown.CheckedSeconds)
        writePanel(list, PanelChecked);
    if (c.SelectedCount != m_shown.SelectedCount || c.SelectedSeconds != m_shown.SelectedSeconds)
        writePanel(list, PanelSelected);
}

void TMainForm::PageControl1Change()
{
    writeCounterPanels(currentList());
}

void TMainForm::Timer1Timer()
{
    Timer1->stop();
    if (m_arguments.size() < 2) return;
    // A file manager's "Open with" hands over audio files and playlists: they
    // are added as if dropped. Anything else is a list file.
    if (KindOf(m_arguments[1]) == FileKind::Other) return AddFromListFile(m_arguments[1]);
    QStringList paths;
    for (const QString& argument : m_arguments.mid(1))
        paths << QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
    DropFiles(paths);
}

void TMainForm::ListenForHandover(HandoverServer* server)
{
    connect(server, &HandoverServer::listFileReceived, this, &TMainForm::QueueListFile);
    connect(server, &HandoverServer::foregroundRequested, this, &TMainForm::ForceForeground,
            Qt::QueuedConnection);
}

void TMainForm::QueueListFile(const QString& path)
{
    if (m_listFiles.size() >= kMaxQueuedListFiles) {
        std::fprintf(stderr, "audrel: hand-over request dropped, %d list files are waiting already: %s\n",
                     kMaxQueuedListFiles, qPrintable(path.left(200)));
        return;
    }
    m_listFiles.enqueue(path);
    if (!m_takingListFiles) QTimer::singleShot(0, this, &TMainForm::TakeListFiles);
}

// One list file at a time, never from inside the message box of an earlier
// one: requests that arrive meanwhile wait in the queue.
void TMainForm::TakeListFiles()
{
    if (m_takingListFiles) return;
    m_takingListFiles = true;
    while (!m_listFiles.isEmpty())
        AddFromListFile(m_listFiles.dequeue());
    m_takingListFiles = false;
}

void TMainForm::ForceForeground()
{
    if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool TMainForm::runBulkAdd(const std::function<void()>& add)
{
    // The counters of every list are taken again at the end; only the list
    // visible at the start is kept from repainting, so a list that a list file
    // switches to shows its own rows, never the pixels of the one before.
    struct Muted
    {
        TMainForm& form;
        JobListView* view;
        explicit Muted(TMainForm& f) : form(f), view(f.view(f.currentKind()))
        {
            form.m_bulkAdding = true;
            for (JobList* list : form.m_lists)
                list->setAdding(true);
            view->setUpdatesEnabled(false);
        }
        ~Muted()
        {
            view->setUpdatesEnabled(true);
            for (JobList* list : form.m_lists)
                list->setAdding(false);
            form.m_bulkAdding = false;
        }
    };
    QString error;
    {
        Muted muted(*this);
        try {
            add();
        } catch (const EAudrelError& e) {
            error = e.message();
        }
    }
    if (error.isEmpty()) return true;
    m_builder->takeSkipped();
    writeCounterPanels(currentList());
    showMessage(error, QStringLiteral("Error"), MsgIcon::Error);
    return false;
}

void TMainForm::reportSkipped()
{
    const QStringList skipped = m_builder->takeSkipped();
    if (skipped.isEmpty()) return;
    constexpr int kShown = 20;
    QString text =
        QStringLiteral("These files were not added:\n\n") + skipped.mid(0, kShown).join(QLatin1Char('\n'));
    if (skipped.size() > kShown) text += QStringLiteral("\n... and %1 more.").arg(skipped.size() - kShown);
    showMessage(text, QStringLiteral("Information"), MsgIcon::Warning);
}

void TMainForm::writeBulkPanels(JobKind kind)
{
    writePanel(list(kind), PanelTotal);
    writePanel(list(kind), PanelChecked, ViewOf(kind).bulkAddSpacing ? CountSpacing::BulkAdd : CountSpacing::Normal);
}

void TMainForm::AddExecute()
{
    // An add that is still searching a large file's headers finishes first.
    if (m_bulkAdding) {
        QTimer::singleShot(50, this, &TMainForm::AddExecute);
        return;
    }
    const JobKind kind = currentKind();
    OpenFilesRequest request;
    request.filter = QLatin1String(ViewOf(kind).filter);
    request.defaultExt = QLatin1String(ViewOf(kind).defaultExt);
    request.startFolder = UiState::LastAddFolder();
    const QStringList files = Prompts::instance().openFiles(request);
    if (files.isEmpty()) return;
    UiState::setLastAddFolder(QFileInfo(files.first()).absolutePath());
    if (!runBulkAdd([&] { m_builder->AddChosen(kind, files); })) return;
    writeBulkPanels(kind);
    reportSkipped();
}

void TMainForm::AddFromListFile(const QString& path)
{
    // A request that arrives while an add pumps events waits for that add to end.
    if (m_bulkAdding) {
        QTimer::singleShot(50, this, [this, path] { AddFromListFile(path); });
        return;
    }
    QStringList lines;
    try {
        lines = ReadTextLines(path);
    } catch (const EAudrelError& error) {
        showMessage(error.message(), QStringLiteral("Error"), MsgIcon::Error);
        return;
    }
    // An empty list file changes nothing, not even the status bar.
    if (lines.isEmpty()) return;
    RowBuilder::Counts counts;
    const bool completed = runBulkAdd([&] {
        // The tab of the first file's kind; anything else shows the first tab.
        const ListRule* first = m_builder->DispatchRule(KindOf(lines.first()));
        showTab(first ? first->list->kind() : JobKind(0));
        for (const QString& line : lines)
            m_builder->Dispatch(line, counts);
    });
    if (!completed) return;
    if (ViewOf(currentKind()).panelsAfterDispatch) writeBulkPanels(currentKind());
    if (counts.Mpeg > 0 || counts.Wav > 0 || counts.Wma > 0 || counts.Other > 0) {
        // Files of other kinds are told of only when there are some.
        const QString others =
            counts.Other > 0 ? QStringLiteral(" %1 other audio file(s) added, ").arg(counts.Other) : QString();
        showMessage(QStringLiteral("%1 MPEG file(s) added and %2 WAV file(s) added, %3 WMA file(s) added, %4\n\n"
                                   "Please Click \"Convert Button\" to Start Converting.")
                        .arg(counts.Mpeg)
                        .arg(counts.Wav)
                        .arg(counts.Wma)
                        .arg(others),
                    QStringLiteral("Information"), MsgIcon::Information);
    }
    reportSkipped();
}

void TMainForm::DropFiles(const QStringList& paths)
{
    DropFilesOn(std::nullopt, paths);
}

void TMainForm::DropFilesOn(std::optional<JobKind> onto, const QStringList& paths)
{
    if (paths.isEmpty()) return;
    if (m_bulkAdding) {
        QTimer::singleShot(50, this, [this, onto, paths] { DropFilesOn(onto, paths); });
        return;
    }
    // A list that takes every drop keeps what is dropped on it; elsewhere the
    // tab of the first file's kind shows (a playlist or anything else leaves the tab).
    const ListRule* target = onto && ViewOf(*onto).takesEveryDrop ? m_builder->ruleOf(*onto) : nullptr;
    if (target)
        showTab(*onto);
    else if (const ListRule* first = m_builder->DispatchRule(KindOf(paths.first())))
        showTab(first->list->kind());
    RowBuilder::Counts uncounted;
    const bool completed = runBulkAdd([&] {
        for (const QString& path : paths)
            m_builder->Dispatch(path, uncounted, target);
    });
    if (!completed) return;
    if (ViewOf(currentKind()).panelsAfterDispatch) writeBulkPanels(currentKind());
    reportSkipped();
}

void TMainForm::showFormat()
{
    if (!Combo_Format) return;
    const int index = Combo_Format->findData(QLatin1String(DestinationFormatOf(m_settings.AnyFormat).word));
    Combo_Format->setCurrentIndex(index);
}

void TMainForm::FormatChange(const QString& word)
{
    const DestinationFormat& format = DestinationFormatOf(word);
    m_settings.AnyFormat = QLatin1String(format.word);
    showFormat();
    // The rows not converted yet take the new format's extension; so do the rows added from now on.
    const QString ext = QLatin1String(format.ext);
    m_builder->setDestExt(m_formatKind, ext);
    RowBuilder::Retarget(*list(m_formatKind), ext);
}

void TMainForm::CheckExecute()
{
    for (int row : currentList()->selectedRows())
        currentList()->setItemChecked(row, true);
}

void TMainForm::UncheckExecute()
{
    for (int row : currentList()->selectedRows())
        currentList()->setItemChecked(row, false);
}

void TMainForm::InvertCheckExecute()
{
    JobList* l = currentList();
    for (int row : l->selectedRows())
        l->setItemChecked(row, !l->isItemChecked(row));
}

void TMainForm::CheckAllExecute()
{
    for (int row = 0; row < currentList()->count(); ++row)
        currentList()->setItemChecked(row, true);
}

void TMainForm::UncheckAllExecute()
{
    for (int row = 0; row < currentList()->count(); ++row)
        currentList()->setItemChecked(row, false);
}

void TMainForm::SelectAll1Click()
{
    view(currentKind())->selectAll();
}

void TMainForm::DeleteExecute()
{
    JobListView* v = view(currentKind());
    const QList<int> rows = currentList()->selectedRows();
    if (rows.isEmpty()) return;
    v->setUpdatesEnabled(false);
    currentList()->removeRowsAt(rows);
    v->setUpdatesEnabled(true);
}

void TMainForm::ClearExecute()
{
    if (currentList()->count() == 0) return;
    JobListView* v = view(currentKind());
    v->setUpdatesEnabled(false);
    currentList()->clear();
    v->setUpdatesEnabled(true);
}

void TMainForm::ExploreExecute()
{
    QString folder = m_settings.DestFolder;
    const QList<int> selected = currentList()->selectedRows();
    if (!selected.isEmpty()) {
        const QString dest = currentList()->record(selected.first()).Dest;
        folder = dest.left(dest.lastIndexOf(QLatin1Char('/')) + 1);
    }
    Shell::instance().open(folder);
}

void TMainForm::ChangeFolderExecute()
{
    TForm_ChangeFolder dialog(currentList(), m_settings, this);
    dialog.exec();
}

void TMainForm::HelpExecute()
{
    // A compiled help file beside the program wins; the HTML page ships with it.
    const QString chm = m_programFolder + QStringLiteral("help.chm");
    Shell::instance().open(QFile::exists(chm) ? chm : m_programFolder + QStringLiteral("help.html"));
}

void TMainForm::OptionsExecute()
{
    TOptionForm dialog(m_settings, m_programFolder, this);
    dialog.exec();
}

bool TMainForm::ProbeWmaEncoder()
{
    // One encoder control, made and released at once: it cannot be made when
    // the FFmpeg module is missing or its FFmpeg has no WMA v2 encoder or no
    // ASF muxer.
    try {
        TMsAudioEnc probe(m_programFolder);
        return true;
    } catch (const EAudrelError&) {
        return false;
    }
}

ConversionOutcome TMainForm::RunConversionDialog(JobKind kind)
{
    const std::unique_ptr<TConversionDialog> dialog =
        ViewOf(kind).conversionDialog(*list(kind), m_settings, m_programFolder, this);
    dialog->exec();
    return dialog->Outcome();
}

void TMainForm::ConvertExecute()
{
    const JobKind kind = currentKind();
    if (ViewOf(kind).probeWmaEncoder && !ProbeWmaEncoder()) {
        showMessage(
            QStringLiteral(
                "Audrel is not installed correctly,\nPlease REINSTALL Audrel and don't skip any step! "),
            QStringLiteral("Error"), MsgIcon::Warning);
        return;
    }
    JobList* list = currentList();
    int first = -1;
    for (int row = 0; row < list->count() && first < 0; ++row)
        if (list->isItemChecked(row)) first = row;
    if (first < 0) {
        showMessage(QStringLiteral("No File(s) Checked , Please add and checked audio file(s) first! "),
                    QStringLiteral("Information"), MsgIcon::Warning);
        return;
    }
    const QString dest = list->subItem(first, JobList::SubDest);
    const QString folder = dest.left(dest.lastIndexOf(QLatin1Char('/')) + 1);

    if (m_settings.PromptCvt) OptionsExecute();

    const ConversionOutcome outcome = RunConversionDialog(kind);
    // A run whose engine could not start converted nothing: no sound, no folder.
    if (outcome.EngineFailed) return;
    if (outcome.Result == TConversionDialog::mrCancel) {
        if (!outcome.AbortedDestPath.isEmpty() && QFile::exists(outcome.AbortedDestPath)) {
            // Give the encoder or player a moment to let go of the file.
            QThread::msleep(500);
            QFile::remove(outcome.AbortedDestPath);
        }
    } else if (m_settings.PlayDone) {
        const QString notice = m_programFolder + QLatin1String("notice.wav");
        if (QFile::exists(notice)) Shell::instance().playSound(notice);
    }
    if (m_settings.ViewFolder) Shell::instance().open(folder);
    if (m_settings.RemoveItem && !outcome.ConvertedRows.isEmpty()) list->removeRowsAt(outcome.ConvertedRows);
}

void TMainForm::PropertiesExecute()
{
    const QList<int> selected = currentList()->selectedRows();
    if (selected.isEmpty()) return showNoFileSelected();
    CurrentFile = currentList()->record(selected.first()).Source;
    ViewOf(currentKind()).properties(*currentList(), selected.first(), m_programFolder, this);
}

void TMainForm::PlayExecute()
{
    if (currentList()->selectedRows().isEmpty()) return showNoFileSelected();
    RunPlayer(false);
}

void TMainForm::PlayDestinationExecute()
{
    if (currentList()->selectedRows().isEmpty()) return showNoFileSelected();
    RunPlayer(true);
}

void TMainForm::WavListViewDblClick()
{
    if (!currentList()->selectedRows().isEmpty()) RunPlayer(false);
}

void TMainForm::showNoFileSelected()
{
    showMessage(QStringLiteral("No file selected , Please add and select audio file first ! "),
                QStringLiteral("Information"), MsgIcon::Warning);
}

void TMainForm::RunPlayer(bool destinations)
{
    const JobKind kind = currentKind();
    const JobList* list = currentList();
    QStringList paths;
    QStringList titles;
    for (int row : list->selectedRows()) {
        const TJobRec& rec = list->record(row);
        paths << (destinations ? rec.Dest : rec.Source);
        // Only the MP3 sources have a title of their own.
        titles << (ViewOf(kind).sourcesHaveTitles && !destinations ? list->subItem(row, JobList::SubTitle)
                                                                   : QStringLiteral("Not Known"));
    }
    const DirectionView& tab = ViewOf(kind);
    // A player library that cannot start is shown, and no window opens.
    guarded([&] {
        const std::unique_ptr<TPlayerForm> window = (destinations ? tab.resultPlayer : tab.sourcePlayer)(
            paths, titles, m_programFolder, this);
        window->exec();
    });
}

void TMainForm::AboutAudrel1Click()
{
    TForm_About dialog(m_links, this);
    dialog.exec();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Settings first. A folder that cannot be written must not keep the user in
    // the program: the error is shown and the window closes all the same.
    try {
        SaveProgramSettings(m_settings, m_programFolder);
    } catch (const EAudrelError& error) {
        showMessage(error.message(), QStringLiteral("Error"), MsgIcon::Error);
    }
    for (JobList* l : m_lists)
        l->clear();
    event->accept();
}

} // namespace audrel
