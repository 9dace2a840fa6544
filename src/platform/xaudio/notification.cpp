#include "platform/xaudio/notification.h"

namespace audrel::xaudio {

const char* Notification::keep(int slot, std::string text)
{
    texts[slot] = std::move(text);
    return texts[slot].c_str();
}

void Notification::post(const XA_NotifyTarget& target, std::unique_ptr<Notification> notification)
{
    const unsigned int msg = XA_NOTIFY_MESSAGE_BASE + unsigned(notification->message.code);
    target.post(target.context, msg, 0, reinterpret_cast<intptr_t>(notification.release()));
}

bool Notification::take(XA_Message& message, unsigned int msg, uintptr_t, intptr_t lparam)
{
    // The last notification taken on this thread: its texts back the
    // caller's message until the next one replaces it.
    thread_local std::unique_ptr<Notification> current;
    if (msg < XA_NOTIFY_MESSAGE_BASE || lparam == 0) return false;
    auto* notification = reinterpret_cast<Notification*>(lparam);
    if (notification->magic != kMagic || unsigned(notification->message.code) != msg - XA_NOTIFY_MESSAGE_BASE)
        return false;
    notification->magic = 0; // taken: a second take of the same parameters is refused
    current.reset(notification);
    message = notification->message;
    return true;
}

} // namespace audrel::xaudio
