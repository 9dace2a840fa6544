#include "convert/convertform.h"

#include "app/application.h"
#include "app/mainform.h"
#include "convert/xaudioplayer.h"
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

#include <algorithm>

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

} // namespace

TConvertForm::TConvertForm(TMainForm* owner) : QDialog(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("ConvertForm"));
    setWindowTitle(QStringLiteral("Convert Mp3 to Wav"));

    GroupBox = new QGroupBox(QStringLiteral(" Decoding "), this);
    GroupBox->setObjectName(QStringLiteral("GroupBox"));
    Edit_Src = pathField("Edit_Src", GroupBox);
    Edit_Dest = pathField("Edit_Dest", GroupBox);
    Gauge = gauge("Gauge", "blue", GroupBox);
    Gauge->setRange(0, 400);
    Gauge->setValue(0);
    Gauge_Total = gauge("Gauge_Total", "purple", GroupBox);
    Gauge_Total->setValue(0);
    BitBtn1 = new QPushButton(QStringLiteral("Abort"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));

    auto* grid = new QGridLayout(GroupBox);
    grid->addWidget(new QLabel(QStringLiteral("Source file:"), GroupBox), 0, 0);
    grid->addWidget(Edit_Src, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Destination file:"), GroupBox), 2, 0);
    grid->addWidget(Edit_Dest, 3, 0);
    grid->addWidget(Gauge, 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("Total:"), GroupBox), 5, 0);
    grid->addWidget(Gauge_Total, 6, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox);
    layout->addLayout(buttons);
    resize(420, 240);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TConvertForm::Timer1Timer);
    connect(BitBtn1, &QPushButton::clicked, this, &TConvertForm::BitBtn1Click);

    // FormCreate
    m_player = new TXaudioPlayer(this);
    m_player->setObjectName(QStringLiteral("XaudioPlayer"));
    m_player->setXaudioPath(owner->programFolder() + QLatin1String(TXaudioPlayer::kLibraryName));
    m_player->setPriority(2);
    connect(m_player, &TXaudioPlayer::OnNotifyNack, this, &TConvertForm::XaudioPlayerNotifyNack);
    connect(m_player, &TXaudioPlayer::OnNotifyPlayerState, this,
            &TConvertForm::XaudioPlayerNotifyPlayerState);
    connect(m_player, &TXaudioPlayer::OnNotifyInputPosition, this,
            &TConvertForm::XaudioPlayerNotifyInputPosition);
    m_running = false;
    try {
        m_player->Init();
    } catch (const EXaudioException& error) {
        // Shown once when the run would begin; nothing is gathered.
        m_playerError = error.message();
    }
    if (m_playerError.isEmpty()) {
        JobList* list = owner->Mp3Recs();
        for (int row = 0; row < list->count(); ++row) {
            if (!list->isItemChecked(row)) continue;
            const TJobRec& rec = list->record(row);
            m_jobs.append({rec.Source, rec.Dest, row, 0});
        }
    }
    Gauge_Total->setRange(0, int(m_jobs.size()));
    Timer1->start();
}

TConvertForm::~TConvertForm()
{
    // FormDestroy
    if (m_playerError.isEmpty()) guarded([this] { m_player->OutputReset(); });
}

void TConvertForm::Timer1Timer()
{
    Timer1->stop();
    if (!m_playerError.isEmpty()) {
        TApplication::HandleException(std::make_exception_ptr(EXaudioException(m_playerError)));
        close();
        return;
    }
    if (!m_jobs.isEmpty()) {
        m_running = true;
        StartJob(0);
    }
}

void TConvertForm::showItem(const TCvtItem& item)
{
    Edit_Src->setText(item.SourcePath);
    Edit_Src->setToolTip(item.SourcePath);
    Edit_Dest->setText(item.DestPath);
    Edit_Dest->setToolTip(item.DestPath);
}

