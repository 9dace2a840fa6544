#pragma once
// The main window: four job lists on tabs, the menus, toolbar and popup menu
// that share the commands, and the status bar with the visible list's counters.

#include "convert/conversiondialog.h"
#include "jobs/counttext.h"
#include "jobs/joblist.h"
#include "settings/settings.h"

#include <QMainWindow>
#include <QQueue>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class QToolBar;

namespace audrel {

class HandoverServer;
class JobListView;
class RowBuilder;
class TMPEGAudio;
class TWAVfile;
class TWMAfile;

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
    // programFolder holds the program's files (and "Options.ini" where it may be
    // written); it ends in a separator. Shortly after start the arguments after
    // the program's name are added: audio files and playlists as if dropped on
    // the window, or else the first names a list file.
    explicit TMainForm(const QString& programFolder = ProgramFolder(), const QStringList& arguments = {},
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    static constexpr int kPanelCount = 7;

    const QString& programFolder() const { return m_programFolder; }
    Settings& settings() { return m_settings; }
    const LinkSettings& links() const { return m_links; }

    JobList* Mp3Recs() const { return m_lists[0]; }
    JobList* WavRecs() const { return m_lists[1]; }
    JobList* WMARecs() const { return m_lists[2]; }
    JobList* Wav2WMARecs() const { return m_lists[3]; }
    JobList* list(JobKind kind) const { return m_lists[size_t(kind)]; }
    JobListView* view(JobKind kind) const { return m_views[size_t(kind)]; }

    // The list of the visible tab; every command acts on it.
    JobKind currentKind() const;
    JobList* currentList() const { return list(currentKind()); }
    void showTab(JobKind kind);

    // Status bar panels that show a list's counters.
    enum StatusPanel
    {
        PanelTotal = 1,
        PanelChecked = 3,
        PanelSelected = 5
    };
    QString panelText(int panel) const;
    // A panel's text as the window shows it now, cut when the panel is too narrow.
    QString panelShownText(int panel) const;
    // Writes a counter panel (1, 3 or 5) from a list's counters.
    void writePanel(const JobList* list, int panel, CountSpacing spacing = CountSpacing::Normal);
    void writeCounterPanels(const JobList* list);

    // The readers shared by the adding code.
    TMPEGAudio& MPEGAudio() const { return *m_mpeg; }
    TWAVfile& WAVfile() const { return *m_wav; }
    TWMAfile& WMAfile() const { return *m_wma; }
    RowBuilder& builder() const { return *m_builder; }

    // Takes list files and bring-to-front requests from other programs.
    void ListenForHandover(HandoverServer* server);
    // A list file handed over by another program, added after those before it;
    // beyond kMaxQueuedListFiles waiting, requests are dropped.
    void QueueListFile(const QString& path);
    static constexpr int kMaxQueuedListFiles = 100;

    QString CurrentFile;

public slots:
    // The Add command: the visible list's open dialog, then its files and playlists.
    void AddExecute();
    // Adds the files named by a list file, one path per line, to the lists of
    // their kinds, and says how many were added.
    void AddFromListFile(const QString& path);
    // Files dropped on one of the lists: added as from a list file, silently.
    void DropFiles(const QStringList& paths);
    // Files dropped on a list: a list that takes every drop keeps them all,
    // whatever their kind; on the others as DropFiles.
    void DropFilesOn(std::optional<JobKind> onto, const QStringList& paths);
    // The destination format chosen on the Any Format tab, by its word.
    void FormatChange(const QString& word);
    // Raises and activates the window.
    void ForceForeground();

    // Commands on the rows of the visible list.
    void CheckExecute();
    void UncheckExecute();
    void InvertCheckExecute();
    void CheckAllExecute();
    void UncheckAllExecute();
    void SelectAll1Click();
    void DeleteExecute();
    void ClearExecute();
    // Opens the destination folder: the first selected row's, else the setting's.
    void ExploreExecute();
    void ChangeFolderExecute();
    // Opens the help file beside the program.
    void HelpExecute();
    void OptionsExecute();
    void AboutAudrel1Click();
    // The information dialog of the visible list for its first selected row.
    void PropertiesExecute();
    // The player window of the visible tab for the sources of its selected
    // rows (Play and Play Source), or for their destinations.
    void PlayExecute();
    void PlayDestinationExecute();
    // A double-click on one of the lists: Play, when a row is selected.
    void WavListViewDblClick();
    // Converts the checked rows of the visible list in its conversion dialog,
    // then deletes an aborted destination, plays the notice sound and opens the
    // destination folder as the settings say.
    void ConvertExecute();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void PageControl1Change();
    void Timer1Timer();

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createTabs();
    void createStatusBar();
    // The format box shows the settings' destination format.
    void showFormat();
    QAction* action(const char* name, const QString& caption, const QString& hint = {},
                    const QKeySequence& shortcut = {});
    QAction* alias(QAction* target, const QString& caption, bool showShortcut = true);
    // Runs a bulk add with every list muted and not repainted, and brings them
    // back to normal however it ends. An error ends the add and is shown; false then.
    bool runBulkAdd(const std::function<void()>& add);
    // One message naming the files of a bulk add that could not be opened.
    void reportSkipped();
    // Panels 1 and 3 after a bulk add, panel 3 in its bulk-add spelling except on
    // the MP3 to WAV list.
    void writeBulkPanels(JobKind kind);
    // Whether the WMA encoder control can be created.
    bool ProbeWmaEncoder();
    // Shows the conversion dialog of a list modally; what it did.
    ConversionOutcome RunConversionDialog(JobKind kind);
    void showNoFileSelected();
    // Shows the player of the visible tab modally for the selected rows'
    // sources or destinations, in list order.
    void RunPlayer(bool destinations);
    // Rewrites the counter panels whose counters have changed.
    void writeChangedPanels(const JobList* list);

    QString m_programFolder;
    QStringList m_arguments;
    std::unique_ptr<TMPEGAudio> m_mpeg;
    std::unique_ptr<TWAVfile> m_wav;
    std::unique_ptr<TWMAfile> m_wma;
    std::unique_ptr<RowBuilder> m_builder;
    void TakeListFiles();

    QTimer* Timer1 = nullptr;
    QQueue<QString> m_listFiles; // handed over, waiting
    bool m_takingListFiles = false;
    bool m_bulkAdding = false;
    Settings m_settings;
    LinkSettings m_links;
    std::array<JobList*, kJobKindCount> m_lists{};
    std::array<JobListView*, kJobKindCount> m_views{};
    QTabWidget* PageControl1 = nullptr;
    QComboBox* Combo_Format = nullptr; // the Any Format tab's destination format
    JobKind m_formatKind = JobKind::AnyFormat; // the list whose tab shows it
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu_mp3 = nullptr;
    QLabel* m_panels[kPanelCount] = {};
    JobCounters m_shown; // the counters the panels show
};

} // namespace audrel
