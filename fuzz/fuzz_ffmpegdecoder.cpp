// The FFmpeg decoder of the audio engine on what a WMA file may hold: open,
// decode to the end, seek back to the middle by time and decode a little more.

#include "fuzzdecode.h"
#include "fuzzinput.h"
#include "platform/audio/ffmpegdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel::audio;
    const QString path = audrel::fuzz::writeInput(".wma", data, size);
    FfmpegDecoder decoder;
    if (decoder.open(path) != AudioError::None) return 0;
    (void)decoder.durationMs();
    (void)decoder.lengthFrames();
    audrel::fuzz::decodeAndSeek(decoder, [&](int64_t) {
        if (decoder.bytesRead() > decoder.fileSize()) __builtin_trap();
    });
    return 0;
}
