#include "platform/msaudio/msaudioengine.h"

#include "platform/audio/audiooutput.h"
#include "platform/errors.h"

#include <QMetaObject>

namespace audrel::msaudio {

using audio::AudioError;

MsAudioEngine::MsAudioEngine(const audio::FfmpegModule& module, QObject* parent)
    : QObject(parent), m_module(module), m_ffmpeg(module.newDecoder()), m_decoder(m_ffmpeg.get())
{
}

audio::AudioError MsAudioEngine::openSource(const QString& source)
{
    useDecoder(*m_ffmpeg);
    return m_ffmpeg->open(source);
}

const audio::FfmpegModule& MsAudioEngine::RequireModule(const QString& folder)
{
    QString problem;
    const audio::FfmpegModule* module = audio::FfmpegModule::load(folder, &problem);
    if (!module) throw EAudrelError(problem);
    return *module;
}

MsAudioEngine::~MsAudioEngine()
{
    StopConversion();
}

void MsAudioEngine::SetFiles(const QString& source, const QString& dest)
{
    StopConversion();
    m_source = source;
    m_dest = dest;
    m_openError = openSource(source);
    m_fresh = true;
}

void MsAudioEngine::StartConversion()
{
    StopConversion();
    const Work work{++m_run, m_source, m_dest};
    if (!m_fresh && !m_source.isEmpty()) m_openError = openSource(m_source);
    m_fresh = false;
    if (m_openError != AudioError::None) {
        const AudioError error = m_openError;
        post(work.run, [this, work, error] { emit OnFailure(int(error), failureText(work, error, {})); });
        return;
    }
    prepareWork();
    m_stop = false;
    m_worker = std::thread([this, work] { convert(work); });
}

void MsAudioEngine::StopConversion()
{
    ++m_run; // what the stopped conversion still posts is dropped
    m_stop = true;
    if (m_worker.joinable()) m_worker.join();
    m_stop = false;
}

void MsAudioEngine::joinWorker()
{
    if (m_worker.joinable()) m_worker.join();
}

void MsAudioEngine::post(quint64 run, std::function<void()> event)
{
    QMetaObject::invokeMethod(
        this,
        [this, run, event = std::move(event)] {
            if (run == m_run) event();
        },
        Qt::QueuedConnection);
}

void MsAudioEngine::fail(const Work& work, AudioError error, const QString& reason)
{
    post(work.run, [this, work, error, reason] {
        joinWorker();
        emit OnFailure(int(error), failureText(work, error, reason));
    });
}

void MsAudioEngine::convert(const Work& work)
{
    post(work.run, [this, work] { raiseStatus(StatusStarted, work.source); });
    AudioError error = AudioError::None;
    QString reason;
    {
        std::unique_ptr<audio::AudioOutput> output = openOutput(work, m_decoder->format(), error);
        if (!output && error == AudioError::None) error = AudioError::CreateFailed;
        if (output && error == AudioError::None) error = output->start(m_decoder->format());
        while (error == AudioError::None) {
            if (m_stop) return; // the output is closed on the way out
            const int16_t* samples = nullptr;
            int64_t frames = 0;
            error = m_decoder->nextBlock(samples, frames);
            if (error != AudioError::None || frames == 0) break;
            if (output->write(samples, frames) < 0) {
                error = output->error();
                if (error == AudioError::None) error = AudioError::WriteFailed;
                break;
            }
            reportProgress(work, *m_decoder, false);
        }
        if (error == AudioError::None) error = output->finish();
        if (error != AudioError::None && output) reason = output->errorString();
    }
    if (error != AudioError::None) return fail(work, error, reason);
    reportProgress(work, *m_decoder, true);
    post(work.run, [this, work] {
        joinWorker();
        raiseStatus(StatusFinished, work.dest);
        raiseComplete();
    });
}

QString MsAudioEngine::failureText(const Work& work, AudioError error, const QString& reason) const
{
    switch (error) {
    case AudioError::NoEncoder:
        return QStringLiteral("Cannot write \"%1\": FFmpeg has no WMA v2 encoder or no ASF muxer.")
            .arg(work.dest);
    case AudioError::EncoderRefused:
        return QStringLiteral("Cannot write \"%1\": the WMA encoder refuses its settings.").arg(work.dest);
    default:
        return audio::failureText(error, work.source, work.dest, reason);
    }
}

} // namespace audrel::msaudio
