#include "platform/audio/ffmpegtranscoder.h"

#include "platform/audio/ffmpegdecoder.h"
#include "platform/audio/ffmpegresampler.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
#include <libavutil/random_seed.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace audrel::audio {

namespace {

// How often the progress is told, at most.
constexpr std::chrono::milliseconds kProgressInterval{50};
// Samples per block handed to an encoder that takes blocks of any size.
constexpr int kPcmBlock = 4096;
// A WAV whose samples may not fit the 4 GB a RIFF header can count is
// written as an RF64 file when it grows that large.
constexpr int64_t kRiffLimit = int64_t(3) << 30;
// The most that libopus encodes per channel, in bits per second.
constexpr int kOpusMaxBitRatePerChannel = 256000;

// The usual layouts of 1 to 8 channels in Ogg (Vorbis and Opus) and in AAC
// (which has none of its own for 7).
const uint64_t kVorbisLayouts[8] = {
    AV_CH_LAYOUT_MONO,         AV_CH_LAYOUT_STEREO,       AV_CH_LAYOUT_SURROUND, AV_CH_LAYOUT_QUAD,
    AV_CH_LAYOUT_5POINT0_BACK, AV_CH_LAYOUT_5POINT1_BACK, AV_CH_LAYOUT_6POINT1,  AV_CH_LAYOUT_7POINT1,
};
const uint64_t kAacLayouts[8] = {
    AV_CH_LAYOUT_MONO,
    AV_CH_LAYOUT_STEREO,
    AV_CH_LAYOUT_SURROUND,
    AV_CH_LAYOUT_4POINT0,
    AV_CH_LAYOUT_5POINT0_BACK,
    AV_CH_LAYOUT_5POINT1_BACK,
    0,
    AV_CH_LAYOUT_7POINT1,
};

const char* encoderName(EncodedFormat format)
{
    switch (format) {
    case EncodedFormat::Flac:
        return "flac";
    case EncodedFormat::Vorbis:
        return "libvorbis";
    case EncodedFormat::Opus:
        return "libopus";
    case EncodedFormat::Aac:
        return "aac";
    case EncodedFormat::Alac:
        return "alac";
    case EncodedFormat::Wav:
        return "pcm_s16le";
    }
    return "";
}

const char* muxerName(EncodedFormat format)
{
    switch (format) {
    case EncodedFormat::Flac:
        return "flac";
    case EncodedFormat::Vorbis:
        return "ogg";
    case EncodedFormat::Opus:
        return "opus";
    case EncodedFormat::Aac:
    case EncodedFormat::Alac:
        return "ipod";
    case EncodedFormat::Wav:
        return "wav";
    }
    return "";
}

// The format for the user.
QString formatTitle(EncodedFormat format)
{
    switch (format) {
    case EncodedFormat::Flac:
        return QStringLiteral("FLAC");
    case EncodedFormat::Vorbis:
        return QStringLiteral("Ogg Vorbis");
    case EncodedFormat::Opus:
        return QStringLiteral("Opus");
    case EncodedFormat::Aac:
        return QStringLiteral("AAC");
    case EncodedFormat::Alac:
        return QStringLiteral("ALAC");
    case EncodedFormat::Wav:
        return QStringLiteral("WAV");
    }
    return {};
}

// The PCM encoder that keeps samples of this format and bits as they are.
const char* pcmEncoder(AVSampleFormat format, int bits)
{
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return "pcm_u8";
    case AV_SAMPLE_FMT_S16:
        return "pcm_s16le";
    case AV_SAMPLE_FMT_S32:
        return bits > 0 && bits <= 24 ? "pcm_s24le" : "pcm_s32le";
    case AV_SAMPLE_FMT_S64:
        return "pcm_s32le";
    default:
        return "pcm_f32le";
    }
}

bool isFloat(AVSampleFormat format)
{
    const AVSampleFormat packed = av_get_packed_sample_fmt(format);
    return packed == AV_SAMPLE_FMT_FLT || packed == AV_SAMPLE_FMT_DBL;
}

