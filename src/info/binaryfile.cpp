#include "info/binaryfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audrel {

namespace {
constexpr int64_t BufferCapacity = 64 * 1024;
}

BinaryFile::BinaryFile() = default;

BinaryFile::~BinaryFile()
{
    close();
}

int BinaryFile::open(const QString& path, Access access)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking so that a named pipe without a writer does not stall the
    // program; regular files are not affected by the flag.
    const int flags = (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
    int fd;
    do
        fd = ::open(name.constData(), flags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno != 0 ? errno : EIO;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int error = errno != 0 ? errno : EIO;
        ::close(fd);
        return error;
    }
    m_fd = fd;
    m_size = S_ISREG(info.st_mode) ? int64_t(info.st_size) : 0;
    m_mtime = int64_t(info.st_mtime);
    m_pos = 0;
    m_bufferStart = 0;
    m_bufferLength = 0;
    return 0;
}

void BinaryFile::close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_pos = 0;
    m_bufferStart = 0;
    m_bufferLength = 0;
}

bool BinaryFile::fill(int64_t position)
{
    m_bufferStart = position;
    m_bufferLength = 0;
    if (m_fd < 0 || position >= m_size) return false;
    if (m_buffer.empty()) m_buffer.resize(BufferCapacity);
    const int64_t wanted = std::min<int64_t>(BufferCapacity, m_size - position);
    ssize_t got;
    do
        got = ::pread(m_fd, m_buffer.data(), size_t(wanted), off_t(position));
    while (got < 0 && errno == EINTR);
    if (got > 0) m_bufferLength = got;
    if (onRefill) onRefill();
    return m_bufferLength > 0;
}

bool BinaryFile::read(void* destination, int64_t count)
{
    if (count < 0 || m_fd < 0 || m_pos > m_size || count > m_size - m_pos) return false;
    auto* out = static_cast<uint8_t*>(destination);
    int64_t position = m_pos;
    int64_t left = count;
    while (left > 0) {
        if (position < m_bufferStart || position >= m_bufferStart + m_bufferLength) {
            if (left >= BufferCapacity) {
                // Large reads go straight to the caller's memory.
                ssize_t got;
                do
                    got = ::pread(m_fd, out, size_t(left), off_t(position));
                while (got < 0 && errno == EINTR);
                if (got <= 0) return false;
                out += got;
                position += got;
                left -= got;
                continue;
            }
            if (!fill(position)) return false;
        }
        const int64_t offset = position - m_bufferStart;
        const int64_t chunk = std::min(left, m_bufferLength - offset);
        std::memcpy(out, m_buffer.data() + offset, size_t(chunk));
        out += chunk;
        position += chunk;
        left -= chunk;
    }
    m_pos = position;
    return true;
}

int BinaryFile::readByte()
{
    if (m_pos >= m_size) return -1;
    if (m_pos < m_bufferStart || m_pos >= m_bufferStart + m_bufferLength) {
        if (!fill(m_pos)) return -1;
    }
    return m_buffer[size_t(m_pos++ - m_bufferStart)];
}

int64_t BinaryFile::skipTo(uint8_t value)
{
    while (m_pos < m_size) {
        if (m_pos < m_bufferStart || m_pos >= m_bufferStart + m_bufferLength) {
            if (!fill(m_pos)) break;
        }
        const int64_t offset = m_pos - m_bufferStart;
        const void* hit = std::memchr(m_buffer.data() + offset, value, size_t(m_bufferLength - offset));
        if (hit) {
            m_pos = m_bufferStart + (static_cast<const uint8_t*>(hit) - m_buffer.data());
            return m_pos;
        }
        m_pos = m_bufferStart + m_bufferLength;
    }
    m_pos = std::max(m_pos, m_size);
    return -1;
}

bool BinaryFile::writeAt(int64_t position, const void* source, int64_t count)
{
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    m_bufferLength = 0;
    const auto* in = static_cast<const uint8_t*>(source);
    while (count > 0) {
        const ssize_t done = ::pwrite(m_fd, in, size_t(count), off_t(position));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            if (done == 0) errno = EIO;
            return false;
        }
        in += done;
        position += done;
        count -= done;
        m_size = std::max(m_size, position);
    }
    return true;
}

bool BinaryFile::truncate(int64_t newSize)
{
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    m_bufferLength = 0;
    int status;
    do
        status = ::ftruncate(m_fd, off_t(newSize));
    while (status != 0 && errno == EINTR);
    if (status != 0) return false;
    m_size = newSize;
    return true;
}

} // namespace audrel
