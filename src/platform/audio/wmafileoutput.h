#pragma once
// Writes one stream into a WMA file: WMA v2 in ASF through FFmpeg
// (libavcodec's encoder, libavformat's muxer), at the bit rate, sample rate
// and channel count it is made with. The samples it is given are resampled
// and mixed to that shape by libswresample with its default options, as
// FFmpeg's command line does; the last block is filled up with silence. The
// file is created when the output is opened and complete, its header filled
// in, when the stream finishes; an output closed or destroyed before that
// leaves the file as far as it got.

#include "platform/audio/ffmpegmodule.h"

#include <QString>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace audrel::audio {

class WmaFileOutput final : public EncodedFileOutput
{
public:
    // bitRate in bits per second.
    WmaFileOutput(const QString& path, int bitRate, int sampleRate, int channels);
    ~WmaFileOutput() override;
    WmaFileOutput(const WmaFileOutput&) = delete;
    WmaFileOutput& operator=(const WmaFileOutput&) = delete;

    // Whether this FFmpeg has the WMA v2 encoder and the ASF muxer.
    static bool isAvailable();
    // Whether the encoder takes that shape (open() would not say EncoderRefused).
    static bool takes(int bitRate, int sampleRate, int channels);
    // The lowest bit rate the encoder takes, in bits per second.
    static constexpr int kMinBitRate = FfmpegModule::kMinWmaBitRate;

    // Makes the encoder ready and creates the file with its header. NoEncoder
    // without the encoder or the muxer, EncoderRefused for a shape it does not
    // take, CreateFailed or WriteFailed for the file.
    AudioError open() override;
    const QString& path() const { return m_path; }
    bool isOpen() const override { return m_container != nullptr; }
    void close() override;

    // The shape of the samples to come; a new one may follow a finished block.
    AudioError start(const AudioFormat& format) override;
    int64_t write(const int16_t* samples, int64_t frames) override;
    int64_t queuedFrames() override { return 0; }
    bool isRealTime() const override { return false; }
    void setPaused(bool) override {}
    void reset() override {}
    // Encodes what is held, writes the index and the header's sizes, and closes the file.
    AudioError finish() override;
    AudioError error() const override { return m_error; }
    QString errorString() const override;

private:
    // Converts samples (null: what the resampler still holds) and encodes
    // every whole block gathered.
    bool convert(const uint8_t* samples, int frames);
    // Encodes the next block of the gathered samples; a short one is filled
    // up with silence. Null: the encoder gives what it still holds.
    bool encodeBlock(bool last);
    bool writePackets();
    AudioError fail(AudioError error);
    // Notes the first FFmpeg result that is a failure; true when result is none.
    bool check(int result);

    QString m_path;
    int m_bitRate;
    int m_sampleRate;
    int m_channels;
    AudioFormat m_input;
    AVFormatContext* m_container = nullptr;
    AVCodecContext* m_codec = nullptr;
    SwrContext* m_swr = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    uint8_t** m_converted = nullptr; // the resampler's output, one plane per channel
    int m_convertedCapacity = 0;
    int64_t m_nextPts = 0;
    AudioError m_error = AudioError::None;
    int m_failure = 0; // the FFmpeg error behind m_error, when there was one
};

} // namespace audrel::audio