// The encoder's sample format nearest to the source's: the source's own, or
// its planar or packed twin, or the one that loses least (as FFmpeg's filters
// choose the format they convert to).
AVSampleFormat nearestFormat(AVSampleFormat source, const AVSampleFormat* taken)
{
    if (!taken) return source;
    AVSampleFormat best = AV_SAMPLE_FMT_NONE;
    int bestScore = 0;
    for (const AVSampleFormat* format = taken; *format != AV_SAMPLE_FMT_NONE; ++format) {
        const int have = av_get_bytes_per_sample(source);
        const int bytes = av_get_bytes_per_sample(*format);
        int score = 0;
        if (*format == source)
            score = 1000;
        else
            score = 500 - (bytes < have ? 100 * (have - bytes) : 10 * (bytes - have)) -
                    (isFloat(*format) != isFloat(source) ? 5 : 0) -
                    (av_sample_fmt_is_planar(*format) != av_sample_fmt_is_planar(source) ? 1 : 0);
        if (best == AV_SAMPLE_FMT_NONE || score > bestScore) {
            best = *format;
            bestScore = score;
        }
    }
    return best == AV_SAMPLE_FMT_NONE ? source : best;
}

// The encoder's rate nearest to rate, or rate when it takes any.
int nearestRate(int rate, const int* taken)
{
    if (!taken || !*taken) return rate;
    int best = *taken;
    for (const int* r = taken; *r; ++r) {
        if (*r == rate) return rate;
        if (std::abs(*r - rate) < std::abs(best - rate)) best = *r;
    }
    return best;
}

