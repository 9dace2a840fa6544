#include "platform/audio/wavdecoder.h"

#include "platform/audio/inputfile.h"

#include <QFile>
#include <QtEndian>

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace audrel::audio {

namespace {

// libsndfile, loaded the first time a file needs it: it brings the FLAC,
// Ogg, Vorbis, Opus and MPEG libraries with it, which a program that reads
// canonical WAV files, or none, should not spend its start on.
struct SndFile
{
    decltype(&::sf_open) open = nullptr;
    decltype(&::sf_close) close = nullptr;
    decltype(&::sf_seek) seek = nullptr;
    decltype(&::sf_read_short) readShort = nullptr;
    decltype(&::sf_read_float) readFloat = nullptr;
    decltype(&::sf_strerror) strerror = nullptr;
    QString problem; // why it could not be loaded

    // The library, loaded once; check problem before use.
    static const SndFile& get()
    {
        static const SndFile library = [] {
            SndFile l;
            void* handle = ::dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                l.problem = QStringLiteral("libsndfile cannot be loaded: ") + QString::fromLocal8Bit(::dlerror());
                return l;
            }
            const auto bind = [handle](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, name));
                return function != nullptr;
            };
            if (!bind(l.open, "sf_open") || !bind(l.close, "sf_close") || !bind(l.seek, "sf_seek") ||
                !bind(l.readShort, "sf_read_short") || !bind(l.readFloat, "sf_read_float") ||
                !bind(l.strerror, "sf_strerror"))
                l.problem = QStringLiteral("libsndfile cannot be loaded: it lacks a function");
            return l;
        }();
        return library;
    }
};

// libsndfile's own limit, and the most a headerless file may be said to have.
constexpr int kMaxChannels = 1024;
// The most samples one block holds, whatever its frame count was set to.
constexpr int64_t kMaxBlockSamples = int64_t(1) << 22;

// KSDATAFORMAT_SUBTYPE_PCM after its first two bytes (the format tag).
constexpr unsigned char kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

// Reads exactly size bytes at an offset; false at the end of the file or on an error.
bool readAt(int fd, int64_t at, void* buffer, int64_t size)
{
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size_t(size), off_t(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        at += n;
        size -= n;
    }
    return true;
}

// The header's bytes through a window of the file, so that a walk over a
// great many small chunks costs few reads.
class HeaderReader
{
public:
    HeaderReader(int fd, int64_t fileSize)
        : m_fd(fd), m_fileSize(fileSize), m_window(size_t(std::clamp<int64_t>(fileSize, 0, 65536)))
    {
    }

    bool read(int64_t at, void* out, int64_t size)
    {
        if (at < 0 || size < 0 || at + size > m_fileSize) return false;
        if (at < m_start || at + size > m_start + m_valid) {
            const int64_t want = std::min<int64_t>(int64_t(m_window.size()), m_fileSize - at);
            if (size > want || !readAt(m_fd, at, m_window.data(), want)) return false;
            m_start = at;
            m_valid = want;
        }
        std::memcpy(out, m_window.data() + (at - m_start), size_t(size));
        return true;
    }

private:
    int m_fd;
    int64_t m_fileSize;
    std::vector<char> m_window;
    int64_t m_start = 0;
    int64_t m_valid = 0;
};

// Where a file's samples are, from its first bytes and its RIFF chunks.
struct Layout
{
    bool wave = false;       // "WAVE" at byte 8 of a file of 12 bytes or more
    bool direct = false;     // canonical 16-bit PCM at [dataOffset, dataOffset + dataSize)
    bool haveFormat = false; // a format chunk came before the data
    int channels = 0;
    int64_t rate = 0;     // as the format chunk states it
    int64_t byteRate = 0; // the format chunk's bytes per second, when there was one
    int64_t dataOffset = 0;
    int64_t dataSize = 0;
};

