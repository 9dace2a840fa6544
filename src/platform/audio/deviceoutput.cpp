#include "platform/audio/deviceoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>

namespace audrel::audio {

namespace {

// How much audio the sink holds ahead of what is heard.
constexpr int kBufferMs = 250;

} // namespace

DeviceOutput::DeviceOutput() = default;

DeviceOutput::~DeviceOutput()
{
    release();
}

bool DeviceOutput::deviceAvailable()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

void DeviceOutput::release()
{
    if (m_sink) m_sink->stop();
    m_io = nullptr;
    m_sink.reset();
}

AudioError DeviceOutput::start(const AudioFormat& format)
{
    if (m_sink && format == m_format && m_sink->error() == QAudio::NoError) return AudioError::None;
    release();
    m_format = format;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return m_error = AudioError::NoDevice;
    QAudioFormat wanted;
    wanted.setSampleRate(format.sampleRate);
    wanted.setChannelCount(format.channels);
    wanted.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(wanted)) return m_error = AudioError::DeviceFailed;
    m_sink = std::make_unique<QAudioSink>(device, wanted);
    m_sink->setBufferSize(qsizetype(format.sampleRate) * format.bytesPerFrame() * kBufferMs / 1000);
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError) {
        release();
        return m_error = AudioError::DeviceFailed;
    }
    if (m_paused) m_sink->suspend();
    m_error = AudioError::None;
    return AudioError::None;
}

int64_t DeviceOutput::write(const int16_t* samples, int64_t frames)
{
    if (!m_sink || !m_io) return -1;
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
    return written / bytesPerFrame;
}

int64_t DeviceOutput::queuedFrames()
{
    if (!m_sink) return 0;
    if (m_sink->state() == QAudio::IdleState || m_sink->state() == QAudio::StoppedState) return 0;
    return std::max<int64_t>(0, m_sink->bufferSize() - m_sink->bytesFree()) / m_format.bytesPerFrame();
}

void DeviceOutput::setPaused(bool paused)
{
    m_paused = paused;
    if (!m_sink) return;
    if (paused)
        m_sink->suspend();
    else
        m_sink->resume();
}

void DeviceOutput::reset()
{
    if (!m_sink) return;
    m_sink->reset();
    m_io = m_sink->start();
    if (m_paused) m_sink->suspend();
}

} // namespace audrel::audio
