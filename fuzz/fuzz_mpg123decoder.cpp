// The MPEG audio decoder of the audio engine: open, decode to the end,
// seek back to the middle and decode a little more.

#include "fuzzdecode.h"
#include "fuzzinput.h"
#include "platform/audio/mpg123decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel::audio;
    const QString path = audrel::fuzz::writeInput(".mp3", data, size);
    Mpg123Decoder decoder;
    if (decoder.open(path) != AudioError::None) return 0;
    audrel::fuzz::decodeAndSeek(decoder);
    return 0;
}
