#include "platform/lame/lameenc.h"

#include <lame/lame.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace audrel::lame {

namespace {

// One open stream: the encoder and the channel count of its input.
struct Stream
{
    explicit Stream(lame_global_flags* flags) : gf(flags) {}
    ~Stream() { lame_close(gf); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    lame_global_flags* gf;
    int channels = 2;
    double upsampling = 1; // output rate over input rate, when above 1
};

// Handles are numbers handed out by this table; a stream stays alive while
// a call that looked it up is still using it.
class StreamTable
{
public:
    HBE_STREAM add(std::shared_ptr<Stream> stream)
    {
        std::lock_guard lock(m_mutex);
        do {
            ++m_next;
        } while (m_next == 0 || m_streams.count(m_next) != 0);
        m_streams.emplace(m_next, std::move(stream));
        return m_next;
    }

    std::shared_ptr<Stream> find(HBE_STREAM handle)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(handle);
        return it == m_streams.end() ? nullptr : it->second;
    }

    std::shared_ptr<Stream> remove(HBE_STREAM handle)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(handle);
        if (it == m_streams.end()) return nullptr;
        std::shared_ptr<Stream> stream = std::move(it->second);
        m_streams.erase(it);
        return stream;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<HBE_STREAM, std::shared_ptr<Stream>> m_streams;
    HBE_STREAM m_next = 0;
};

StreamTable& streams()
{
    static StreamTable table;
    return table;
}

// The worst case LAME states for encoding a number of sample frames; an
// output at a higher rate than the input has that many more frames.
DWORD neededOutput(DWORD frames, double upsampling = 1)
{
    return DWORD(1.25 * frames * upsampling + 7200);
}

// Code that ran before on this thread (somewhere in the libraries loaded)
// can leave the upper halves of the AVX registers in use. The encoder's SSE
// code, and the AVX code of the maths functions it calls, then pay a
// transition penalty on every call: pow() takes about five times as long and
// the encoding some 7% longer. Clearing them before each chunk avoids it.
void clearUpperVectorState()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool haveAvx = __builtin_cpu_supports("avx");
    if (haveAvx) __asm__ volatile("vzeroupper");
#endif
}

int clampSize(DWORD size)
{
    return size > DWORD(INT32_MAX) ? INT32_MAX : int(size);
}

} // namespace

