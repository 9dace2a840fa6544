#pragma once
/* The player library: an MPEG audio player with a command queue and a player
 * thread of its own. Programs load it at run time and resolve its 17 entry
 * points by name.
 *
 * A program creates a player with player_new, handing it a notification
 * target. Commands (play, open an input, ...) are queued with the
 * control_message_send_* calls and carried out in order on the player thread.
 * What the player has to say comes back as notifications: the player calls the
 * target's post function with a message number of XA_NOTIFY_MESSAGE_BASE or
 * above and two parameters, and the program, on its own thread, turns them
 * back into an XA_Message with control_win32_params_to_message. Every posted
 * notification must be turned back exactly once; that also releases it.
 *
 * Positions are reported on a range of XA_POSITION_RANGE. A refused command is
 * answered by an XA_MSG_NOTIFY_NACK carrying the command code and an error
 * code that xaudio_error_string explains. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(XAUDIO_BUILDING_LIBRARY)
#define XA_EXPORT __attribute__((visibility("default")))
#else
#define XA_EXPORT
#endif

/* Interface version reported by xaudio_get_version(XA_API_ID_SYNC). */
#define XA_API_MAJOR_VERSION 3
#define XA_API_MINOR_VERSION 8
#define XA_API_ID_SYNC 2

#define XA_NOTIFY_MESSAGE_BASE 0x9000
#define XA_POSITION_RANGE 400

/* Results and error codes (16-bit signed, as a nack carries them). */
enum
{
    XA_SUCCESS = 0,
    XA_FAILURE = -1,
    XA_ERROR_OUT_OF_MEMORY = -2,
    XA_ERROR_INVALID_PARAMETERS = -3,
    XA_ERROR_NOT_SUPPORTED = -4,
    XA_ERROR_NO_SUCH_FILE = -5,
    XA_ERROR_PERMISSION_DENIED = -6,
    XA_ERROR_OPEN_FAILED = -7,
    XA_ERROR_READ_FAILED = -8,
    XA_ERROR_NOT_MPEG_AUDIO = -9,
    XA_ERROR_DECODE_FAILED = -10,
    XA_ERROR_NO_INPUT = -11,
    XA_ERROR_UNKNOWN_OUTPUT = -12,
    XA_ERROR_CREATE_FAILED = -13,
    XA_ERROR_WRITE_FAILED = -14,
    XA_ERROR_NO_AUDIO_DEVICE = -15,
    XA_ERROR_DEVICE_FAILED = -16,
    XA_ERROR_OUTPUT_IS_INPUT = -17,
    XA_ERROR_FORMAT_CHANGED = -18,
    XA_ERROR_NO_OUTPUT = -19,
    XA_ERROR_THREAD_FAILED = -20
};

/* Player thread priorities. */
enum
{
    XA_CONTROL_PRIORITY_LOW = 0,
    XA_CONTROL_PRIORITY_NORMAL = 1,
    XA_CONTROL_PRIORITY_HIGH = 2,
    XA_CONTROL_PRIORITY_HIGHEST = 3
};

/* Player states, as XA_MSG_NOTIFY_PLAYER_STATE carries them. */
enum
{
    XA_PLAYER_STATE_STOPPED = 0,
    XA_PLAYER_STATE_PLAYING = 1,
    XA_PLAYER_STATE_PAUSED = 2,
    XA_PLAYER_STATE_EOS = 3
};

