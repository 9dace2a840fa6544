#pragma once
// Plays a decoder into an output: play, pause, resume, stop, seek, and a pump
// step that moves audio from the one to the other. It has no thread of its
// own: its owner calls it from one thread, calls pump() while it plays and
// waits between the steps as long as pump() allows. The position it gives is
// the one being heard: what the decoder has passed, less what is decoded and
// not yet taken by the output, less what the output still holds. At the end of
// the stream it has a real-time output play out what it holds and waits until
// that is heard (for a while at most), completes an output that is not real-time (a file), and
// tells its listener; so does a failure of the decoder or the output.

#include "platform/audio/audiodecoder.h"
#include "platform/audio/audioerror.h"
#include "platform/audio/audiooutput.h"

#include <cstdint>

namespace audrel::audio {

enum class PlaybackState
{
    Stopped, // not playing; play() starts from the current place
    Playing,
    Paused,
    Ended, // the stream was played to its end; play() starts again from the start
};

// What a transport tells its owner, from within the call that caused it and
// after its state has changed.
class PlaybackListener
{
public:
    // Every change of state, asked for by the owner or not.
    virtual void playbackStateChanged(PlaybackState) {}
    // The stream was played to its end: the state is Ended, a file output is
    // complete. The owner may take the output away here.
    virtual void playbackEnded() {}
    // Playing cannot go on, or the file output could not be completed at the
    // end (atEnd() then tells so): the state is Stopped.
    virtual void playbackFailed(AudioError) {}

protected:
    ~PlaybackListener() = default;
};

class PlaybackTransport
{
public:
    explicit PlaybackTransport(PlaybackListener* listener = nullptr);
    PlaybackTransport(const PlaybackTransport&) = delete;
    PlaybackTransport& operator=(const PlaybackTransport&) = delete;

    void setListener(PlaybackListener* listener) { m_listener = listener; }

    // The decoder and the output are borrowed: each must outlive its use here.
    // A new decoder is taken as a new stream (see streamChanged()).
    void setDecoder(AudioDecoder* decoder);
    AudioDecoder* decoder() const { return m_decoder; }
    // Another output, or none: a stream that plays or pauses is dropped from the
    // old output and goes back to its start, stopped.
    void setOutput(AudioOutput* output);
    AudioOutput* output() const { return m_output; }

    // The decoder was opened on another stream, or closed: stopped at its
    // start, nothing pending, what the output holds dropped.
    void streamChanged();

    // Starts playing: the output is started for the decoder's format, and a
    // stream that has ended starts again from the start. Paused, it resumes;
    // playing, nothing changes. On refusal (no open decoder, no output, the
    // output's own refusal) nothing changes.
    AudioError play();
    void pause();  // only while playing
    void resume(); // only while paused
    // Back to the start, stopped; a stopped transport stays where it is.
    void stop();
    // Stopped where it is heard, to go on from there; a stopped transport
    // stays where it is.
    void halt();
    // Moves to a frame (the end at most) and goes on in the same state; a
    // stream that has ended is then stopped there.
    void seek(int64_t frame);
    // Drops what the output holds and what is decoded but not yet written;
    // the stream goes on from where the decoder is.
    void resetOutput();

    // One step of playing: moves audio from the decoder to the output, or
    // waits for the end to be heard. Returns how many milliseconds the owner
    // may wait before the next step: 0 for at once, -1 when it is no longer
    // playing (ended, failed, or it was not playing).
    int pump();

    PlaybackState state() const { return m_state; }
    // The frame being heard; the length once the stream has ended.
    int64_t positionFrames() const;
    // Length of the stream in frames; 0 when not known.
    int64_t lengthFrames() const;
    // Whether the stream was played to its end (the next play starts again).
    bool atEnd() const { return m_atEnd; }

private:
    void rewind(int64_t frame);
    void endOfStream();
    void fail(AudioError error);
    void setState(PlaybackState state);

    PlaybackListener* m_listener;
    AudioDecoder* m_decoder = nullptr;
    AudioOutput* m_output = nullptr;
    PlaybackState m_state = PlaybackState::Stopped;
    const int16_t* m_pending = nullptr; // decoded and not yet taken by the output
    int64_t m_pendingFrames = 0;
    bool m_decodeDone = false;
    bool m_atEnd = false;
    int64_t m_drainDeadline = 0; // when waiting for a real-time output to play out gives up
};

} // namespace audrel::audio
