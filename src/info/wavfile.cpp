#include "info/wavfile.h"

#include "info/binaryfile.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace audrel {

namespace {

uint16_t le16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t le32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

bool isId(const uint8_t* bytes, const char* id)
{
    return std::memcmp(bytes, id, 4) == 0;
}

} // namespace

TWAVfile::TWAVfile() = default;

void TWAVfile::Clear()
{
    *this = TWAVfile();
}

bool TWAVfile::LoadFile(const QString& path)
{
    Clear();
    uint8_t header[44] = {};
    BinaryFile file;
    if (file.open(path) != 0 || !file.read(header, 40)) return false;

    const uint32_t formatSize = le32(header + 16);
    const bool dataFollowsFormat = isId(header + 36, "data");
    if (!dataFollowsFormat) {
        // The chunk right after "fmt ": its count is a sample count only when it is "fact".
        uint8_t next[12];
        file.seek(int64_t(formatSize) + 20);
        if (!file.read(next, sizeof next)) return false;
        if (isId(next, "fact")) std::memcpy(header + 40, next + 8, 4);
    }

    const uint16_t channels = le16(header + 22);
    if (!isId(header, "RIFF") || !isId(header + 8, "WAVE") || !isId(header + 12, "fmt ") ||
        (channels != 1 && channels != 2))
        return true;

    // Walk the chunks after "fmt " to "data"; chunks are padded to even sizes.
    int64_t dataOffset = -1;
    int64_t dataBytes = -1;
    if (!dataFollowsFormat) {
        int64_t position = 20 + int64_t(formatSize) + (formatSize & 1);
        uint8_t chunk[8];
        while (position + 8 <= file.size()) {
            file.seek(position);
            if (!file.read(chunk, sizeof chunk)) return false;
            const uint32_t size = le32(chunk + 4);
            if (isId(chunk, "data")) {
                dataOffset = position + 8;
                dataBytes = std::min<int64_t>(size, file.size() - dataOffset);
                break;
            }
            position += 8 + int64_t(size) + (size & 1);
        }
    }
    const int64_t realSize = file.size();
    file.close();

    Valid = true;
    FormatTag = le16(header + 20);
    Channels = uint8_t(channels);
    SampleRate = le32(header + 24);
    BytesPerSecond = le32(header + 28);
    BlockAlign = le16(header + 32);
    BitsPerSample = uint8_t(le16(header + 34));
    SampleCount = int32_t(le32(header + 40));
    if (dataFollowsFormat) {
        HeaderSize = 44;
    } else if (dataOffset >= 0) {
        HeaderSize = uint32_t(std::min<int64_t>(dataOffset, std::numeric_limits<uint32_t>::max()));
        DataSize = dataBytes;
    } else {
        HeaderSize = formatSize + 40;
    }
    // A file written to a stream carries 0xFFFFFFFF as its RIFF size, and a
    // cut-off file claims more than it holds: the file's own length counts then.
    const uint32_t riffSize = le32(header + 4);
    FileSize = riffSize == 0xFFFFFFFFu || int64_t(riffSize) + 8 > realSize ? realSize : int64_t(riffSize) + 8;
    // A walked "data" chunk gives the real place of the samples, even when the
    // RIFF size is wrong.
    if (FileSize < HeaderSize && DataSize < 0) HeaderSize = uint32_t(FileSize);
    return true;
}

QString TWAVfile::FormatText() const
{
    switch (FormatTag) {
    case 1:
        return QStringLiteral("Windows PCM");
    case 2:
        return QStringLiteral("Microsoft ADPCM");
    case 6:
        return QStringLiteral("A-LAW");
    case 7:
        return QStringLiteral("MU-LAW");
    case 17:
        return QStringLiteral("DVI/IMA ADPCM");
    case 85:
        return QStringLiteral("MPEG Layer III");
    default:
        return QString();
    }
}

QString TWAVfile::ChannelModeText() const
{
    switch (Channels) {
    case 1:
        return QStringLiteral("Mono");
    case 2:
        return QStringLiteral("Stereo");
    default:
        return QStringLiteral("Unknown");
    }
}

double TWAVfile::Duration() const
{
    if (!Valid) return 0;
    if (SampleCount > 0 && SampleRate > 0) return double(SampleCount) / SampleRate;
    if (SampleCount == 0 && BytesPerSecond > 0) {
        const double bytes = DataSize >= 0 ? double(DataSize) : double(FileSize - int64_t(HeaderSize));
        return bytes / BytesPerSecond;
    }
    return 0;
}

} // namespace audrel