// Walks the RIFF chunks up to "data". Only a file whose format chunk comes
// before the data and describes 16-bit PCM of one or two channels is read
// directly; direct stays false for every other layout, RF64 and RIFX among them.
Layout findLayout(int fd, int64_t fileSize)
{
    Layout layout;
    HeaderReader reader(fd, fileSize);
    char head[12] = {};
    if (fileSize < 12 || !reader.read(0, head, 12) || std::memcmp(head + 8, "WAVE", 4) != 0) return layout;
    layout.wave = true;
    if (std::memcmp(head, "RIFF", 4) != 0) return layout;

    bool haveFormat = false;
    bool pcm16 = false;
    int64_t at = 12;
    while (at + 8 <= fileSize) {
        char chunk[8];
        if (!reader.read(at, chunk, 8)) break;
        const quint32 size = qFromLittleEndian<quint32>(chunk + 4);
        const int64_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            unsigned char fmt[40] = {};
            const int64_t want = std::min<int64_t>(size, sizeof fmt);
            if (!reader.read(body, fmt, want)) break;
            const quint16 tag = qFromLittleEndian<quint16>(fmt);
            const quint16 channels = qFromLittleEndian<quint16>(fmt + 2);
            const quint32 rate = qFromLittleEndian<quint32>(fmt + 4);
            const quint32 byteRate = qFromLittleEndian<quint32>(fmt + 8);
            const quint16 blockAlign = qFromLittleEndian<quint16>(fmt + 12);
            const quint16 bits = qFromLittleEndian<quint16>(fmt + 14);
            bool pcm = tag == 1;
            if (tag == 0xFFFE && want >= 40) {
                const quint16 validBits = qFromLittleEndian<quint16>(fmt + 18);
                const quint16 subTag = qFromLittleEndian<quint16>(fmt + 24);
                pcm = validBits == 16 && subTag == 1 && std::memcmp(fmt + 26, kPcmGuidTail, 14) == 0;
            }
            haveFormat = true;
            pcm16 = pcm && bits == 16 && (channels == 1 || channels == 2) && blockAlign == channels * 2 &&
                    rate > 0 && rate <= quint32(INT_MAX);
            layout.haveFormat = true;
            layout.channels = channels;
            layout.rate = rate;
            layout.byteRate = byteRate;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // A size past the end (a stream's 0xFFFFFFFF among them) ends at the end.
            layout.dataOffset = body;
            layout.dataSize = std::min<int64_t>(size, std::max<int64_t>(0, fileSize - body));
            layout.direct = haveFormat && pcm16;
            return layout;
        }
        at = body + int64_t(size) + (size & 1);
    }
    return layout;
}

int clampedBitrate(double bitsPerSecond)
{
    return int(std::clamp(bitsPerSecond, 0.0, double(INT_MAX)));
}

} // namespace

QString wavRateRefusal(int64_t rate)
{
    if (rate >= kMinWavRate && rate <= kMaxWavRate) return {};
    return QStringLiteral("its sample rate of %1 Hz is not between %2 and %3 Hz")
        .arg(rate)
        .arg(kMinWavRate)
        .arg(kMaxWavRate);
}

WavDecoder::WavDecoder() = default;

WavDecoder::~WavDecoder()
{
    close();
}

AudioError WavDecoder::open(const QString& path)
{
    return open(path, WavOpenOptions());
}

AudioError WavDecoder::open(const QString& path, const WavOpenOptions& options)
{
    close();
    m_errorString.clear();
    m_rateRefused = false;
    AudioError error;
    m_fd = openInputFile(path, error);
    if (m_fd < 0) {
        return fail(error, error == AudioError::NoSuchFile         ? QStringLiteral("no such file")
                           : error == AudioError::PermissionDenied ? QStringLiteral("permission denied")
                                                                   : QStringLiteral("not a readable file"));
    }
    struct stat info;
    if (::fstat(m_fd, &info) != 0) return fail(AudioError::ReadFailed, QStringLiteral("cannot be read"));
    const int64_t fileSize = info.st_size;
    const Layout layout = findLayout(m_fd, fileSize);

    const bool headerless = !layout.wave;
    if (headerless && (options.headerlessChannels <= 0 || options.headerlessChannels > kMaxChannels))
        return fail(AudioError::NotWavAudio, QStringLiteral("not a WAVE file"));
    // The rate the header states is judged before anything reads the samples.
    if (headerless || layout.haveFormat) {
        if (const AudioError refused = refuseRate(headerless ? options.headerlessRate : layout.rate);
            refused != AudioError::None)
            return refused;
    }
    if (options.forceLibsndfile || !(headerless || layout.direct)) {
        ::close(m_fd);
        m_fd = -1;
        const AudioError opened = openLibsndfile(path, options, headerless);
        if (opened != AudioError::None) return opened;
        if (const AudioError refused = refuseRate(m_format.sampleRate); refused != AudioError::None)
            return refused;
        // What the file spends on a second of sound, as its format chunk
        // says or else as its size says.
        if (layout.byteRate > 0)
            m_bitrate = clampedBitrate(double(layout.byteRate) * 8);
        else if (m_length > 0)
            m_bitrate = clampedBitrate(double(fileSize) * 8 * m_format.sampleRate / double(m_length));
        return AudioError::None;
    }

    if (headerless) {
        m_format = {options.headerlessRate, options.headerlessChannels};
        m_dataOffset = 0;
        m_lengthBytes = fileSize;
    } else {
        m_format = {int(layout.rate), layout.channels};
        m_dataOffset = layout.dataOffset;
        m_lengthBytes = layout.dataSize;
    }
    m_length = m_lengthBytes / m_format.bytesPerFrame();
    m_bitrate = clampedBitrate(double(m_format.sampleRate) * m_format.channels * 16);
    return AudioError::None;
}

