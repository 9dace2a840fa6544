#include "info/mpegaudio.h"

#include "info/binaryfile.h"
#include "platform/errors.h"
#include "platform/prompts/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace audrel {

namespace {

constexpr int TagSize = 128;
constexpr int XingFieldsSize = 116;
constexpr qint64 PumpIntervalMs = 10;

// Sample rates by version (1, 2, 2.5) and the 2-bit index.
constexpr int32_t SampleRates[4][4] = {
    {0, 0, 0, 0},
    {44100, 48000, 32000, 0},
    {22050, 24000, 16000, 0},
    {11025, 12000, 8000, 0},
};

// Bit rates in kbit/s, ISO/IEC 11172-3 and 13818-3; index 0 (free format) and 15 give 0.
constexpr int32_t BitRatesV1[3][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
};
constexpr int32_t BitRatesV2[2][16] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};

uint32_t bigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

// A tag text area: cut at the first zero byte, trailing blanks removed.
QString tagText(const uint8_t* bytes, int size)
{
    int length = 0;
    while (length < size && bytes[length] != 0)
        ++length;
    while (length > 0 && bytes[length - 1] == ' ')
        --length;
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes), length);
}

// Copies a text into a tag area as ISO-8859-1; characters outside it become "?".
void putTagText(uint8_t* area, int size, const QString& text)
{
    int written = 0;
    for (const char32_t code : text.toUcs4()) {
        if (written == size) break;
        area[written++] = code <= 0xFF ? uint8_t(code) : uint8_t('?');
    }
}

QString errorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

TMPEGAudio::TMPEGAudio()
{
    OnError = [](const TMPEGInfo& data) -> uint16_t {
        return uint16_t(showMessage(QStringLiteral("Error openning file: ") + data.FileName,
                                    QStringLiteral("Error"), MsgIcon::Error, {IdCancel, IdRetry, IdIgnore}));
    };
}

void TMPEGAudio::ResetData()
{
    Data = TMPEGInfo();
    Data.Header = QStringLiteral("BAD");
    Data.Title = QStringLiteral("[notag]");
    Data.Artist = QStringLiteral("[notag]");
    Data.Album = QStringLiteral("[notag]");
    Data.Year = QStringLiteral("    ");
    Data.Comment = QStringLiteral("[notag]");
    Data.Genre = 255;
}

void TMPEGAudio::resetKeepingFile()
{
    const QString name = Data.FileName;
    const int32_t date = Data.FileDate;
    const int64_t length = Data.FileLength;
    ResetData();
    Data.FileName = name;
    Data.FileDate = date;
    Data.FileLength = length;
}

void TMPEGAudio::LoadFile(const QString& path)
{
    Data.FileName = path;
    Analyze();
}

int32_t TMPEGAudio::Analyze()
{
    for (;;) {
        int32_t result = analyzeOnce();
        if (result == 0 || !OnError) return result;
        result = OnError(Data);
        if (result != IdRetry) return result;
    }
}

int32_t TMPEGAudio::analyzeOnce()
{
    const QString name = Data.FileName;
    ResetData();
    const QFileInfo info(name);
    const QString fullPath = name.isEmpty() ? QString() : QDir::cleanPath(info.absoluteFilePath());
    Data.FileName = fullPath;
    m_fileLength = 0;

    if (fullPath.isEmpty() || !info.exists() || info.isDir()) {
        Data.Title = (QStringLiteral("[not found: ") + info.fileName() + QStringLiteral("]")).left(30);
        return -1;
    }

    HeaderPos = 0;
    BinaryFile file;
    if (const int error = file.open(fullPath)) return error;
    if (file.size() <= 5) return 0;

    const int64_t stamp = file.modificationTime();
    Data.FileDate = int32_t(std::clamp<int64_t>(stamp, 1, std::numeric_limits<int32_t>::max()));
    m_fileLength = file.size();
    Data.FileLength = m_fileLength;

    m_pumpTimer.start();
    file.onRefill = [this] { pumpEvents(); };

    uint8_t bytes[4];
    if (!file.read(bytes, 4)) return -1;
    uint32_t word = bigEndian32(bytes);
    int32_t result = -1;
    for (;;) {
        searchHeader(file, word);
        HeaderPos = file.pos() - 4;
        const int64_t rest = m_fileLength - HeaderPos - Data.FrameLength + 2 * int(Data.ErrorProt);
        if (!IsValid() || rest <= 0) {
            resetKeepingFile();
            HeaderPos = m_fileLength + 1;
            result = -1;
        } else {
            // Confirmation: the header one frame later must be valid too; Data
            // then holds the values of that second header.
            file.seek(HeaderPos + Data.FrameLength);
            if (!file.read(bytes, 4)) return -1;
            if (!DecodeHeader(bigEndian32(bytes))) {
                resetKeepingFile();
                file.seek(HeaderPos + 1);
                result = -1;
            } else {
                if (const int32_t xing = readXing(file); xing != 0) return xing;
                if (m_fileLength > TagSize && !readTag(file)) return -1;
                return 0;
            }
        }
        if (IsValid() || file.atEnd()) break;
        if (!file.read(bytes, 4)) return -1;
        word = bigEndian32(bytes);
    }
    return result;
}

