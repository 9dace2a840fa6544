#pragma once
// What the conversion dialogs share: the window with the current source and
// destination, a per-file and an overall gauge and the Abort button; the work
// items gathered from the checked rows of one list; the one-shot start 100 ms
// after creation, after the path's notice (if any) in an Information box; the
// question before an existing destination is replaced; each item converted by
// the direction's ConversionPath into a temporary file that takes the
// destination's name when complete; the next item started from the event
// loop, or by Timer2 for the dialogs that hand over that way; a failure shown
// in an error box, after which the dialog waits on that item for Abort; and,
// on closing, "Done" written into the rows converted, which are unchecked, and
// the modal result: 1 when the run ended by itself (or never began) and 2
// when it was aborted.
//
// A dialog is given the list, the settings and its path, and hands back its
// outcome; it knows nothing of the window that opened it.

#include "convert/conversionpath.h"
#include "convert/cvtitem.h"
#include "convert/destinationfile.h"
#include "settings/settings.h"

#include <QDialog>
#include <QList>

#include <memory>

class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace audrel {

class JobList;

// What a run of a conversion dialog did.
struct ConversionOutcome
{
    int Result = 1; // the modal result
    // The rows this run converted, in ascending order.
    QList<int> ConvertedRows;
    // The file being written when the run was aborted; empty when none was.
    QString AbortedDestPath;
    // The engine could not start, so nothing was converted.
    bool EngineFailed = false;
};

class TConversionDialog : public QDialog
{
    Q_OBJECT

public:
    enum ModalResult
    {
        mrOk = 1,
        mrCancel = 2
    };

    ~TConversionDialog() override;

    const QList<TCvtItem>& Jobs() const { return m_jobs; }
    int CurrentIndex() const { return m_currentIndex; }
    bool Running() const { return m_running; }
    ConversionPath* Path() const { return m_path.get(); }
    // Complete once the dialog has closed.
    const ConversionOutcome& Outcome() const { return m_outcome; }

    // Every way of closing (Abort, the end of the run, the close box, Escape) comes here.
    void reject() override;

protected:
    struct Captions
    {
        const char* objectName; // "ConvertForm"
        const char* window;     // "Convert Mp3 to Wav"
        const char* group;      // " Decoding ", until the run begins
        const char* verb;       // "Decoding", in " Decoding File #2 Of 5 "
        const char* abortName;  // object name of the Abort button
        int gaugeMaximum;       // the per-file gauge runs from 0 to this
        // 0: the next item starts as soon as the event loop runs again; else
        // Timer2 looks every this many milliseconds whether one is waiting.
        int handOffMs;
    };
    // Makes the path's engine ready and gathers the checked rows of the list;
    // an engine that cannot start gathers nothing and is reported when the
    // run would begin.
    TConversionDialog(JobList& list, const Settings& settings, std::unique_ptr<ConversionPath> path,
                      const Captions& captions, QWidget* parent);

    // The path's progress on the per-file gauge, each dialog on its own scale.
    virtual void ShowProgress(qint64 done, qint64 total) = 0;
    // The path has been given the current item and started on it.
    virtual void JobStarted() {}
    // Puts the direction's control on the form, beside the Abort button.
    void PlaceControl(QWidget* control);

    void Timer1Timer();
    void Timer2Timer();
    void BtnAbortClick();
    void closeEvent(QCloseEvent* event) override;

    QGroupBox* GroupBox;
    QLineEdit* Edit_Src;
    QLineEdit* Edit_Dest;
    QProgressBar* Gauge;
    QProgressBar* Gauge_Total;
    QPushButton* AbortButton;
    QTimer* Timer1;
    QTimer* Timer2 = nullptr; // with handOffMs only

private:
    void GatherJobs();
    // Starts converting from item index on, asking before each existing
    // destination (when the settings say so) and passing over declined items.
    void StartJob(int index);
    // Shows items from index on and asks before each existing destination;
    // returns the item to convert, marked as being converted, or null when
    // every remaining item was declined and the dialog has closed.
    TCvtItem* NextJob(int index);
    // The current item's output is complete: it takes its name, and the next
    // item starts once the caller has returned to the event loop, so a batch
    // of any length runs in constant stack. After the last one the dialog closes.
    void PathFinished(const QString& warning);
    void PathFailed(const QString& message);
    void FinishRun();
    void FormClose();
    void showItem(const TCvtItem& item);

    JobList& m_list;
    Settings m_settings;
    std::unique_ptr<ConversionPath> m_path;
    QString m_engineError;
    DestinationFile m_destination;
    const char* m_verb;
    QHBoxLayout* m_buttons; // the Abort button's row
    QList<TCvtItem> m_jobs;
    int m_currentIndex = 0;
    bool m_running = false;
    bool m_nextPending = false; // an item is waiting for Timer2 to start it
    bool m_closed = false;
    ConversionOutcome m_outcome;
};

} // namespace audrel