AudioError WavDecoder::openLibsndfile(const QString& path, const WavOpenOptions& options, bool headerless)
{
    SF_INFO info{};
    if (headerless) { // as raw 16-bit PCM of the shape the caller gave
        info.samplerate = options.headerlessRate;
        info.channels = options.headerlessChannels;
        info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    }
    const SndFile& snd = SndFile::get();
    if (!snd.problem.isEmpty()) return fail(AudioError::NotWavAudio, snd.problem);
    m_snd = snd.open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!m_snd) return fail(AudioError::NotWavAudio, QString::fromLocal8Bit(snd.strerror(nullptr)));
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1)
        return fail(AudioError::NotWavAudio, QStringLiteral("no audio format"));
    snd.seek(m_snd, 0, SEEK_SET);
    // libsndfile gives float samples to a 16-bit read unscaled (as -1, 0 or
    // 1); they are read as float and scaled here instead.
    const int subformat = info.format & SF_FORMAT_SUBMASK;
    m_readFloats = subformat == SF_FORMAT_FLOAT || subformat == SF_FORMAT_DOUBLE;
    m_format = {info.samplerate, info.channels};
    m_length = info.frames > 0 ? std::min<int64_t>(info.frames, INT64_MAX / m_format.bytesPerFrame()) : 0;
    m_lengthBytes = m_length * m_format.bytesPerFrame();
    return AudioError::None;
}

AudioError WavDecoder::refuseRate(int64_t rate)
{
    const QString refusal = wavRateRefusal(rate);
    if (refusal.isEmpty()) return AudioError::None;
    fail(AudioError::NotWavAudio, refusal);
    m_rateRefused = true;
    return AudioError::NotWavAudio;
}

AudioError WavDecoder::fail(AudioError error, const QString& reason)
{
    close();
    m_errorString = reason;
    return error;
}

void WavDecoder::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_snd) {
        SndFile::get().close(m_snd);
        m_snd = nullptr;
    }
    m_readFloats = false;
    m_dataOffset = 0;
    m_format = {};
    m_length = 0;
    m_lengthBytes = 0;
    m_position = 0;
    m_bitrate = 0;
}

void WavDecoder::setBlockFrames(int64_t frames)
{
    m_blockFrames = std::clamp<int64_t>(frames, 1, kMaxBlockSamples);
}

AudioError WavDecoder::nextBlock(const int16_t*& samples, int64_t& frames)
{
    samples = nullptr;
    frames = 0;
    if (!isOpen()) return AudioError::ReadFailed;
    const int channels = m_format.channels;
    const int64_t want = std::min({m_blockFrames, kMaxBlockSamples / channels, m_length - m_position});
    if (want <= 0) return AudioError::None;
    const size_t count = size_t(want * channels);
    if (m_samples.size() < count) m_samples.resize(count);

    if (m_fd >= 0) {
        // Within the data chunk as it was measured at open: a read that comes
        // up short means the file changed or failed under us.
        if (!readAt(m_fd, m_dataOffset + m_position * m_format.bytesPerFrame(), m_samples.data(),
                    want * m_format.bytesPerFrame()))
            return AudioError::ReadFailed;
        if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
            qFromLittleEndian<int16_t>(m_samples.data(), qsizetype(count), m_samples.data());
        frames = want;
    } else {
        sf_count_t got;
        if (m_readFloats) {
            if (m_floats.size() < count) m_floats.resize(count);
            got = SndFile::get().readFloat(m_snd, m_floats.data(), sf_count_t(count));
            for (sf_count_t i = 0; i < got; ++i) {
                const float value = m_floats[size_t(i)];
                m_samples[size_t(i)] =
                    std::isnan(value)
                        ? 0
                        : int16_t(std::lrint(std::clamp(value * 32767.0f, -32768.0f, 32767.0f)));
            }
        } else {
            got = SndFile::get().readShort(m_snd, m_samples.data(), sf_count_t(count));
        }
        frames = got > 0 ? got / channels : 0;
        // libsndfile's count may promise more than a damaged file holds:
        // what it gives is the stream, and the stream ends there.
        if (frames < want) {
            m_length = m_position + frames;
            m_lengthBytes = m_length * m_format.bytesPerFrame();
        }
    }
    m_position += frames;
    samples = frames > 0 ? m_samples.data() : nullptr;
    return AudioError::None;
}

bool WavDecoder::seekFrame(int64_t frame)
{
    if (!isOpen() || frame < 0 || frame > m_length) return false;
    if (m_snd && SndFile::get().seek(m_snd, sf_count_t(frame), SEEK_SET) < 0) return false;
    m_position = frame;
    return true;
}

} // namespace audrel::audio