// The system's words for an FFmpeg error that is a system error, else empty.
QString systemReason(int error)
{
    const int code = AVUNERROR(error);
    if (error >= 0 || code <= 0 || code >= 4096) return {};
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

// One conversion: everything it opens, released when it ends.
class FfmpegTranscoder::Job
{
public:
    Job(const EncoderSettings& settings, const QString& source, const QString& dest, const Progress& progress)
        : m_settings(settings), m_source(source), m_dest(dest), m_progress(progress)
    {
    }
    ~Job();

    AudioError run();
    QString text(AudioError error) const;

private:
    QString settingsRefusal() const;
    // Opens the encoder for the first frame's shape, and the destination.
    AudioError openEncoder(const AVFrame& first);
    bool tryEncoder(const AVCodec* encoder, AVSampleFormat format, int rate, const AVChannelLayout& layout,
                    int bits);
    AudioError openDestination();
    // Gathers a decoded frame (null: what a resampler still holds) and
    // encodes every whole block gathered.
    AudioError push(const AVFrame* frame);
    // Makes the converter for frames of this shape.
    AudioError takeShape(const AVFrame& frame);
    AudioError encodeBlock(int samples);
    // Sends the block in m_frame (null: the end) and writes what comes out.
    AudioError encode(const AVFrame* frame);
    AudioError finish();
    AudioError writeFailed(int result);
    bool tellProgress(bool force);

    const EncoderSettings& m_settings;
    const QString& m_source;
    const QString& m_dest;
    const Progress& m_progress;

    FfmpegDecoder m_decoder;
    AVCodecContext* m_encoder = nullptr;
    AVFormatContext* m_output = nullptr;
    SwrContext* m_swr = nullptr;
    AVAudioFifo* m_fifo = nullptr;
    AVFrame* m_frame = nullptr; // the block to encode, refilled in place
    AVPacket* m_packet = nullptr;
    uint8_t** m_converted = nullptr; // the converter's output
    int m_convertedCapacity = 0;
    int m_block = 0; // samples per block to encode
    int64_t m_nextPts = 0;

    // The shape of the frames the converter takes; direct: they go to the
    // encoder as they are.
    int m_inFormat = -1;
    int m_inRate = 0;
    int m_inChannels = 0;
    bool m_direct = false;

    int64_t m_total = 0; // of the progress
    int64_t m_decodedFrames = 0;
    int m_sourceRate = 0;
    bool m_complete = false;
    std::chrono::steady_clock::time_point m_lastProgress;

    QString m_refusal; // why the encoder refused, for the user
    int m_failure = 0; // the FFmpeg error behind a failed write
};

FfmpegTranscoder::FfmpegTranscoder(const EncoderSettings& settings) : m_settings(settings) {}

bool FfmpegTranscoder::isAvailable(EncodedFormat format)
{
    if (!av_guess_format(muxerName(format), nullptr, nullptr)) return false;
    if (format != EncodedFormat::Wav) return avcodec_find_encoder_by_name(encoderName(format)) != nullptr;
    for (const char* name : {"pcm_u8", "pcm_s16le", "pcm_s24le", "pcm_s32le", "pcm_f32le"})
        if (!avcodec_find_encoder_by_name(name)) return false;
    return true;
}

AudioError FfmpegTranscoder::run(const QString& source, const QString& dest, const Progress& progress)
{
    Job job(m_settings, source, dest, progress);
    const AudioError error = job.run();
    m_errorText = error == AudioError::None ? QString() : job.text(error);
    return error;
}

FfmpegTranscoder::Job::~Job()
{
    if (m_output) {
        if (m_output->pb) avio_closep(&m_output->pb);
        avformat_free_context(m_output);
    }
    avcodec_free_context(&m_encoder);
    swr_free(&m_swr);
    if (m_fifo) av_audio_fifo_free(m_fifo);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    if (m_converted) av_freep(&m_converted[0]);
    av_freep(&m_converted);
}

QString FfmpegTranscoder::Job::settingsRefusal() const
{
    const EncoderSettings& s = m_settings;
    switch (s.format) {
    case EncodedFormat::Flac:
        if (s.flacLevel < s.kMinFlacLevel || s.flacLevel > s.kMaxFlacLevel)
            return QStringLiteral("the FLAC compression level %1 is not between %2 and %3")
                .arg(s.flacLevel)
                .arg(s.kMinFlacLevel)
                .arg(s.kMaxFlacLevel);
        break;
    case EncodedFormat::Vorbis:
        if (!(s.vorbisQuality >= s.kMinVorbisQuality && s.vorbisQuality <= s.kMaxVorbisQuality))
            return QStringLiteral("the Ogg Vorbis quality %1 is not between %2 and %3")
                .arg(s.vorbisQuality)
                .arg(s.kMinVorbisQuality)
                .arg(s.kMaxVorbisQuality);
        break;
    case EncodedFormat::Opus:
        if (s.opusBitRate < s.kMinOpusBitRate || s.opusBitRate > s.kMaxOpusBitRate)
            return QStringLiteral("the Opus bit rate of %1 kbit/s is not between %2 and %3 kbit/s")
                .arg(s.opusBitRate / 1000.0)
                .arg(s.kMinOpusBitRate / 1000)
                .arg(s.kMaxOpusBitRate / 1000);
        break;
    case EncodedFormat::Aac:
        if (s.aacBitRate < s.kMinAacBitRate || s.aacBitRate > s.kMaxAacBitRate)
            return QStringLiteral("the AAC bit rate of %1 kbit/s is not between %2 and %3 kbit/s")
                .arg(s.aacBitRate / 1000.0)
                .arg(s.kMinAacBitRate / 1000)
                .arg(s.kMaxAacBitRate / 1000);
        break;
    case EncodedFormat::Alac:
    case EncodedFormat::Wav:
        break;
    }
    return {};
}

QString FfmpegTranscoder::Job::text(AudioError error) const
{
    switch (error) {
    case AudioError::NoEncoder:
        return QStringLiteral("Cannot write \"%1\": FFmpeg has no %2 encoder or no %3 muxer.")
            .arg(m_dest, formatTitle(m_settings.format), QLatin1String(muxerName(m_settings.format)));
    case AudioError::EncoderRefused:
        return QStringLiteral("Cannot write \"%1\": %2.").arg(m_dest, m_refusal);
    case AudioError::CreateFailed:
    case AudioError::WriteFailed:
        return failureText(error, m_source, m_dest, systemReason(m_failure));
    default:
        return failureText(error, m_source, m_dest, {});
    }
}

AudioError FfmpegTranscoder::Job::run()
{
    m_refusal = settingsRefusal();
    if (!m_refusal.isEmpty()) return AudioError::EncoderRefused;
    if (!isAvailable(m_settings.format)) return AudioError::NoEncoder;
    if (const AudioError error = m_decoder.open(m_source); error != AudioError::None) return error;

    const AVFrame* first = nullptr;
    if (const AudioError error = m_decoder.nextFrame(first); error != AudioError::None) return error;
    if (!first) return AudioError::DecodeFailed;
    m_sourceRate = first->sample_rate;
    const int64_t durationMs = m_decoder.durationMs();
    m_total = durationMs > 0 ? durationMs : m_decoder.fileSize();
    if (!tellProgress(true)) return AudioError::Stopped;

    if (const AudioError error = openEncoder(*first); error != AudioError::None) return error;
    if (const AudioError error = openDestination(); error != AudioError::None) return error;
    for (const AVFrame* frame = first; frame;) {
        m_decodedFrames += frame->nb_samples;
        if (const AudioError error = push(frame); error != AudioError::None) return error;
        if (!tellProgress(false)) return AudioError::Stopped;
        if (const AudioError error = m_decoder.nextFrame(frame); error != AudioError::None) return error;
    }
    if (const AudioError error = finish(); error != AudioError::None) return error;
    m_complete = true;
    tellProgress(true);
    return AudioError::None;
}

bool FfmpegTranscoder::Job::tellProgress(bool force)
{
    if (!m_progress) return true;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastProgress < kProgressInterval) return true;
    m_lastProgress = now;
    int64_t done = 0;
    if (m_complete)
        done = m_total;
    else if (m_decoder.durationMs() > 0)
        done = m_sourceRate > 0 ? m_decodedFrames * 1000 / m_sourceRate : 0;
    else
        done = m_decoder.bytesRead();
    return m_progress(std::clamp<int64_t>(done, 0, m_total), m_total);
}

