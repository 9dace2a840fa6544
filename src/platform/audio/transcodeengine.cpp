#include "platform/audio/transcodeengine.h"

#include <QMetaObject>

#include <chrono>
#include <memory>

namespace audrel::audio {

namespace {

// How often the progress is told, at most.
constexpr std::chrono::milliseconds kProgressInterval{100};

} // namespace

TranscodeEngine::TranscodeEngine(const FfmpegModule& module, QObject* parent)
    : QObject(parent), m_module(module)
{
}

TranscodeEngine::~TranscodeEngine()
{
    Stop();
}

void TranscodeEngine::Start(const QString& source, const QString& dest, const EncoderSettings& settings)
{
    Stop();
    const quint64 run = ++m_run;
    std::shared_ptr<Transcoder> transcoder = m_module.newTranscoder(settings);
    m_stop = false;
    m_worker = std::thread([this, run, source, dest, transcoder] {
        auto told = std::chrono::steady_clock::time_point();
        const AudioError error = transcoder->run(source, dest, [&](int64_t done, int64_t total) {
            if (m_stop) return false;
            const auto now = std::chrono::steady_clock::now();
            if (total > 0 && (now - told >= kProgressInterval || done == total)) {
                told = now;
                post(run, [this, done, total] { emit Progress(done, total); });
            }
            return true;
        });
        if (error == AudioError::Stopped && m_stop) return; // nothing is told of a stopped file
        const QString text = transcoder->errorText();
        post(run, [this, error, text] {
            joinWorker();
            if (error == AudioError::None)
                emit OnComplete();
            else
                emit OnFailure(int(error), text);
        });
    });
}

void TranscodeEngine::Stop()
{
    ++m_run; // what the stopped conversion still posts is dropped
    m_stop = true;
    joinWorker();
    m_stop = false;
}

void TranscodeEngine::joinWorker()
{
    if (m_worker.joinable()) m_worker.join();
}

void TranscodeEngine::post(quint64 run, std::function<void()> event)
{
    QMetaObject::invokeMethod(
        this,
        [this, run, event = std::move(event)] {
            if (run == m_run) event();
        },
        Qt::QueuedConnection);
}

} // namespace audrel::audio
