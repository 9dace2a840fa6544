#include "convert/conversiondialog.h"

#include "jobs/counttext.h"
#include "jobs/joblist.h"
#include "jobs/jobrecords.h"
#include "platform/prompts/prompts.h"

#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace audrel {

namespace {

QProgressBar* gauge(const QString& name, Qt::GlobalColor color, const QString& format, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setFormat(format);
    bar->setAlignment(Qt::AlignCenter);
    // The bar in its colour; its figure in white where it lies on the bar.
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, color);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    bar->setPalette(palette);
    return bar;
}

QLineEdit* pathField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    return field;
}

void showError(const QString& message)
{
    showMessage(message, QStringLiteral("Error"), MsgIcon::Error, {IdOk});
}

// The name of the widget of the slot'th file in flight: the first keeps the
// plain name.
QString slotName(const char* name, int slot)
{
    return slot == 0 ? QLatin1String(name) : QStringLiteral("%1%2").arg(QLatin1String(name)).arg(slot + 1);
}

} // namespace

TConversionDialog::TConversionDialog(JobList& list, const Settings& settings, const QString& programFolder,
                                     const Captions& captions, QWidget* parent)
    : QDialog(parent), m_list(list), m_settings(settings),
      m_runner(new BatchRunner(settings, programFolder, BatchRunner::JobsFor(settings.ConvertJobs), *this,
                               this)),
      m_verb(captions.verb), m_gaugeMaximum(captions.gaugeMaximum)
{
    setObjectName(QLatin1String(captions.objectName));
    setWindowTitle(QLatin1String(captions.window));

    // FormCreate: an engine that cannot start is reported once, when the run would begin.
    m_engineError = m_runner->init({list.kind()});
    if (m_engineError.isEmpty()) GatherJobs();

    GroupBox = new QGroupBox(QLatin1String(captions.group), this);
    GroupBox->setObjectName(QStringLiteral("GroupBox"));
    Gauge_Total = gauge(QStringLiteral("Gauge_Total"), Qt::darkMagenta, QStringLiteral("%v / %m"), GroupBox);
    Gauge_Total->setRange(0, int(m_runner->items().size()));
    Gauge_Total->setValue(0);
    Label_Time = new QLabel(GroupBox);
    Label_Time->setObjectName(QStringLiteral("Label_Time"));
    AbortButton = new QPushButton(QStringLiteral("Abort"), this);
    AbortButton->setObjectName(QLatin1String(captions.abortName));
    buildSlots(m_runner->jobs() == 1 ? 1 : std::clamp(int(m_runner->items().size()), 1, m_runner->jobs()));
    Edit_Src = m_slots[0].source;
    Edit_Dest = m_slots[0].dest;
    Gauge = m_slots[0].gauge;

    m_buttons = new QHBoxLayout;
    m_buttons->addStretch();
    m_buttons->addWidget(AbortButton);
    m_buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox);
    layout->addLayout(m_buttons);
    // A fixed-size dialog, centred on the main window by the window system.
    if (m_runner->jobs() == 1)
        setFixedSize(440, 270);
    else
        setFixedSize(720, sizeHint().height());

    connect(m_runner, &BatchRunner::itemStarted, this, &TConversionDialog::itemStarted);
    connect(m_runner, &BatchRunner::itemUnderWay, this, [this] {
        if (!m_closed) JobStarted();
    });
    connect(m_runner, &BatchRunner::itemProgress, this, &TConversionDialog::itemProgress);
    connect(m_runner, &BatchRunner::itemFinished, this, [this](int index) {
        if (SlotView* view = viewOf(index)) {
            view->fraction = 1;
            view->gauge->setValue(view->gauge->maximum());
        }
        showTotal();
    });
    connect(m_runner, &BatchRunner::itemSkipped, this, &TConversionDialog::showTotal);
    connect(m_runner, &BatchRunner::runFinished, this, [this] {
        showTotal();
        close();
    });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TConversionDialog::Timer1Timer);
    if (captions.handOffMs > 0) {
        Timer2 = new QTimer(this);
        Timer2->setObjectName(QStringLiteral("Timer2"));
        Timer2->setInterval(captions.handOffMs);
        m_runner->setHandOffTimer(Timer2);
    }
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &TConversionDialog::showTime);
    connect(AbortButton, &QPushButton::clicked, this, &TConversionDialog::BtnAbortClick);
    Timer1->start();
}

TConversionDialog::~TConversionDialog() = default;

void TConversionDialog::buildSlots(int count)
{
    auto* grid = new QGridLayout(GroupBox);
    const bool one = m_runner->jobs() == 1;
    const auto newSlot = [&](int slot) {
        SlotView view{pathField(slotName("Edit_Src", slot), GroupBox), pathField(slotName("Edit_Dest", slot), GroupBox),
                      gauge(slotName("Gauge", slot), Qt::blue, QStringLiteral("%p%"), GroupBox)};
        view.gauge->setRange(0, one ? m_gaugeMaximum : 100);
        view.gauge->setValue(0);
        m_slots.append(view);
        return view;
    };
    int row = 0;
    if (one) {
        // The window of one file at a time: each field under its label.
        const SlotView view = newSlot(0);
        grid->addWidget(new QLabel(QStringLiteral("Source file:"), GroupBox), row++, 0);
        grid->addWidget(view.source, row++, 0);
        grid->addWidget(new QLabel(QStringLiteral("Destination file:"), GroupBox), row++, 0);
        grid->addWidget(view.dest, row++, 0);
        grid->addWidget(view.gauge, row++, 0);
    } else {
        // One line for each file in flight.
        grid->addWidget(new QLabel(QStringLiteral("Source file:"), GroupBox), row, 0);
        grid->addWidget(new QLabel(QStringLiteral("Destination file:"), GroupBox), row++, 1);
        for (int slot = 0; slot < count; ++slot) {
            const SlotView view = newSlot(slot);
            view.gauge->setFixedWidth(110);
            grid->addWidget(view.source, row, 0);
            grid->addWidget(view.dest, row, 1);
            grid->addWidget(view.gauge, row++, 2);
        }
    }
    const int span = one ? 1 : 3;
    grid->addWidget(new QLabel(QStringLiteral("Total:"), GroupBox), row++, 0, 1, span);
    grid->addWidget(Gauge_Total, row++, 0, 1, span);
    grid->addWidget(Label_Time, row++, 0, 1, span);
}

