#pragma once
// Records what a TXaudioPlayer reports, with the thread and time of each report.

#include "platform/xaudio/xaudioplayer.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QThread>

namespace audrel::test {

class PlayerRecorder : public QObject
{
    Q_OBJECT

public:
    struct Event
    {
        int code = 0; // the notification code
        qint64 a = 0; // state, command, offset, tag ...
        qint64 b = 0; // nack code, range ...
        qint64 ms = 0;
        bool onOwnThread = false;  // delivered on the thread the recorder lives on
        bool afterMessage = false; // OnNotifyMessage came just before, with the same code
    };

    explicit PlayerRecorder(TXaudioPlayer& player);

    QList<Event> events;
    void clear() { events.clear(); }

    QList<Event> of(int code) const;
    QList<int> states() const;
    bool sawState(int state) const;
    bool sawNack() const { return !of(XA_MSG_NOTIFY_NACK).isEmpty(); }
    // Waits until a state arrives or a command is refused; true for the state.
    bool waitForState(int state, int timeoutMs = 60000);

private:
    void record(int code, qint64 a, qint64 b);

    QElapsedTimer m_clock;
    int m_lastMessage = -1;
};

} // namespace audrel::test
