#pragma once
// The records behind the rows of the four job lists. Record i of a list
// describes row i of that list.

#include <QString>

#include <cstdint>

namespace audrel {

// Where a row stands: added and waiting, or converted by a conversion run.
enum class JobState : int32_t
{
    Pending = 1,
    Converted = 2,
};

// Common part of every job row.
struct TJobRec
{
    QString Source;       // full path of the source file
    QString Dest;         // full path of the destination file, fixed when the row is added
    uint32_t Seconds = 0; // playing time in whole seconds
    bool Checked = true;  // the last check state the counters have taken into account
    JobState State = JobState::Pending;

    virtual ~TJobRec() = default;
};

// MP3 to WAV rows.
struct TMp3Rec : TJobRec
{
};

// WMA to WAV rows.
struct TWMARec : TJobRec
{
};

// Rows of both WAV lists (to MP3 and to WMA); the encoders read the format.
struct TWavRec : TJobRec
{
    uint32_t SampleRate = 0;
    uint32_t Mode = 0; // 3 mono (also for an unknown layout), 0 stereo
    uint32_t BitsPerSample = 0;
};

// Rows of the Any Format list: the source's format as FFmpeg reads it, in the
// fields the encoders read from WAV rows too.
struct TAnyRec : TWavRec
{
    uint32_t Channels = 0;
};

} // namespace audrel