/* Commands. */
enum
{
    XA_MSG_COMMAND_SYNC = 2,
    XA_MSG_COMMAND_PING = 3,
    XA_MSG_COMMAND_PLAY = 4,
    XA_MSG_COMMAND_PAUSE = 5,
    XA_MSG_COMMAND_STOP = 6,
    XA_MSG_COMMAND_INPUT_SEEK = 7,
    XA_MSG_COMMAND_INPUT_OPEN = 8,
    XA_MSG_COMMAND_INPUT_CLOSE = 9,
    XA_MSG_COMMAND_INPUT_SEND_MESSAGE = 10,
    XA_MSG_COMMAND_INPUT_ADD_FILTER = 11,
    XA_MSG_COMMAND_INPUT_REMOVE_FILTER = 12,
    XA_MSG_COMMAND_INPUT_FILTERS_LIST = 13,
    XA_MSG_COMMAND_INPUT_MODULE_REGISTER = 14,
    XA_MSG_COMMAND_INPUT_MODULE_QUERY = 15,
    XA_MSG_COMMAND_INPUT_MODULES_LIST = 16,
    XA_MSG_COMMAND_OUTPUT_OPEN = 17,
    XA_MSG_COMMAND_OUTPUT_CLOSE = 18,
    XA_MSG_COMMAND_OUTPUT_SEND_MESSAGE = 19,
    XA_MSG_COMMAND_OUTPUT_MUTE = 20,
    XA_MSG_COMMAND_OUTPUT_UNMUTE = 21,
    XA_MSG_COMMAND_OUTPUT_RESET = 22,
    XA_MSG_COMMAND_OUTPUT_DRAIN = 23,
    XA_MSG_COMMAND_OUTPUT_ADD_FILTER = 24,
    XA_MSG_SET_PLAYER_MODE = 25,
    XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER = 26,
    XA_MSG_SET_PLAYER_ENVIRONMENT_STRING = 27,
    XA_MSG_SET_INPUT_MODULE = 28,
    XA_MSG_SET_INPUT_POSITION_RANGE = 29,
    XA_MSG_SET_OUTPUT_MODULE = 30,
    XA_MSG_SET_OUTPUT_VOLUME = 31,
    XA_MSG_SET_OUTPUT_CHANNELS = 32,
    XA_MSG_SET_OUTPUT_PORTS = 33,
    XA_MSG_SET_CODEC_QUALITY = 34,
    XA_MSG_SET_CODEC_EQUALIZER = 35,
    XA_MSG_SET_NOTIFICATION_MASK = 36,
    XA_MSG_SET_DEBUG_LEVEL = 37
};

/* Notifications. */
enum
{
    XA_MSG_NOTIFY_READY = 73,
    XA_MSG_NOTIFY_ACK = 74,
    XA_MSG_NOTIFY_NACK = 75,
    XA_MSG_NOTIFY_PONG = 76,
    XA_MSG_NOTIFY_EXITED = 77,
    XA_MSG_NOTIFY_PLAYER_STATE = 78,
    XA_MSG_NOTIFY_PLAYER_MODE = 79,
    XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_INTEGER = 80,
    XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_STRING = 81,
    XA_MSG_NOTIFY_INPUT_STATE = 82,
    XA_MSG_NOTIFY_INPUT_NAME = 83,
    XA_MSG_NOTIFY_INPUT_CAPS = 84,
    XA_MSG_NOTIFY_INPUT_POSITION = 85,
    XA_MSG_NOTIFY_INPUT_POSITION_RANGE = 86,
    XA_MSG_NOTIFY_INPUT_TIMECODE = 87,
    XA_MSG_NOTIFY_INPUT_TIMECODE_GRANULARITY = 88,
    XA_MSG_NOTIFY_INPUT_MODULE = 89,
    XA_MSG_NOTIFY_INPUT_MODULE_INFO = 90,
    XA_MSG_NOTIFY_INPUT_DEVICE_INFO = 91,
    XA_MSG_NOTIFY_INPUT_FILTER_INFO = 92,
    XA_MSG_NOTIFY_OUTPUT_STATE = 93,
    XA_MSG_NOTIFY_OUTPUT_NAME = 94,
    XA_MSG_NOTIFY_OUTPUT_CAPS = 95,
    XA_MSG_NOTIFY_OUTPUT_VOLUME = 100,
    XA_MSG_NOTIFY_OUTPUT_BALANCE = 101,
    XA_MSG_NOTIFY_OUTPUT_PCM_LEVEL = 102,
    XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL = 103,
    XA_MSG_NOTIFY_OUTPUT_CHANNELS = 104,
    XA_MSG_NOTIFY_OUTPUT_PORTS = 105,
    XA_MSG_NOTIFY_OUTPUT_MODULE = 106,
    XA_MSG_NOTIFY_OUTPUT_MODULE_INFO = 107,
    XA_MSG_NOTIFY_OUTPUT_DEVICE_INFO = 108,
    XA_MSG_NOTIFY_OUTPUT_FILTER_INFO = 109,
    XA_MSG_NOTIFY_STREAM_MIME_TYPE = 110,
    XA_MSG_NOTIFY_STREAM_DURATION = 111,
    XA_MSG_NOTIFY_STREAM_PARAMETERS = 112,
    XA_MSG_NOTIFY_STREAM_PROPERTIES = 113,
    XA_MSG_NOTIFY_CODEC_QUALITY = 114,
    XA_MSG_NOTIFY_CODEC_EQUALIZER = 115,
    XA_MSG_NOTIFY_CODEC_MODULE = 116,
    XA_MSG_NOTIFY_CODEC_MODULE_INFO = 117,
    XA_MSG_NOTIFY_CODEC_DEVICE_INFO = 118,
    XA_MSG_NOTIFY_NOTIFICATION_MASK = 119,
    XA_MSG_NOTIFY_DEBUG_LEVEL = 120,
    XA_MSG_NOTIFY_PROGRESS = 121,
    XA_MSG_NOTIFY_DEBUG = 122,
    XA_MSG_NOTIFY_ERROR = 123
};

