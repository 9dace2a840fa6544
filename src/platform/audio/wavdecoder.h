#pragma once
// WAV files as 16-bit samples. Only the samples of the "data" chunk are the
// stream; a data size past the end of the file (a streaming writer's
// 0xFFFFFFFF among them) ends at the end of the file.
//
// Canonical 16-bit PCM of one or two channels (format tag 1, or
// WAVE_FORMAT_EXTENSIBLE with 16 valid bits and the PCM subformat) whose
// "fmt " chunk comes before "data" is read straight from the file. Every other
// layout (8-, 24-, 32-bit, float, extensible, ADPCM, A-law, mu-law, RF64,
// RIFX, ...) is read through libsndfile as 16-bit samples; float samples are
// scaled here by 32767, rounded and clamped to 16 bits. When libsndfile delivers fewer frames than it
// counted, as from a damaged file, the stream ends where its samples end.
//
// A file that is not a RIFF, RIFX or RF64 WAVE is refused, unless the caller
// describes it as headerless 16-bit little-endian PCM. So is a stream whose
// sample rate no recording has (below 1000 or above 768000 Hz, headerless ones
// included): resampled, a few bytes of it would become gigabytes.

#include "platform/audio/audiodecoder.h"

#include <vector>

struct sf_private_tag; // libsndfile's SNDFILE

namespace audrel::audio {

// The sample rates a WAV stream may have.
constexpr int kMinWavRate = 1000;
constexpr int kMaxWavRate = 768000;
// Why a stream at rate is refused ("its sample rate of 1 Hz is not between
// 1000 and 768000 Hz"), or an empty string when it is not.
QString wavRateRefusal(int64_t rate);

struct WavOpenOptions
{
    // With headerlessChannels above 0, a file that is not a WAVE (no "WAVE"
    // at byte 8, or shorter than 12 bytes) is taken whole as 16-bit
    // little-endian PCM of that many channels (at most 1024) at
    // headerlessRate, which is reported as given.
    int headerlessRate = 0;
    int headerlessChannels = 0;
    // Reads canonical PCM through libsndfile too.
    bool forceLibsndfile = false;
};

class WavDecoder final : public AudioDecoder
{
public:
    WavDecoder();
    ~WavDecoder() override;
    WavDecoder(const WavDecoder&) = delete;
    WavDecoder& operator=(const WavDecoder&) = delete;

    // Opens a WAVE file with the default options: a headerless file is refused.
    AudioError open(const QString& path) override;
    AudioError open(const QString& path, const WavOpenOptions& options);
    void close() override;
    bool isOpen() const override { return m_fd >= 0 || m_snd; }

    AudioFormat format() const override { return m_format; }
    int64_t lengthFrames() const override { return m_length; }
    int64_t positionFrames() const override { return m_position; }
    // Rate x channels x 16 for what is read directly, else the file's own.
    int bitrate() const override { return m_bitrate; }

    // Blocks hold up to blockFrames() frames, fewer only at the end.
    AudioError nextBlock(const int16_t*& samples, int64_t& frames) override;
    bool seekFrame(int64_t frame) override;

    void setBlockFrames(int64_t frames);
    int64_t blockFrames() const { return m_blockFrames; }

    // Bytes of 16-bit samples in the stream: read directly, the data chunk's
    // size, which may end in an incomplete frame; else lengthFrames() x channels x 2.
    int64_t lengthBytes() const { return m_lengthBytes; }
    // Whether the samples are read straight from the file, not through libsndfile.
    bool isDirect() const { return m_fd >= 0; }
    // Why the last open failed, in words (libsndfile's own where it refused).
    const QString& errorString() const { return m_errorString; }
    // Whether the last open failed on the stream's sample rate (errorString
    // then says which), not on the file's layout.
    bool rateRefused() const { return m_rateRefused; }

private:
    AudioError fail(AudioError error, const QString& reason);
    // NotWavAudio, the decoder closed, when a stream at rate is refused; else None.
    AudioError refuseRate(int64_t rate);
    AudioError openLibsndfile(const QString& path, const WavOpenOptions& options, bool headerless);

    int m_fd = -1;                   // the direct path's file
    sf_private_tag* m_snd = nullptr; // everything else
    bool m_readFloats = false;       // libsndfile's float and double samples, scaled here
    int64_t m_dataOffset = 0;
    AudioFormat m_format;
    int64_t m_length = 0;
    int64_t m_lengthBytes = 0;
    int64_t m_position = 0;
    int m_bitrate = 0;
    int64_t m_blockFrames = 4096;
    std::vector<int16_t> m_samples;
    std::vector<float> m_floats;
    QString m_errorString;
    bool m_rateRefused = false;
};

} // namespace audrel::audio
