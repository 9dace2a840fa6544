// WMA (ASF) header reader.

#include "fuzzinput.h"
#include "info/infotext.h"
#include "info/wmafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel;
    const QString path = fuzz::writeInput(".wma", data, size);
    TWMAfile wma;
    wma.LoadFile(path);
    (void)WmaMemoLines(wma);
    return 0;
}
