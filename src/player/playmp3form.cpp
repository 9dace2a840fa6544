#include "player/playmp3form.h"

#include "platform/xaudio/xaudioplayer.h"
#include "platform/errors.h"
#include "platform/prompts/prompts.h"
#include "player/slider.h"

#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace audrel {

namespace {

// How long closing gives the player to stop before its input and output go.
constexpr int kStopWaitMs = 50;

} // namespace

TPlayMp3Form::TPlayMp3Form(const QStringList& paths, const QStringList& titles, const QString& programFolder,
                           QWidget* parent)
    : TPlayerForm(PlayerKind::Mp3, paths, parent), m_player(new TXaudioPlayer(this)), m_playTitles(titles)
{
    m_player->setObjectName(QStringLiteral("XaudioPlayer"));
    m_player->setXaudioPath(programFolder + QLatin1String(TXaudioPlayer::kLibraryName));
    m_player->setPriority(TXaudioPlayer::kLibraryPriority);
    m_player->Init();
    // Entries without a title of their own have an empty one.
    while (m_playTitles.size() < m_playPaths.size())
        m_playTitles.append(QString());

    m_notifications = {
        connect(
            m_player, &TXaudioPlayer::OnNotifyNack, this,
            [this](quint8 command, qint16 code) { guarded([&] { XaudioPlayerNotifyNack(command, code); }); }),
        connect(m_player, &TXaudioPlayer::OnNotifyPlayerState, this,
                [this](int state) { guarded([&] { XaudioPlayerNotifyPlayerState(state); }); }),
        connect(m_player, &TXaudioPlayer::OnNotifyInputPosition, this,
                &TPlayMp3Form::XaudioPlayerNotifyInputPosition),
    };

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    Timer1->start(100);
}

TPlayMp3Form::~TPlayMp3Form()
{
    // FormDestroy: what the output still holds is dropped.
    guarded([this] { m_player->OutputReset(); });
}

void TPlayMp3Form::Timer1Timer()
{
    Timer1->stop();
    m_currentIndex = 0;
    PlayItem(0);
}

void TPlayMp3Form::ShowEntry(int index)
{
    TPlayerForm::ShowEntry(index);
    Edit_Title->setText(m_playTitles[index]);
    // A title longer than its field shows its start; the field's tip shows it whole.
    Edit_Title->setCursorPosition(0);
    Edit_Title->setToolTip(m_playTitles[index]);
}

bool TPlayMp3Form::PlayItem(int n)
{
    m_currentIndex = n;
    m_slider->setPosition(0);
    if (!FindEntry()) return false;
    ShowPlace();
    m_player->InputOpen(m_playPaths[m_currentIndex]);
    m_player->Play();
    return true;
}

void TPlayMp3Form::XaudioPlayerNotifyPlayerState(int State)
{
    switch (State) {
    case XA_PLAYER_STATE_STOPPED:
        setButtons(true, false, false);
        m_player->InputSeek(0, 1);
        break;
    case XA_PLAYER_STATE_PLAYING:
        setButtons(false, true, true);
        break;
    case XA_PLAYER_STATE_PAUSED:
        setButtons(true, false, true);
        break;
    case XA_PLAYER_STATE_EOS:
        if (m_currentIndex + 1 < m_playPaths.size()) {
            PlayItem(m_currentIndex + 1);
        } else {
            // The last file goes back to its start, stopped, and Play plays it again.
            m_player->InputSeek(0, 1);
            setButtons(true, false, false);
        }
        break;
    default:
        break;
    }
}

void TPlayMp3Form::XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range)
{
    if (m_seeking || Range == 0) return;
    // Onto the seek bar's scale; the same offset for the library's range of 400.
    m_slider->setPosition(int(qint64(Offset) * kSeekRange / qint64(Range)));
}

void TPlayMp3Form::XaudioPlayerNotifyNack(quint8 Command, qint16 Code)
{
    QString message;
    if (Command == XA_MSG_COMMAND_PLAY)
        message = QStringLiteral("Cannot Play Stream");
    else if (Command == XA_MSG_COMMAND_INPUT_OPEN)
        message = QStringLiteral("Cannot Open Input");
    else
        return;
    showMessage(message + QStringLiteral(" (") + m_player->ErrorString(Code) + QLatin1Char(')'),
                QStringLiteral("Error"), MsgIcon::Error);
}

void TPlayMp3Form::btn_PlayClick()
{
    m_player->Play();
}

void TPlayMp3Form::Btn_PauseClick()
{
    m_player->Pause();
}

void TPlayMp3Form::Btn_StopClick()
{
    m_player->Stop();
}

void TPlayMp3Form::btn_REWClick()
{
    m_player->Stop();
    PlayItem(m_currentIndex - 1);
}

void TPlayMp3Form::Btn_FORClick()
{
    m_player->Stop();
    PlayItem(m_currentIndex + 1);
}

void TPlayMp3Form::SpeedButton6Click()
{
    m_seeking = true;
    m_player->Stop();
    m_slider->setPosition(0);
    close();
}

void TPlayMp3Form::SliderChange()
{
    m_player->InputSeek(uint32_t(m_slider->Position()), uint32_t(m_slider->Maximum()));
}

void TPlayMp3Form::FormClose()
{
    // From here on nothing the player reports reaches this window.
    for (const QMetaObject::Connection& c : std::as_const(m_notifications))
        disconnect(c);
    m_notifications.clear();
    Timer1->stop();
    m_seeking = true;
    m_slider->setPosition(0);
    m_player->Stop();
    QThread::msleep(kStopWaitMs);
    m_playPaths.clear();
    m_playTitles.clear();
    m_player->InputClose();
    m_player->OutputClose();
}

} // namespace audrel
