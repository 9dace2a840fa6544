#include "info/wmafile.h"

#include "info/binaryfile.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace audrel {

namespace {

// ASF object identifiers in their stored byte order (first three groups little-endian).
constexpr uint8_t HeaderObject[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr uint8_t FilePropertiesObject[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                              0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr uint8_t StreamPropertiesObject[16] = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                                0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr uint8_t ContentDescriptionObject[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr uint8_t ExtendedContentDescriptionObject[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                          0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

// Smallest object: its identifier and 64-bit size.
constexpr uint32_t ObjectHeaderSize = 24;

bool readU16(BinaryFile& file, uint16_t& value)
{
    uint8_t bytes[2];
    if (!file.read(bytes, 2)) return false;
    value = uint16_t(bytes[0] | bytes[1] << 8);
    return true;
}

bool readU32(BinaryFile& file, uint32_t& value)
{
    uint8_t bytes[4];
    if (!file.read(bytes, 4)) return false;
    value =
        uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

// Moves forward; a later read fails when this goes past the end.
void skip(BinaryFile& file, int64_t count)
{
    file.seek(file.pos() + count);
}

// Blanks and control characters removed at both ends.
QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QString upperAscii(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() >= 'a' && c.unicode() <= 'z') c = QChar(c.unicode() - 'a' + 'A');
    }
    return text;
}

} // namespace

TWMAfile::TWMAfile() = default;

void TWMAfile::Clear()
{
    *this = TWMAfile();
}

bool TWMAfile::readText(BinaryFile& file, uint32_t length, QString* text)
{
    const uint32_t characters = std::min<uint32_t>(length / 2, MaxTextLength);
    uint8_t bytes[MaxTextLength * 2];
    if (!file.read(bytes, int64_t(characters) * 2)) return false;
    if (text) {
        QString value(qsizetype(characters), Qt::Uninitialized);
        for (uint32_t i = 0; i < characters; ++i)
            value[i] = QChar(char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
        *text = value;
    }
    skip(file, int64_t(length) - int64_t(characters) * 2);
    return true;
}

bool TWMAfile::readContentDescription(BinaryFile& file, TFileData& data)
{
    uint16_t lengths[5];
    skip(file, 4);
    for (uint16_t& length : lengths) {
        if (!readU16(file, length)) return false;
    }
    // Title, author, rights, description, rating; rights and rating are dropped.
    QString* const targets[5] = {&data.Tag.Text[SlotTitle], &data.Tag.Text[SlotArtist], nullptr,
                                 &data.Tag.Text[SlotComment], nullptr};
    for (int i = 0; i < 5; ++i) {
        if (lengths[i] != 0 && !readText(file, lengths[i], targets[i])) return false;
    }
    return true;
}

bool TWMAfile::readExtendedContentDescription(BinaryFile& file, TFileData& data)
{
    static const char* const Names[SlotCount] = {"WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK",
                                                 "WM/YEAR",  "WM/GENRE",  "WM/DESCRIPTION"};
    uint16_t count;
    skip(file, 4);
    if (!readU16(file, count)) return false;
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t nameLength;
        QString name;
        if (!readU16(file, nameLength) || !readText(file, nameLength, &name)) return false;
        uint16_t type;
        uint16_t valueLength;
        if (!readU16(file, type) || !readU16(file, valueLength)) return false;
        if (type != 0) {
            skip(file, valueLength);
            continue;
        }
        QString value;
        if (!readText(file, valueLength, &value)) return false;
        const QString key = upperAscii(trimmed(name));
        for (int slot = 0; slot < SlotCount; ++slot) {
            if (key == QLatin1String(Names[slot])) data.Tag.Text[slot] = value;
        }
    }
    return true;
}

bool TWMAfile::walk(BinaryFile& file, TFileData& data)
{
    uint8_t guid[16];
    if (!file.read(guid, 16)) return false;
    if (std::memcmp(guid, HeaderObject, 16) != 0) return true;
    uint32_t count;
    skip(file, 8);
    if (!readU32(file, count)) return false;
    skip(file, 2);
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t start = file.pos();
        uint32_t size;
        if (!file.read(guid, 16) || !readU32(file, size)) return false;
        // An object smaller than its own header would make the walk stand still.
        if (size < ObjectHeaderSize) return false;
        if (std::memcmp(guid, FilePropertiesObject, 16) == 0) {
            uint32_t maxBitRate;
            skip(file, 80);
            if (!readU32(file, maxBitRate)) return false;
            data.MaxBitRate = int32_t(maxBitRate);
        } else if (std::memcmp(guid, StreamPropertiesObject, 16) == 0) {
            uint16_t channels;
            uint32_t sampleRate;
            uint32_t byteRate;
            skip(file, 60);
            if (!readU16(file, channels) || !readU32(file, sampleRate) || !readU32(file, byteRate))
                return false;
            data.Channels = channels;
            data.SampleRate = int32_t(sampleRate);
            data.ByteRate = int32_t(byteRate);
        } else if (std::memcmp(guid, ContentDescriptionObject, 16) == 0) {
            if (!readContentDescription(file, data)) return false;
        } else if (std::memcmp(guid, ExtendedContentDescriptionObject, 16) == 0) {
            if (!readExtendedContentDescription(file, data)) return false;
        }
        file.seek(start + size);
    }
    return true;
}

bool TWMAfile::LoadFile(const QString& path)
{
    Clear();
    TFileData data;
    BinaryFile file;
    if (file.open(path) != 0) return false;
    data.FileSize = file.size();
    if (!walk(file, data)) return false;
    file.close();

    if (data.MaxBitRate <= 0 || data.MaxBitRate >= 320000 || (data.Channels != 1 && data.Channels != 2) ||
        data.SampleRate < 8000 || data.SampleRate > 96000 || data.ByteRate <= 0 || data.ByteRate >= 40000)
        return true;

    Valid = true;
    FileSize = data.FileSize;
    Channels = uint8_t(data.Channels);
    SampleRate = data.SampleRate;
    Duration = double(data.FileSize) * 8 / data.MaxBitRate;
    BitRate = data.ByteRate * 8 / 1000;
    Title = trimmed(data.Tag.Text[SlotTitle]);
    Artist = trimmed(data.Tag.Text[SlotArtist]);
    Album = trimmed(data.Tag.Text[SlotAlbum]);
    Year = trimmed(data.Tag.Text[SlotYear]);
    Genre = trimmed(data.Tag.Text[SlotGenre]);
    Comment = trimmed(data.Tag.Text[SlotComment]);
    bool number = false;
    const int track = trimmed(data.Tag.Text[SlotTrack]).toInt(&number, 10);
    Track = number ? track : 0;
    return true;
}

QString TWMAfile::ChannelModeText() const
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

} // namespace audrel
