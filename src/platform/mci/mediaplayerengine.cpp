#include "platform/mci/mediaplayerengine.h"

#include "platform/mci/mediadecoder.h"

namespace audrel::mci {

namespace {

using audio::AudioError;
using audio::PlaybackState;

QString reason(AudioError error)
{
    switch (error) {
    case AudioError::NoSuchFile:
        return QStringLiteral("the file does not exist");
    case AudioError::PermissionDenied:
        return QStringLiteral("the file may not be read");
    case AudioError::OpenFailed:
    case AudioError::ReadFailed:
        return QStringLiteral("the file cannot be read");
    case AudioError::NoDevice:
        return QStringLiteral("there is no audio device to play on");
    case AudioError::DeviceFailed:
        return QStringLiteral("the audio device refused the stream");
    case AudioError::NoInput:
        return QStringLiteral("no media file is open");
    case AudioError::Protected:
        return QStringLiteral("it is protected by DRM");
    default:
        return QStringLiteral("the file is damaged or not in a format that can be played");
    }
}

QString refusal(const QString& what, const QString& path, const QString& why)
{
    return QStringLiteral("Cannot %1 the media file %2:\n%3.").arg(what, path, why);
}

} // namespace

MediaPlayerEngine::MediaPlayerEngine(const QString& programFolder) : m_programFolder(programFolder)
{
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_pumpTimer, &QTimer::timeout, [this] { pump(); });
}

MediaPlayerEngine::~MediaPlayerEngine()
{
    close();
}

QString MediaPlayerEngine::open(const QString& path)
{
    close();
    QString problem;
    std::unique_ptr<audio::AudioDecoder> decoder = NewMediaDecoder(path, m_programFolder, problem);
    if (!decoder) return refusal(QStringLiteral("open"), path, problem);
    if (const AudioError error = decoder->open(path); error != AudioError::None)
        return refusal(QStringLiteral("open"), path, reason(error));
    if (!decoder->format().isValid())
        return refusal(QStringLiteral("open"), path, reason(AudioError::NotMpegAudio));
    m_decoder = std::move(decoder);
    m_path = path;
    m_playedFrames = 0;
    m_output = std::make_unique<audio::DeviceOutput>();
    m_transport.setOutput(m_output.get());
    m_transport.setDecoder(m_decoder.get());
    return {};
}

void MediaPlayerEngine::close()
{
    m_pumpTimer.stop();
    // The output goes first: a stream that plays is taken off it and rewound.
    m_transport.setOutput(nullptr);
    m_transport.setDecoder(nullptr);
    m_output.reset();
    if (m_decoder) m_decoder->close();
    m_decoder.reset();
    m_path.clear();
    m_playedFrames = 0;
}

QString MediaPlayerEngine::play(std::optional<qint64> fromMs)
{
    if (!m_decoder) return QStringLiteral("Cannot play: no media file is open.");
    if (fromMs) m_transport.seek(toFrames(std::max<qint64>(0, *fromMs)));
    // A refusal leaves the file where it was; a later Play may find the device again.
    if (const AudioError error = m_transport.play(); error != AudioError::None)
        return refusal(QStringLiteral("play"), m_path, reason(error));
    m_pumpTimer.start(0);
    return {};
}

void MediaPlayerEngine::stop()
{
    const PlaybackState state = m_transport.state();
    if (state != PlaybackState::Playing && state != PlaybackState::Paused) return;
    // The file stays where it was heard.
    m_pumpTimer.stop();
    m_transport.halt();
}

void MediaPlayerEngine::pause()
{
    if (m_transport.state() == PlaybackState::Playing) {
        m_pumpTimer.stop();
        m_transport.pause();
    } else if (m_transport.state() == PlaybackState::Paused) {
        m_transport.resume();
        m_pumpTimer.start(0);
    }
}

void MediaPlayerEngine::rewind()
{
    if (!m_decoder) return;
    m_pumpTimer.stop();
    m_transport.stop();
    // Stopped at the start already, it stays as it is.
    if (m_transport.state() != PlaybackState::Stopped || m_transport.positionFrames() != 0) m_transport.seek(0);
}

void MediaPlayerEngine::pump()
{
    if (m_transport.state() != PlaybackState::Playing) return;
    const int waitMs = m_transport.pump();
    if (waitMs >= 0) m_pumpTimer.start(waitMs);
    // Played to its end, the stream is as long as it turned out to be,
    // whatever its file said.
    if (m_transport.state() == PlaybackState::Ended) m_playedFrames = m_decoder->positionFrames();
}

TMPModes MediaPlayerEngine::mode() const
{
    if (!m_decoder) return mpNotReady;
    switch (m_transport.state()) {
    case PlaybackState::Playing:
        return mpPlaying;
    case PlaybackState::Paused:
        return mpPaused;
    case PlaybackState::Stopped:
    case PlaybackState::Ended:
        break;
    }
    return mpStopped;
}

qint64 MediaPlayerEngine::toMs(int64_t frames) const
{
    // Divided first: a length that a file states may be as large as it likes.
    const int rate = m_decoder ? m_decoder->format().sampleRate : 0;
    return rate > 0 ? frames / rate * 1000 + frames % rate * 1000 / rate : 0;
}

int64_t MediaPlayerEngine::toFrames(qint64 ms) const
{
    const int rate = m_decoder ? m_decoder->format().sampleRate : 0;
    return ms / 1000 * rate + ms % 1000 * rate / 1000;
}

qint64 MediaPlayerEngine::positionMs() const
{
    if (!m_decoder) return 0;
    // At the end the position is the length, whatever the output still held.
    if (m_transport.state() == PlaybackState::Ended) return lengthMs();
    return toMs(m_transport.positionFrames());
}

qint64 MediaPlayerEngine::lengthMs() const
{
    if (!m_decoder) return 0;
    // Once played to its end, a stream is as long as it turned out to be.
    return toMs(m_playedFrames > 0 ? m_playedFrames : m_transport.lengthFrames());
}

} // namespace audrel::mci
