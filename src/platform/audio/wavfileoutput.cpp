#include "platform/audio/wavfileoutput.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace audrel::audio {

namespace {

constexpr uint64_t kMaxChunk = 0xFFFFFFFFu;
// Samples are gathered up to this many bytes before they are written.
constexpr size_t kBufferBytes = size_t(1) << 18;

void put16(char* at, uint16_t value)
{
    qToLittleEndian(value, at);
}

void put32(char* at, uint32_t value)
{
    qToLittleEndian(value, at);
}

// Writes all size bytes at the current position or, with at >= 0, at that
// offset; 0, or the errno of the write that failed (ENOSPC for a write that
// took nothing without saying why).
int writeAll(int fd, const char* data, size_t size, off_t at = -1)
{
    while (size > 0) {
        const ssize_t n = at >= 0 ? ::pwrite(fd, data, size, at) : ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        data += n;
        size -= size_t(n);
        if (at >= 0) at += n;
    }
    return 0;
}

} // namespace

WavFileOutput::WavFileOutput(const QString& path) : m_path(path) {}

WavFileOutput::~WavFileOutput()
{
    finish();
}

QByteArray WavFileOutput::header(const AudioFormat& format, uint64_t dataBytes)
{
    QByteArray bytes(44, '\0');
    char* h = bytes.data();
    const uint32_t data = uint32_t(std::min(dataBytes, kMaxChunk - 36));
    std::copy_n("RIFF", 4, h);
    put32(h + 4, 36 + data);
    std::copy_n("WAVEfmt ", 8, h + 8);
    put32(h + 16, 16);
    put16(h + 20, 1); // PCM
    put16(h + 22, uint16_t(format.channels));
    put32(h + 24, uint32_t(format.sampleRate));
    put32(h + 28, uint32_t(format.sampleRate) * uint32_t(format.bytesPerFrame()));
    put16(h + 32, uint16_t(format.bytesPerFrame()));
    put16(h + 34, 16);
    std::copy_n("data", 4, h + 36);
    put32(h + 40, data);
    return bytes;
}

AudioError WavFileOutput::fail(AudioError error, int systemError)
{
    if (m_error == AudioError::None) {
        m_error = error;
        if (systemError != 0) m_reason = QString::fromLocal8Bit(std::strerror(systemError));
    }
    return m_error;
}

AudioError WavFileOutput::open()
{
    if (m_fd >= 0) return AudioError::None;
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) return fail(AudioError::CreateFailed, errno);
    m_buffer.reserve(kBufferBytes);
    const QByteArray head = header(m_format, 0);
    m_buffer.assign(head.begin(), head.end());
    return AudioError::None;
}

AudioError WavFileOutput::start(const AudioFormat& format)
{
    if (m_fd < 0) return fail(AudioError::CreateFailed, 0);
    // One file holds samples of one shape only.
    if (m_dataBytes > 0 && format != m_format) return AudioError::FormatChanged;
    m_format = format;
    return AudioError::None;
}

bool WavFileOutput::flush()
{
    const int error = writeAll(m_fd, m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    if (error == 0) return true;
    fail(AudioError::WriteFailed, error);
    return false;
}

int64_t WavFileOutput::write(const int16_t* samples, int64_t frames)
{
    if (m_fd < 0 || m_error != AudioError::None) return -1;
    const int64_t bytes = frames * m_format.bytesPerFrame();
    if (bytes <= 0) return 0;
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "samples are written as they are in memory");
    const auto* data = reinterpret_cast<const char*>(samples);
    if (m_buffer.size() + size_t(bytes) > kBufferBytes && !flush()) return -1;
    if (size_t(bytes) >= kBufferBytes) {
        if (const int error = writeAll(m_fd, data, size_t(bytes)); error != 0) {
            fail(AudioError::WriteFailed, error);
            return -1;
        }
    } else {
        m_buffer.insert(m_buffer.end(), data, data + bytes);
    }
    m_dataBytes += uint64_t(bytes);
    return frames;
}

AudioError WavFileOutput::finish()
{
    if (m_fd < 0) return m_error;
    if (m_error == AudioError::None) flush();
    // The sizes go in even after a failure: the file holds what it got.
    const QByteArray head = header(m_format, m_dataBytes);
    if (const int error = writeAll(m_fd, head.constData(), size_t(head.size()), 0); error != 0)
        fail(AudioError::WriteFailed, error);
    if (::close(m_fd) != 0 && errno != EINTR) fail(AudioError::WriteFailed, errno);
    m_fd = -1;
    m_buffer.clear();
    return m_error;
}

} // namespace audrel::audio
