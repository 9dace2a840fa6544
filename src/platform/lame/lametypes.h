#pragma once
// The MP3 channel modes and encoder qualities, as the options store them and
// the encoder takes them.

#include <cstdint>

namespace audrel {

enum TLameMode : uint8_t
{
    STEREO = 0,
    JSTEREO = 1,
    DUALCHANNEL = 2,
    MONO = 3
};

enum MPEG_QUALITY : uint8_t
{
    NORMAL_QUALITY = 0,
    LOW_QUALITY = 1,
    HIGH_QUALITY = 2,
    VOICE_QUALITY = 3
};

} // namespace audrel
