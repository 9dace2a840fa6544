#include "convert/batchrunner.h"

#include "convert/directions.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>

namespace audrel {

namespace {

// A worker whose paths are deleted on it, once its event loop has ended and
// no call into them is left on its stack.
class PathThread final : public QThread
{
public:
    ~PathThread() override
    {
        quit();
        wait();
    }
    // Handed over before the thread is asked to quit; touched by the thread
    // only after its event loop has ended.
    std::vector<std::unique_ptr<ConversionPath>> paths;

protected:
    void run() override
    {
        exec();
        paths.clear();
    }
};

} // namespace

struct BatchRunner::Slot
{
    int index = -1;    // the item in flight, or -1
    quint64 ticket = 0; // the number of that item's run, on the runner's side
    // The number of the run the slot's paths work on, set on their thread:
    // what they say is known by it, and what a stopped run still says is dropped.
    std::atomic<quint64> working{0};
    std::unique_ptr<PathThread> thread; // null: the paths live on the runner's thread
    std::map<JobKind, ConversionPath*> paths;
    ConversionPath* active = nullptr;
    bool failing = false; // its path is letting go of a failed item
    DestinationFile destination;
};

BatchRunner::BatchRunner(const Settings& settings, const QString& programFolder, int jobs,
                         BatchHandler& handler, QObject* parent)
    : QObject(parent), m_settings(settings), m_programFolder(programFolder), m_jobs(std::max(jobs, 1)),
      m_handler(handler)
{
}

BatchRunner::~BatchRunner()
{
    abort();
    stopThreads();
}

int BatchRunner::JobsFor(int setting)
{
    const int jobs = setting > 0 ? setting : QThread::idealThreadCount();
    return std::clamp(jobs, 1, kMaxConvertJobs);
}

void BatchRunner::setHandOffTimer(QTimer* timer)
{
    m_handOff = timer;
    connect(timer, &QTimer::timeout, this, [this] {
        if (!m_fillPending) return;
        m_fillPending = false;
        fill();
    });
}

std::unique_ptr<ConversionPath> BatchRunner::makePath(JobKind kind)
{
    const Direction& direction = DirectionOf(kind);
    std::unique_ptr<ConversionPath> path = direction.makePath(m_settings, m_programFolder);
    path->setCarryTags(m_carryTags);
    path->setResultTags(direction.tags);
    return path;
}

QString BatchRunner::init(const QList<JobKind>& kinds)
{
    for (JobKind kind : kinds) {
        std::unique_ptr<ConversionPath>& probe = m_probes[kind];
        if (!probe) probe = makePath(kind);
        if (const QString error = probe->Prepare(); !error.isEmpty()) return error;
    }
    return {};
}

QString BatchRunner::notice() const
{
    QStringList lines;
    for (const auto& [kind, probe] : m_probes)
        for (const QString& line : probe->Notice().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (!lines.contains(line)) lines << line;
    return lines.join(QLatin1Char('\n'));
}

ConversionPath* BatchRunner::path(JobKind kind) const
{
    const auto found = m_probes.find(kind);
    return found == m_probes.end() ? nullptr : found->second.get();
}

QString BatchRunner::tempPath(int index) const
{
    for (const auto& slot : m_slots)
        if (slot->index == index) return slot->destination.tempPath();
    return index >= 0 && index < m_temps.size() ? m_temps[index] : QString();
}

void BatchRunner::start()
{
    if (m_running || m_aborted) return;
    m_running = true;
    m_next = m_finished = m_current = 0;
    // What killed runs left of this run's destinations goes first.
    for (const TCvtItem& item : std::as_const(m_items))
        DestinationFile::RemoveStale(item.DestPath);
    m_temps = QStringList(m_items.size(), QString());
    const int slotCount = m_jobs == 1 ? 1 : std::clamp(int(m_items.size()), 1, m_jobs);
    for (int i = int(m_slots.size()); i < slotCount; ++i)
        m_slots.push_back(std::make_unique<Slot>());
    fill();
}

void BatchRunner::scheduleFill()
{
    if (m_fillPending) return;
    m_fillPending = true;
    if (m_handOff) return; // the timer starts it
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_fillPending = false;
            fill();
        },
        Qt::QueuedConnection);
}