BE_ERR beInitStream(BE_CONFIG* pbeConfig, DWORD* dwSamples, DWORD* dwBufferSize, HBE_STREAM* phbeStream)
{
    if (!pbeConfig || !dwSamples || !dwBufferSize || !phbeStream) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (pbeConfig->dwConfig != BE_CONFIG_LAME) return BE_ERR_INVALID_FORMAT;
    const BE_CONFIG& config = *pbeConfig;

    lame_global_flags* gf = lame_init();
    if (!gf) return BE_ERR_NO_MORE_HANDLES;
    auto stream = std::make_shared<Stream>(gf);

    lame_set_in_samplerate(gf, int(config.dwSampleRate));

    switch (config.nMode) {
    case BE_MP3_MODE_STEREO:
        lame_set_mode(gf, STEREO);
        stream->channels = 2;
        break;
    case BE_MP3_MODE_JSTEREO:
        lame_set_mode(gf, JOINT_STEREO);
        stream->channels = 2;
        break;
    case BE_MP3_MODE_DUALCHANNEL:
        lame_set_mode(gf, DUAL_CHANNEL);
        stream->channels = 2;
        break;
    case BE_MP3_MODE_MONO:
        lame_set_mode(gf, MONO);
        stream->channels = 1;
        break;
    default:
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    lame_set_num_channels(gf, stream->channels);

    if (config.bEnableVBR) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_q(gf, config.nVBRQuality);
    } else {
        lame_set_VBR(gf, vbr_off);
    }
    lame_set_brate(gf, int(config.dwBitrate));

    switch (config.nQuality) {
    case BE_QUALITY_LOW:
        lame_set_quality(gf, 9);
        break;
    case BE_QUALITY_HIGH:
        lame_set_quality(gf, 2);
        break;
    case BE_QUALITY_VOICE:
        lame_set_preset(gf, 56);
        lame_set_mode(gf, MONO);
        break;
    default: // the encoder's own default quality
        break;
    }

    if (config.dwReSampleRate > 0) lame_set_out_samplerate(gf, int(config.dwReSampleRate));
    lame_set_strict_ISO(gf, 0);
    lame_set_copyright(gf, config.bCopyright ? 1 : 0);
    lame_set_original(gf, config.bOriginal ? 1 : 0);
    lame_set_error_protection(gf, config.bCRC ? 1 : 0);
    lame_set_extension(gf, config.bPrivate ? 1 : 0);
    if (config.dwBitrate > 0) lame_set_VBR_min_bitrate_kbps(gf, int(config.dwBitrate));
    if (config.dwMaxBitrate > 0) lame_set_VBR_max_bitrate_kbps(gf, int(config.dwMaxBitrate));
    lame_set_bWriteVbrTag(gf, config.bWriteVBRHeader ? 1 : 0);
    // No ID3 tag: the output begins with audio, the Xing/Info frame at byte 0.
    lame_set_write_id3tag_automatic(gf, 0);

    if (lame_init_params(gf) < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;

    const DWORD frameSamples = lame_get_version(gf) != 1 ? 576 : 1152;
    *dwSamples = frameSamples * DWORD(stream->channels);
    const int inRate = lame_get_in_samplerate(gf);
    const int outRate = lame_get_out_samplerate(gf);
    if (inRate > 0 && outRate > inRate) stream->upsampling = double(outRate) / inRate;
    *dwBufferSize = neededOutput(frameSamples, stream->upsampling);
    *phbeStream = streams().add(std::move(stream));
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunkEx(HBE_STREAM hbeStream, DWORD nSamples, const short* pSamples, unsigned char* pOutput,
                       DWORD dwOutputSize, DWORD* pdwOutput)
{
    const std::shared_ptr<Stream> stream = streams().find(hbeStream);
    if (!stream) return BE_ERR_INVALID_HANDLE;
    if (!pdwOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *pdwOutput = 0;
    const int frames = int(nSamples / DWORD(stream->channels));
    if (frames > 0 && (!pSamples || !pOutput)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    clearUpperVectorState();
    int written;
    if (stream->channels == 1)
        written =
            lame_encode_buffer(stream->gf, pSamples, pSamples, frames, pOutput, clampSize(dwOutputSize));
    else
        written = lame_encode_buffer_interleaved(stream->gf, const_cast<short*>(pSamples), frames, pOutput,
                                                 clampSize(dwOutputSize));
    if (written < 0) return BE_ERR_BUFFER_TOO_SMALL;
    *pdwOutput = DWORD(written);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM hbeStream, DWORD nSamples, const short* pSamples, unsigned char* pOutput,
                     DWORD* pdwOutput)
{
    const std::shared_ptr<Stream> stream = streams().find(hbeStream);
    if (!stream) return BE_ERR_INVALID_HANDLE;
    // The caller guarantees the stated worst case for this many samples.
    return beEncodeChunkEx(hbeStream, nSamples, pSamples, pOutput,
                           neededOutput(nSamples / DWORD(stream->channels), stream->upsampling), pdwOutput);
}

BE_ERR beDeinitStreamEx(HBE_STREAM hbeStream, unsigned char* pOutput, DWORD dwOutputSize, DWORD* pdwOutput)
{
    const std::shared_ptr<Stream> stream = streams().find(hbeStream);
    if (!stream) return BE_ERR_INVALID_HANDLE;
    if (!pdwOutput || !pOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *pdwOutput = 0;
    const int written = lame_encode_flush(stream->gf, pOutput, clampSize(dwOutputSize));
    if (written < 0) return BE_ERR_BUFFER_TOO_SMALL;
    *pdwOutput = DWORD(written);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM hbeStream, unsigned char* pOutput, DWORD* pdwOutput)
{
    return beDeinitStreamEx(hbeStream, pOutput, neededOutput(0), pdwOutput);
}

BE_ERR beGetInfoTagFrame(HBE_STREAM hbeStream, unsigned char* pBuffer, DWORD dwSize, DWORD* pdwLength)
{
    const std::shared_ptr<Stream> stream = streams().find(hbeStream);
    if (!stream) return BE_ERR_INVALID_HANDLE;
    if (!pdwLength) return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *pdwLength = 0;
    if (!lame_get_bWriteVbrTag(stream->gf)) return BE_ERR_SUCCESSFUL;
    unsigned char probe = 0;
    const size_t needed = lame_get_lametag_frame(stream->gf, &probe, 0);
    if (needed == 0) return BE_ERR_SUCCESSFUL;
    if (!pBuffer || needed > dwSize) {
        *pdwLength = DWORD(needed);
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    const size_t copied = lame_get_lametag_frame(stream->gf, pBuffer, dwSize);
    if (copied > dwSize) {
        *pdwLength = DWORD(copied);
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    *pdwLength = DWORD(copied);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beCloseStream(HBE_STREAM hbeStream)
{
    return streams().remove(hbeStream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}

void beVersion(BE_VERSION* pbeVersion)
{
    if (!pbeVersion) return;
    std::memset(pbeVersion, 0, sizeof(BE_VERSION));
    pbeVersion->byDLLMajorVersion = 1;
    pbeVersion->byDLLMinorVersion = 32;

    lame_version_t version;
    get_lame_version_numerical(&version);
    pbeVersion->byMajorVersion = uint8_t(version.major);
    pbeVersion->byMinorVersion = uint8_t(version.minor);
    pbeVersion->byAlphaLevel = uint8_t(version.alpha);
    pbeVersion->byBetaLevel = uint8_t(version.beta);

    // The build date of the interface, from __DATE__ ("Mmm dd yyyy").
    static constexpr char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* date = __DATE__;
    for (int m = 0; m < 12; ++m)
        if (std::strncmp(date, months + 3 * m, 3) == 0) pbeVersion->byMonth = uint8_t(m + 1);
    pbeVersion->byDay = uint8_t((date[4] == ' ' ? 0 : date[4] - '0') * 10 + (date[5] - '0'));
    pbeVersion->wYear =
        uint16_t((date[7] - '0') * 1000 + (date[8] - '0') * 100 + (date[9] - '0') * 10 + (date[10] - '0'));

    static constexpr char homepage[] = "https://lame.sourceforge.io/";
    static_assert(sizeof(homepage) <= sizeof(BE_VERSION::zHomepage));
    std::memcpy(pbeVersion->zHomepage, homepage, sizeof(homepage));
}

} // namespace audrel::lame
