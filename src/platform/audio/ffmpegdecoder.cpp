#include "platform/audio/ffmpegdecoder.h"

#include "platform/audio/ffmpegresampler.h"
#include "platform/audio/inputfile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace audrel::audio {

namespace {

constexpr int kReadBufferBytes = 64 * 1024;
// Errors in a row after which a codec is given up.
constexpr int kMaxRefusals = 1000;
// How far before the time asked for a seek starts decoding.
constexpr int64_t kSeekLeadMs = 500;
// Packets a probe reads at most to find the first of its stream.
constexpr int kProbePackets = 100;

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// Nothing but the file itself is read: a playlist or reference inside it
// does not make the demuxer open anything else.
int refuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

bool isProtected(const AVFormatContext* container)
{
    return av_dict_get(container->metadata, "encryption", nullptr, 0) ||
           av_dict_get(container->metadata, "ASF_Protection_Type", nullptr, 0);
}

// A packet of an encrypted stream (MP4 Common Encryption), which the codec
// would take for damaged data.
bool isEncrypted(const AVPacket* packet)
{
    return av_packet_get_side_data(packet, AV_PKT_DATA_ENCRYPTION_INFO, nullptr) != nullptr;
}

// The codec for the user.
QString codecTitle(AVCodecID id)
{
    switch (id) {
    case AV_CODEC_ID_FLAC:
        return QStringLiteral("FLAC");
    case AV_CODEC_ID_VORBIS:
        return QStringLiteral("Vorbis");
    case AV_CODEC_ID_OPUS:
        return QStringLiteral("Opus");
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_AAC_LATM:
        return QStringLiteral("AAC");
    case AV_CODEC_ID_ALAC:
        return QStringLiteral("ALAC");
    case AV_CODEC_ID_MP1:
        return QStringLiteral("MP1");
    case AV_CODEC_ID_MP2:
        return QStringLiteral("MP2");
    case AV_CODEC_ID_MP3:
        return QStringLiteral("MP3");
    case AV_CODEC_ID_WMAV1:
        return QStringLiteral("WMA v1");
    case AV_CODEC_ID_WMAV2:
        return QStringLiteral("WMA v2");
    case AV_CODEC_ID_WMAPRO:
        return QStringLiteral("WMA Pro");
    case AV_CODEC_ID_WMALOSSLESS:
        return QStringLiteral("WMA Lossless");
    case AV_CODEC_ID_WMAVOICE:
        return QStringLiteral("WMA Voice");
    case AV_CODEC_ID_APE:
        return QStringLiteral("Monkey's Audio");
    case AV_CODEC_ID_WAVPACK:
        return QStringLiteral("WavPack");
    case AV_CODEC_ID_TTA:
        return QStringLiteral("TTA");
    case AV_CODEC_ID_AC3:
        return QStringLiteral("AC-3");
    case AV_CODEC_ID_EAC3:
        return QStringLiteral("E-AC-3");
    case AV_CODEC_ID_DTS:
        return QStringLiteral("DTS");
    case AV_CODEC_ID_MUSEPACK7:
    case AV_CODEC_ID_MUSEPACK8:
        return QStringLiteral("Musepack");
    case AV_CODEC_ID_SPEEX:
        return QStringLiteral("Speex");
    case AV_CODEC_ID_TRUEHD:
        return QStringLiteral("TrueHD");
    case AV_CODEC_ID_SHORTEN:
        return QStringLiteral("Shorten");
    default:
        break;
    }
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(id);
    if (!descriptor) return {};
    const QString name = QString::fromLatin1(descriptor->name);
    if (name.startsWith(QLatin1String("pcm_"))) return QStringLiteral("PCM");
    if (name.startsWith(QLatin1String("adpcm_"))) return QStringLiteral("ADPCM");
    return descriptor->long_name ? QString::fromLatin1(descriptor->long_name) : name.toUpper();
}

// The bits of a sample of a lossless or PCM stream, 0 for a lossy one.
int bitsPerSample(const AVCodecParameters* parameters)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(parameters->codec_id);
    if (!descriptor || !(descriptor->props & AV_CODEC_PROP_LOSSLESS)) return 0;
    if (parameters->bits_per_raw_sample > 0) return parameters->bits_per_raw_sample;
    if (parameters->bits_per_coded_sample > 0) return parameters->bits_per_coded_sample;
    return av_get_bytes_per_sample(AVSampleFormat(parameters->format)) * 8;
}

} // namespace

