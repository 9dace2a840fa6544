#pragma once
// The hidden window of TXaudioPlayer: the notification target that the player
// library posts to from its own thread. Every posted notification is queued
// and delivered on the thread of this object, one per pass of the event loop,
// in the order it was posted.

#include "platform/xaudio/xaudio.h"

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace audrel {

class XaudioNotifyWindow : public QObject
{
    Q_OBJECT

public:
    using Procedure = std::function<void(unsigned int msg, uintptr_t wparam, intptr_t lparam)>;

    // procedure receives each notification on this object's thread.
    explicit XaudioNotifyWindow(Procedure procedure, QObject* parent = nullptr);
    ~XaudioNotifyWindow() override;

    // What player_new is given; valid for the lifetime of this object.
    XA_NotifyTarget* target() { return &m_target; }
    // Hands everything posted and not yet delivered to release instead of
    // delivering it; for when the player is gone and its messages must be let go.
    void discardPending(const Procedure& release);
    int pendingCount();

private:
    struct Posted
    {
        unsigned int msg;
        uintptr_t wparam;
        intptr_t lparam;
    };

    static void post(void* context, unsigned int msg, uintptr_t wparam, intptr_t lparam);
    void deliverOne();

    Procedure m_procedure;
    XA_NotifyTarget m_target;
    std::mutex m_mutex;
    std::deque<Posted> m_posted; // guarded by m_mutex
};

} // namespace audrel