void TConvertForm::StartJob(int index)
{
    Gauge->setValue(0);
    m_currentIndex = index;
    Gauge_Total->setValue(index);
    const int count = int(m_jobs.size());
    while (m_currentIndex < count) {
        const TCvtItem& item = m_jobs[m_currentIndex];
        showItem(item);
        if (!QFile::exists(item.DestPath) || !m_owner->settings().OverWrite) break;
        const int answer = showMessage(
            QStringLiteral("Destination file : ") + item.DestPath +
                QStringLiteral("\n\nThe destination file already exists, do you want to overwrite it ? "),
            QStringLiteral("Confirm"), MsgIcon::Question, {IdYes, IdNo});
        if (answer != IdNo) break;
        ++m_currentIndex;
        Gauge_Total->setValue(m_currentIndex);
    }
    if (m_currentIndex >= count) {
        m_running = false;
        close();
        return;
    }
    TCvtItem& item = m_jobs[m_currentIndex];
    item.JobState = 1;
    GroupBox->setTitle(QStringLiteral(" Decoding File #%1 Of %2 ").arg(m_currentIndex + 1).arg(count));
    m_player->InputOpen(item.SourcePath);
    m_player->OutputOpen(QStringLiteral("wav:") + item.DestPath);
    m_player->Play();
}

void TConvertForm::XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range)
{
    if (m_closed) return;
    const qint64 span = Gauge->maximum() - Gauge->minimum();
    const qint64 position = qint64(Offset) * (qint64(Range) / span);
    Gauge->setValue(int(std::clamp<qint64>(position, Gauge->minimum(), Gauge->maximum())));
}

void TConvertForm::XaudioPlayerNotifyPlayerState(int State)
{
    // Only the end of the stream matters; reports that arrive after closing are late.
    if (State != XA_PLAYER_STATE_EOS || m_closed || m_currentIndex >= m_jobs.size()) return;
    m_jobs[m_currentIndex].JobState = 2;
    ++m_currentIndex;
    if (m_currentIndex < m_jobs.size()) {
        StartJob(m_currentIndex);
    } else {
        Gauge_Total->setValue(m_currentIndex);
        m_running = false;
        close();
    }
}

void TConvertForm::XaudioPlayerNotifyNack(quint8 Command, qint16 Code)
{
    if (m_closed) return;
    if (Command == XA_MSG_COMMAND_PLAY)
        ShowPlayerError(QStringLiteral("Cannot Play Stream"), Code);
    else if (Command == XA_MSG_COMMAND_INPUT_OPEN)
        ShowPlayerError(QStringLiteral("Cannot Open Input"), Code);
}

void TConvertForm::ShowPlayerError(const QString& message, int code)
{
    showMessage(message + QStringLiteral(" (") + m_player->ErrorString(code) + QLatin1Char(')'),
                QStringLiteral("Error"), MsgIcon::Error, {IdOk});
}

void TConvertForm::BitBtn1Click()
{
    if (m_playerError.isEmpty()) m_player->Stop();
    close();
}

void TConvertForm::reject()
{
    close();
}

void TConvertForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closed) return;
    m_closed = true;
    FormClose();
}

void TConvertForm::FormClose()
{
    Timer1->stop();
    if (m_playerError.isEmpty()) {
        m_player->Stop();
        m_player->InputClose();
        m_player->OutputClose();
    }
    JobList* list = m_owner->Mp3Recs();
    while (!m_jobs.isEmpty()) {
        const TCvtItem item = m_jobs.takeFirst();
        if (item.JobState != 2) continue;
        list->setSubItem(item.RowIndex, JobList::SubStatus, QStringLiteral("Done"));
        list->setItemChecked(item.RowIndex, false);
        list->record(item.RowIndex).State = 2;
    }
    if (m_running) {
        m_owner->AbortedDestPath = Edit_Dest->text();
        done(mrCancel);
    } else {
        done(mrOk);
    }
}

} // namespace audrel
