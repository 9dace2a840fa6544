#pragma once
// The interface between the player library and libxaudio_device.so, the module
// that holds the audio device output. The module lives beside libxaudio.so and
// is loaded the first time a player needs the device, so that a conversion to
// a file never maps Qt Multimedia and the libraries it brings with it. Both
// are built together by the same compiler: the output crosses as a C++ object
// and is deleted through its virtual destructor.

#include "platform/audio/audiooutput.h"

namespace audrel::xaudio {

// The file name of the module, in the folder of libxaudio.so.
inline constexpr char kDeviceModuleName[] = "libxaudio_device.so";

// int audrel_device_available(void): nonzero when the system has an audio
// output device.
inline constexpr char kDeviceAvailableSymbol[] = "audrel_device_available";
// audrel::audio::AudioOutput* audrel_device_output_new(void): a new output to
// the default device, or null when there is no memory for one. It must be
// created, used and deleted on one thread.
inline constexpr char kDeviceOutputNewSymbol[] = "audrel_device_output_new";

extern "C" {
using DeviceAvailableFunction = int (*)();
using DeviceOutputNewFunction = audio::AudioOutput* (*)();
}

} // namespace audrel::xaudio
