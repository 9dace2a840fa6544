#pragma once
// "Play Mpeg File": plays a list of MPEG audio files one after the other
// through the MP3 player library, on the library's default output (the audio
// device). The player's state notifications set the buttons; its position
// notifications, on the library's 0 to 400 scale, move the seek bar; a drop
// of the thumb seeks on the same scale. At the end of a stream the next entry
// plays; after the last one the file is rewound and stays loaded, ready to
// play again.
//
// Once the window starts closing no notification of the player reaches it any
// more: the connections are cut before anything is released.

#include "player/playerform.h"

#include <QList>
#include <QMetaObject>

class QTimer;

namespace audrel {

class TXaudioPlayer;

class TPlayMp3Form : public TPlayerForm
{
    Q_OBJECT

public:
    // paths and titles run in parallel. The player library is looked for in
    // programFolder; EXaudioException when it cannot be loaded or started.
    TPlayMp3Form(const QStringList& paths, const QStringList& titles, const QString& programFolder,
                 QWidget* parent = nullptr);
    ~TPlayMp3Form() override;

    TXaudioPlayer* XaudioPlayer() const { return m_player; }
    const QStringList& PlayTitles() const { return m_playTitles; }

    void XaudioPlayerNotifyNack(quint8 Command, qint16 Code);
    void XaudioPlayerNotifyPlayerState(int State);
    void XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range);

protected:
    void ShowEntry(int index) override;
    void btn_PlayClick() override;
    void Btn_PauseClick() override;
    void Btn_StopClick() override;
    void btn_REWClick() override;
    void Btn_FORClick() override;
    void SpeedButton6Click() override;
    void SliderChange() override;
    void FormClose() override;

private:
    void Timer1Timer();
    // Plays entry n, or the first entry after it whose file exists; false
    // when none is left.
    bool PlayItem(int n);

    TXaudioPlayer* m_player;
    QStringList m_playTitles;
    QTimer* Timer1;
    QList<QMetaObject::Connection> m_notifications;
};

} // namespace audrel
