#include "platform/audio/wavfileoutput.h"

#include <QtEndian>

#include <algorithm>

namespace audrel::audio {

namespace {

constexpr uint64_t kMaxChunk = 0xFFFFFFFFu;

void put16(char* at, uint16_t value)
{
    qToLittleEndian(value, at);
}

void put32(char* at, uint32_t value)
{
    qToLittleEndian(value, at);
}

} // namespace

WavFileOutput::WavFileOutput(const QString& path) : m_path(path), m_file(path) {}

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

AudioError WavFileOutput::open()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return m_error = AudioError::CreateFailed;
    if (m_file.write(header(m_format, 0)) != 44) return m_error = AudioError::WriteFailed;
    return AudioError::None;
}

AudioError WavFileOutput::start(const AudioFormat& format)
{
    if (!m_file.isOpen()) return m_error = AudioError::CreateFailed;
    // One file holds samples of one shape only.
    if (m_dataBytes > 0 && format != m_format) return AudioError::FormatChanged;
    m_format = format;
    return AudioError::None;
}

int64_t WavFileOutput::write(const int16_t* samples, int64_t frames)
{
    if (!m_file.isOpen() || m_error != AudioError::None) return -1;
    const qint64 bytes = frames * m_format.bytesPerFrame();
    if (bytes <= 0) return 0;
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "samples are written as they are in memory");
    if (m_file.write(reinterpret_cast<const char*>(samples), bytes) != bytes) {
        m_error = AudioError::WriteFailed;
        return -1;
    }
    m_dataBytes += uint64_t(bytes);
    return frames;
}

AudioError WavFileOutput::finish()
{
    if (!m_file.isOpen()) return m_error;
    const QByteArray head = header(m_format, m_dataBytes);
    if (!m_file.seek(0) || m_file.write(head) != head.size() || !m_file.flush())
        if (m_error == AudioError::None) m_error = AudioError::WriteFailed;
    m_file.close();
    return m_error;
}

} // namespace audrel::audio
