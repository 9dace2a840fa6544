#pragma once
// The default audio device through Qt Multimedia. It must be created, used
// and destroyed on one thread, and that thread must let its posted events
// run now and then (the sink reports its state through them).
//
// Dropping what it holds (reset) ends the device's stream; the next write
// opens a new one, asking for the same buffer as the first, so any number of
// resets between two writes cost one new stream. Every stream starts with a
// little silence. At the end of a stream the device plays out what it holds
// even when that is less than the device waits for before it starts:
// playOut() fills the rest with silence. Neither silence counts as held;
// audio does until the server says it was played, so the end of a stream is
// heard before the stream goes.

#include "platform/audio/audiooutput.h"

#include <memory>

class QAudioSink;
class QIODevice;

namespace audrel::audio {

class DeviceOutput final : public AudioOutput
{
public:
    DeviceOutput();
    ~DeviceOutput() override;

    // Whether the system has an audio output device at all.
    static bool deviceAvailable();
    // Has the sound server show every stream of this process as the program's
    // own: its name "Audrel" and its icon "audrel". It takes effect when Qt
    // Multimedia first reaches the server, so whatever plays sound calls it
    // before that; the device output itself does. A name the user set in the
    // environment is kept.
    static void nameStreams();

    AudioError start(const AudioFormat& format) override;
    int64_t write(const int16_t* samples, int64_t frames) override;
    int64_t queuedFrames() override;
    bool isRealTime() const override { return true; }
    void setPaused(bool paused) override;
    void reset() override;
    void playOut() override;
    AudioError finish() override { return AudioError::None; }
    AudioError error() const override { return m_error; }

    // How many streams were opened on the device since this output was made.
    int streamsOpened() const { return m_streamsOpened; }

private:
    void release();
    // Opens a stream on the sink with the buffer this output asks for, and
    // starts it with a little silence.
    bool openStream();
    // Writes up to frames frames of silence, as many as there is room for.
    int64_t writeSilence(int64_t frames);

    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // null while no stream is open
    AudioFormat m_format;
    bool m_paused = false;
    int64_t m_pausedQueued = 0; // what was queued when it paused
    // What the open stream was given: silence, then audio, then the silence
    // that plays it out.
    int64_t m_leadIn = 0;
    int64_t m_audio = 0;
    int64_t m_tail = 0;
    int m_streamsOpened = 0;
    AudioError m_error = AudioError::None;
};

} // namespace audrel::audio
