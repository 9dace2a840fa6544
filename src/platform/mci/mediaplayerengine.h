#pragma once
// The media player's working part, on the player's own thread: the decoder of
// the open file, the device output and the transport between them, and the
// timer that pumps the transport while it plays. Everything here is created,
// used and destroyed on that one thread; it lets the thread's events run,
// which the device output needs.

#include "platform/audio/audiodecoder.h"
#include "platform/audio/deviceoutput.h"
#include "platform/audio/playbacktransport.h"
#include "platform/mci/mediaplayer.h"

#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace audrel::mci {

class MediaPlayerEngine final
{
public:
    // The FFmpeg module is looked for in programFolder.
    explicit MediaPlayerEngine(const QString& programFolder);
    ~MediaPlayerEngine();
    MediaPlayerEngine(const MediaPlayerEngine&) = delete;
    MediaPlayerEngine& operator=(const MediaPlayerEngine&) = delete;

    // Each returns empty when done, else the message that refuses it.
    QString open(const QString& path);
    QString play(std::optional<qint64> fromMs);
    void close();
    void stop();
    void pause();
    void rewind();

    TMPModes mode() const;
    qint64 positionMs() const;
    qint64 lengthMs() const;

private:
    void pump();
    qint64 toMs(int64_t frames) const;
    int64_t toFrames(qint64 ms) const;

    QString m_programFolder;
    std::unique_ptr<audio::AudioDecoder> m_decoder;
    QString m_path; // of the open file
    int64_t m_playedFrames = 0; // the stream's real length, once it was played to its end
    std::unique_ptr<audio::DeviceOutput> m_output;
    audio::PlaybackTransport m_transport;
    QTimer m_pumpTimer;
};

} // namespace audrel::mci
