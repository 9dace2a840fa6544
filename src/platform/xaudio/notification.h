#pragma once
// A notification on its way from the player thread to the program: an
// XA_Message together with the texts it points into. The player posts it by
// pointer; control_win32_params_to_message takes it back, and the program's
// copy of the message stays valid until the next one is taken on that thread.

#include "platform/xaudio/xaudio.h"

#include <memory>
#include <string>

namespace audrel::xaudio {

struct Notification
{
    static constexpr uint32_t kMagic = 0x5841554E; // "XAUN"

    uint32_t magic = kMagic;
    XA_Message message{};
    std::string texts[3];

    explicit Notification(int code) { message.code = code; }
    // Stores a text and returns the pointer the message carries for it.
    const char* keep(int slot, std::string text);

    // Hands the notification to the target, which now owns it until it comes
    // back through take().
    static void post(const XA_NotifyTarget& target, std::unique_ptr<Notification> notification);
    // Turns posted parameters back into a message; false when they do not
    // carry a notification.
    static bool take(XA_Message& message, unsigned int msg, uintptr_t wparam, intptr_t lparam);
};

} // namespace audrel::xaudio
