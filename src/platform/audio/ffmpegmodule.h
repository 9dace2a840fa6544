#pragma once
// The audio engine's FFmpeg pieces (the decoder of WMA and whatever else
// FFmpeg reads, the WMA file output, and the probe and transcoder of every
// audio format FFmpeg reads and writes) live in a module of their own,
// libaudrel_ffmpeg.so in the program folder, loaded the first time they are
// needed: FFmpeg brings a hundred libraries with it, and a program that
// converts MP3 or WAV files should not wait for them to load. The module and
// the program are built together by the same compiler: the decoder, the
// output and the transcoder cross as C++ objects behind the interfaces below
// and are deleted through their virtual destructors.

#include "platform/audio/audiodecoder.h"
#include "platform/audio/audiooutput.h"
#include "platform/audio/transcoder.h"

#include <QString>

#include <memory>

namespace audrel::audio {

// A decoder that also knows what the file states of its playing time and how
// far reading has got into it.
class MediaDecoder : public AudioDecoder
{
public:
    // The playing time the file states, in milliseconds; 0 when it states none.
    virtual int64_t durationMs() const = 0;
    // How far reading has got into the file, and the file's size, in bytes:
    // the progress there is to tell when the playing time is not known.
    virtual int64_t bytesRead() const = 0;
    virtual int64_t fileSize() const = 0;
    // The codec's short name ("wmav2"), empty when not open.
    virtual QString codecName() const = 0;
    // Seeks by time; false when the stream cannot go there.
    virtual bool seekMs(int64_t ms) = 0;
    // From the next open on, the samples are resampled to at most maxRate and
    // mixed down to at most maxChannels (FFmpeg's resampler with its default
    // options); 0 leaves either as the stream has it.
    virtual void limitFormat(int maxRate, int maxChannels) = 0;
};

// An output that writes an encoded file, created when it is opened.
class EncodedFileOutput : public AudioOutput
{
public:
    virtual AudioError open() = 0;
    virtual bool isOpen() const = 0;
    // Closes the file where it stands, without completing it.
    virtual void close() = 0;
};

class FfmpegModule
{
public:
    // The file name of the module, in the program folder.
    static constexpr char kFileName[] = "libaudrel_ffmpeg.so";
    // The lowest bit rate the WMA encoder takes, in bits per second.
    static constexpr int kMinWmaBitRate = 24000;

    // The module in folder (which ends in a separator), loaded on first use
    // and kept for the rest of the process; null, with the reason in problem,
    // when it cannot be loaded.
    static const FfmpegModule* load(const QString& folder, QString* problem = nullptr);

    std::unique_ptr<MediaDecoder> newDecoder() const;
    // An output writing WMA v2 in ASF to path, at bitRate bits per second,
    // sampleRate and channels; the samples it is given are resampled and mixed.
    std::unique_ptr<EncodedFileOutput> newWmaOutput(const QString& path, int bitRate, int sampleRate,
                                                    int channels) const;
    // Whether FFmpeg has the WMA v2 encoder and the ASF muxer.
    bool wmaEncoderAvailable() const;
    // Whether the WMA encoder encodes at bitRate bits per second, sampleRate and channels.
    bool wmaEncoderTakes(int bitRate, int sampleRate, int channels) const;

    // What path holds: None with its facts, or why it holds no audio that can
    // be decoded (NoSuchFile, PermissionDenied, OpenFailed, ReadFailed,
    // NotMpegAudio, Protected). Reads the file's header and its first
    // packets, never more: fast enough for every file of a dropped folder.
    AudioError probe(const QString& path, MediaFacts& facts) const;
    // A transcoder writing the format of settings.
    std::unique_ptr<Transcoder> newTranscoder(const EncoderSettings& settings) const;
    // Whether FFmpeg has the encoders and the muxer of format.
    bool encoderAvailable(EncodedFormat format) const;

    // The module's entry points, as it exports them.
    using NewDecoderFunction = MediaDecoder* (*)();
    using NewWmaOutputFunction = EncodedFileOutput* (*)(const QString& path, int bitRate, int sampleRate,
                                                        int channels);
    using WmaAvailableFunction = int (*)();
    using WmaTakesFunction = int (*)(int bitRate, int sampleRate, int channels);
    using ProbeFunction = AudioError (*)(const QString& path, MediaFacts& facts);
    using NewTranscoderFunction = Transcoder* (*)(const EncoderSettings& settings);
    using EncoderAvailableFunction = int (*)(EncodedFormat format);
    static constexpr char kNewDecoderSymbol[] = "audrel_ffmpeg_decoder_new";
    static constexpr char kNewWmaOutputSymbol[] = "audrel_ffmpeg_wma_output_new";
    static constexpr char kWmaAvailableSymbol[] = "audrel_ffmpeg_wma_available";
    static constexpr char kWmaTakesSymbol[] = "audrel_ffmpeg_wma_takes";
    static constexpr char kProbeSymbol[] = "audrel_ffmpeg_probe";
    static constexpr char kNewTranscoderSymbol[] = "audrel_ffmpeg_transcoder_new";
    static constexpr char kEncoderAvailableSymbol[] = "audrel_ffmpeg_encoder_available";

private:
    NewDecoderFunction m_newDecoder = nullptr;
    NewWmaOutputFunction m_newWmaOutput = nullptr;
    WmaAvailableFunction m_wmaAvailable = nullptr;
    WmaTakesFunction m_wmaTakes = nullptr;
    ProbeFunction m_probe = nullptr;
    NewTranscoderFunction m_newTranscoder = nullptr;
    EncoderAvailableFunction m_encoderAvailable = nullptr;
};

} // namespace audrel::audio