void TConversionDialog::PlaceControl(QWidget* control)
{
    m_buttons->insertWidget(0, control);
}

void TConversionDialog::GatherJobs()
{
    QList<TCvtItem> jobs;
    for (int row = 0; row < m_list.count(); ++row)
        if (m_list.isItemChecked(row)) jobs.append(TCvtItem::FromRow(m_list, row));
    m_runner->setItems(jobs);
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
    if (Timer2) Timer2->start();
    if (m_runner->items().isEmpty()) return;
    // What the engine cannot do as the settings ask is said once, before the run.
    if (const QString notice = m_runner->notice(); !notice.isEmpty()) {
        showMessage(notice, QStringLiteral("Information"), MsgIcon::Information);
        if (m_closed) return;
    }
    m_elapsed.start();
    m_clock->start();
    showTime();
    m_runner->start();
}

TConversionDialog::SlotView* TConversionDialog::viewOf(int index)
{
    for (SlotView& view : m_slots)
        if (view.item == index) return &view;
    return nullptr;
}

void TConversionDialog::itemStarted(int index, int slot)
{
    if (m_closed || slot >= m_slots.size()) return;
    SlotView& view = m_slots[slot];
    const TCvtItem& item = m_runner->items()[index];
    view.item = index;
    view.fraction = 0;
    view.gauge->setValue(0);
    view.source->setText(item.SourcePath);
    view.source->setToolTip(item.SourcePath);
    view.dest->setText(item.DestPath);
    view.dest->setToolTip(item.DestPath);
    GroupBox->setTitle(QStringLiteral(" %1 File #%2 Of %3 ")
                           .arg(QLatin1String(m_verb))
                           .arg(index + 1)
                           .arg(m_runner->items().size()));
    showTotal();
}

void TConversionDialog::itemProgress(int index, qint64 done, qint64 total)
{
    SlotView* view = viewOf(index);
    if (m_closed || !view) return;
    view->fraction = std::clamp(double(done) / double(total), 0.0, 1.0);
    if (m_runner->jobs() == 1)
        ShowProgress(done, total);
    else
        view->gauge->setValue(int(view->fraction * 100));
}

// Converted or skipped, of all items.
void TConversionDialog::showTotal()
{
    Gauge_Total->setValue(m_runner->finishedCount());
}

void TConversionDialog::showTime()
{
    const int count = int(m_runner->items().size());
    if (!m_elapsed.isValid() || count == 0) return;
    const qint64 elapsed = m_elapsed.elapsed() / 1000;
    double done = m_runner->finishedCount();
    for (const SlotView& view : std::as_const(m_slots))
        if (view.item >= 0 && m_runner->items()[view.item].JobState == ItemState::Converting) done += view.fraction;
    const double fraction = done / count;
    QString text = QStringLiteral("Elapsed: %1").arg(FormatSeconds(uint64_t(elapsed)));
    if (fraction >= 1)
        text += QStringLiteral("    Remaining: none");
    else if (fraction > 0.01 && elapsed > 0)
        text += QStringLiteral("    Remaining: about %1")
                    .arg(FormatSeconds(uint64_t(elapsed * (1 - fraction) / fraction + 0.5)));
    else
        text += QStringLiteral("    Remaining: estimating");
    Label_Time->setText(text);
}

bool TConversionDialog::ReplaceExisting(const TCvtItem& item)
{
    if (m_runner->jobs() == 1) {
        Edit_Src->setText(item.SourcePath);
        Edit_Src->setToolTip(item.SourcePath);
        Edit_Dest->setText(item.DestPath);
        Edit_Dest->setToolTip(item.DestPath);
        Gauge->setValue(0);
    }
    showTotal();
    if (!m_settings.OverWrite || !QFile::exists(item.DestPath)) return true;
    const int answer = showMessage(
        QStringLiteral("Destination file : ") + item.DestPath +
            QStringLiteral("\n\nThe destination file already exists, do you want to overwrite it ? "),
        QStringLiteral("Confirm"), MsgIcon::Question, {IdYes, IdNo});
    return answer != IdNo;
}

bool TConversionDialog::ItemFailed(const TCvtItem&, const QString& message)
{
    // The run waits on this item until the user aborts.
    if (!m_closed) showError(message);
    return false;
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
    m_clock->stop();
    m_runner->abort();
    for (const TCvtItem& item : m_runner->items()) {
        if (item.JobState != ItemState::Converted) continue;
        // A result whose tags could not be written is complete all the same.
        m_list.setSubItem(item.RowIndex, JobList::SubStatus,
                          item.TagsWritten ? QStringLiteral("Done") : QStringLiteral("Done (tags not written)"));
        m_list.setItemChecked(item.RowIndex, false);
        m_list.record(item.RowIndex).State = JobState::Converted;
    }
    const bool engineFailed = m_outcome.EngineFailed;
    m_outcome = m_runner->outcome();
    m_outcome.EngineFailed = engineFailed;
    done(m_outcome.Result);
}

} // namespace audrel
