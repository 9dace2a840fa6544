#include "player/mediaplayerform.h"

#include "platform/errors.h"
#include "platform/mci/mediaplayer.h"
#include "player/slider.h"

#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <climits>

namespace audrel {

TMediaPlayerForm::TMediaPlayerForm(PlayerKind kind, const QStringList& paths, const QString& programFolder,
                                   QWidget* parent)
    : TPlayerForm(kind, paths, parent), m_mediaPlayer(new TMediaPlayer(programFolder, this))
{
    m_mediaPlayer->setObjectName(QStringLiteral("MediaPlayer1"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, [this] { guarded([this] { Timer2Timer(); }); });
    Timer2->start(100);
}

TMediaPlayerForm::~TMediaPlayerForm() = default;

void TMediaPlayerForm::Timer2Timer()
{
    Timer2->stop();
    m_currentIndex = 0;
    PlayItem(0);
}

void TMediaPlayerForm::PlayItem(int n)
{
    m_currentIndex = n;
    m_slider->setPosition(0);
    if (!FindEntry()) return;
    ShowPlace();
    setButtons(false, true, true);
    m_mediaPlayer->setFileName(m_playPaths[m_currentIndex]);
    m_mediaPlayer->Open();
    // Whole seconds; a length beyond the seek bar's range (a file may state
    // any length) leaves the thumb at its end.
    m_slider->setMaximum(int(std::min<qint64>(m_mediaPlayer->Length() / 1000, INT_MAX)));
    Timer1->start();
    m_mediaPlayer->Play();
}

void TMediaPlayerForm::Timer1Timer()
{
    if (m_seeking) return;
    m_slider->setPosition(int(m_mediaPlayer->Position() / 1000));
    if (m_mediaPlayer->Mode() != mpStopped) return;
    Timer1->stop();
    // Stopped before the end: by a button, or the file could not go on.
    if (m_mediaPlayer->Position() != m_mediaPlayer->Length()) return;
    if (m_currentIndex + 1 < m_playPaths.size()) {
        m_mediaPlayer->Stop();
        m_mediaPlayer->Close();
        PlayItem(m_currentIndex + 1);
    } else {
        // The last file stays open at its start.
        setButtons(true, false, false);
        m_slider->setPosition(0);
        m_mediaPlayer->setStartPos(0);
        m_mediaPlayer->Rewind();
    }
}

void TMediaPlayerForm::btn_PlayClick()
{
    setButtons(false, true, true);
    m_mediaPlayer->Play();
    Timer1->start();
}

void TMediaPlayerForm::Btn_PauseClick()
{
    setButtons(true, false, true);
    m_mediaPlayer->Pause();
    Timer1->stop();
}

void TMediaPlayerForm::Btn_StopClick()
{
    setButtons(true, false, false);
    Timer1->stop();
    m_mediaPlayer->Stop();
    m_mediaPlayer->setStartPos(0);
    m_mediaPlayer->Rewind();
    m_slider->setPosition(0);
}

void TMediaPlayerForm::btn_REWClick()
{
    m_mediaPlayer->Stop();
    m_mediaPlayer->Close();
    PlayItem(m_currentIndex - 1);
}

void TMediaPlayerForm::Btn_FORClick()
{
    m_mediaPlayer->Stop();
    m_mediaPlayer->Close();
    PlayItem(m_currentIndex + 1);
}

void TMediaPlayerForm::SpeedButton6Click()
{
    Timer1->stop();
    m_seeking = true;
    close();
}

void TMediaPlayerForm::SliderChange()
{
    // Playing, it plays again from the chosen second; the buttons and the
    // poll stay as they are. Stopped or paused, it stays so, and Play goes
    // on from there, as in the MP3 player.
    m_mediaPlayer->setStartPos(qint64(m_slider->Position()) * 1000);
    if (m_mediaPlayer->Mode() != mpPlaying) return;
    m_mediaPlayer->Stop();
    m_mediaPlayer->Rewind();
    m_mediaPlayer->Play();
}

void TMediaPlayerForm::FormClose()
{
    Timer1->stop();
    Timer2->stop();
    switch (m_mediaPlayer->Mode()) {
    case mpPlaying:
    case mpSeeking:
    case mpPaused:
    case mpOpen:
        m_mediaPlayer->Stop();
        break;
    default:
        break;
    }
    m_mediaPlayer->Close();
    m_playPaths.clear();
}

} // namespace audrel
