#include "platform/audio/mpg123decoder.h"

#include "platform/audio/inputfile.h"

#include <mpg123.h>

#include <atomic>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <vector>
#include <unistd.h>

namespace audrel::audio {

namespace {

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

// A reader of the decoder's file through pread, in blocks: libmpg123 asks
// for a few hundred bytes at a time, and a system call for each would cost
// more than the decoding of them. Each reader keeps its own place, so the
// decoder and its pass over the frame headers share the file without getting
// in each other's way; one that is told to stop fails its next read.
struct Mpg123Decoder::Reader
{
    static constexpr size_t kBlock = 64 * 1024;

    int fd = -1;
    off_t offset = 0;
    std::vector<unsigned char> block = std::vector<unsigned char>(kBlock);
    off_t blockStart = 0;
    size_t blockLength = 0;
    std::atomic<bool> cancel = false;

    static mpg123_ssize_t read(void* opaque, void* buffer, size_t size)
    {
        auto* reader = static_cast<Reader*>(opaque);
        if (reader->cancel) {
            errno = ECANCELED;
            return -1;
        }
        auto* out = static_cast<unsigned char*>(buffer);
        size_t given = 0;
        while (given < size) {
            const off_t at = reader->offset;
            if (at >= reader->blockStart && at < reader->blockStart + off_t(reader->blockLength)) {
                const size_t from = size_t(at - reader->blockStart);
                const size_t n = std::min(size - given, reader->blockLength - from);
                std::memcpy(out + given, reader->block.data() + from, n);
                given += n;
                reader->offset += off_t(n);
                continue;
            }
            ssize_t n;
            do
                n = ::pread(reader->fd, reader->block.data(), kBlock, at);
            while (n < 0 && errno == EINTR);
            if (n < 0) return given > 0 ? mpg123_ssize_t(given) : -1;
            reader->blockStart = at;
            reader->blockLength = size_t(n);
            if (n == 0) break; // the end of the file
        }
        return mpg123_ssize_t(given);
    }

    static off_t seek(void* opaque, off_t offset, int whence)
    {
        auto* reader = static_cast<Reader*>(opaque);
        if (reader->cancel) {
            errno = ECANCELED;
            return -1;
        }
        off_t base = 0;
        if (whence == SEEK_CUR) {
            base = reader->offset;
        } else if (whence == SEEK_END) {
            struct stat info;
            if (::fstat(reader->fd, &info) != 0) return -1;
            base = info.st_size;
        } else if (whence != SEEK_SET) {
            errno = EINVAL;
            return -1;
        }
        if (base + offset < 0) {
            errno = EINVAL;
            return -1;
        }
        return reader->offset = base + offset;
    }

    // Opens handle over this reader.
    bool attach(mpg123_handle_struct* handle)
    {
        return mpg123_replace_reader_handle(handle, read, seek, nullptr) == MPG123_OK &&
               mpg123_open_handle(handle, this) == MPG123_OK;
    }
};

// The pass over every frame header: a handle and a reader of its own, on a
// thread of its own that stops at the next read once it is told to.
struct Mpg123Decoder::Scan
{
    Reader reader;
    mpg123_handle* handle = nullptr;
    std::atomic<bool> done = false;
    int64_t length = 0; // written before done, 0 when the pass failed
    std::thread thread;

    ~Scan()
    {
        reader.cancel = true;
        if (thread.joinable()) thread.join();
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }

    void run()
    {
        long rate = 0;
        int channels = 0, encoding = 0;
        if (reader.attach(handle) && mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK &&
            mpg123_scan(handle) == MPG123_OK)
            length = std::max<int64_t>(0, mpg123_length(handle));
        done.store(true, std::memory_order_release);
    }
};

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
    // Tags are read elsewhere; libmpg123's reading of ID3v2 frames grows with
    // the square of their number.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_SKIP_ID3V2, 0.0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return handle;
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
    m_reader = std::make_unique<Reader>();
    m_reader->fd = m_fd;
    if (!m_reader->attach(m_handle)) {
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
    m_length = std::max<int64_t>(0, mpg123_length(m_handle));
    m_position = 0;

    // The exact length comes from the pass, while the stream plays.
    auto scan = std::make_unique<Scan>();
    scan->reader.fd = m_fd;
    scan->handle = newHandle();
    if (scan->handle) {
        try {
            scan->thread = std::thread([s = scan.get()] { s->run(); });
            m_scan = std::move(scan);
        } catch (const std::system_error&) {
            // No thread for it: the length stays as the stream states it.
        }
    }
    return AudioError::None;
}

void Mpg123Decoder::close()
{
    m_scan.reset(); // stops the pass before the file goes
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_reader.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_format = {};
    m_length = 0;
    m_exact = false;
    m_position = 0;
    m_bitrate = 0;
}

bool Mpg123Decoder::lengthIsExact() const
{
    if (m_scan) return m_scan->done.load(std::memory_order_acquire) && m_scan->length > 0;
    return m_exact;
}

int64_t Mpg123Decoder::lengthFrames() const
{
    if (m_scan && m_scan->done.load(std::memory_order_acquire) && m_scan->length > 0) return m_scan->length;
    return m_length;
}

void Mpg123Decoder::adoptScan()
{
    if (!m_scan || !m_scan->done.load(std::memory_order_acquire)) return;
    m_scan->thread.join();
    if (m_scan->length > 0) {
        m_length = m_scan->length;
        m_exact = true;
        // The places of the frames the pass noted: a seek far ahead goes
        // there at once instead of reading every frame up to it.
        off_t* offsets = nullptr;
        off_t step = 0;
        size_t fill = 0;
        if (mpg123_index(m_scan->handle, &offsets, &step, &fill) == MPG123_OK && offsets && fill > 0)
            mpg123_set_index(m_handle, offsets, step, fill);
    }
    m_scan.reset();
}

AudioError Mpg123Decoder::nextBlock(const int16_t*& samples, int64_t& frames)
{
    samples = nullptr;
    frames = 0;
    if (!m_handle) return AudioError::ReadFailed;
    adoptScan();
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
    adoptScan();
    const off_t reached = mpg123_seek(m_handle, off_t(frame), SEEK_SET);
    if (reached < 0) return false;
    m_position = reached;
    return true;
}

} // namespace audrel::audio
