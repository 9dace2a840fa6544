#pragma once
// What the FFmpeg module tells of any audio file, and how it turns one into
// another format: the pieces of the "Any Format" list. They cross from the
// module as C++ objects and values, like the decoder and the WMA output.

#include "platform/audio/audioerror.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace audrel::audio {

// What a file holds, as FFmpeg reads it: its container and the audio stream
// that the decoder and the transcoder take (FFmpeg's best one).
struct MediaFacts
{
    QString container;  // FFmpeg's short name of the container: "flac", "ogg", "mov,mp4,m4a,3gp,3g2,mj2"
    QString codec;      // FFmpeg's short name of the codec: "flac", "vorbis", "aac", "pcm_s24le"
    QString codecTitle; // the codec for the user: "FLAC", "Vorbis", "Opus", "AAC", "ALAC", "PCM", "MP3"
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;  // of a lossless or PCM stream; 0 for a lossy one
    int64_t durationMs = 0; // 0 when not known
    int64_t bitRate = 0;    // bits per second, of the stream or else the file; 0 when not known
};

// The formats a transcoder writes, each in its usual container.
enum class EncodedFormat
{
    Flac,   // FLAC in a .flac file
    Vorbis, // Ogg Vorbis, .ogg
    Opus,   // Opus in Ogg, .opus, at 48 kHz
    Aac,    // AAC in MP4, .m4a
    Alac,   // ALAC in MP4, .m4a
    Wav,    // PCM in a WAV file
};

struct EncoderSettings
{
    EncodedFormat format = EncodedFormat::Flac;
    int flacLevel = 5;          // compression level, 0 to 8
    double vorbisQuality = 5;   // -1 to 10
    int opusBitRate = 128000;   // bits per second, 6000 to 510000, variable bit rate
    int aacBitRate = 192000;    // bits per second, 8000 to 512000
    bool wavSixteenBit = false; // WAV: 16-bit, instead of the source's own sample format

    // The ranges of the settings above.
    static constexpr int kMinFlacLevel = 0, kMaxFlacLevel = 8;
    static constexpr double kMinVorbisQuality = -1, kMaxVorbisQuality = 10;
    static constexpr int kMinOpusBitRate = 6000, kMaxOpusBitRate = 510000;
    static constexpr int kMinAacBitRate = 8000, kMaxAacBitRate = 512000;
};

// Converts one file into another format: the source decoded, resampled and
// mixed only where the format needs it, encoded and written.
//
// A lossless format (FLAC, ALAC, WAV as the source) keeps the source's
// sample rate and samples: 16-bit and 24-bit sources stay exactly what they
// are; sources of more bits or of floating-point samples become 24-bit
// (FLAC, ALAC), as FFmpeg's encoders hold no more. WAV "as the source" keeps
// the decoder's own sample format (8-, 16-, 24-, 32-bit, or 32-bit float for
// floating-point and lossy sources); 16-bit WAV converts to that.
//
// Opus is encoded at 48 kHz; AAC at the source's rate when the encoder takes
// it, else the nearest it takes; the others keep the source's rate.
//
// Channels are kept up to 8 (any number for WAV and Vorbis), each format
// told the usual layout of that many channels where it needs one of its own
// (the samples stay as they are: a 5.1 with side channels is written as a
// 5.1 with back ones); a source of more channels than the format holds is
// mixed down to stereo.
//
// Results are gapless where the format allows (Opus pre-skip, the AAC
// priming in the MP4 edit list). Neither the source's tags nor its cover
// pictures are carried: the result holds the audio alone.
class Transcoder
{
public:
    virtual ~Transcoder() = default;

    // Called now and then (at least every tenth of a second of work, and at
    // the start and the end) with how far the conversion has got: done of
    // total (milliseconds of the playing time, or bytes read when the playing
    // time is not known); false stops the conversion.
    using Progress = std::function<bool(int64_t done, int64_t total)>;

    // Writes dest (which is created or replaced) from source, on the calling
    // thread. None when complete; else what went wrong, with errorText() for
    // the user (naming the file and, for a failed write, the system's reason).
    // A stopped conversion returns Stopped. dest is left closed, as far as it
    // was written; removing it is the caller's business. Settings out of
    // their ranges are refused (EncoderRefused) before anything is opened.
    virtual AudioError run(const QString& source, const QString& dest, const Progress& progress) = 0;
    virtual QString errorText() const = 0;
};

} // namespace audrel::audio
