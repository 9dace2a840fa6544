#pragma once
// The engine of the WMA decoder control TMsAudio2Wave: a source that FFmpeg
// reads (WMA v1, v2, Pro, Lossless and Voice in ASF) decoded into a 16-bit
// PCM WAV file at the source's own rate and channel count, holding the
// samples of `ffmpeg -i SOURCE -f wav -`.
//
// Duration is the playing time the source states, known once SetFiles has
// returned (0 when it states none). OnActPosition tells the position decoded
// so far in milliseconds, a few times a second and once at the end; Progress
// tells it against Duration, or, when Duration is 0, the bytes read of the
// source against its size, so a source of unknown length still shows how far
// it got.

#include "platform/msaudio/msaudioengine.h"

#include <QElapsedTimer>

namespace audrel::msaudio {

class MsAudioDecodeEngine final : public MsAudioEngine
{
    Q_OBJECT

public:
    explicit MsAudioDecodeEngine(const audio::FfmpegModule& module, QObject* parent = nullptr);
    ~MsAudioDecodeEngine() override;

    // Milliseconds.
    int Duration() const;

signals:
    void OnActPosition(int Position);
    void OnDecodeStatus(short Status, const QString& Message);
    void OnDecodeComplete();

protected:
    void prepareWork() override;
    std::unique_ptr<audio::AudioOutput> openOutput(const Work& work, const audio::AudioFormat& format,
                                                   audio::AudioError& error) override;
    void reportProgress(const Work& work, const audio::MediaDecoder& decoder, bool final) override;
    void raiseStatus(short Status, const QString& Message) override { emit OnDecodeStatus(Status, Message); }
    void raiseComplete() override { emit OnDecodeComplete(); }

private:
    QElapsedTimer m_sinceReport; // the worker's
};

} // namespace audrel::msaudio
