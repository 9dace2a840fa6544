#pragma once
// Audio of the containers and codecs FFmpeg reads (WMA v1, v2, Pro, Lossless
// and Voice in ASF; WAV in all its sample formats) through libavformat,
// libavcodec and libswresample. The samples are those of
// `ffmpeg -i FILE -f wav -`: the best audio stream, at its own rate and
// channel count, converted to signed 16-bit as FFmpeg's command line converts
// by default (plain conversion with clipping, no dither). A damaged packet is
// passed over as the command line passes it over; an audio stream that gives
// not a single block of audio is refused as damaged when it is opened.
//
// limitFormat asks for fewer: the samples resampled to at most a rate and
// mixed down to at most a number of channels, by libswresample with its
// default options, as `ffmpeg -ar RATE -ac CHANNELS` does.
//
// The file is read through a descriptor of its own, opened read-only, and
// nothing else is opened: references to other files or addresses are not
// followed. A file protected by DRM is refused when it is opened. The first
// block is decoded while opening, so an open decoder knows the format of
// what it gives. FFmpeg's own log is silenced.
//
// Within the module, the transcoder takes the decoded frames as FFmpeg gives
// them (nextFrame), in the codec's own sample format.

#include "platform/audio/ffmpegmodule.h"
#include "platform/audio/transcoder.h"

#include <QString>

#include <vector>

struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct AVStream;
struct SwrContext;

namespace audrel::audio {

class FfmpegDecoder final : public MediaDecoder
{
public:
    FfmpegDecoder();
    ~FfmpegDecoder() override;
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    // What path holds, without decoding more than the codec needs to know
    // its sample format: NoSuchFile, PermissionDenied, OpenFailed (not a
    // regular file, or not readable), NotMpegAudio (no audio stream that
    // FFmpeg decodes), Protected (DRM), ReadFailed.
    static AudioError probe(const QString& path, MediaFacts& facts);

    AudioError open(const QString& path) override;
    void close() override;
    bool isOpen() const override { return m_codec != nullptr; }
    // From the next open on, the samples given are resampled to at most
    // maxRate and mixed down to at most maxChannels; 0 leaves either as it is.
    void limitFormat(int maxRate, int maxChannels) override;

    AudioFormat format() const override { return m_audioFormat; }
    // From the playing time the file states; 0 when it states none.
    int64_t lengthFrames() const override;
    int64_t positionFrames() const override { return m_position; }
    int bitrate() const override { return m_bitrate; }

    int64_t durationMs() const override { return m_durationMs; }
    int64_t bytesRead() const override;
    int64_t fileSize() const override { return m_fileSize; }
    QString codecName() const override;

    AudioError nextBlock(const int16_t*& samples, int64_t& frames) override;
    // Seeks by time: to the frame's time stamp in the stream, then decodes up
    // to the frame itself. False when the stream cannot go there; the decoder
    // then stays where it was.
    bool seekFrame(int64_t frame) override;
    bool seekMs(int64_t ms) override;

    // The next decoded frame as the codec gives it, null at the end of the
    // stream; it stays valid until the next call. Not to be mixed with
    // nextBlock or seeks on the same open file.
    AudioError nextFrame(const AVFrame*& frame);
    // The open stream, and its codec.
    const AVStream* stream() const;
    const AVCodecContext* codecContext() const { return m_codec; }

private:
    // Opens the file and its container and finds the audio stream to
    // decode, without opening its codec.
    AudioError openStream(const QString& path);
    static int readSource(void* opaque, uint8_t* buffer, int size);
    static int64_t seekSource(void* opaque, int64_t offset, int whence);
    // Decodes the next frame of the stream into m_frame: None with true, None
    // with false at the end, or why it cannot go on.
    AudioError decodeFrame(bool& got);
    // The samples of m_frame as 16-bit interleaved, from the frame's first
    // sample to keep on; null m_frame: what the resampler still holds.
    AudioError convertFrame(int first, const int16_t*& samples, int64_t& frames);
    // The frame of the stream, counted at the stream's own rate, that the time
    // stamp of a block of blockFrames frames stands for.
    int64_t frameAt(int64_t timestamp, int blockFrames) const;
    // Whether the samples given are resampled or mixed.
    bool limited() const { return m_audioFormat != m_sourceFormat; }

    // The file as the reading callbacks see it.
    struct Source
    {
        int fd = -1;
        int readError = 0; // errno of a failed read
    };
    Source m_source;
    int64_t m_fileSize = 0;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_container = nullptr;
    const AVCodec* m_decoder = nullptr;
    AVCodecContext* m_codec = nullptr;
    SwrContext* m_swr = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    int m_stream = -1;
    std::vector<int16_t> m_samples;

    AudioFormat m_audioFormat;  // of the samples given
    AudioFormat m_sourceFormat; // of the stream
    int m_maxRate = 0;
    int m_maxChannels = 0;
    bool m_flushed = false; // at the end: the resampler has given what it held
    int64_t m_durationMs = 0;
    int m_bitrate = 0;
    int64_t m_position = 0;
    bool m_primed = false;   // m_frame holds the block decoded while opening, not given yet
    bool m_draining = false; // the input has ended; the codec gives what it still holds
    bool m_ended = false;
    int64_t m_seekTarget = -1; // after a seek: the frame of the stream the next block starts at
    int64_t m_origin = 0;      // the time stamp of frame 0
};

} // namespace audrel::audio
