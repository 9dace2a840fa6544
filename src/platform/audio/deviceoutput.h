#pragma once
// The default audio device through Qt Multimedia. It must be created, used
// and destroyed on one thread, and that thread must let its posted events
// run now and then (the sink reports its state through them).

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

    AudioError start(const AudioFormat& format) override;
    int64_t write(const int16_t* samples, int64_t frames) override;
    int64_t queuedFrames() override;
    bool isRealTime() const override { return true; }
    void setPaused(bool paused) override;
    void reset() override;
    AudioError finish() override { return AudioError::None; }
    AudioError error() const override { return m_error; }

private:
    void release();

    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr;
    AudioFormat m_format;
    bool m_paused = false;
    AudioError m_error = AudioError::None;
};

} // namespace audrel::audio