bool FfmpegTranscoder::Job::tryEncoder(const AVCodec* encoder, AVSampleFormat format, int rate,
                                       const AVChannelLayout& layout, int bits)
{
    avcodec_free_context(&m_encoder);
    m_encoder = avcodec_alloc_context3(encoder);
    if (!m_encoder) return false;
    m_encoder->sample_fmt = format;
    m_encoder->sample_rate = rate;
    m_encoder->time_base = AVRational{1, rate};
    if (av_channel_layout_copy(&m_encoder->ch_layout, &layout) < 0) return false;
    if (av_get_bytes_per_sample(format) == 4 && !isFloat(format))
        m_encoder->bits_per_raw_sample = bits > 0 ? std::min(bits, 32) : 32;
    switch (m_settings.format) {
    case EncodedFormat::Flac:
        m_encoder->compression_level = m_settings.flacLevel;
        break;
    case EncodedFormat::Vorbis:
        m_encoder->flags |= AV_CODEC_FLAG_QSCALE;
        m_encoder->global_quality = int(std::lround(m_settings.vorbisQuality * FF_QP2LAMBDA));
        break;
    case EncodedFormat::Opus:
        m_encoder->bit_rate = std::min<int64_t>(m_settings.opusBitRate,
                                                int64_t(kOpusMaxBitRatePerChannel) * layout.nb_channels);
        break;
    case EncodedFormat::Aac:
        m_encoder->bit_rate = m_settings.aacBitRate;
        break;
    case EncodedFormat::Alac:
    case EncodedFormat::Wav:
        break;
    }
    const AVOutputFormat* muxer = av_guess_format(muxerName(m_settings.format), nullptr, nullptr);
    if (muxer->flags & AVFMT_GLOBALHEADER) m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_encoder, encoder, nullptr) < 0) {
        avcodec_free_context(&m_encoder);
        return false;
    }
    return true;
}

