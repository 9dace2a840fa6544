#pragma once
// The main window: four job lists on tabs, the menus, toolbar and popup menu
// that share the commands, and the status bar with the visible list's counters.

#include "app/counttext.h"
#include "app/joblist.h"
#include "settings/settings.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;

namespace audrel {

class JobListView;

// Addresses of the Help menu's home page and support entries.
struct LinkSettings
{
    QString HomepageTitle;
    QString Homepage;
    QString EmailUs;
    QString MailTo; // "mailto:" + EmailUs

    // Reads folder + "Affiliate.ini"; the maker's addresses stand in for a missing file or key.
    static LinkSettings load(const QString& programFolder);
};

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // programFolder holds "Options.ini" and the program's other files; it ends in a separator.
    explicit TMainForm(const QString& programFolder = ProgramFolder(), QWidget* parent = nullptr);
    ~TMainForm() override;

    static constexpr int kPanelCount = 7;

    const QString& programFolder() const { return m_programFolder; }
    Settings& settings() { return m_settings; }
    const LinkSettings& links() const { return m_links; }

    JobList* Mp3Recs() const { return m_lists[0]; }
    JobList* WavRecs() const { return m_lists[1]; }
    JobList* WMARecs() const { return m_lists[2]; }
    JobList* Wav2WMARecs() const { return m_lists[3]; }
    JobList* list(JobKind kind) const { return m_lists[int(kind)]; }
    JobListView* view(JobKind kind) const { return m_views[int(kind)]; }

    // The list of the visible tab; every command acts on it.
    JobKind currentKind() const;
    JobList* currentList() const { return list(currentKind()); }
    void showTab(JobKind kind);

    QString panelText(int panel) const;
    // Writes a counter panel (1, 3 or 5) from a list's counters.
    void writePanel(const JobList* list, int panel, CountSpacing spacing = CountSpacing::Normal);
    void writeCounterPanels(const JobList* list);

    QString CurrentFile;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void PageControl1Change();

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createTabs();
    void createStatusBar();
    QAction* action(const char* name, const QString& caption, const QString& hint = {},
                    const QKeySequence& shortcut = {});
    QAction* alias(QAction* target, const QString& caption, bool showShortcut = true);

    QString m_programFolder;
    Settings m_settings;
    LinkSettings m_links;
    JobList* m_lists[4] = {};
    JobListView* m_views[4] = {};
    QTabWidget* PageControl1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu_mp3 = nullptr;
    QLabel* m_panels[kPanelCount] = {};
};

} // namespace audrel
