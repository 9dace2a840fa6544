#include "playerrecorder.h"

#include <QTest>

namespace audrel::test {

PlayerRecorder::PlayerRecorder(TXaudioPlayer& player)
{
    m_clock.start();
    connect(&player, &TXaudioPlayer::OnNotifyMessage, this,
            [this](const XA_Message& m) { m_lastMessage = m.code; });
    connect(&player, &TXaudioPlayer::OnNotifyAck, this,
            [this](quint8 c) { record(XA_MSG_NOTIFY_ACK, c, 0); });
    connect(&player, &TXaudioPlayer::OnNotifyNack, this,
            [this](quint8 c, qint16 e) { record(XA_MSG_NOTIFY_NACK, c, e); });
    connect(&player, &TXaudioPlayer::OnNotifyPong, this,
            [this](quint32 t) { record(XA_MSG_NOTIFY_PONG, t, 0); });
    connect(&player, &TXaudioPlayer::OnNotifyPlayerState, this,
            [this](int s) { record(XA_MSG_NOTIFY_PLAYER_STATE, s, 0); });
    connect(&player, &TXaudioPlayer::OnNotifyInputPosition, this,
            [this](quint32 o, quint32 r) { record(XA_MSG_NOTIFY_INPUT_POSITION, o, r); });
    connect(&player, &TXaudioPlayer::OnNotifyInputState, this,
            [this](int s) { record(XA_MSG_NOTIFY_INPUT_STATE, s, 0); });
    connect(&player, &TXaudioPlayer::OnNotifyOutputState, this,
            [this](int s) { record(XA_MSG_NOTIFY_OUTPUT_STATE, s, 0); });
    connect(&player, &TXaudioPlayer::OnNotifyStreamDuration, this,
            [this](quint32 d) { record(XA_MSG_NOTIFY_STREAM_DURATION, d, 0); });
    connect(&player, &TXaudioPlayer::OnNotifyStreamParameters, this,
            [this](quint32 f, quint32, quint32 c) { record(XA_MSG_NOTIFY_STREAM_PARAMETERS, f, c); });
}

void PlayerRecorder::record(int code, qint64 a, qint64 b)
{
    Event event;
    event.code = code;
    event.a = a;
    event.b = b;
    event.ms = m_clock.elapsed();
    event.onOwnThread = QThread::currentThread() == thread();
    event.afterMessage = m_lastMessage == code;
    m_lastMessage = -1;
    events.append(event);
}

QList<PlayerRecorder::Event> PlayerRecorder::of(int code) const
{
    QList<Event> found;
    for (const Event& e : events)
        if (e.code == code) found.append(e);
    return found;
}

QList<int> PlayerRecorder::states() const
{
    QList<int> found;
    for (const Event& e : of(XA_MSG_NOTIFY_PLAYER_STATE))
        found.append(int(e.a));
    return found;
}

bool PlayerRecorder::sawState(int state) const
{
    return states().contains(state);
}

bool PlayerRecorder::waitForState(int state, int timeoutMs)
{
    (void)QTest::qWaitFor([&] { return sawState(state) || sawNack(); }, timeoutMs);
    return sawState(state);
}

} // namespace audrel::test