/* Input and output states. */
enum
{
    XA_INPUT_STATE_CLOSED = 0,
    XA_INPUT_STATE_OPEN = 1,
    XA_OUTPUT_STATE_CLOSED = 0,
    XA_OUTPUT_STATE_OPEN = 1
};

/* The source of an XA_MSG_NOTIFY_ERROR. The player sends one just before a
 * nack whose cause the system named: its code is the nack's, its message the
 * system's reason ("No space left on device"). */
enum
{
    XA_ERROR_SOURCE_OUTPUT = 2
};

/* Where notifications go: post is called on the player thread and must only
 * hand the three values on to the program's own thread. */
typedef struct XA_NotifyTarget
{
    void (*post)(void* context, unsigned int message, uintptr_t wparam, intptr_t lparam);
    void* context;
} XA_NotifyTarget;

typedef struct XA_ModuleInfo
{
    int32_t id;
    int32_t nb_devices;
    const char* name;
    const char* description;
} XA_ModuleInfo;

typedef struct XA_DeviceInfo
{
    int32_t module_id;
    int32_t index;
    int32_t flags;
    const char* name;
    const char* description;
} XA_DeviceInfo;

typedef struct XA_FilterInfo
{
    int32_t id;
    const char* name;
} XA_FilterInfo;

typedef struct XA_EqualizerInfo
{
    int8_t left[32];
    int8_t right[32];
} XA_EqualizerInfo;

/* A notification. Strings and pointers stay valid until the next call of
 * control_win32_params_to_message on the same thread. */
