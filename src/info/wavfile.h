#pragma once
// The header of a RIFF WAVE file: format, channels, sample rate, sample size
// and playing time. The fixed 44-byte layout at the start of the file is read;
// when the chunk after "fmt " is not "data", a "fact" chunk right after "fmt "
// gives the sample count and, for a valid header only, the chunks are walked
// to the "data" chunk.

#include <QString>

#include <cstdint>

namespace audrel {

class TWAVfile
{
public:
    TWAVfile();

    bool Valid = false;
    uint16_t FormatTag = 0;
    uint8_t Channels = 0;
    uint32_t SampleRate = 0;
    uint32_t BytesPerSecond = 0;
    uint16_t BlockAlign = 0;
    uint8_t BitsPerSample = 0;
    int32_t SampleCount = 0; // sample frames from a fact chunk, 0 when none was read
    uint32_t HeaderSize = 0; // bytes before the sample data
    // RIFF size + 8; the file's length when the RIFF size is a stream's
    // placeholder (0xFFFFFFFF) or runs past the end of the file.
    int64_t FileSize = 0;
    // Bytes of sample data when the "data" chunk was found by walking the
    // chunks (bounded by the file), -1 when the header lies at fixed places.
    int64_t DataSize = -1;

    // Clears every field and reads the header. True when the file could be
    // opened and read, whether or not the header is valid (see Valid).
    bool LoadFile(const QString& path);
    void Clear();

    QString FormatText() const;
    QString ChannelModeText() const;
    // Playing time in seconds, 0 for an invalid file.
    double Duration() const;
};

} // namespace audrel