// Starts items into free slots, in order, asking about each existing
// destination first. Whatever ends while a question is open waits for it.
void BatchRunner::fill()
{
    if (!m_running || m_asking || m_held || m_filling) return;
    m_filling = true;
    while (m_running && !m_held && m_next < m_items.size()) {
        const auto free = std::find_if(m_slots.begin(), m_slots.end(), [](const auto& s) { return s->index < 0; });
        if (free == m_slots.end()) break;
        const int index = m_next;
        m_current = index;
        const QFileInfo dest(m_items[index].DestPath);
        if ((dest.exists() || dest.isSymLink()) && !dest.isDir()) {
            m_asking = true;
            const bool replace = m_handler.ReplaceExisting(m_items[index]);
            m_asking = false;
            if (!m_running) break;
            if (!replace) {
                ++m_next;
                ++m_finished;
                emit itemSkipped(index);
                continue;
            }
        }
        ++m_next;
        startOn(**free, int(free - m_slots.begin()));
    }
    m_filling = false;
    reportFailures();
    endIfDone();
}

void BatchRunner::startOn(Slot& slot, int slotIndex)
{
    const int index = m_next - 1;
    TCvtItem& item = m_items[index];
    item.JobState = ItemState::Converting;
    slot.index = index;
    const quint64 ticket = ++slot.ticket;
    emit itemStarted(index, slotIndex);
    if (!m_running || slot.ticket != ticket) return;
    if (const QString problem = slot.destination.prepare(item.SourcePath, item.DestPath); !problem.isEmpty())
        return fail(slot, problem);
    m_temps[index] = slot.destination.tempPath();
    ConversionPath* path = pathFor(slot, slotIndex, item.Kind);
    slot.active = path;
    const TCvtItem work = item;
    const QString output = slot.destination.tempPath();
    if (!slot.thread) {
        slot.working = ticket;
        path->run(work, output); // the MP3 encoder converts the whole item in here
        if (m_running && slot.ticket == ticket && slot.index == index) emit itemUnderWay(index);
        return;
    }
    Slot* target = &slot;
    QMetaObject::invokeMethod(
        path,
        [path, target, ticket, work, output] {
            target->working = ticket;
            path->run(work, output);
        },
        Qt::QueuedConnection);
}

ConversionPath* BatchRunner::pathFor(Slot& slot, int slotIndex, JobKind kind)
{
    if (const auto found = slot.paths.find(kind); found != slot.paths.end()) return found->second;
    ConversionPath* path = nullptr;
    if (m_jobs == 1) {
        // One file at a time: the engines init made, on this thread.
        std::unique_ptr<ConversionPath>& probe = m_probes[kind];
        if (!probe) probe = makePath(kind);
        path = probe.get();
    } else {
        if (!slot.thread) {
            slot.thread = std::make_unique<PathThread>();
            slot.thread->setObjectName(QStringLiteral("Audrel convert %1").arg(slotIndex + 1));
            slot.thread->start();
        }
        std::unique_ptr<ConversionPath> owned = makePath(kind);
        path = owned.get();
        owned->moveToThread(slot.thread.get());
        slot.thread->paths.push_back(std::move(owned));
    }
    connectPath(path, slotIndex);
    slot.paths[kind] = path;
    return path;
}

// A path's signals are taken on its own thread, marked with the run they
// belong to, and handled on the runner's.
void BatchRunner::connectPath(ConversionPath* path, int slotIndex)
{
    Slot* slot = m_slots[size_t(slotIndex)].get();
    const auto deliver = [this](auto&& handle) {
        if (QThread::currentThread() == thread())
            handle();
        else
            QMetaObject::invokeMethod(this, std::move(handle), Qt::QueuedConnection);
    };
    connect(
        path, &ConversionPath::progress, path,
        [=, this](qint64 done, qint64 total) {
            const quint64 ticket = slot->working;
            deliver([=, this] { onProgress(slotIndex, ticket, done, total); });
        },
        Qt::DirectConnection);
    connect(
        path, &ConversionPath::finished, path,
        [=, this](const QString& warning) {
            const quint64 ticket = slot->working;
            deliver([=, this] { onFinished(slotIndex, ticket, warning); });
        },
        Qt::DirectConnection);
    connect(
        path, &ConversionPath::failed, path,
        [=, this](const QString& message) {
            const quint64 ticket = slot->working;
            deliver([=, this] { onFailed(slotIndex, ticket, message); });
        },
        Qt::DirectConnection);
}

