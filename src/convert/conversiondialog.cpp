#include "convert/conversiondialog.h"

#include "jobs/joblist.h"
#include "jobs/jobrecords.h"
#include "platform/errors.h"
#include "platform/prompts/prompts.h"

#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace audrel {

namespace {

QProgressBar* gauge(const char* name, const char* color, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setTextVisible(false);
    bar->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(QLatin1String(color)));
    return bar;
}

QLineEdit* pathField(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    return field;
}

void showError(const QString& message)
{
    showMessage(message, QStringLiteral("Error"), MsgIcon::Error, {IdOk});
}

} // namespace

TConversionDialog::TConversionDialog(JobList& list, const Settings& settings,
                                     std::unique_ptr<ConversionPath> path, const Captions& captions,
                                     QWidget* parent)
    : QDialog(parent), m_list(list), m_settings(settings), m_path(std::move(path)), m_verb(captions.verb)
{
    setObjectName(QLatin1String(captions.objectName));
    setWindowTitle(QLatin1String(captions.window));

    GroupBox = new QGroupBox(QLatin1String(captions.group), this);
    GroupBox->setObjectName(QStringLiteral("GroupBox"));
    Edit_Src = pathField("Edit_Src", GroupBox);
    Edit_Dest = pathField("Edit_Dest", GroupBox);
    Gauge = gauge("Gauge", "blue", GroupBox);
    Gauge->setRange(0, captions.gaugeMaximum);
    Gauge->setValue(0);
    Gauge_Total = gauge("Gauge_Total", "purple", GroupBox);
    Gauge_Total->setValue(0);
    AbortButton = new QPushButton(QStringLiteral("Abort"), this);
    AbortButton->setObjectName(QLatin1String(captions.abortName));

    auto* grid = new QGridLayout(GroupBox);
    grid->addWidget(new QLabel(QStringLiteral("Source file:"), GroupBox), 0, 0);
    grid->addWidget(Edit_Src, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Destination file:"), GroupBox), 2, 0);
    grid->addWidget(Edit_Dest, 3, 0);
    grid->addWidget(Gauge, 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("Total:"), GroupBox), 5, 0);
    grid->addWidget(Gauge_Total, 6, 0);
    m_buttons = new QHBoxLayout;
    m_buttons->addStretch();
    m_buttons->addWidget(AbortButton);
    m_buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox);
    layout->addLayout(m_buttons);
    // A fixed-size dialog, centred on the main window by the window system.
    setFixedSize(440, 250);

    connect(m_path.get(), &ConversionPath::progress, this, [this](qint64 done, qint64 total) {
        if (!m_closed) ShowProgress(done, total);
    });
    connect(m_path.get(), &ConversionPath::finished, this, &TConversionDialog::PathFinished);
    connect(m_path.get(), &ConversionPath::failed, this, &TConversionDialog::PathFailed);

    // FormCreate: an engine that cannot start is reported once, when the run would begin.
    try {
        m_path->Init();
    } catch (...) {
        m_engineError = ExceptionText(std::current_exception());
    }
    if (m_engineError.isEmpty()) GatherJobs();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TConversionDialog::Timer1Timer);
    if (captions.handOffMs > 0) {
        Timer2 = new QTimer(this);
        Timer2->setObjectName(QStringLiteral("Timer2"));
        Timer2->setInterval(captions.handOffMs);
        connect(Timer2, &QTimer::timeout, this, &TConversionDialog::Timer2Timer);
    }
    connect(AbortButton, &QPushButton::clicked, this, &TConversionDialog::BtnAbortClick);
    Timer1->start();
}

void TConversionDialog::PlaceControl(QWidget* control)
{
    m_buttons->insertWidget(0, control);
}

TConversionDialog::~TConversionDialog() = default;

void TConversionDialog::GatherJobs()
{
    for (int row = 0; row < m_list.count(); ++row)
        if (m_list.isItemChecked(row)) m_jobs.append(TCvtItem::FromRow(m_list, row));
    Gauge_Total->setRange(0, int(m_jobs.size()));
}

void TConversionDialog::Timer1Timer()
{
    Timer1->stop();
    if (m_closed) return;
    if (!m_engineError.isEmpty()) {
        showError(m_engineError);
        m_outcome.EngineFailed = true;
        close();
        return;
    }
    m_nextPending = false;
    if (Timer2) Timer2->start();
    if (m_jobs.isEmpty()) return;
    // What the engine cannot do as the settings ask is said once, before the run.
    if (const QString notice = m_path->Notice(); !notice.isEmpty()) {
        showMessage(notice, QStringLiteral("Information"), MsgIcon::Information);
        if (m_closed) return;
    }
    m_running = true;
    StartJob(0);
}