typedef struct XA_Message
{
    int32_t code;
    union {
        uint8_t ack;
        struct
        {
            uint8_t command;
            int16_t code;
        } nack;
        uint32_t tag;
        int32_t state;
        uint32_t mode;
        struct
        {
            const char* name;
            int32_t integer_value;
            const char* string_value;
        } environment;
        const char* name;
        uint32_t caps;
        struct
        {
            uint32_t offset;
            uint32_t range;
        } position;
        uint32_t range;
        struct
        {
            uint8_t h, m, s, f;
        } timecode;
        uint32_t granularity;
        int32_t module_id;
        XA_ModuleInfo module_info;
        XA_DeviceInfo device_info;
        XA_FilterInfo filter_info;
        struct
        {
            uint8_t master_level;
            uint8_t pcm_level;
            int8_t balance;
        } volume;
        int8_t balance;
        uint8_t level;
        uint8_t channels;
        uint8_t ports;
        const char* mime_type;
        uint32_t duration; /* milliseconds */
        struct
        {
            uint32_t frequency;
            uint32_t bitrate;
            uint32_t nb_channels;
        } stream_parameters;
        uint32_t stream_properties;
        int32_t quality;
        const XA_EqualizerInfo* equalizer;
        uint32_t notification_mask;
        int32_t debug_level;
        struct
        {
            uint8_t source;
            uint8_t code;
            int16_t value;
            const char* message;
        } progress;
        struct
        {
            uint8_t source;
            int32_t level;
            const char* message;
        } debug;
        struct
        {
            uint8_t source;
            int16_t code;
            const char* message;
        } error;
    } data;
} XA_Message;

/* The 17 entry points. */
XA_EXPORT int player_new(void** player, void* notify_target);
XA_EXPORT int player_delete(void* player);
XA_EXPORT int player_set_priority(void* player, int priority);
XA_EXPORT int player_get_priority(void* player);
XA_EXPORT const char* xaudio_error_string(int code);
XA_EXPORT unsigned long xaudio_get_version(int api_id);
XA_EXPORT int control_message_send_N(void* player, int code);
XA_EXPORT int control_message_send_P(void* player, int code, const void* data, unsigned int size);
XA_EXPORT int control_message_send_S(void* player, int code, const char* string);
XA_EXPORT int control_message_send_SS(void* player, int code, const char* string1, const char* string2);
XA_EXPORT int control_message_send_SI(void* player, int code, const char* string, int integer);
XA_EXPORT int control_message_send_IPI(void* player, int code, int integer1, const void* data,
                                       unsigned int size, int integer2);
XA_EXPORT int control_message_send_I(void* player, int code, int integer);
XA_EXPORT int control_message_send_II(void* player, int code, int integer1, int integer2);
XA_EXPORT int control_message_send_III(void* player, int code, int integer1, int integer2, int integer3);
XA_EXPORT int control_message_send_IIII(void* player, int code, int integer1, int integer2, int integer3,
                                        int integer4);
XA_EXPORT int control_win32_params_to_message(void* notify_target, XA_Message* message, unsigned int msg,
                                              uintptr_t wparam, intptr_t lparam);

/* Function pointer types, for programs that resolve the entry points. */
typedef int (*XA_PlayerNewFunction)(void**, void*);
typedef int (*XA_PlayerDeleteFunction)(void*);
typedef int (*XA_PlayerSetPriorityFunction)(void*, int);
typedef int (*XA_PlayerGetPriorityFunction)(void*);
typedef const char* (*XA_ErrorStringFunction)(int);
typedef unsigned long (*XA_GetVersionFunction)(int);
typedef int (*XA_SendNFunction)(void*, int);
typedef int (*XA_SendPFunction)(void*, int, const void*, unsigned int);
typedef int (*XA_SendSFunction)(void*, int, const char*);
typedef int (*XA_SendSSFunction)(void*, int, const char*, const char*);
typedef int (*XA_SendSIFunction)(void*, int, const char*, int);
typedef int (*XA_SendIPIFunction)(void*, int, int, const void*, unsigned int, int);
typedef int (*XA_SendIFunction)(void*, int, int);
typedef int (*XA_SendIIFunction)(void*, int, int, int);
typedef int (*XA_SendIIIFunction)(void*, int, int, int, int);
typedef int (*XA_SendIIIIFunction)(void*, int, int, int, int, int);
typedef int (*XA_ParamsToMessageFunction)(void*, XA_Message*, unsigned int, uintptr_t, intptr_t);

#ifdef __cplusplus
}
#endif
