// MPEG audio analysis with the ID3v1 tag: analyse, then write a tag and
// remove it again when the file holds confirmed frames.

#include "fuzzinput.h"
#include "info/infotext.h"
#include "info/mpegaudio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel;
    const QString path = fuzz::writeInput(".mp3", data, size);
    TMPEGAudio mpeg;
    int prompts = 0;
    mpeg.OnError = [&prompts](const TMPEGInfo&) -> uint16_t {
        // Retry once, then cancel, so the repeat path runs as well.
        return ++prompts == 1 ? 4 : 2;
    };
    mpeg.LoadFile(path);
    (void)MpegMemoLines(mpeg);
    (void)MpegTagLines(mpeg);
    (void)mpeg.DurationTime();
    if (mpeg.IsValid()) {
        mpeg.setTitle(mpeg.Data.Title + QStringLiteral("\u20ac title"));
        mpeg.setComment(QString(40, QLatin1Char('c')));
        mpeg.setTrack(uint8_t(size));
        prompts = 0;
        mpeg.WriteTag();
        mpeg.RemoveTag();
    }
    return 0;
}
