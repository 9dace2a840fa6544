#pragma once
// One work item of a conversion dialog: a checked row and how far it got.

#include <QString>

#include <cstdint>

namespace audrel {

struct TCvtItem
{
    QString SourcePath;
    QString DestPath;
    int32_t RowIndex = 0;
    int32_t JobState = 0; // 0 pending, 1 being converted, 2 converted
    // The source's format, for WAV sources (the encoders read it).
    uint32_t SampleRate = 0;
    uint32_t Mode = 0; // 0 stereo, 3 mono
    uint32_t BitsPerSample = 0;
};

} // namespace audrel
