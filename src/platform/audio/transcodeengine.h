#pragma once
// The engine of the "Any Format" conversions: one source transcoded into one
// destination by the FFmpeg module's Transcoder, on a worker thread of the
// engine's own. Every event reaches the thread the engine lives on (the GUI
// thread, or a worker thread with an event loop) as a queued call, and none
// is ever raised from within a call into the engine.
//
// Each started file ends in exactly one event: OnComplete, or OnFailure with
// a text naming the file (and, for a failed write, the system's reason).
// Stop ends the worker and returns once it has ended and the destination is
// closed, as far as it was written; nothing more is told of a file once it
// was stopped or another was started. Removing what a stopped or failed
// conversion left is the caller's business.
//
// Qt Core only, like the engines of the WMA controls; it lives beside the
// transcoder it runs because it needs nothing of those controls.

#include "platform/audio/ffmpegmodule.h"
#include "platform/audio/transcoder.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace audrel::audio {

class TranscodeEngine : public QObject
{
    Q_OBJECT

public:
    explicit TranscodeEngine(const FfmpegModule& module, QObject* parent = nullptr);
    ~TranscodeEngine() override; // stops a conversion under way

    // Stops a conversion under way, then converts source into dest (created
    // or replaced) with settings, on the worker.
    void Start(const QString& source, const QString& dest, const EncoderSettings& settings);
    // Ends the conversion under way; on return the worker has ended and the
    // destination is closed.
    void Stop();
    // A conversion has been started and its event has not been raised yet.
    bool Busy() const { return m_worker.joinable(); }

signals:
    // How far the conversion has got: done of total, total > 0 (milliseconds
    // of the playing time, or bytes of the source when that is not known); a
    // few times a second.
    void Progress(qint64 done, qint64 total);
    void OnComplete();
    // ErrorCode: the AudioError; ErrorString: what went wrong, for the user.
    void OnFailure(int ErrorCode, const QString& ErrorString);

private:
    // Runs event on the engine's thread later, unless the conversion it
    // belongs to was stopped or replaced by then.
    void post(quint64 run, std::function<void()> event);
    void joinWorker();

    const FfmpegModule& m_module;
    quint64 m_run = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

} // namespace audrel::audio
