// The WAV decoder of the audio engine: open, decode to the end, seek back to
// the middle and decode a little more. The first byte picks the options:
// headerless files taken or refused, libsndfile for every layout or not, and
// the frames of a block; the rest is the file.

#include "fuzzdecode.h"
#include "fuzzinput.h"
#include "platform/audio/wavdecoder.h"

#include <cstdlib>

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
    if (decoder.format().channels < 1) std::abort();
    audrel::fuzz::decodeAndSeek(
        decoder,
        [&](int64_t frames) {
            if (frames > decoder.blockFrames()) std::abort();
        },
        [&](int64_t total) {
            // The position never passes the length, which the stream's end corrects.
            if (decoder.positionFrames() != total || decoder.positionFrames() > decoder.lengthFrames())
                std::abort();
        });
    return 0;
}
