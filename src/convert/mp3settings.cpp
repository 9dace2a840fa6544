#include "convert/mp3settings.h"

#include "convert/lamecoder.h"
#include "settings/settings.h"

namespace audrel {

namespace {

TLameCoder::LongBool longBool(bool value)
{
    return value ? -1 : 0;
}

} // namespace

void ApplyMp3Settings(TLameCoder& coder, const Settings& s)
{
    const uint32_t rate = s.SampleRate > 0 ? uint32_t(s.SampleRate) : 0;
    coder.setSampleRate(rate);
    coder.setReSampleRate(rate);
    coder.setBitrate(uint32_t(s.Bitrate));
    coder.setMaxBitrate(uint32_t(s.MaxBitrate));
    coder.setMode(s.Mode);
    coder.setQuality(MPEG_QUALITY(s.Quality));
    coder.setEnableVBR(longBool(s.VBR));
    coder.setVBRQuality(s.VBRQuality);
    coder.setWriteVBRHeader(longBool(s.WriteVBR));
    coder.setPrivate(longBool(s.Private));
    coder.setCRC(longBool(s.CRC));
    coder.setOriginal(longBool(s.Original));
    coder.setCopyright(longBool(s.CopyRight));
}

void PrepareMp3Source(TLameCoder& coder, const Settings& s, uint32_t sampleRate, uint32_t mode,
                      uint32_t bitsPerSample)
{
    coder.setSampleRate(sampleRate);
    if (s.SampleRate <= 0) coder.setMode(int(mode));
    coder.setSndEncode(bitsPerSample <= 8 ? -1 : 0);
}

} // namespace audrel
