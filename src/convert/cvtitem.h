#pragma once
// One work item of a conversion run: a checked row, where its result goes,
// and how far it got.

#include "jobs/joblist.h"

#include <QString>

#include <cstdint>

namespace audrel {

enum class ItemState : int32_t
{
    Waiting = 0,
    Converting = 1,
    Converted = 2,
};

struct TCvtItem
{
    JobKind Kind = JobKind::Mp3ToWav; // the direction it is converted in
    QString SourcePath;
    QString DestPath;
    int32_t RowIndex = 0;
    ItemState JobState = ItemState::Waiting;
    bool TagsWritten = true; // false: converted, but the source's tags could not follow
    // The source's format, for WAV sources (the encoders read it).
    uint32_t SampleRate = 0;
    uint32_t Mode = 0; // 0 stereo, 3 mono
    uint32_t BitsPerSample = 0;

    // The item of a row: its list's direction, its record's source, destination and format.
    static TCvtItem FromRow(const JobList& list, int row);
};

} // namespace audrel