AudioError FfmpegTranscoder::Job::openEncoder(const AVFrame& first)
{
    const auto sourceFormat = AVSampleFormat(first.format);
    const int sourceBits = m_decoder.codecContext()->bits_per_raw_sample > 0
                               ? m_decoder.codecContext()->bits_per_raw_sample
                               : av_get_bytes_per_sample(sourceFormat) * 8;
    const EncodedFormat kind = m_settings.format;
    const char* name = kind != EncodedFormat::Wav ? encoderName(kind)
                       : m_settings.wavSixteenBit ? "pcm_s16le"
                                                  : pcmEncoder(sourceFormat, sourceBits);
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (!encoder) return AudioError::NoEncoder;

    const AVSampleFormat format = nearestFormat(sourceFormat, encoder->sample_fmts);
    const int rate =
        kind == EncodedFormat::Opus ? 48000 : nearestRate(first.sample_rate, encoder->supported_samplerates);
    const int channels = first.ch_layout.nb_channels;

    // The channels as they are, under the format's usual layout of that many
    // where it has one of its own; else mixed down to stereo.
    AVChannelLayout layout{};
    knownLayout(layout, first.ch_layout);
    if (channels >= 1 && channels <= 8) {
        uint64_t usual = 0;
        if (kind == EncodedFormat::Vorbis || kind == EncodedFormat::Opus)
            usual = kVorbisLayouts[channels - 1];
        else if (kind == EncodedFormat::Aac)
            usual = kAacLayouts[channels - 1];
        else if (kind == EncodedFormat::Alac && encoder->ch_layouts)
            for (const AVChannelLayout* l = encoder->ch_layouts; l->nb_channels && !usual; ++l)
                if (l->nb_channels == channels && l->order == AV_CHANNEL_ORDER_NATIVE) usual = l->u.mask;
        if (usual) {
            av_channel_layout_uninit(&layout);
            av_channel_layout_from_mask(&layout, usual);
        }
    }
    bool opened = tryEncoder(encoder, format, rate, layout, sourceBits);
    av_channel_layout_uninit(&layout);
    if (!opened && channels > 2) {
        av_channel_layout_from_mask(&layout, AV_CH_LAYOUT_STEREO);
        opened = tryEncoder(encoder, format, rate, layout, sourceBits);
    }
    if (!opened) {
        m_refusal = QStringLiteral("the %1 encoder does not take %2 Hz, %3 channel(s)")
                        .arg(formatTitle(kind))
                        .arg(first.sample_rate)
                        .arg(channels);
        return AudioError::EncoderRefused;
    }

    m_block = m_encoder->frame_size > 0 ? m_encoder->frame_size : kPcmBlock;
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    m_fifo = av_audio_fifo_alloc(m_encoder->sample_fmt, m_encoder->ch_layout.nb_channels, 2 * m_block);
    if (!m_frame || !m_packet || !m_fifo) return AudioError::OpenFailed;
    m_frame->nb_samples = m_block;
    m_frame->format = m_encoder->sample_fmt;
    m_frame->sample_rate = m_encoder->sample_rate;
    if (av_channel_layout_copy(&m_frame->ch_layout, &m_encoder->ch_layout) < 0 ||
        av_frame_get_buffer(m_frame, 0) < 0)
        return AudioError::OpenFailed;
    return AudioError::None;
}

AudioError FfmpegTranscoder::Job::openDestination()
{
    const AVOutputFormat* muxer = av_guess_format(muxerName(m_settings.format), nullptr, nullptr);
    if (avformat_alloc_output_context2(&m_output, muxer, nullptr, nullptr) < 0)
        return AudioError::CreateFailed;
    // Reproducible: no FFmpeg name among the tags, no time of writing.
    m_output->flags |= AVFMT_FLAG_BITEXACT;
    AVStream* stream = avformat_new_stream(m_output, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, m_encoder) < 0)
        return AudioError::CreateFailed;
    stream->time_base = m_encoder->time_base;

    const QByteArray url = "file:" + QFile::encodeName(m_dest);
    if (const int opened = avio_open(&m_output->pb, url.constData(), AVIO_FLAG_WRITE); opened < 0) {
        m_failure = opened;
        return AudioError::CreateFailed;
    }
    AVDictionary* options = nullptr;
    if (m_settings.format == EncodedFormat::Wav) {
        const int64_t bytes = m_decoder.durationMs() / 1000 * m_encoder->sample_rate *
                              m_encoder->ch_layout.nb_channels *
                              av_get_bytes_per_sample(m_encoder->sample_fmt);
        if (bytes > kRiffLimit) av_dict_set(&options, "rf64", "auto", 0);
    } else if (m_settings.format == EncodedFormat::Vorbis || m_settings.format == EncodedFormat::Opus) {
        // The reproducible mode numbers the stream 0; a number of its own
        // keeps files apart when they are chained.
        av_dict_set_int(&options, "serial_offset", av_get_random_seed() & 0x7fffffff, 0);
    }
    const int written = avformat_write_header(m_output, &options);
    av_dict_free(&options);
    if (written < 0) return writeFailed(written);
    return AudioError::None;
}

AudioError FfmpegTranscoder::Job::writeFailed(int result)
{
    if (m_failure == 0) m_failure = result;
    return AudioError::WriteFailed;
}

