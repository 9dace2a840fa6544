#pragma once
// The MP3 encoder interface: five calls (init, encode, deinit, close, version)
// over libmp3lame, laid out as the BladeEnc-style interface of the Windows
// LAME encoder library, plus the extended calls the converter needs: chunk
// and flush calls that are told the size of the output buffer, and the
// retrieval of the final Xing/Info frame.
//
// A stream is created by beInitStream from a BE_CONFIG, fed interleaved
// 16-bit samples by beEncodeChunk, flushed by beDeinitStream and released
// by beCloseStream. Handles are plain numbers looked up in a table, so a
// stale or made-up handle is refused with BE_ERR_INVALID_HANDLE.

#include <cstddef>
#include <cstdint>

namespace audrel::lame {

using DWORD = uint32_t;
using BOOL = int32_t;
using BE_ERR = uint32_t;
using HBE_STREAM = uintptr_t;

inline constexpr DWORD BE_CONFIG_LAME = 256;

inline constexpr BE_ERR BE_ERR_SUCCESSFUL = 0x00000000;
inline constexpr BE_ERR BE_ERR_INVALID_FORMAT = 0x00000001;
inline constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 0x00000002;
inline constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 0x00000003;
inline constexpr BE_ERR BE_ERR_INVALID_HANDLE = 0x00000004;
inline constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 0x00000005;

// nMode
inline constexpr int32_t BE_MP3_MODE_STEREO = 0;
inline constexpr int32_t BE_MP3_MODE_JSTEREO = 1;
inline constexpr int32_t BE_MP3_MODE_DUALCHANNEL = 2;
inline constexpr int32_t BE_MP3_MODE_MONO = 3;

// nQuality
inline constexpr int32_t BE_QUALITY_NORMAL = 0;
inline constexpr int32_t BE_QUALITY_LOW = 1;
inline constexpr int32_t BE_QUALITY_HIGH = 2;
inline constexpr int32_t BE_QUALITY_VOICE = 3;

// Byte offset of the first reserved byte of BE_CONFIG.
inline constexpr std::size_t BE_CONFIG_RESERVED_AT = 76;
inline constexpr std::size_t BE_CONFIG_SIZE = 331;
inline constexpr std::size_t BE_VERSION_SIZE = 265;

#pragma pack(push, 1)

// The LHV1 layout of the encoder configuration.
struct BE_CONFIG
{
    DWORD dwConfig;        // BE_CONFIG_LAME
    DWORD dwStructVersion; // 1
    DWORD dwStructSize;    // sizeof(BE_CONFIG)
    DWORD dwSampleRate;    // of the samples given to beEncodeChunk
    DWORD dwReSampleRate;  // of the output; 0 lets the encoder choose
    int32_t nMode;         // BE_MP3_MODE_*
    DWORD dwBitrate;       // CBR rate, or the least VBR rate, in kbit/s
    DWORD dwMaxBitrate;    // the highest VBR rate in kbit/s; 0 for the encoder's own
    int32_t nQuality;      // BE_QUALITY_*
    DWORD dwMpegVersion;   // not used: follows from the output rate
    DWORD dwPsyModel;      // not used
    DWORD dwEmphasis;      // not used
    BOOL bPrivate;
    BOOL bCRC;
    BOOL bCopyright;
    BOOL bOriginal;
    BOOL bWriteVBRHeader; // leave room for, and later give, the Xing/Info frame
    BOOL bEnableVBR;
    int32_t nVBRQuality; // 0 (best) .. 9
    uint8_t btReserved[BE_CONFIG_SIZE - BE_CONFIG_RESERVED_AT];
};

struct BE_VERSION
{
    uint8_t byDLLMajorVersion; // of this interface
    uint8_t byDLLMinorVersion;
    uint8_t byMajorVersion; // of the encoder engine
    uint8_t byMinorVersion;
    uint8_t byDay; // build date of the interface
    uint8_t byMonth;
    uint16_t wYear;
    char zHomepage[129];
    uint8_t byAlphaLevel;
    uint8_t byBetaLevel;
    uint8_t byMMXEnabled;
    uint8_t btReserved[125];
};

#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == BE_CONFIG_SIZE);
static_assert(offsetof(BE_CONFIG, dwConfig) == 0);
static_assert(offsetof(BE_CONFIG, dwStructVersion) == 4);
static_assert(offsetof(BE_CONFIG, dwStructSize) == 8);
static_assert(offsetof(BE_CONFIG, dwSampleRate) == 12);
static_assert(offsetof(BE_CONFIG, dwReSampleRate) == 16);
static_assert(offsetof(BE_CONFIG, nMode) == 20);
static_assert(offsetof(BE_CONFIG, dwBitrate) == 24);
static_assert(offsetof(BE_CONFIG, dwMaxBitrate) == 28);
static_assert(offsetof(BE_CONFIG, nQuality) == 32);
static_assert(offsetof(BE_CONFIG, dwMpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, dwPsyModel) == 40);
static_assert(offsetof(BE_CONFIG, dwEmphasis) == 44);
static_assert(offsetof(BE_CONFIG, bPrivate) == 48);
static_assert(offsetof(BE_CONFIG, bCRC) == 52);
static_assert(offsetof(BE_CONFIG, bCopyright) == 56);
static_assert(offsetof(BE_CONFIG, bOriginal) == 60);
static_assert(offsetof(BE_CONFIG, bWriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, bEnableVBR) == 68);
static_assert(offsetof(BE_CONFIG, nVBRQuality) == 72);
static_assert(offsetof(BE_CONFIG, btReserved) == BE_CONFIG_RESERVED_AT);

static_assert(sizeof(BE_VERSION) == BE_VERSION_SIZE);
static_assert(offsetof(BE_VERSION, byDLLMajorVersion) == 0);
static_assert(offsetof(BE_VERSION, byDLLMinorVersion) == 1);
static_assert(offsetof(BE_VERSION, byMajorVersion) == 2);
static_assert(offsetof(BE_VERSION, byMinorVersion) == 3);
static_assert(offsetof(BE_VERSION, byDay) == 4);
static_assert(offsetof(BE_VERSION, byMonth) == 5);
static_assert(offsetof(BE_VERSION, wYear) == 6);
static_assert(offsetof(BE_VERSION, zHomepage) == 8);
static_assert(offsetof(BE_VERSION, byAlphaLevel) == 137);
static_assert(offsetof(BE_VERSION, byBetaLevel) == 138);
static_assert(offsetof(BE_VERSION, byMMXEnabled) == 139);
static_assert(offsetof(BE_VERSION, btReserved) == 140);

// Opens a stream. dwSamples receives the number of interleaved samples one
// beEncodeChunk call should take (one MPEG frame of every input channel) and
// dwBufferSize the output buffer size such a call needs:
// 1.25 * (dwSamples / channels) + 7200, with the frames scaled by the ratio
// of the rates when the output rate is above the input's.
BE_ERR beInitStream(BE_CONFIG* pbeConfig, DWORD* dwSamples, DWORD* dwBufferSize, HBE_STREAM* phbeStream);

// Encodes nSamples interleaved 16-bit samples. The output buffer must hold
// 1.25 * (nSamples / channels) + 7200 bytes (scaled as dwBufferSize is), as
// dwBufferSize does for a chunk of dwSamples.
BE_ERR beEncodeChunk(HBE_STREAM hbeStream, DWORD nSamples, const short* pSamples, unsigned char* pOutput,
                     DWORD* pdwOutput);
// The same with the size of the output buffer stated; a buffer too small
// for the encoded data gives BE_ERR_BUFFER_TOO_SMALL.
BE_ERR beEncodeChunkEx(HBE_STREAM hbeStream, DWORD nSamples, const short* pSamples, unsigned char* pOutput,
                       DWORD dwOutputSize, DWORD* pdwOutput);

// Flushes the last frames; the output buffer must hold 7200 bytes.
BE_ERR beDeinitStream(HBE_STREAM hbeStream, unsigned char* pOutput, DWORD* pdwOutput);
BE_ERR beDeinitStreamEx(HBE_STREAM hbeStream, unsigned char* pOutput, DWORD dwOutputSize, DWORD* pdwOutput);

// After beDeinitStream and before beCloseStream: the final Xing/Info frame,
// to be written over the placeholder frame at the start of the output
// (byte 0, as the encoder writes no ID3 tag). *pdwLength is 0 when the
// stream was opened without bWriteVBRHeader; when the buffer is too small
// it receives the size needed and BE_ERR_BUFFER_TOO_SMALL is returned.
BE_ERR beGetInfoTagFrame(HBE_STREAM hbeStream, unsigned char* pBuffer, DWORD dwSize, DWORD* pdwLength);

BE_ERR beCloseStream(HBE_STREAM hbeStream);

void beVersion(BE_VERSION* pbeVersion);

} // namespace audrel::lame