bool TMPEGAudio::searchHeader(BinaryFile& file, uint32_t& word)
{
    for (;;) {
        // Only a word with the 11-bit frame sync can decode; any other word
        // leaves the header fields clear, as DecodeHeader would.
        if ((word & 0xFFE00000u) == 0xFFE00000u && DecodeHeader(word)) return true;
        const bool ffAhead = (word & 0x00FF0000u) == 0x00FF0000u || (word & 0x0000FF00u) == 0x0000FF00u ||
                             (word & 0xFFu) == 0xFFu;
        if (!ffAhead) {
            // No byte 0xFF among the three that stay in the window: no frame
            // sync can start before the next 0xFF in the file.
            const int64_t next = file.skipTo(0xFF);
            uint8_t bytes[4];
            if (next < 0 || !file.read(bytes, 4)) {
                DecodeHeader(0);
                file.seek(file.size());
                return false;
            }
            word = bigEndian32(bytes);
            continue;
        }
        const int byte = file.readByte();
        if (byte < 0) {
            DecodeHeader(0);
            return false;
        }
        word = word << 8 | uint32_t(byte);
    }
}

void TMPEGAudio::pumpEvents()
{
    if (m_pumpTimer.elapsed() < PumpIntervalMs) return;
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    m_pumpTimer.restart();
}

int TMPEGAudio::SamplesPerFrame() const
{
    switch (Data.Layer) {
    case 1:
        return 384;
    case 2:
        return 1152;
    case 3:
        return Data.Version == 1 ? 1152 : (Data.Version == 2 || Data.Version == 3 ? 576 : 0);
    default:
        return 0;
    }
}

int32_t TMPEGAudio::readXing(BinaryFile& file)
{
    int offset;
    if (Data.Version == 1)
        offset = Data.Mode == 3 ? 21 : 36;
    else
        offset = Data.Mode == 3 ? 13 : 21;
    file.seek(HeaderPos + offset);
    uint8_t id[4];
    if (!file.read(id, 4)) return -1;
    if (std::memcmp(id, "Xing", 4) != 0) return 0;

    Data.BitRate = -1;
    uint8_t fields[XingFieldsSize];
    if (!file.read(fields, XingFieldsSize)) return -1;
    const uint32_t flags = bigEndian32(fields);
    const uint32_t frames = (flags & 1) ? bigEndian32(fields + 4) : 0;
    if (frames == 0 || Data.SampleRate <= 0) return -1;
    // Nearest whole second, halves to even (the default rounding mode).
    const double seconds = double(SamplesPerFrame()) / Data.SampleRate * frames;
    Data.Duration = uint32_t(std::nearbyint(seconds));
    Data.FrameLength =
        uint16_t(std::min<int64_t>(m_fileLength / frames, std::numeric_limits<uint16_t>::max()));
    return 0;
}

