#pragma once
// The shape of a stream of signed 16-bit interleaved samples.

#include <cstdint>

namespace audrel::audio {

struct AudioFormat
{
    int sampleRate = 0;
    int channels = 0;

    bool isValid() const { return sampleRate > 0 && channels > 0; }
    int bytesPerFrame() const { return channels * int(sizeof(int16_t)); }
    bool operator==(const AudioFormat&) const = default;
};

} // namespace audrel::audio
