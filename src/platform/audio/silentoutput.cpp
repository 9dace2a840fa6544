#include "platform/audio/silentoutput.h"

#include <algorithm>

namespace audrel::audio {

SilentOutput::SilentOutput(int bufferMs) : m_bufferMs(bufferMs) {}

AudioError SilentOutput::start(const AudioFormat& format)
{
    m_format = format;
    reset();
    return AudioError::None;
}

int64_t SilentOutput::playedFrames() const
{
    if (m_pausedAt >= 0) return m_pausedAt;
    if (!m_clock.isValid() || m_format.sampleRate <= 0) return m_playedBase;
    const int64_t elapsed = m_playedBase + m_clock.nsecsElapsed() * m_format.sampleRate / 1000000000;
    return std::min(elapsed, m_written);
}

int64_t SilentOutput::queuedFrames()
{
    return m_written - playedFrames();
}

int64_t SilentOutput::write(const int16_t*, int64_t frames)
{
    if (m_format.sampleRate <= 0) return -1;
    const int64_t capacity = int64_t(m_format.sampleRate) * m_bufferMs / 1000;
    const int64_t queued = queuedFrames();
    if (queued == 0 && m_pausedAt < 0) {
        // Ran dry: the clock starts again with the new audio.
        m_playedBase = m_written;
        m_clock.start();
    }
    const int64_t taken = std::clamp<int64_t>(capacity - queued, 0, frames);
    m_written += taken;
    return taken;
}

void SilentOutput::setPaused(bool paused)
{
    if (paused && m_pausedAt < 0) {
        m_pausedAt = playedFrames();
    } else if (!paused && m_pausedAt >= 0) {
        m_playedBase = m_pausedAt;
        m_pausedAt = -1;
        m_clock.start();
    }
}

void SilentOutput::reset()
{
    m_written = 0;
    m_playedBase = 0;
    if (m_pausedAt >= 0) m_pausedAt = 0;
    m_clock.invalidate();
}

} // namespace audrel::audio