bool TMPEGAudio::readTag(BinaryFile& file)
{
    uint8_t tag[TagSize];
    file.seek(m_fileLength - TagSize);
    if (!file.read(tag, TagSize)) return false;
    if (std::memcmp(tag, "TAG", 3) != 0) {
        Data.Title = QFileInfo(Data.FileName).fileName().left(30);
        return true;
    }
    Data.Header = QStringLiteral("TAG");
    Data.Title = tagText(tag + 3, 30);
    Data.Artist = tagText(tag + 33, 30);
    Data.Album = tagText(tag + 63, 30);
    Data.Year = QString::fromLatin1(reinterpret_cast<const char*>(tag + 93), 4);
    Data.Comment = tagText(tag + 97, 30);
    Data.Track = tag[126];
    Data.Genre = tag[127];
    return true;
}

bool TMPEGAudio::DecodeHeader(uint32_t header)
{
    Data.Version = 0;
    Data.Layer = 0;
    Data.SampleRate = 0;
    Data.BitRate = 0;
    Data.Mode = 0;
    Data.Copyrighted = false;
    Data.Original = false;
    Data.ErrorProt = false;
    Data.Padding = false;
    Data.FrameLength = 0;

    if ((header & 0xFFE00000u) != 0xFFE00000u) return false;
    static constexpr uint8_t Versions[4] = {3, 0, 2, 1};
    Data.Version = Versions[(header >> 19) & 3];
    if (Data.Version == 0) return IsValid();
    Data.Layer = uint8_t(4 - ((header >> 17) & 3));
    if (Data.Layer == 4) Data.Layer = 0;
    Data.SampleRate = SampleRates[Data.Version][(header >> 10) & 3];
    Data.ErrorProt = (header >> 16) & 1;
    Data.Copyrighted = (header >> 3) & 1;
    Data.Original = (header >> 2) & 1;
    Data.Mode = uint8_t((header >> 6) & 3);
    Data.Padding = (header >> 9) & 1;

    const int rateIndex = int((header >> 12) & 15);
    if (Data.Layer == 0)
        Data.BitRate = 0;
    else if (Data.Version == 1)
        Data.BitRate = BitRatesV1[Data.Layer - 1][rateIndex];
    else
        Data.BitRate = BitRatesV2[Data.Layer == 1 ? 0 : 1][rateIndex];

    if (Data.BitRate != 0) {
        // The record's length saturates at 2 GiB; the analysis knows the full one.
        const int64_t length = Data.FileLength == std::numeric_limits<int32_t>::max()
                                   ? std::max<int64_t>(m_fileLength, Data.FileLength)
                                   : Data.FileLength;
        const int64_t seconds = length * 8 / (int64_t(Data.BitRate) * 1000);
        Data.Duration = uint32_t(std::min<int64_t>(seconds, std::numeric_limits<uint32_t>::max()));
    } else {
        Data.Duration = 0;
    }

    if (Data.SampleRate < 1) {
        Data.FrameLength = 0;
    } else if (Data.Layer == 1) {
        Data.FrameLength = uint16_t(4 * (12000 * Data.BitRate / Data.SampleRate + int(Data.Padding)));
    } else {
        // A Layer III frame of MPEG 2 and 2.5 holds 576 samples, half of the others.
        const int32_t factor = (Data.Layer == 3 && Data.Version != 1) ? 72000 : 144000;
        Data.FrameLength = uint16_t(int64_t(factor) * Data.BitRate / Data.SampleRate + int(Data.Padding));
    }
    return IsValid();
}

bool TMPEGAudio::IsValid() const
{
    return Data.FileLength > 5 && Data.Version > 0 && Data.Layer > 0 && Data.FileDate != 0 &&
           Data.BitRate >= -1 && Data.BitRate != 0 && Data.SampleRate > 0;
}

bool TMPEGAudio::HasTag() const
{
    return Data.Header == QLatin1String("TAG");
}

QString TMPEGAudio::TitleOrDefault() const
{
    return (HasTag() ? Data.Title : DefaultTitle).left(30);
}

QString TMPEGAudio::ArtistOrDefault() const
{
    return (HasTag() ? Data.Artist : DefaultArtist).left(30);
}