void TConversionDialog::Timer2Timer()
{
    if (!m_nextPending || m_closed) return;
    m_nextPending = false;
    StartJob(m_currentIndex);
}

void TConversionDialog::showItem(const TCvtItem& item)
{
    Edit_Src->setText(item.SourcePath);
    Edit_Src->setToolTip(item.SourcePath);
    Edit_Dest->setText(item.DestPath);
    Edit_Dest->setToolTip(item.DestPath);
}

TCvtItem* TConversionDialog::NextJob(int index)
{
    Gauge->setValue(0);
    m_currentIndex = index;
    Gauge_Total->setValue(index);
    const int count = int(m_jobs.size());
    while (m_currentIndex < count) {
        const TCvtItem& item = m_jobs[m_currentIndex];
        showItem(item);
        if (!QFile::exists(item.DestPath) || !m_settings.OverWrite) break;
        const int answer = showMessage(
            QStringLiteral("Destination file : ") + item.DestPath +
                QStringLiteral("\n\nThe destination file already exists, do you want to overwrite it ? "),
            QStringLiteral("Confirm"), MsgIcon::Question, {IdYes, IdNo});
        if (m_closed) return nullptr;
        if (answer != IdNo) break;
        ++m_currentIndex;
        Gauge_Total->setValue(m_currentIndex);
    }
    if (m_currentIndex >= count) {
        FinishRun();
        return nullptr;
    }
    TCvtItem& item = m_jobs[m_currentIndex];
    item.JobState = ItemState::Converting;
    GroupBox->setTitle(
        QStringLiteral(" %1 File #%2 Of %3 ").arg(QLatin1String(m_verb)).arg(m_currentIndex + 1).arg(count));
    return &item;
}

void TConversionDialog::StartJob(int index)
{
    const TCvtItem* item = NextJob(index);
    if (!item) return;
    const QString problem = m_destination.prepare(item->SourcePath, item->DestPath);
    if (!problem.isEmpty()) return PathFailed(problem);
    const int current = m_currentIndex;
    m_path->start(*item, m_destination.tempPath());
    // A path that works within start may have ended the item already.
    if (!m_closed && m_currentIndex == current && m_jobs[current].JobState == ItemState::Converting)
        JobStarted();
}

void TConversionDialog::PathFinished(const QString& warning)
{
    if (m_closed || m_currentIndex >= m_jobs.size() ||
        m_jobs[m_currentIndex].JobState != ItemState::Converting)
        return;
    if (const QString problem = m_destination.commit(); !problem.isEmpty()) return PathFailed(problem);
    m_jobs[m_currentIndex].JobState = ItemState::Converted;
    m_jobs[m_currentIndex].TagsWritten = warning.isEmpty();
    ++m_currentIndex;
    if (m_currentIndex < m_jobs.size() && Timer2) {
        m_nextPending = true; // Timer2 starts it
    } else if (m_currentIndex < m_jobs.size()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_closed) StartJob(m_currentIndex);
            },
            Qt::QueuedConnection);
    } else {
        Gauge_Total->setValue(m_currentIndex);
        FinishRun();
    }
}

void TConversionDialog::PathFailed(const QString& message)
{
    // The run waits on this item until the user aborts.
    if (!m_closed) showError(message);
}

void TConversionDialog::FinishRun()
{
    m_running = false;
    close();
}

void TConversionDialog::BtnAbortClick()
{
    close();
}

void TConversionDialog::reject()
{
    close();
}

void TConversionDialog::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closed) return;
    m_closed = true;
    FormClose();
}

void TConversionDialog::FormClose()
{
    Timer1->stop();
    if (Timer2) Timer2->stop();
    if (m_engineError.isEmpty()) m_path->stop();
    // Between two items nothing is being written, and nothing may be deleted.
    const bool writing =
        m_currentIndex < m_jobs.size() && m_jobs[m_currentIndex].JobState == ItemState::Converting;
    for (const TCvtItem& item : std::as_const(m_jobs)) {
        if (item.JobState != ItemState::Converted) continue;
        // A result whose tags could not be written is complete all the same.
        m_list.setSubItem(item.RowIndex, JobList::SubStatus,
                          item.TagsWritten ? QStringLiteral("Done")
                                           : QStringLiteral("Done (tags not written)"));
        m_list.setItemChecked(item.RowIndex, false);
        m_list.record(item.RowIndex).State = JobState::Converted;
        m_outcome.ConvertedRows.append(item.RowIndex);
    }
    m_jobs.clear();
    if (m_running) {
        if (writing) m_outcome.AbortedDestPath = m_destination.tempPath();
        m_destination.release();
        m_outcome.Result = mrCancel;
    } else {
        m_outcome.Result = mrOk;
    }
    done(m_outcome.Result);
}

} // namespace audrel
