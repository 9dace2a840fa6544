// WAV header reader.

#include "fuzzinput.h"
#include "info/infotext.h"
#include "info/wavfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel;
    const QString path = fuzz::writeInput(".wav", data, size);
    TWAVfile wav;
    wav.LoadFile(path);
    (void)WavMemoLines(wav);
    (void)wav.Duration();
    return 0;
}