QString TMPEGAudio::VersionText() const
{
    static const char* const Texts[] = {"Unknown", "1.0", "2.0", "2.5"};
    return QString::fromLatin1(Data.Version < 4 ? Texts[Data.Version] : Texts[0]);
}

QString TMPEGAudio::LayerText() const
{
    static const char* const Texts[] = {"Unknown", "I", "II", "III"};
    return QString::fromLatin1(Data.Layer < 4 ? Texts[Data.Layer] : Texts[0]);
}

QString TMPEGAudio::ModeText() const
{
    static const char* const Texts[] = {"Stereo", "Joint-Stereo", "Dual-Channel", "Single-Channel"};
    return QString::fromLatin1(Texts[Data.Mode & 3]);
}

QTime TMPEGAudio::DurationTime() const
{
    const uint32_t seconds = Data.Duration;
    const uint32_t hours = seconds / 3600;
    if (hours >= 24) return QTime();
    return QTime(int(hours), int(seconds / 60 % 60), int(seconds % 60));
}

void TMPEGAudio::setTitle(const QString& text)
{
    Data.Title = text.left(30);
}

void TMPEGAudio::setArtist(const QString& text)
{
    Data.Artist = text.left(30);
}

void TMPEGAudio::setAlbum(const QString& text)
{
    Data.Album = text.left(30);
}

void TMPEGAudio::setComment(const QString& text)
{
    Data.Comment = text.left(30);
}

void TMPEGAudio::setYear(const QString& text)
{
    Data.Year = text.left(4);
}

void TMPEGAudio::setGenre(uint8_t genre)
{
    Data.Genre = genre;
}

void TMPEGAudio::setTrack(uint8_t track)
{
    Data.Track = track;
}

int32_t TMPEGAudio::WriteTag()
{
    const QString path = Data.FileName;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return -1;

    uint8_t tag[TagSize] = {};
    std::memcpy(tag, "TAG", 3);
    putTagText(tag + 3, 30, Data.Title);
    putTagText(tag + 33, 30, Data.Artist);
    putTagText(tag + 63, 30, Data.Album);
    putTagText(tag + 93, 4, Data.Year);
    putTagText(tag + 97, 30, Data.Comment);
    tag[126] = Data.Track;
    tag[127] = Data.Genre;

    // An existing tag is overwritten where it is, a new one appended; a write
    // that fails leaves the file as it was (an appended tag is cut off again).
    BinaryFile file;
    const int32_t result = file.open(path, BinaryFile::Access::ReadWrite);
    if (result == 0) {
        const int64_t size = file.size();
        int64_t at = size;
        uint8_t old[TagSize];
        if (size > TagSize) {
            file.seek(size - TagSize);
            if (!file.read(old, TagSize)) throw EFileError(QStringLiteral("Cannot read the end of ") + path);
            if (std::memcmp(old, "TAG", 3) == 0) at = size - TagSize;
        }
        if (!file.writeAt(at, tag, TagSize)) {
            const int error = errno;
            if (at == size)
                file.truncate(size);
            else
                file.writeAt(at, old, TagSize);
            throw EFileError(QStringLiteral("Cannot write the ID3v1 tag of ") + path + QStringLiteral(": ") +
                             errorText(error));
        }
        file.close();
    }
    Data.FileName = path;
    Analyze();
    return result;
}

int32_t TMPEGAudio::RemoveTag()
{
    const QString path = Data.FileName;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return -1;

    BinaryFile file;
    const int32_t result = file.open(path, BinaryFile::Access::ReadWrite);
    if (result == 0) {
        if (file.size() > TagSize) {
            uint8_t tag[TagSize];
            file.seek(file.size() - TagSize);
            if (!file.read(tag, TagSize)) throw EFileError(QStringLiteral("Cannot read the end of ") + path);
            if (std::memcmp(tag, "TAG", 3) == 0 && !file.truncate(file.size() - TagSize)) {
                const int error = errno;
                throw EFileError(QStringLiteral("Cannot remove the ID3v1 tag of ") + path +
                                 QStringLiteral(": ") + errorText(error));
            }
        }
        file.close();
    }
    Data.FileName = path;
    Analyze();
    return result;
}

} // namespace audrel
