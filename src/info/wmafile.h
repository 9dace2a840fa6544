#pragma once
// The header of a Windows Media Audio file (ASF): bit rate, channels, sample
// rate, an estimate of the playing time, and the title, artist, album, track,
// year, genre and comment texts of the content description objects.

#include <QString>

#include <cstdint>

namespace audrel {

class BinaryFile;

class TWMAfile
{
public:
    TWMAfile();

    bool Valid = false;
    int64_t FileSize = 0;
    uint8_t Channels = 0;
    int32_t SampleRate = 0;
    double Duration = 0; // seconds
    int32_t BitRate = 0; // average, kbit/s
    QString Title;
    QString Artist;
    QString Album;
    int32_t Track = 0; // 0 when the track text is not a number
    QString Year;
    QString Genre;
    QString Comment;

    // Clears every field and walks the ASF header objects. True when the file
    // could be opened and its header walked without a read failure, whether or
    // not the values are valid (see Valid).
    bool LoadFile(const QString& path);
    void Clear();

    QString ChannelModeText() const;

    // Texts are read up to this many UTF-16 characters; the rest is skipped.
    static constexpr int MaxTextLength = 250;

private:
    enum TagSlot
    {
        SlotTitle,
        SlotArtist,
        SlotAlbum,
        SlotTrack,
        SlotYear,
        SlotGenre,
        SlotComment,
        SlotCount
    };

    struct TTagData
    {
        QString Text[SlotCount];
    };

    struct TFileData
    {
        int64_t FileSize = 0;
        int32_t MaxBitRate = 0; // bits per second
        uint16_t Channels = 0;
        int32_t SampleRate = 0;
        int32_t ByteRate = 0;
        TTagData Tag;
    };

    static bool readText(BinaryFile& file, uint32_t length, QString* text);
    static bool readContentDescription(BinaryFile& file, TFileData& data);
    static bool readExtendedContentDescription(BinaryFile& file, TFileData& data);
    static bool walk(BinaryFile& file, TFileData& data);
};

} // namespace audrel