AudioError FfmpegTranscoder::Job::takeShape(const AVFrame& frame)
{
    // What the previous shape's converter still holds goes first.
    if (m_swr)
        if (const AudioError error = push(nullptr); error != AudioError::None) return error;
    swr_free(&m_swr);
    m_inFormat = frame.format;
    m_inRate = frame.sample_rate;
    m_inChannels = frame.ch_layout.nb_channels;
    const int channels = m_encoder->ch_layout.nb_channels;
    m_direct =
        m_inFormat == m_encoder->sample_fmt && m_inRate == m_encoder->sample_rate && m_inChannels == channels;
    if (m_direct) return AudioError::None;
    // As many channels: taken as the encoder's (the samples stay as they
    // are); fewer: mixed down.
    m_swr = newResampler(m_inChannels == channels ? m_encoder->ch_layout : frame.ch_layout,
                         AVSampleFormat(m_inFormat), m_inRate, m_encoder->ch_layout, m_encoder->sample_fmt,
                         m_encoder->sample_rate);
    if (!m_swr) {
        m_refusal = QStringLiteral("%1 Hz, %2 channel(s) cannot be converted to %3 Hz, %4 channel(s)")
                        .arg(m_inRate)
                        .arg(m_inChannels)
                        .arg(m_encoder->sample_rate)
                        .arg(channels);
        return AudioError::EncoderRefused;
    }
    return AudioError::None;
}

AudioError FfmpegTranscoder::Job::push(const AVFrame* frame)
{
    if (frame && (frame->format != m_inFormat || frame->sample_rate != m_inRate ||
                  frame->ch_layout.nb_channels != m_inChannels)) {
        if (const AudioError error = takeShape(*frame); error != AudioError::None) return error;
    }
    if (frame && m_direct) {
        if (av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(frame->extended_data), frame->nb_samples) <
            frame->nb_samples)
            return AudioError::OpenFailed;
    } else if (m_swr) {
        const int input = frame ? frame->nb_samples : 0;
        const int capacity = swr_get_out_samples(m_swr, input);
        if (capacity < 0) return AudioError::DecodeFailed;
        if (capacity > m_convertedCapacity) {
            if (m_converted) av_freep(&m_converted[0]);
            av_freep(&m_converted);
            m_convertedCapacity = 0;
            if (av_samples_alloc_array_and_samples(&m_converted, nullptr, m_encoder->ch_layout.nb_channels,
                                                   capacity, m_encoder->sample_fmt, 0) < 0)
                return AudioError::OpenFailed;
            m_convertedCapacity = capacity;
        }
        if (capacity > 0) {
            const int made =
                swr_convert(m_swr, m_converted, capacity,
                            frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr, input);
            if (made < 0) return AudioError::DecodeFailed;
            if (made > 0 && av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(m_converted), made) < made)
                return AudioError::OpenFailed;
        }
    }
    while (av_audio_fifo_size(m_fifo) >= m_block)
        if (const AudioError error = encodeBlock(m_block); error != AudioError::None) return error;
    return AudioError::None;
}

AudioError FfmpegTranscoder::Job::encodeBlock(int samples)
{
    if (av_frame_make_writable(m_frame) < 0) return AudioError::OpenFailed;
    const int taken = av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_frame->extended_data), samples);
    if (taken < samples) return AudioError::OpenFailed;
    m_frame->nb_samples = samples;
    m_frame->pts = m_nextPts;
    m_nextPts += samples;
    return encode(m_frame);
}

AudioError FfmpegTranscoder::Job::encode(const AVFrame* frame)
{
    if (avcodec_send_frame(m_encoder, frame) < 0) return AudioError::WriteFailed;
    const AVRational streamBase = m_output->streams[0]->time_base;
    for (;;) {
        const int received = avcodec_receive_packet(m_encoder, m_packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return AudioError::None;
        if (received < 0) return AudioError::WriteFailed;
        av_packet_rescale_ts(m_packet, m_encoder->time_base, streamBase);
        m_packet->stream_index = 0;
        if (const int written = av_interleaved_write_frame(m_output, m_packet); written < 0)
            return writeFailed(written);
    }
}

AudioError FfmpegTranscoder::Job::finish()
{
    if (m_swr)
        if (const AudioError error = push(nullptr); error != AudioError::None) return error;
    // The last block, shorter: the encoders take it as the end.
    if (const int rest = av_audio_fifo_size(m_fifo); rest > 0)
        if (const AudioError error = encodeBlock(rest); error != AudioError::None) return error;
    if (const AudioError error = encode(nullptr); error != AudioError::None) return error;
    if (const int written = av_write_trailer(m_output); written < 0) return writeFailed(written);
    if (const int closed = avio_closep(&m_output->pb); closed < 0) return writeFailed(closed);
    avformat_free_context(m_output);
    m_output = nullptr;
    return AudioError::None;
}

} // namespace audrel::audio
