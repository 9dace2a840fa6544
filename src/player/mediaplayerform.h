#pragma once
// What "Play Wav File", "Play WMA File" and "Play Audio File" share: a list played one file after
// the other through the media player, which a timer polls every 100 ms for the
// position (the seek bar runs in whole seconds) and for the end of the file.
// A drop of the thumb while playing plays again from the second where it was
// dropped; stopped or paused, the next Play starts there. After the last file
// the window rewinds it and waits with Play enabled. The windows differ only
// in their texts, which the table of TPlayerForm holds.

#include "player/playerform.h"

class QTimer;

namespace audrel {

class TMediaPlayer;

class TMediaPlayerForm : public TPlayerForm
{
    Q_OBJECT

public:
    ~TMediaPlayerForm() override;

    TMediaPlayer* MediaPlayer1() const { return m_mediaPlayer; }

protected:
    // The media player looks for the FFmpeg module in programFolder.
    TMediaPlayerForm(PlayerKind kind, const QStringList& paths, const QString& programFolder,
                     QWidget* parent);

    void btn_PlayClick() override;
    void Btn_PauseClick() override;
    void Btn_StopClick() override;
    void btn_REWClick() override;
    void Btn_FORClick() override;
    void SpeedButton6Click() override;
    void SliderChange() override;
    void FormClose() override;

private:
    // The position poll.
    void Timer1Timer();
    // The start, once.
    void Timer2Timer();
    // Plays entry n, or the first entry after it whose file exists.
    void PlayItem(int n);

    TMediaPlayer* m_mediaPlayer;
    QTimer* Timer1;
    QTimer* Timer2;
};

} // namespace audrel