int FfmpegDecoder::readSource(void* opaque, uint8_t* buffer, int size)
{
    auto* source = static_cast<Source*>(opaque);
    ssize_t n;
    do
        n = ::read(source->fd, buffer, size_t(size));
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        source->readError = errno;
        return AVERROR(errno);
    }
    return n == 0 ? AVERROR_EOF : int(n);
}

int64_t FfmpegDecoder::seekSource(void* opaque, int64_t offset, int whence)
{
    const int fd = static_cast<Source*>(opaque)->fd;
    if (whence & AVSEEK_SIZE) {
        struct stat info;
        return ::fstat(fd, &info) == 0 ? int64_t(info.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

FfmpegDecoder::FfmpegDecoder()
{
    initLibrary();
}

FfmpegDecoder::~FfmpegDecoder()
{
    close();
}

AudioError FfmpegDecoder::openStream(const QString& path)
{
    AudioError error = AudioError::None;
    m_source.fd = openInputFile(path, error);
    if (m_source.fd < 0) return error;
    struct stat info;
    if (::fstat(m_source.fd, &info) != 0) return AudioError::OpenFailed;
    m_fileSize = info.st_size;

    auto* buffer = static_cast<unsigned char*>(av_malloc(kReadBufferBytes));
    m_io = buffer
               ? avio_alloc_context(buffer, kReadBufferBytes, 0, &m_source, readSource, nullptr, seekSource)
               : nullptr;
    m_container = avformat_alloc_context();
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_io || !m_container || !m_packet || !m_frame) {
        if (!m_io) av_free(buffer);
        return AudioError::OpenFailed;
    }
    m_container->pb = m_io;
    // Nothing but the file itself is read: the demuxers that open what a
    // file names open through io_open, or (a concatenation list) through a
    // protocol, and no protocol is allowed.
    m_container->io_open = refuseOpen;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    const int opened = avformat_open_input(&m_container, nullptr, nullptr, &options); // frees m_container
    av_dict_free(&options);
    if (opened < 0) return m_source.readError != 0 ? AudioError::ReadFailed : AudioError::NotMpegAudio;
    if (isProtected(m_container)) return AudioError::Protected;
    if (avformat_find_stream_info(m_container, nullptr) < 0) return AudioError::NotMpegAudio;
    m_stream = av_find_best_stream(m_container, AVMEDIA_TYPE_AUDIO, -1, -1, &m_decoder, 0);
    if (m_stream < 0 || !m_decoder) return AudioError::NotMpegAudio;
    for (unsigned i = 0; i < m_container->nb_streams; ++i)
        if (int(i) != m_stream) m_container->streams[i]->discard = AVDISCARD_ALL;
    return AudioError::None;
}

AudioError FfmpegDecoder::probe(const QString& path, MediaFacts& facts)
{
    facts = {};
    FfmpegDecoder decoder;
    AudioError error = decoder.openStream(path);
    if (error != AudioError::None) return error;
    const AVFormatContext* container = decoder.m_container;
    const AVCodecParameters* parameters = container->streams[decoder.m_stream]->codecpar;
    if (parameters->sample_rate <= 0 || parameters->ch_layout.nb_channels <= 0)
        return AudioError::NotMpegAudio;

    // The first packet of the stream (which finding the stream has read
    // already) tells whether it is encrypted.
    for (int read = 0; read < kProbePackets; ++read) {
        if (av_read_frame(decoder.m_container, decoder.m_packet) < 0)
            return decoder.m_source.readError != 0 ? AudioError::ReadFailed : AudioError::NotMpegAudio;
        const bool ours = decoder.m_packet->stream_index == decoder.m_stream;
        const bool encrypted = ours && isEncrypted(decoder.m_packet);
        av_packet_unref(decoder.m_packet);
        if (encrypted) return AudioError::Protected;
        if (ours) break;
    }

    facts.container = QString::fromLatin1(container->iformat->name);
    facts.codec = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
    facts.codecTitle = codecTitle(parameters->codec_id);
    facts.sampleRate = parameters->sample_rate;
    facts.channels = parameters->ch_layout.nb_channels;
    facts.bitsPerSample = bitsPerSample(parameters);
    if (container->duration != AV_NOPTS_VALUE && container->duration > 0)
        facts.durationMs = container->duration / (AV_TIME_BASE / 1000);
    facts.bitRate =
        parameters->bit_rate > 0 ? parameters->bit_rate : std::max<int64_t>(container->bit_rate, 0);
    return error;
}

void FfmpegDecoder::limitFormat(int maxRate, int maxChannels)
{
    m_maxRate = std::max(maxRate, 0);
    m_maxChannels = std::max(maxChannels, 0);
}

AudioError FfmpegDecoder::open(const QString& path)
{
    close();
    if (const AudioError error = openStream(path); error != AudioError::None) {
        close();
        return error;
    }
    const AVStream* stream = m_container->streams[m_stream];
    m_codec = avcodec_alloc_context3(m_decoder);
    if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0) {
        close();
        return AudioError::OpenFailed;
    }
    m_codec->pkt_timebase = stream->time_base;
    // Decoders that can (FLAC, ALAC, APE and others) decode several frames at
    // once on the free processors, as the ffmpeg command does.
    m_codec->thread_count = 0;
    if (avcodec_open2(m_codec, m_decoder, nullptr) < 0) {
        close();
        return AudioError::NotMpegAudio;
    }

    if (m_container->duration != AV_NOPTS_VALUE && m_container->duration > 0)
        m_durationMs = m_container->duration / (AV_TIME_BASE / 1000);
    m_bitrate = int(stream->codecpar->bit_rate > 0 ? stream->codecpar->bit_rate : m_container->bit_rate);

    // The format is the one of the first block, as the command line takes it.
    bool got = false;
    const AudioError error = decodeFrame(got);
    if (error != AudioError::None) {
        close();
        return error;
    }
    if (!got) { // an audio stream without a single block of audio: damaged, or cut off
        close();
        return AudioError::DecodeFailed;
    }
    m_primed = true;
    m_sourceFormat = {m_frame->sample_rate, m_frame->ch_layout.nb_channels};
    if (!m_sourceFormat.isValid()) {
        close();
        return AudioError::NotMpegAudio;
    }
    m_audioFormat = m_sourceFormat;
    if (m_maxRate > 0) m_audioFormat.sampleRate = std::min(m_audioFormat.sampleRate, m_maxRate);
    if (m_maxChannels > 0) m_audioFormat.channels = std::min(m_audioFormat.channels, m_maxChannels);
    // Frame 0 is the first sample decoded: times are counted from its time stamp.
    m_origin = m_frame->best_effort_timestamp != AV_NOPTS_VALUE ? m_frame->best_effort_timestamp
               : stream->start_time != AV_NOPTS_VALUE           ? stream->start_time
                                                                : 0;
    return AudioError::None;
}

void FfmpegDecoder::close()
{
    swr_free(&m_swr);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_container);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    if (m_source.fd >= 0) ::close(m_source.fd);
    m_source = {};
    m_fileSize = 0;
    m_stream = -1;
    m_samples.clear();
    m_audioFormat = {};
    m_sourceFormat = {};
    m_flushed = false;
    m_durationMs = 0;
    m_bitrate = 0;
    m_position = 0;
    m_primed = false;
    m_draining = false;
    m_ended = false;
    m_seekTarget = -1;
    m_origin = 0;
}

