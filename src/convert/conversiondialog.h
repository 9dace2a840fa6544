#pragma once
// What the conversion dialogs share: a window over a BatchRunner that
// converts the checked rows of one list. It shows each file in flight (its
// source, destination and gauge), an overall gauge of the files finished, the
// time the run has taken and about how long it has left, and the Abort
// button. The run starts from a one-shot timer 100 ms after creation, after
// the engines' notice (if any) in an Information box; before an existing
// destination is replaced the user is asked (when the settings say so); a
// failure is shown in an error box, after which no new file starts and the
// dialog waits for Abort; and, on closing, "Done" is written into the rows
// converted, which are unchecked, and the modal result is 1 when the run
// ended by itself (or never began) and 2 when it was aborted.
//
// With one file at a time (the setting "Files converted at once" at 1) the
// dialog is the one-file window it has always been, each dialog's gauge on
// its own scale. A dialog is given the list, the settings and the program
// folder, and hands back its outcome; it knows nothing of the window that
// opened it.

#include "convert/batchrunner.h"
#include "settings/settings.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QList>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace audrel {

class JobList;

class TConversionDialog : public QDialog, private BatchHandler
{
    Q_OBJECT

public:
    enum ModalResult
    {
        mrOk = ConversionOutcome::mrOk,
        mrCancel = ConversionOutcome::mrCancel
    };

    ~TConversionDialog() override;

    BatchRunner& Runner() const { return *m_runner; }
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
        int gaugeMaximum;       // with one file at a time, the gauge runs from 0 to this
        // 0: the next file starts as soon as the event loop runs again; else
        // Timer2 looks every this many milliseconds whether one is waiting.
        int handOffMs;
    };
    // Makes the engine of the list's direction ready and gathers the checked
    // rows of the list; an engine that cannot start gathers nothing and is
    // reported when the run would begin.
    TConversionDialog(JobList& list, const Settings& settings, const QString& programFolder,
                      const Captions& captions, QWidget* parent);

    // With one file at a time: the path's progress on the gauge, each dialog
    // on its own scale.
    virtual void ShowProgress(qint64 done, qint64 total) = 0;
    // With one file at a time: the path has been given the current item and started on it.
    virtual void JobStarted() {}
    // Puts the direction's control on the form, beside the Abort button.
    void PlaceControl(QWidget* control);

    void Timer1Timer();
    void BtnAbortClick();
    void closeEvent(QCloseEvent* event) override;

    QGroupBox* GroupBox;
    QLineEdit* Edit_Src;
    QLineEdit* Edit_Dest;
    QProgressBar* Gauge;
    QProgressBar* Gauge_Total;
    QLabel* Label_Time;
    QPushButton* AbortButton;
    QTimer* Timer1;
    QTimer* Timer2 = nullptr; // with handOffMs only

private:
    // One file in flight: where it comes from, where it goes, how far it is.
    struct SlotView
    {
        QLineEdit* source;
        QLineEdit* dest;
        QProgressBar* gauge;
        int item = -1;
        double fraction = 0; // of the item converted
    };

    void buildSlots(int count);
    void GatherJobs();
    bool ReplaceExisting(const TCvtItem& item) override;
    bool ItemFailed(const TCvtItem& item, const QString& message) override;
    void itemStarted(int index, int slot);
    void itemProgress(int index, qint64 done, qint64 total);
    void showTotal();
    void showTime();
    void FormClose();
    SlotView* viewOf(int index);

    JobList& m_list;
    Settings m_settings;
    BatchRunner* m_runner;
    QString m_engineError;
    const char* m_verb;
    const int m_gaugeMaximum;
    QHBoxLayout* m_buttons; // the Abort button's row
    QList<SlotView> m_slots;
    QTimer* m_clock;
    QElapsedTimer m_elapsed;
    bool m_closed = false;
    ConversionOutcome m_outcome;
};

} // namespace audrel
