// The FFmpeg decoder of the audio engine on what a WMA file may hold: open,
// decode to the end, seek back to the middle by time and decode a little more.

#include "fuzzinput.h"
#include "platform/audio/ffmpegdecoder.h"

volatile int16_t fuzzSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel::audio;
    const QString path = audrel::fuzz::writeInput(".wma", data, size);
    FfmpegDecoder decoder;
    if (decoder.open(path) != AudioError::None) return 0;
    const int channels = decoder.format().channels;
    (void)decoder.durationMs();
    (void)decoder.lengthFrames();
    int64_t total = 0;
    int16_t sink = 0;
    for (int blocks = 0; blocks < 100000; ++blocks) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) != AudioError::None || frames == 0) break;
        sink ^= samples[frames * channels - 1]; // every block is readable to its end
        total += frames;
        if (decoder.bytesRead() > decoder.fileSize()) __builtin_trap();
    }
    if (decoder.seekFrame(total / 2)) {
        const int16_t* samples = nullptr;
        int64_t frames = 0;
        if (decoder.nextBlock(samples, frames) == AudioError::None && frames > 0) sink ^= samples[0];
    }
    fuzzSink = sink; // the reads are not optimised away
    return 0;
}
