#include "platform/audio/playbacktransport.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace audrel::audio {

namespace {

// Longest stretch of decoding into a file before the owner gets the thread back.
constexpr int kFileBlocksPerPump = 64;
// How long the owner may wait while a real-time output is full.
constexpr int kFullWaitMs = 10;
// How long the end of a stream may take to be heard before it is taken as heard.
constexpr int kDrainSlackMs = 2000;

} // namespace

PlaybackTransport::PlaybackTransport(PlaybackListener* listener) : m_listener(listener) {}

void PlaybackTransport::setDecoder(AudioDecoder* decoder)
{
    m_decoder = decoder;
    streamChanged();
}

void PlaybackTransport::setOutput(AudioOutput* output)
{
    if (output == m_output) return;
    if (m_state == PlaybackState::Playing || m_state == PlaybackState::Paused) {
        rewind(0);
        setState(PlaybackState::Stopped);
    }
    m_output = output;
}

void PlaybackTransport::streamChanged()
{
    m_pending = nullptr;
    m_pendingFrames = 0;
    m_decodeDone = false;
    m_atEnd = false;
    if (m_output) m_output->reset();
    setState(PlaybackState::Stopped);
}

AudioError PlaybackTransport::play()
{
    if (!m_decoder || !m_decoder->isOpen()) return AudioError::NoInput;
    if (m_state == PlaybackState::Playing) return AudioError::None;
    if (m_state == PlaybackState::Paused) {
        resume();
        return AudioError::None;
    }
    if (!m_output) return AudioError::NoOutput;
    if (const AudioError error = m_output->start(m_decoder->format()); error != AudioError::None)
        return error;
    if (m_atEnd) rewind(0);
    m_output->setPaused(false);
    setState(PlaybackState::Playing);
    return AudioError::None;
}

void PlaybackTransport::pause()
{
    if (m_state != PlaybackState::Playing) return;
    if (m_output) m_output->setPaused(true);
    setState(PlaybackState::Paused);
}

void PlaybackTransport::resume()
{
    if (m_state != PlaybackState::Paused) return;
    if (m_output) m_output->setPaused(false);
    setState(PlaybackState::Playing);
}

void PlaybackTransport::stop()
{
    if (!m_decoder || !m_decoder->isOpen() || m_state == PlaybackState::Stopped) return;
    rewind(0);
    if (m_output) m_output->setPaused(false);
    setState(PlaybackState::Stopped);
}

void PlaybackTransport::halt()
{
    if (!m_decoder || !m_decoder->isOpen() || m_state == PlaybackState::Stopped) return;
    const int64_t heard = positionFrames();
    rewind(heard);
    if (m_output) m_output->setPaused(false);
    setState(PlaybackState::Stopped);
}

void PlaybackTransport::seek(int64_t frame)
{
    if (!m_decoder || !m_decoder->isOpen()) return;
    const int64_t length = m_decoder->lengthFrames();
    frame = std::max<int64_t>(0, frame);
    if (length > 0) frame = std::min(frame, length); // past the last sample: at the end
    rewind(frame);
    if (m_state == PlaybackState::Ended) setState(PlaybackState::Stopped);
}

void PlaybackTransport::resetOutput()
{
    if (m_output) m_output->reset();
    m_pending = nullptr;
    m_pendingFrames = 0;
}

void PlaybackTransport::rewind(int64_t frame)
{
    if (!m_decoder->seekFrame(frame)) m_decoder->seekFrame(0);
    if (m_output) m_output->reset();
    m_pending = nullptr;
    m_pendingFrames = 0;
    m_decodeDone = false;
    m_atEnd = false;
}

int PlaybackTransport::pump()
{
    if (m_state != PlaybackState::Playing || !m_decoder || !m_output) return -1;
    const bool realTime = m_output->isRealTime();
    for (int block = 0; block < (realTime ? 1 : kFileBlocksPerPump); ++block) {
        if (m_pendingFrames == 0 && !m_decodeDone) {
            if (const AudioError error = m_decoder->nextBlock(m_pending, m_pendingFrames);
                error != AudioError::None) {
                fail(error);
                return -1;
            }
            if (m_pendingFrames == 0) {
                m_decodeDone = true;
                // However little the output holds, it is to be heard.
                if (realTime) m_output->playOut();
                m_drainDeadline =
                    QDeadlineTimer::current().deadline() + kDrainSlackMs +
                    m_output->queuedFrames() * 1000 / std::max(1, m_decoder->format().sampleRate);
            }
        }
        if (m_pendingFrames > 0) {
            const int64_t taken = m_output->write(m_pending, m_pendingFrames);
            if (taken < 0) {
                fail(m_output->error());
                return -1;
            }
            m_pending += taken * m_decoder->format().channels;
            m_pendingFrames -= taken;
            if (m_pendingFrames > 0) return kFullWaitMs; // full: come back when some of it was heard
        }
        if (m_decodeDone) {
            if (realTime && m_output->queuedFrames() > 0 &&
                QDeadlineTimer::current().deadline() < m_drainDeadline)
                return kFullWaitMs;
            endOfStream();
            return -1;
        }
    }
    return 0;
}

void PlaybackTransport::endOfStream()
{
    m_decodeDone = false;
    m_atEnd = true;
    if (!m_output->isRealTime()) {
        // A file output is complete with its stream.
        if (const AudioError error = m_output->finish(); error != AudioError::None) return fail(error);
    }
    setState(PlaybackState::Ended);
    if (m_listener) m_listener->playbackEnded();
}

void PlaybackTransport::fail(AudioError error)
{
    m_pendingFrames = 0;
    m_decodeDone = false;
    setState(PlaybackState::Stopped);
    if (m_listener) m_listener->playbackFailed(error);
}

void PlaybackTransport::setState(PlaybackState state)
{
    if (state == m_state) return;
    m_state = state;
    if (m_listener) m_listener->playbackStateChanged(state);
}

int64_t PlaybackTransport::positionFrames() const
{
    if (!m_decoder || !m_decoder->isOpen()) return 0;
    const int64_t length = m_decoder->lengthFrames();
    if (m_state == PlaybackState::Ended) return length > 0 ? length : m_decoder->positionFrames();
    const int64_t queued = m_output ? m_output->queuedFrames() : 0;
    const int64_t heard = std::max<int64_t>(0, m_decoder->positionFrames() - m_pendingFrames - queued);
    return length > 0 ? std::min(heard, length) : heard;
}

int64_t PlaybackTransport::lengthFrames() const
{
    return m_decoder && m_decoder->isOpen() ? m_decoder->lengthFrames() : 0;
}

} // namespace audrel::audio
