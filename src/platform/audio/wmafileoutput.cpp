#include "platform/audio/wmafileoutput.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <mutex>

namespace audrel::audio {

namespace {

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

const AVCodec* wmaEncoder()
{
    return avcodec_find_encoder(AV_CODEC_ID_WMAV2);
}

const AVOutputFormat* asfMuxer()
{
    return av_guess_format("asf", nullptr, nullptr);
}

// The encoder made ready for the shape, or null when it refuses it.
AVCodecContext* openEncoder(const AVCodec* encoder, const AVOutputFormat* muxer, int bitRate, int sampleRate,
                            int channels)
{
    if (channels < 1 || channels > 2 || sampleRate <= 0 || bitRate <= 0) return nullptr;
    AVCodecContext* codec = avcodec_alloc_context3(encoder);
    if (!codec) return nullptr;
    codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec->sample_rate = sampleRate;
    av_channel_layout_default(&codec->ch_layout, channels);
    codec->bit_rate = bitRate;
    codec->time_base = AVRational{1, sampleRate};
    if (muxer->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(codec, encoder, nullptr) < 0 || codec->frame_size <= 0) avcodec_free_context(&codec);
    return codec;
}

} // namespace

bool WmaFileOutput::takes(int bitRate, int sampleRate, int channels)
{
    initLibrary();
    const AVCodec* encoder = wmaEncoder();
    const AVOutputFormat* muxer = asfMuxer();
    if (!encoder || !muxer) return false;
    AVCodecContext* codec = openEncoder(encoder, muxer, bitRate, sampleRate, channels);
    const bool taken = codec != nullptr;
    avcodec_free_context(&codec);
    return taken;
}

WmaFileOutput::WmaFileOutput(const QString& path, int bitRate, int sampleRate, int channels)
    : m_path(path), m_bitRate(bitRate), m_sampleRate(sampleRate), m_channels(channels)
{
    initLibrary();
}

WmaFileOutput::~WmaFileOutput()
{
    close();
}

bool WmaFileOutput::isAvailable()
{
    return wmaEncoder() && asfMuxer();
}

bool WmaFileOutput::check(int result)
{
    if (result < 0 && m_failure == 0) m_failure = result;
    return result >= 0;
}

QString WmaFileOutput::errorString() const
{
    // Only what the system said: FFmpeg's own codes tell the user nothing.
    const int code = AVUNERROR(m_failure);
    if (code <= 0 || code >= 4096) return {};
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(m_failure, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

AudioError WmaFileOutput::fail(AudioError error)
{
    m_error = error;
    close();
    return error;
}

AudioError WmaFileOutput::open()
{
    close();
    m_error = AudioError::None;
    m_failure = 0;
    const AVCodec* encoder = wmaEncoder();
    const AVOutputFormat* muxer = asfMuxer();
    if (!encoder || !muxer) return fail(AudioError::NoEncoder);
    if (avformat_alloc_output_context2(&m_container, muxer, nullptr, nullptr) < 0)
        return fail(AudioError::CreateFailed);
    AVStream* stream = avformat_new_stream(m_container, nullptr);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!stream || !m_frame || !m_packet) return fail(AudioError::CreateFailed);
    m_codec = openEncoder(encoder, muxer, m_bitRate, m_sampleRate, m_channels);
    if (!m_codec) return fail(AudioError::EncoderRefused);
    if (avcodec_parameters_from_context(stream->codecpar, m_codec) < 0) return fail(AudioError::CreateFailed);
    stream->time_base = m_codec->time_base;

    // One block to encode at a time, refilled in place.
    m_frame->nb_samples = m_codec->frame_size;
    m_frame->format = m_codec->sample_fmt;
    m_frame->sample_rate = m_sampleRate;
    m_fifo = av_audio_fifo_alloc(m_codec->sample_fmt, m_channels, 2 * m_codec->frame_size);
    if (av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout) < 0 ||
        av_frame_get_buffer(m_frame, 0) < 0 || !m_fifo)
        return fail(AudioError::CreateFailed);

    const QByteArray url = "file:" + QFile::encodeName(m_path);
    if (!check(avio_open(&m_container->pb, url.constData(), AVIO_FLAG_WRITE)))
        return fail(AudioError::CreateFailed);
    if (!check(avformat_write_header(m_container, nullptr))) return fail(AudioError::WriteFailed);
    m_nextPts = 0;
    return AudioError::None;
}

void WmaFileOutput::close()
{
    if (m_container) {
        if (m_container->pb) avio_closep(&m_container->pb);
        avformat_free_context(m_container);
        m_container = nullptr;
    }
    avcodec_free_context(&m_codec);
    swr_free(&m_swr);
    if (m_fifo) av_audio_fifo_free(m_fifo);
    m_fifo = nullptr;
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    if (m_converted) av_freep(&m_converted[0]);
    av_freep(&m_converted);
    m_convertedCapacity = 0;
    m_input = {};
}

AudioError WmaFileOutput::start(const AudioFormat& format)
{
    if (!isOpen()) return m_error == AudioError::None ? AudioError::CreateFailed : m_error;
    if (!format.isValid()) return AudioError::FormatChanged;
    if (m_swr && format == m_input) return AudioError::None;
    // What the previous shape's resampler still holds goes first.
    if (m_swr && !convert(nullptr, 0)) return fail(AudioError::WriteFailed);
    swr_free(&m_swr);
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, format.channels);
    const int made = swr_alloc_set_opts2(&m_swr, &m_codec->ch_layout, m_codec->sample_fmt, m_sampleRate,
                                         &layout, AV_SAMPLE_FMT_S16, format.sampleRate, 0, nullptr);
    av_channel_layout_uninit(&layout);
    if (made < 0 || swr_init(m_swr) < 0) {
        swr_free(&m_swr);
        return fail(AudioError::EncoderRefused);
    }
    m_input = format;
    return AudioError::None;
}

