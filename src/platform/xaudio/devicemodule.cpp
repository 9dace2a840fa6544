// libxaudio_device.so: the audio device output of the player library, in a
// module of its own (see devicemodule.h).

#include "platform/xaudio/devicemodule.h"

#include "platform/audio/deviceoutput.h"

#include <new>
#include <type_traits>

#define AUDREL_DEVICE_EXPORT extern "C" __attribute__((visibility("default")))

AUDREL_DEVICE_EXPORT int audrel_device_available()
{
    return audrel::audio::DeviceOutput::deviceAvailable() ? 1 : 0;
}

AUDREL_DEVICE_EXPORT audrel::audio::AudioOutput* audrel_device_output_new()
{
    return new (std::nothrow) audrel::audio::DeviceOutput;
}

// The entry points have the types the player looks them up as.
static_assert(std::is_same_v<decltype(&audrel_device_available), audrel::xaudio::DeviceAvailableFunction>);
static_assert(std::is_same_v<decltype(&audrel_device_output_new), audrel::xaudio::DeviceOutputNewFunction>);
