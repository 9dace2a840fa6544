#pragma once
// The result record of the MPEG audio analysis.

#include <QString>

#include <cstdint>

namespace audrel {

struct TMPEGInfo
{
    QString Header;        // "TAG" when an ID3v1 tag was read, else "BAD" (max 3)
    QString Title;         // tag title; for a file without tag the file name (max 30)
    QString Artist;        // max 30
    QString Album;         // max 30
    QString Year;          // the four raw tag bytes (max 4)
    QString Comment;       // max 30
    uint8_t Genre = 0;     // 255 = none
    uint8_t Track = 0;     // 0 = none
    uint32_t Duration = 0; // playing time in whole seconds
    int64_t FileLength = 0;
    uint8_t Version = 0; // 0 unknown, 1 = MPEG 1, 2 = MPEG 2, 3 = MPEG 2.5
    uint8_t Layer = 0;   // 0 unknown, 1, 2, 3
    int32_t SampleRate = 0;
    int32_t BitRate = 0; // kbit/s; -1 for a file with a Xing header
    uint8_t Mode = 0;    // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    bool Copyrighted = false;
    bool Original = false;
    bool ErrorProt = false; // protection bit set: no CRC follows the header
    bool Padding = false;
    uint16_t FrameLength = 0; // bytes; for a Xing file the average
    QString FileName;         // full path
    int32_t FileDate = 0;     // modification stamp, 0 = unknown
};

} // namespace audrel
