#pragma once
// An output that plays nothing but keeps the pace of a device: it holds a
// fraction of a second of audio and lets it go in real time. Tests play
// through it where no sound server is at hand.

#include "platform/audio/audiooutput.h"

#include <QElapsedTimer>

namespace audrel::audio {

class SilentOutput final : public AudioOutput
{
public:
    // bufferMs: how much audio it holds before it is full.
    explicit SilentOutput(int bufferMs = 200);

    AudioError start(const AudioFormat& format) override;
    int64_t write(const int16_t* samples, int64_t frames) override;
    int64_t queuedFrames() override;
    bool isRealTime() const override { return true; }
    void setPaused(bool paused) override;
    void reset() override;
    AudioError finish() override { return AudioError::None; }
    AudioError error() const override { return AudioError::None; }

private:
    // Frames that have left the buffer since it started.
    int64_t playedFrames() const;

    int m_bufferMs;
    AudioFormat m_format;
    QElapsedTimer m_clock;
    int64_t m_written = 0;    // frames taken since the clock started
    int64_t m_pausedAt = -1;  // played frames when paused, -1 while running
    int64_t m_playedBase = 0; // played frames at the last restart of the clock
};

} // namespace audrel::audio
