#pragma once
// Where decoded audio goes: a file that takes everything at once, or a device
// that takes audio as fast as it plays it. Writes never block; an output that
// is full takes fewer frames and the caller comes back later.

#include "platform/audio/audioerror.h"
#include "platform/audio/audioformat.h"

#include <QString>

#include <cstdint>

namespace audrel::audio {

class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Gets ready for a stream of this format; called before the stream's
    // first write, and again when a new stream starts.
    virtual AudioError start(const AudioFormat& format) = 0;
    // Takes up to frames frames; returns how many it took, or -1 on failure.
    virtual int64_t write(const int16_t* samples, int64_t frames) = 0;
    // Frames taken but not yet heard; 0 for outputs that are not real-time.
    virtual int64_t queuedFrames() = 0;
    // Whether audio leaves this output at the pace it plays.
    virtual bool isRealTime() const = 0;
    // Suspends or resumes a real-time output.
    virtual void setPaused(bool paused) = 0;
    // Drops what is queued and not heard yet.
    virtual void reset() = 0;
    // The stream has no more audio to come: a real-time output makes sure
    // that what it holds is heard, however little that is.
    virtual void playOut() {}
    // The stream has ended: a file output completes its file.
    virtual AudioError finish() = 0;
    // The last error that made write return -1.
    virtual AudioError error() const = 0;
    // The system's reason for the last failure of a file output ("No space
    // left on device"), or an empty string when it gave none.
    virtual QString errorString() const { return {}; }
};

} // namespace audrel::audio