BatchRunner::Slot* BatchRunner::slotOf(int slotIndex, quint64 ticket) const
{
    if (!m_running || slotIndex < 0 || slotIndex >= int(m_slots.size())) return nullptr;
    Slot* slot = m_slots[size_t(slotIndex)].get();
    return slot->index >= 0 && slot->ticket == ticket ? slot : nullptr;
}

void BatchRunner::onProgress(int slotIndex, quint64 ticket, qint64 done, qint64 total)
{
    if (const Slot* slot = slotOf(slotIndex, ticket); slot && total > 0)
        emit itemProgress(slot->index, done, total);
}

void BatchRunner::onFinished(int slotIndex, quint64 ticket, const QString& warning)
{
    Slot* slot = slotOf(slotIndex, ticket);
    if (!slot) return;
    if (const QString problem = slot->destination.commit(); !problem.isEmpty()) return fail(*slot, problem);
    const int index = slot->index;
    TCvtItem& item = m_items[index];
    item.JobState = ItemState::Converted;
    item.TagsWritten = warning.isEmpty();
    slot->index = -1;
    slot->active = nullptr;
    ++m_finished;
    emit itemFinished(index, warning);
    // The next file starts once this end has been told and returned.
    if (m_next < m_items.size()) scheduleFill();
    endIfDone();
}

void BatchRunner::onFailed(int slotIndex, quint64 ticket, const QString& message)
{
    if (Slot* slot = slotOf(slotIndex, ticket)) fail(*slot, message);
}

// The item's output is let go of and removed; the failure is put to the
// handler once no other question is open. What else the item's path says of
// its failure while it lets go is put to the handler too.
void BatchRunner::fail(Slot& slot, const QString& message)
{
    const int index = slot.index;
    m_failures.emplace_back(index, message);
    if (slot.failing) return reportFailures();
    slot.failing = true;
    stopSlot(slot);
    slot.destination.discard();
    slot.index = -1;
    slot.active = nullptr;
    slot.failing = false;
    ++slot.ticket;
    emit itemFailed(index, message);
    reportFailures();
}

void BatchRunner::reportFailures()
{
    while (m_running && !m_asking && !m_failures.empty()) {
        const auto [index, message] = m_failures.front();
        m_failures.erase(m_failures.begin());
        m_asking = true;
        const bool goOn = m_handler.ItemFailed(m_items[index], message);
        m_asking = false;
        if (!m_running) return;
        // Held, the run waits on the failed item until it is aborted.
        if (goOn)
            m_items[index].JobState = ItemState::Waiting;
        else
            m_held = true;
        if (goOn && m_next < m_items.size()) scheduleFill();
    }
    endIfDone();
}

void BatchRunner::stopSlot(Slot& slot)
{
    ConversionPath* path = slot.active;
    if (!path) return;
    if (!slot.thread)
        path->stopAndWait();
    else
        QMetaObject::invokeMethod(path, [path] { path->stopAndWait(); }, Qt::BlockingQueuedConnection);
}

void BatchRunner::endIfDone()
{
    if (!m_running || m_held || m_asking || m_filling || !m_failures.empty() || m_next < m_items.size())
        return;
    if (std::any_of(m_slots.begin(), m_slots.end(), [](const auto& s) { return s->index >= 0; })) return;
    m_running = false;
    stopThreads();
    emit runFinished();
}

void BatchRunner::abort()
{
    if (!m_running) return;
    m_running = false;
    m_aborted = true;
    m_failures.clear();
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i].JobState != ItemState::Converting) continue;
        m_abortedDest = m_temps[i];
        break;
    }
    for (const auto& slot : m_slots) {
        if (slot->index < 0) continue;
        ++slot->ticket;
        stopSlot(*slot);
        slot->destination.discard();
        slot->active = nullptr;
    }
    stopThreads();
}

void BatchRunner::stopThreads()
{
    for (const auto& slot : m_slots) {
        slot->thread.reset(); // ends its loop, then deletes its paths on it
        if (m_jobs > 1) slot->paths.clear();
    }
}

ConversionOutcome BatchRunner::outcome() const
{
    ConversionOutcome outcome;
    outcome.Result = m_aborted ? ConversionOutcome::mrCancel : ConversionOutcome::mrOk;
    for (const TCvtItem& item : m_items)
        if (item.JobState == ItemState::Converted) outcome.ConvertedRows << item.RowIndex;
    std::sort(outcome.ConvertedRows.begin(), outcome.ConvertedRows.end());
    outcome.AbortedDestPath = m_abortedDest;
    return outcome;
}

} // namespace audrel
