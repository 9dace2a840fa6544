#pragma once
// What the engines of the two WMA controls share: one source file converted
// into one destination file on a worker thread of the engine's own, through
// the FFmpeg decoder and an output of the engine's kind. Every event reaches
// the thread the engine lives on (the GUI thread) as a queued call, and none
// is ever raised from within a call into the engine.
//
// SetFiles opens the source, so that what the engine knows of it (its
// length) is there before the conversion starts; StartConversion starts the
// worker; StopConversion ends the worker and returns once it has ended and
// the destination is closed. Each started file ends in exactly one event:
// its completion, or OnFailure with a text naming the file. Nothing more is
// told of a file once it was stopped or other files were set.
//
// Qt Core only; the controls TMsAudio2Wave and TMsAudioEnc show an engine on a form.

#include "platform/audio/audioerror.h"
#include "platform/audio/ffmpegmodule.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace audrel::audio {
class AudioOutput;
}

namespace audrel::msaudio {

class MsAudioEngine : public QObject
{
    Q_OBJECT

public:
    // The Status of the status events.
    enum Status : short
    {
        StatusStarted = 1,  // Message: the source
        StatusFinished = 2, // Message: the destination, now complete
    };

    ~MsAudioEngine() override; // stops a conversion under way

    // The FFmpeg module in folder; EAudrelError, with the reason, when it
    // cannot be loaded.
    static const audio::FfmpegModule& RequireModule(const QString& folder);

    // Stops a conversion under way and opens source; what goes wrong is told
    // when the conversion is started.
    void SetFiles(const QString& source, const QString& dest);
    const QString& SourcePath() const { return m_source; }
    const QString& DestPath() const { return m_dest; }
    // Converts the source into the destination, on the worker.
    void StartConversion();
    // Ends the conversion under way; on return the worker has ended and the
    // destination is closed, as far as it was written.
    void StopConversion();
    // A conversion has been started and has not ended yet.
    bool Busy() const { return m_worker.joinable(); }

signals:
    // ErrorCode: the audio engine's AudioError; ErrorString: what went wrong,
    // naming the file, for the user.
    void OnFailure(int ErrorCode, const QString& ErrorString);
    // How far the conversion has got: done of total, total > 0, on a scale of
    // the engine's kind. Raised with the progress events of the controls.
    void Progress(qint64 done, qint64 total);

protected:
    // The decoder comes from the FFmpeg module.
    MsAudioEngine(const audio::FfmpegModule& module, QObject* parent);

    // What the worker of one conversion is given and keeps.
    struct Work
    {
        quint64 run = 0; // the conversion's number, for its events
        QString source;
        QString dest;
    };

    // On the engine's thread, when a conversion starts: takes what the worker
    // is to use of the engine's settings.
    virtual void prepareWork() {}
    // On the worker: the destination, opened for the source's format; with
    // error set when it cannot be (the output then says why, or is null).
    virtual std::unique_ptr<audio::AudioOutput> openOutput(const Work& work, const audio::AudioFormat& format,
                                                           audio::AudioError& error) = 0;
    // On the worker, after every block and once more at the end (final).
    virtual void reportProgress(const Work& work, const audio::MediaDecoder& decoder, bool final) = 0;
    // On the engine's thread: the status event and the completion event of the kind.
    virtual void raiseStatus(short Status, const QString& Message) = 0;
    virtual void raiseComplete() = 0;
    // The text of a failure, naming the file it concerns; reason is the
    // system's reason for a failure of the destination, or empty.
    virtual QString failureText(const Work& work, audio::AudioError error, const QString& reason) const;

    // On the engine's thread: opens source with the decoder that reads it and
    // makes that decoder() (useDecoder). The FFmpeg decoder, unless a kind
    // knows better.
    virtual audio::AudioError openSource(const QString& source);
    void useDecoder(audio::MediaDecoder& decoder) { m_decoder = &decoder; }
    audio::MediaDecoder& ffmpegDecoder() const { return *m_ffmpeg; }

    // Runs event on the engine's thread later, unless the conversion it
    // belongs to was stopped or replaced by then.
    void post(quint64 run, std::function<void()> event);
    const audio::MediaDecoder& decoder() const { return *m_decoder; }
    const audio::FfmpegModule& module() const { return m_module; }

private:
    void convert(const Work& work);
    void fail(const Work& work, audio::AudioError error, const QString& reason);
    // The worker has posted its last event: it ends, or has ended.
    void joinWorker();

    const audio::FfmpegModule& m_module;
    std::unique_ptr<audio::MediaDecoder> m_ffmpeg;
    audio::MediaDecoder* m_decoder; // the one that reads the source
    audio::AudioError m_openError = audio::AudioError::NoInput;
    bool m_fresh = false; // the decoder is at the start of the source
    QString m_source;
    QString m_dest;
    quint64 m_run = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

} // namespace audrel::msaudio
