#include "platform/audio/mpg123decoder.h"

#include "platform/audio/inputfile.h"

#include <mpg123.h>

#include <mutex>
#include <unistd.h>

namespace audrel::audio {

namespace {

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

Mpg123Decoder::Mpg123Decoder()
{
    initLibrary();
}

Mpg123Decoder::~Mpg123Decoder()
{
    close();
}

mpg123_handle* Mpg123Decoder::newHandle()
{
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle) return nullptr;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return handle;
}

int64_t Mpg123Decoder::scanLength(const QString& path)
{
    AudioError error;
    const int fd = openInputFile(path, error);
    if (fd < 0) return 0;
    int64_t length = 0;
    if (mpg123_handle* handle = newHandle()) {
        if (mpg123_open_fd(handle, fd) == MPG123_OK) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK &&
                mpg123_scan(handle) == MPG123_OK)
                length = std::max<int64_t>(0, mpg123_length(handle));
            mpg123_close(handle);
        }
        mpg123_delete(handle);
    }
    ::close(fd);
    return length;
}

AudioError Mpg123Decoder::open(const QString& path)
{
    close();
    AudioError error;
    m_fd = openInputFile(path, error);
    if (m_fd < 0) return error;
    m_handle = newHandle();
    if (!m_handle) {
        close();
        return AudioError::OpenFailed;
    }
    if (mpg123_open_fd(m_handle, m_fd) != MPG123_OK) {
        close();
        return AudioError::ReadFailed;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels <= 0) {
        close();
        return AudioError::NotMpegAudio;
    }
    m_format = {int(rate), channels};
    mpg123_frameinfo info{};
    if (mpg123_info(m_handle, &info) == MPG123_OK)
        m_bitrate = (info.vbr == MPG123_ABR ? info.abr_rate : info.bitrate) * 1000;
    m_length = scanLength(path);
    if (m_length <= 0) m_length = std::max<int64_t>(0, mpg123_length(m_handle));
    m_position = 0;
    return AudioError::None;
}

void Mpg123Decoder::close()
{
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_format = {};
    m_length = 0;
    m_position = 0;
    m_bitrate = 0;
}

AudioError Mpg123Decoder::nextBlock(const int16_t*& samples, int64_t& frames)
{
    samples = nullptr;
    frames = 0;
    if (!m_handle) return AudioError::ReadFailed;
    for (;;) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int result = mpg123_decode_frame(m_handle, &frameNumber, &audio, &bytes);
        if (result == MPG123_DONE) return AudioError::None;
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(m_handle, &rate, &channels, &encoding);
            if (int(rate) != m_format.sampleRate || channels != m_format.channels)
                return AudioError::FormatChanged;
        } else if (result != MPG123_OK) {
            return mpg123_errcode(m_handle) == MPG123_NO_READER || mpg123_errcode(m_handle) == MPG123_NO_SEEK
                       ? AudioError::ReadFailed
                       : AudioError::DecodeFailed;
        }
        if (bytes > 0 && audio) {
            samples = reinterpret_cast<const int16_t*>(audio);
            frames = int64_t(bytes) / m_format.bytesPerFrame();
            m_position += frames;
            return AudioError::None;
        }
    }
}

bool Mpg123Decoder::seekFrame(int64_t frame)
{
    if (!m_handle || frame < 0) return false;
    const off_t reached = mpg123_seek(m_handle, off_t(frame), SEEK_SET);
    if (reached < 0) return false;
    m_position = reached;
    return true;
}

} // namespace audrel::audio
