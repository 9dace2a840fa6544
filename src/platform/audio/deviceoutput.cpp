#include "platform/audio/deviceoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <limits>
#include <mutex>
#include <vector>

namespace audrel::audio {

namespace {

// How much audio the sink is asked to hold ahead of what is heard. The sound
// server grants less (what it keeps for itself comes off), and the sink would
// ask for only the granted length when it opens its next stream; so the
// request is made anew before every stream.
constexpr int kBufferMs = 250;
// The silence every stream starts with: a sound server that has a sink
// running far ahead may drop the first few milliseconds of a stream that
// joins it (the private null sink drops 20 ms), which then are silence.
constexpr int kLeadInMs = 50;

} // namespace

DeviceOutput::DeviceOutput() = default;

DeviceOutput::~DeviceOutput()
{
    release();
}

void DeviceOutput::nameStreams()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // libpulse reads these when Qt makes its context; the OVERRIDE form
        // wins over the name Qt gives its context ("QtPulseAudio:<pid>").
        const std::pair<const char*, const char*> properties[] = {
            {"PULSE_PROP_OVERRIDE_application.name", "Audrel"},
            {"PULSE_PROP_OVERRIDE_application.icon_name", "audrel"},
        };
        for (const auto& [name, value] : properties)
            if (!qEnvironmentVariableIsSet(name)) qputenv(name, value);
    });
}

bool DeviceOutput::deviceAvailable()
{
    nameStreams();
    return !QMediaDevices::defaultAudioOutput().isNull();
}

void DeviceOutput::release()
{
    if (m_sink) m_sink->stop();
    m_io = nullptr;
    m_sink.reset();
}

int64_t DeviceOutput::writeSilence(int64_t frames)
{
    frames = std::min<int64_t>(frames, m_sink->bytesFree() / m_format.bytesPerFrame());
    if (frames <= 0) return 0;
    const std::vector<int16_t> silence(size_t(frames) * size_t(m_format.channels), 0);
    const qint64 written =
        m_io->write(reinterpret_cast<const char*>(silence.data()), frames * m_format.bytesPerFrame());
    return written > 0 ? written / m_format.bytesPerFrame() : 0;
}

bool DeviceOutput::openStream()
{
    m_sink->setBufferSize(qsizetype(m_format.sampleRate) * m_format.bytesPerFrame() * kBufferMs / 1000);
    m_io = m_sink->start();
    m_leadIn = m_audio = m_tail = 0;
    ++m_streamsOpened;
    if (!m_io || m_sink->error() != QAudio::NoError) {
        m_io = nullptr;
        return false;
    }
    m_leadIn = writeSilence(int64_t(m_format.sampleRate) * kLeadInMs / 1000);
    if (m_paused) {
        m_pausedQueued = 0;
        m_sink->suspend();
    }
    return true;
}

AudioError DeviceOutput::start(const AudioFormat& format)
{
    if (m_sink && format == m_format && m_sink->error() != QAudio::OpenError &&
        m_sink->error() != QAudio::FatalError)
        return AudioError::None;
    release();
    m_format = format;
    nameStreams();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return m_error = AudioError::NoDevice;
    QAudioFormat wanted;
    wanted.setSampleRate(format.sampleRate);
    wanted.setChannelCount(format.channels);
    wanted.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(wanted)) return m_error = AudioError::DeviceFailed;
    m_sink = std::make_unique<QAudioSink>(device, wanted);
    if (!openStream()) {
        release();
        return m_error = AudioError::DeviceFailed;
    }
    m_error = AudioError::None;
    return AudioError::None;
}

int64_t DeviceOutput::write(const int16_t* samples, int64_t frames)
{
    if (!m_sink) return -1;
    if (!m_io && !openStream()) {
        m_error = AudioError::DeviceFailed;
        return -1;
    }
    if (m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::FatalError) {
        m_error = AudioError::DeviceFailed;
        return -1;
    }
    const int bytesPerFrame = m_format.bytesPerFrame();
    const int64_t room = m_sink->bytesFree() / bytesPerFrame;
    const int64_t wanted = std::min(room, frames);
    if (wanted <= 0) return 0;
    const qint64 written = m_io->write(reinterpret_cast<const char*>(samples), wanted * bytesPerFrame);
    if (written < 0) {
        m_error = AudioError::DeviceFailed;
        return -1;
    }
    m_audio += written / bytesPerFrame;
    return written / bytesPerFrame;
}

void DeviceOutput::playOut()
{
    // Whatever room is left takes silence: the device then holds at least
    // what it waits for before it starts, and plays the audio before it.
    if (m_io && !m_paused) m_tail += writeSilence(std::numeric_limits<int64_t>::max());
}

int64_t DeviceOutput::queuedFrames()
{
    if (!m_io || m_sink->state() == QAudio::StoppedState) return 0;
    if (m_paused) return m_pausedQueued;
    // How far into the stream the server has got: past what the buffer no
    // longer holds, and past what it says it has played. The smaller of the
    // two counts, for audio that left the buffer may still wait in the device
    // (and a stream that goes is taken out of the device too). Rounded up: the
    // server counts whole microseconds.
    const int64_t written = m_leadIn + m_audio + m_tail;
    const int64_t held = std::max<int64_t>(0, m_sink->bufferSize() - m_sink->bytesFree()) / m_format.bytesPerFrame();
    const int64_t played = (m_sink->processedUSecs() * m_format.sampleRate + 999999) / 1000000;
    const int64_t reached = std::min(written - held, played);
    // The audio lies between the lead-in and the silence behind it.
    return std::clamp<int64_t>(m_leadIn + m_audio - reached, 0, m_audio);
}

void DeviceOutput::setPaused(bool paused)
{
    if (paused == m_paused) return;
    // Suspended, the sink tells nothing of what it holds: what it held stays.
    if (paused) m_pausedQueued = queuedFrames();
    m_paused = paused;
    if (!m_io) return;
    if (paused)
        m_sink->suspend();
    else
        m_sink->resume();
}

void DeviceOutput::reset()
{
    // The stream goes with what it holds; the next write opens another.
    m_pausedQueued = 0;
    if (!m_io) return;
    m_sink->reset();
    m_io = nullptr;
}

} // namespace audrel::audio
