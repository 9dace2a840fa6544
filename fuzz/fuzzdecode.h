#pragma once
// What the decoder targets do alike: decode to the end, touching the last
// sample of every block, then seek back to the middle and decode a little more.

#include "platform/audio/audiodecoder.h"

#include <functional>

namespace audrel::fuzz {

inline volatile int16_t decodeSink;

// afterBlock sees the frames of each block; the frames decoded in all are returned.
inline int64_t decodeAndSeek(audio::AudioDecoder& decoder,
                             const std::function<void(int64_t)>& afterBlock = {},
                             const std::function<void(int64_t)>& atEnd = {})
{
    using audio::AudioError;
    const int channels = decoder.format().channels;
    int64_t total = 0;
    int16_t sink = 0;
    for (int blocks = 0; blocks < 100000; ++blocks) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) != AudioError::None || frames == 0) break;
        sink ^= samples[frames * channels - 1]; // every block is readable to its end
        total += frames;
        if (afterBlock) afterBlock(frames);
    }
    if (atEnd) atEnd(total);
    if (decoder.seekFrame(total / 2)) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) == AudioError::None && frames > 0) sink ^= samples[0];
    }
    decodeSink = sink; // the reads are not optimised away
    return total;
}

} // namespace audrel::fuzz
