#pragma once
// A file opened for the readers: 64-bit positions, reads of an exact length
// through a read buffer, the operating system's error code when opening fails,
// and a quick scan for a byte value. Reading past the end of the file fails.

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace audrel {

class BinaryFile
{
public:
    enum class Access
    {
        Read,
        ReadWrite
    };

    BinaryFile();
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Returns 0, or the operating system's error code (errno) when the file cannot be opened.
    int open(const QString& path, Access access = Access::Read);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Size of the file when it was opened (or after the last write or truncation).
    int64_t size() const { return m_size; }
    int64_t pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_size; }
    // Any position at or after 0 may be set; a read there fails when it lies past the end.
    void seek(int64_t position) { m_pos = position < 0 ? 0 : position; }

    // Reads exactly count bytes at the current position and moves past them;
    // false (position unchanged) when fewer bytes are left or the read fails.
    bool read(void* destination, int64_t count);
    // The next byte, or -1 at the end of the file or on a read failure.
    int readByte();
    // Moves to the first byte with the given value at or after the current
    // position and returns its position; at the end of the file when there is none (-1).
    int64_t skipTo(uint8_t value);

    // Writes at the given position; false with errno set on failure.
    bool writeAt(int64_t position, const void* source, int64_t count);
    // Cuts the file to the given size; false with errno set on failure.
    bool truncate(int64_t newSize);

    // Seconds since 1970 of the last modification, 0 when unknown.
    int64_t modificationTime() const { return m_mtime; }

    // Called whenever the read buffer is refilled; long scans use it to keep
    // the program's window alive.
    std::function<void()> onRefill;

private:
    bool fill(int64_t position);

    int m_fd = -1;
    int64_t m_size = 0;
    int64_t m_pos = 0;
    int64_t m_mtime = 0;
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    int64_t m_bufferLength = 0;
};

} // namespace audrel
