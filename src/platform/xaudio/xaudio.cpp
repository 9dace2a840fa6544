// The library's entry points. None of them lets an exception out.

#include "platform/xaudio/xaudio.h"

#include "platform/xaudio/notification.h"
#include "platform/xaudio/player.h"

#include <new>

using audrel::xaudio::Command;
using audrel::xaudio::Notification;
using audrel::xaudio::Player;

namespace {

// The release of this library itself, reported for any interface id but the
// one that asks for the interface version.
constexpr unsigned long kLibraryVersion = (1ul << 16) | (0ul << 8);

template <class Function> int guard(Function&& function)
{
    try {
        return function();
    } catch (const std::bad_alloc&) {
        return XA_ERROR_OUT_OF_MEMORY;
    } catch (...) {
        return XA_FAILURE;
    }
}

int sendCommand(void* player, Command command)
{
    if (!player) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] { return static_cast<Player*>(player)->send(std::move(command)); });
}

Command make(int code, std::initializer_list<int> integers = {}, const char* s1 = nullptr,
             const char* s2 = nullptr)
{
    Command command;
    command.code = code;
    int i = 0;
    for (int value : integers)
        command.integers[i++] = value;
    if (s1) command.strings[0] = s1;
    if (s2) command.strings[1] = s2;
    return command;
}

} // namespace

extern "C" {

int player_new(void** player, void* notify_target)
{
    if (!player || !notify_target) return XA_ERROR_INVALID_PARAMETERS;
    *player = nullptr;
    const auto* target = static_cast<const XA_NotifyTarget*>(notify_target);
    if (!target->post) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] {
        auto created = std::make_unique<Player>(*target);
        const int result = created->start();
        if (result == XA_SUCCESS) *player = created.release();
        return result;
    });
}

int player_delete(void* player)
{
    if (!player) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] {
        delete static_cast<Player*>(player);
        return XA_SUCCESS;
    });
}

int player_set_priority(void* player, int priority)
{
    if (!player) return XA_ERROR_INVALID_PARAMETERS;
    return static_cast<Player*>(player)->setPriority(priority);
}

int player_get_priority(void* player)
{
    if (!player) return XA_ERROR_INVALID_PARAMETERS;
    return static_cast<Player*>(player)->priority();
}

const char* xaudio_error_string(int code)
{
    return Player::errorString(code);
}

unsigned long xaudio_get_version(int api_id)
{
    if (api_id == XA_API_ID_SYNC)
        return (unsigned long)(XA_API_MAJOR_VERSION) << 16 | XA_API_MINOR_VERSION << 8;
    return kLibraryVersion;
}

int control_message_send_N(void* player, int code)
{
    return sendCommand(player, make(code));
}

int control_message_send_P(void* player, int code, const void* data, unsigned int size)
{
    if (!data && size > 0) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] {
        Command command = make(code);
        command.data.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
        return sendCommand(player, std::move(command));
    });
}

int control_message_send_S(void* player, int code, const char* string)
{
    if (!string) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] { return sendCommand(player, make(code, {}, string)); });
}

int control_message_send_SS(void* player, int code, const char* string1, const char* string2)
{
    if (!string1 || !string2) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] { return sendCommand(player, make(code, {}, string1, string2)); });
}

int control_message_send_SI(void* player, int code, const char* string, int integer)
{
    if (!string) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] { return sendCommand(player, make(code, {integer}, string)); });
}

int control_message_send_IPI(void* player, int code, int integer1, const void* data, unsigned int size,
                             int integer2)
{
    if (!data && size > 0) return XA_ERROR_INVALID_PARAMETERS;
    return guard([&] {
        Command command = make(code, {integer1, integer2});
        command.data.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
        return sendCommand(player, std::move(command));
    });
}

int control_message_send_I(void* player, int code, int integer)
{
    return guard([&] { return sendCommand(player, make(code, {integer})); });
}

int control_message_send_II(void* player, int code, int integer1, int integer2)
{
    return guard([&] { return sendCommand(player, make(code, {integer1, integer2})); });
}

int control_message_send_III(void* player, int code, int integer1, int integer2, int integer3)
{
    return guard([&] { return sendCommand(player, make(code, {integer1, integer2, integer3})); });
}

int control_message_send_IIII(void* player, int code, int integer1, int integer2, int integer3, int integer4)
{
    return guard([&] { return sendCommand(player, make(code, {integer1, integer2, integer3, integer4})); });
}

int control_win32_params_to_message(void*, XA_Message* message, unsigned int msg, uintptr_t wparam,
                                    intptr_t lparam)
{
    if (!message) return XA_ERROR_INVALID_PARAMETERS;
    return Notification::take(*message, msg, wparam, lparam) ? XA_SUCCESS : XA_FAILURE;
}

} // extern "C"