int64_t WmaFileOutput::write(const int16_t* samples, int64_t frames)
{
    if (!isOpen() || !m_swr || m_error != AudioError::None) return -1;
    constexpr int64_t kStep = 1 << 20; // frames per conversion, so the counts fit in an int
    for (int64_t done = 0; done < frames; done += kStep) {
        const int count = int(std::min(kStep, frames - done));
        const auto* bytes = reinterpret_cast<const uint8_t*>(samples + done * m_input.channels);
        if (!convert(bytes, count)) {
            fail(AudioError::WriteFailed);
            return -1;
        }
    }
    return frames;
}

bool WmaFileOutput::convert(const uint8_t* samples, int frames)
{
    const int capacity = swr_get_out_samples(m_swr, frames);
    if (capacity < 0) return false;
    if (capacity > m_convertedCapacity) {
        if (m_converted) av_freep(&m_converted[0]);
        av_freep(&m_converted);
        m_convertedCapacity = 0;
        if (av_samples_alloc_array_and_samples(&m_converted, nullptr, m_channels, capacity,
                                               m_codec->sample_fmt, 0) < 0)
            return false;
        m_convertedCapacity = capacity;
    }
    if (capacity > 0) {
        const int made = swr_convert(m_swr, m_converted, capacity, samples ? &samples : nullptr, frames);
        if (made < 0) return false;
        if (made > 0 && av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(m_converted), made) < made)
            return false;
    }
    while (av_audio_fifo_size(m_fifo) >= m_codec->frame_size)
        if (!encodeBlock(false)) return false;
    return true;
}

bool WmaFileOutput::encodeBlock(bool last)
{
    if (last) {
        if (avcodec_send_frame(m_codec, nullptr) < 0) return false;
        return writePackets();
    }
    if (av_frame_make_writable(m_frame) < 0) return false;
    const int size = m_codec->frame_size;
    const int taken = av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_frame->data), size);
    if (taken < 0) return false;
    if (taken < size)
        av_samples_set_silence(m_frame->data, taken, size - taken, m_channels, m_codec->sample_fmt);
    m_frame->pts = m_nextPts;
    m_nextPts += size;
    if (avcodec_send_frame(m_codec, m_frame) < 0) return false;
    return writePackets();
}

bool WmaFileOutput::writePackets()
{
    const AVRational streamBase = m_container->streams[0]->time_base;
    for (;;) {
        const int received = avcodec_receive_packet(m_codec, m_packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
        if (received < 0) return false;
        av_packet_rescale_ts(m_packet, m_codec->time_base, streamBase);
        m_packet->stream_index = 0;
        const int written = av_write_frame(m_container, m_packet);
        av_packet_unref(m_packet);
        if (!check(written)) return false;
    }
}

AudioError WmaFileOutput::finish()
{
    if (!isOpen()) return m_error;
    bool ok = !m_swr || convert(nullptr, 0);
    while (ok && av_audio_fifo_size(m_fifo) > 0)
        ok = encodeBlock(false);
    ok = ok && encodeBlock(true) && check(av_write_trailer(m_container));
    ok = check(avio_closep(&m_container->pb)) && ok;
    if (!ok) m_error = AudioError::WriteFailed;
    close();
    return m_error;
}

} // namespace audrel::audio
