// The WAV decoder of the audio engine: open, decode to the end, seek back to
// the middle and decode a little more. The first byte picks the options:
// headerless files taken or refused, libsndfile for every layout or not, and
// the frames of a block; the rest is the file.

#include "fuzzinput.h"
#include "platform/audio/wavdecoder.h"

#include <cstdlib>

volatile int16_t fuzzSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel::audio;
    if (size < 1) return 0;
    const uint8_t control = data[0];
    const QString path = audrel::fuzz::writeInput(".wav", data + 1, size - 1);
    WavOpenOptions options;
    if (control & 1) {
        options.headerlessRate = 8000;
        options.headerlessChannels = (control & 2) ? 2 : 1;
    }
    options.forceLibsndfile = control & 4;
    WavDecoder decoder;
    decoder.setBlockFrames((control & 8) ? 1 : 1152 + (control >> 4));
    if (decoder.open(path, options) != AudioError::None) return 0;
    const int channels = decoder.format().channels;
    if (channels < 1) std::abort();
    int64_t total = 0;
    int16_t sink = 0;
    for (int blocks = 0; blocks < 100000; ++blocks) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) != AudioError::None || frames == 0) break;
        if (frames > decoder.blockFrames()) std::abort();
        sink ^= samples[frames * channels - 1]; // every block is readable to its end
        total += frames;
    }
    // The position never passes the length, which the stream's end corrects.
    if (decoder.positionFrames() != total || decoder.positionFrames() > decoder.lengthFrames()) std::abort();
    if (decoder.seekFrame(total / 2)) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) == AudioError::None && frames > 0) sink ^= samples[0];
    }
    fuzzSink = sink; // the reads are not optimised away
    return 0;
}