int64_t FfmpegDecoder::lengthFrames() const
{
    if (!isOpen()) return 0;
    const AVStream* stream = m_container->streams[m_stream];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, m_audioFormat.sampleRate});
    return m_durationMs * m_audioFormat.sampleRate / 1000;
}

int64_t FfmpegDecoder::bytesRead() const
{
    return m_io ? std::clamp<int64_t>(avio_tell(m_io), 0, m_fileSize) : 0;
}

QString FfmpegDecoder::codecName() const
{
    return m_codec ? QString::fromLatin1(avcodec_get_name(m_codec->codec_id)) : QString();
}

AudioError FfmpegDecoder::decodeFrame(bool& got)
{
    got = false;
    for (int refused = 0;;) {
        const int received = avcodec_receive_frame(m_codec, m_frame);
        if (received == 0) {
            got = true;
            return AudioError::None;
        }
        if (received == AVERROR_EOF) {
            m_ended = true;
            return AudioError::None;
        }
        if (received != AVERROR(EAGAIN)) {
            // A damaged packet, passed over as the command line does; a codec
            // that does nothing but refuse is given up.
            if (++refused > kMaxRefusals) return AudioError::DecodeFailed;
            continue;
        }
        if (m_draining) { // a codec that holds nothing more and still asks for input
            m_ended = true;
            return AudioError::None;
        }
        const int read = av_read_frame(m_container, m_packet);
        if (read < 0) {
            if (m_source.readError != 0) return AudioError::ReadFailed;
            // The end of the file, or a container damaged beyond this point:
            // the codec gives what it holds.
            m_draining = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (m_packet->stream_index == m_stream) {
            if (isEncrypted(m_packet)) {
                av_packet_unref(m_packet);
                return AudioError::Protected;
            }
            avcodec_send_packet(m_codec, m_packet); // a damaged packet is passed over
        }
        av_packet_unref(m_packet);
    }
}

AudioError FfmpegDecoder::convertFrame(int first, const int16_t*& samples, int64_t& frames)
{
    const int channels = m_audioFormat.channels;
    if (limited()) {
        // Resampled or mixed: what the resampler gives for the frame, of
        // which the share of the frames to drop is dropped.
        if (!m_swr) {
            AVChannelLayout layout{};
            if (channels < m_sourceFormat.channels)
                av_channel_layout_default(&layout, channels);
            else
                knownLayout(layout, m_frame->ch_layout);
            m_swr = newResampler(m_frame->ch_layout, AVSampleFormat(m_frame->format), m_frame->sample_rate,
                                 layout, AV_SAMPLE_FMT_S16, m_audioFormat.sampleRate);
            av_channel_layout_uninit(&layout);
            if (!m_swr) return AudioError::DecodeFailed;
        }
        const int input = m_frame ? m_frame->nb_samples : 0;
        const int capacity = swr_get_out_samples(m_swr, input);
        if (capacity < 0) return AudioError::DecodeFailed;
        m_samples.resize(size_t(capacity) * size_t(channels));
        uint8_t* out = reinterpret_cast<uint8_t*>(m_samples.data());
        const int converted =
            swr_convert(m_swr, &out, capacity,
                        m_frame ? const_cast<const uint8_t**>(m_frame->extended_data) : nullptr, input);
        if (converted < 0) return AudioError::DecodeFailed;
        const int dropped = int(std::min<int64_t>(
            converted, av_rescale(first, m_audioFormat.sampleRate, m_sourceFormat.sampleRate)));
        samples = m_samples.data() + int64_t(dropped) * channels;
        frames = converted - dropped;
        return AudioError::None;
    }

    const int count = m_frame->nb_samples - first;
    if (m_frame->format == AV_SAMPLE_FMT_S16) { // already what is given
        samples = reinterpret_cast<const int16_t*>(m_frame->data[0]) + int64_t(first) * channels;
        frames = count;
        return AudioError::None;
    }
    if (!m_swr) {
        // A converter of the kind FFmpeg's command line inserts before a
        // 16-bit output: same rate and layout, default options.
        AVChannelLayout layout{};
        knownLayout(layout, m_frame->ch_layout);
        const int made =
            swr_alloc_set_opts2(&m_swr, &layout, AV_SAMPLE_FMT_S16, m_frame->sample_rate, &layout,
                                AVSampleFormat(m_frame->format), m_frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&layout);
        if (made < 0 || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            return AudioError::DecodeFailed;
        }
    }
    m_samples.resize(size_t(m_frame->nb_samples) * size_t(channels));
    uint8_t* out = reinterpret_cast<uint8_t*>(m_samples.data());
    const int converted =
        swr_convert(m_swr, &out, m_frame->nb_samples, const_cast<const uint8_t**>(m_frame->extended_data),
                    m_frame->nb_samples);
    if (converted < 0) return AudioError::DecodeFailed;
    first = std::min(first, converted);
    samples = m_samples.data() + int64_t(first) * channels;
    frames = converted - first;
    return AudioError::None;
}

int64_t FfmpegDecoder::frameAt(int64_t timestamp, int blockFrames) const
{
    const AVRational base = m_container->streams[m_stream]->time_base;
    const AVRational frames{1, m_sourceFormat.sampleRate};
    const int64_t frame = av_rescale_q(timestamp - m_origin, base, frames);
    // Time stamps are coarser than frames (ASF counts milliseconds). Blocks of
    // one size follow each other from frame 0, so the block boundary nearest
    // to the time stamp, within one tick of it, is where the block starts.
    const int64_t tick = av_rescale_q_rnd(1, base, frames, AV_ROUND_UP);
    if (blockFrames <= 0) return frame;
    const int64_t boundary = (frame + blockFrames / 2) / blockFrames * blockFrames;
    return std::abs(boundary - frame) <= tick ? boundary : frame;
}

AudioError FfmpegDecoder::nextBlock(const int16_t*& samples, int64_t& frames)
{
    samples = nullptr;
    frames = 0;
    if (!isOpen()) return AudioError::ReadFailed;
    for (;;) {
        if (m_primed) {
            m_primed = false;
        } else {
            if (m_ended) {
                // The end: a resampler gives what it still holds, once.
                if (!limited() || m_flushed || !m_swr) return AudioError::None;
                m_flushed = true;
                AVFrame* frame = m_frame;
                m_frame = nullptr;
                const AudioError error = convertFrame(0, samples, frames);
                m_frame = frame;
                if (error == AudioError::None) m_position += frames;
                return error;
            }
            bool got = false;
            if (const AudioError error = decodeFrame(got); error != AudioError::None) return error;
            if (!got) continue;
        }
        if (m_frame->sample_rate != m_sourceFormat.sampleRate ||
            m_frame->ch_layout.nb_channels != m_sourceFormat.channels)
            return AudioError::FormatChanged;
        int first = 0;
        if (m_seekTarget >= 0) {
            // A block after the seek: its time stamp tells where it starts;
            // what lies before the frame asked for is dropped.
            const int64_t timestamp = m_frame->best_effort_timestamp;
            if (timestamp != AV_NOPTS_VALUE) {
                const int64_t start = frameAt(timestamp, m_frame->nb_samples);
                if (start + m_frame->nb_samples <= m_seekTarget) continue;
                first = int(std::max<int64_t>(0, m_seekTarget - start));
                m_position = av_rescale(start + first, m_audioFormat.sampleRate, m_sourceFormat.sampleRate);
            }
            m_seekTarget = -1;
        }
        if (const AudioError error = convertFrame(first, samples, frames); error != AudioError::None)
            return error;
        if (frames == 0) continue;
        m_position += frames;
        return AudioError::None;
    }
}

bool FfmpegDecoder::seekFrame(int64_t frame)
{
    if (!isOpen() || frame < 0) return false;
    const AVStream* stream = m_container->streams[m_stream];
    const AVRational frames{1, m_audioFormat.sampleRate};
    const int64_t timestamp = m_origin + av_rescale_q(frame, frames, stream->time_base);
    // From a little before, so that the blocks up to the frame are decoded
    // whatever the codec holds back at its start.
    const int64_t lead = timestamp - av_rescale_q(kSeekLeadMs, AVRational{1, 1000}, stream->time_base);
    if (avformat_seek_file(m_container, m_stream, INT64_MIN, lead, lead, 0) < 0 &&
        av_seek_frame(m_container, m_stream, lead, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    if (m_swr) swr_init(m_swr); // drops what it holds
    m_primed = false;
    m_draining = false;
    m_ended = false;
    m_flushed = false;
    m_seekTarget = av_rescale(frame, m_sourceFormat.sampleRate, m_audioFormat.sampleRate);
    m_position = frame;
    return true;
}

bool FfmpegDecoder::seekMs(int64_t ms)
{
    return isOpen() && ms >= 0 && seekFrame(ms * m_audioFormat.sampleRate / 1000);
}

AudioError FfmpegDecoder::nextFrame(const AVFrame*& frame)
{
    frame = nullptr;
    if (!isOpen()) return AudioError::ReadFailed;
    if (m_primed) {
        m_primed = false;
    } else {
        if (m_ended) return AudioError::None;
        bool got = false;
        if (const AudioError error = decodeFrame(got); error != AudioError::None) return error;
        if (!got) return AudioError::None;
    }
    m_position += m_frame->nb_samples;
    frame = m_frame;
    return AudioError::None;
}

const AVStream* FfmpegDecoder::stream() const
{
    return isOpen() ? m_container->streams[m_stream] : nullptr;
}

} // namespace audrel::audio
