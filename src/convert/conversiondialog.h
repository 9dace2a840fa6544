#pragma once
// What the conversion dialogs share: the window with the current source and
// destination, a per-file and an overall gauge and the Abort button; the work
// items gathered from the checked rows of one list; the one-shot start 100 ms
// after creation; the question before an existing destination is replaced;
// and, on closing, "Done" written into the rows converted, which are
// unchecked, and the modal result: 1 when the run ended by itself (or never
// began) and 2 when it was aborted, the destination being written then left in
// the main window's AbortedDestPath.

#include "convert/cvtitem.h"

#include <QDialog>
#include <QList>

class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace audrel {

class JobList;
class TMainForm;

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

    // Every way of closing (Abort, the end of the run, the close box, Escape) comes here.
    void reject() override;

protected:
    struct Captions
    {
        const char* window;    // "Convert Mp3 to Wav"
        const char* group;     // " Decoding ", until the run begins
        const char* verb;      // "Decoding", in " Decoding File #2 Of 5 "
        const char* abortName; // object name of the Abort button
        int gaugeMaximum;      // the per-file gauge runs from 0 to this
    };
    TConversionDialog(TMainForm* owner, JobList* list, const Captions& captions);

    // Gathers the checked rows of the list as work items, in row order.
    void GatherJobs();

    // Shows items from index on and asks before each existing destination
    // (when the settings say so); declined items are passed over. Returns
    // the item to convert, marked as being converted, with the progress caption
    // written; null when every remaining item was declined and the dialog has closed.
    TCvtItem* NextJob(int index);
    // The current item is converted; the next one starts once the caller has
    // returned to the event loop, so a batch of any length runs in constant
    // stack. After the last one the dialog closes.
    void JobDone();
    // Ends the run by itself and closes: result 1.
    void FinishRun();

    // Called when the run would begin; false closes the dialog with nothing converted.
    virtual bool PrepareRun() { return true; }
    // Starts converting from item index on (NextJob does the asking).
    virtual void StartJob(int index) = 0;
    // Stops whatever is under way; called once as the dialog closes.
    virtual void StopWork() = 0;

    TMainForm* Owner() const { return m_owner; }
    void Timer1Timer();
    void BtnAbortClick();
    void closeEvent(QCloseEvent* event) override;

    QGroupBox* GroupBox;
    QLineEdit* Edit_Src;
    QLineEdit* Edit_Dest;
    QProgressBar* Gauge;
    QProgressBar* Gauge_Total;
    QPushButton* AbortButton;
    QTimer* Timer1;
    bool m_closed = false;

private:
    void FormClose();
    void showItem(const TCvtItem& item);

    TMainForm* m_owner;
    JobList* m_list;
    const char* m_verb;
    QList<TCvtItem> m_jobs;
    int m_currentIndex = 0;
    bool m_running = false;
};

} // namespace audrel
