#pragma once
// Runs a batch of work items through the paths of their directions and tells
// what happens; it shows nothing. The conversion dialogs are views over a
// runner, and audrel-cli runs the same one.
//
// With one file at a time, each direction's path lives on the runner's own
// thread, as the dialogs have always worked (the MP3 encoder pumps the event
// loop while it encodes). With more, every file in flight has a path of its
// own on a worker thread of its own, and the runner keeps that many files
// going.
//
// Before an item starts, a destination that exists is put to the handler,
// in the order of the items (files already in flight go on meanwhile). Each
// result is written under a temporary name and takes its destination's name
// when complete. A failure is put to the handler too, which says whether the
// run goes on; when not, no new file starts and the run waits, still
// running, until it is aborted. Abort stops every file in flight within a
// moment and removes what each had written; existing destinations stay as
// they were.

#include "convert/conversionpath.h"
#include "convert/cvtitem.h"
#include "convert/destinationfile.h"
#include "settings/settings.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QThread;
class QTimer;

namespace audrel {

// What a run did.
struct ConversionOutcome
{
    enum ModalResult
    {
        mrOk = 1,    // the run ended by itself, or never began
        mrCancel = 2 // the run was aborted
    };
    int Result = mrOk;
    // The rows this run converted, in ascending order.
    QList<int> ConvertedRows;
    // The file being written when the run was aborted; empty when none was.
    QString AbortedDestPath;
    // The engine could not start, so nothing was converted.
    bool EngineFailed = false;
};

// The runner's questions.
class BatchHandler
{
public:
    virtual ~BatchHandler() = default;
    // The item's destination exists: whether it is replaced (true) or the
    // item skipped.
    virtual bool ReplaceExisting(const TCvtItem& item) = 0;
    // The item cannot be converted (message says why): whether the run goes
    // on with the items after it.
    virtual bool ItemFailed(const TCvtItem& item, const QString& message) = 0;
};

class BatchRunner : public QObject
{
    Q_OBJECT

public:
    // jobs: files converted at once, at least 1.
    BatchRunner(const Settings& settings, const QString& programFolder, int jobs, BatchHandler& handler,
                QObject* parent = nullptr);
    // Stops whatever is in flight.
    ~BatchRunner() override;

    // Files converted at once for the setting "Files converted at once": 0 is
    // as many as the machine has processors.
    static int JobsFor(int setting);

    // Whether the source's tags are written into each result; on unless turned off.
    void setCarryTags(bool carry) { m_carryTags = carry; }
    // A timer that starts the next file when it fires, instead of the event
    // loop at once (it is started with the run).
    void setHandOffTimer(QTimer* timer);

    // Makes the engine of each direction ready on this thread: the text of
    // the first that cannot be, or an empty string.
    QString init(const QList<JobKind>& kinds);
    // What the user is to know of the engines before the run (read after init).
    QString notice() const;
    // The engine of a direction made by init, or null.
    ConversionPath* path(JobKind kind) const;

    void setItems(QList<TCvtItem> items) { m_items = std::move(items); }
    const QList<TCvtItem>& items() const { return m_items; }
    int jobs() const { return m_jobs; }
    bool running() const { return m_running; }
    // The item started last, or being asked about.
    int currentIndex() const { return m_current; }
    // Items converted or skipped.
    int finishedCount() const { return m_finished; }
    // The temporary file an item in flight is written to.
    QString tempPath(int index) const;

    // Starts the run, after removing what killed runs left under the
    // temporary names of its destinations; without items it ends at once
    // (runFinished).
    void start();
    // Ends a run under way: every file in flight is stopped and what it wrote
    // removed. Nothing happens when no run is under way.
    void abort();
    // What the run did so far (its Result once it ended or was aborted).
    ConversionOutcome outcome() const;

signals:
    // The item is being converted, by the slot'th of the files in flight.
    void itemStarted(int index, int slot);
    // One file at a time: the item's path has been given it and started on it.
    void itemUnderWay(int index);
    // done of total, on the scale of the item's path (total > 0).
    void itemProgress(int index, qint64 done, qint64 total);
    // The item's result is in place; warning says why its tags could not follow.
    void itemFinished(int index, const QString& warning);
    // The item's existing destination was kept.
    void itemSkipped(int index);
    void itemFailed(int index, const QString& message);
    // Every item was converted or skipped.
    void runFinished();

private:
    struct Slot;

    void fill();
    void scheduleFill();
    // Starts the item m_next has just passed on the slot.
    void startOn(Slot& slot, int slotIndex);
    ConversionPath* pathFor(Slot& slot, int slotIndex, JobKind kind);
    std::unique_ptr<ConversionPath> makePath(JobKind kind);
    void connectPath(ConversionPath* path, int slotIndex);
    // The slot, while the run of that number is its current one.
    Slot* slotOf(int slotIndex, quint64 ticket) const;
    void onProgress(int slotIndex, quint64 ticket, qint64 done, qint64 total);
    void onFinished(int slotIndex, quint64 ticket, const QString& warning);
    void onFailed(int slotIndex, quint64 ticket, const QString& message);
    void fail(Slot& slot, const QString& message);
    void reportFailures();
    // Returns once the slot's path no longer writes its output.
    void stopSlot(Slot& slot);
    void endIfDone();
    void stopThreads();

    const Settings m_settings;
    const QString m_programFolder;
    const int m_jobs;
    BatchHandler& m_handler;
    bool m_carryTags = true;
    QTimer* m_handOff = nullptr;
    std::map<JobKind, std::unique_ptr<ConversionPath>> m_probes; // made by init, on this thread
    std::vector<std::unique_ptr<Slot>> m_slots;
    QList<TCvtItem> m_items;
    QStringList m_temps; // the temporary file of each item started
    std::vector<std::pair<int, QString>> m_failures; // not yet put to the handler
    int m_next = 0;      // the next item to look at
    int m_current = 0;   // the item started last, or being asked about
    int m_finished = 0;  // converted or skipped
    bool m_running = false;
    bool m_aborted = false;
    bool m_held = false;   // a failure stopped the starting of new files
    bool m_asking = false; // a question of the handler is open
    bool m_filling = false;
    bool m_fillPending = false;
    QString m_abortedDest;
};

} // namespace audrel
