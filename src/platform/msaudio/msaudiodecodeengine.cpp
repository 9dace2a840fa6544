#include "platform/msaudio/msaudiodecodeengine.h"

#include "platform/audio/wavfileoutput.h"

#include <algorithm>
#include <climits>

namespace audrel::msaudio {

namespace {

// How often the position is told while decoding, at most.
constexpr qint64 kReportMs = 50;

} // namespace

MsAudioDecodeEngine::MsAudioDecodeEngine(const audio::FfmpegModule& module, QObject* parent)
    : MsAudioEngine(module, parent)
{
}

MsAudioDecodeEngine::~MsAudioDecodeEngine()
{
    StopConversion(); // before this part of the engine goes
}

int MsAudioDecodeEngine::Duration() const
{
    return int(std::min<int64_t>(decoder().durationMs(), INT_MAX));
}

void MsAudioDecodeEngine::prepareWork()
{
    m_sinceReport.invalidate();
}

std::unique_ptr<audio::AudioOutput>
MsAudioDecodeEngine::openOutput(const Work& work, const audio::AudioFormat&, audio::AudioError& error)
{
    auto output = std::make_unique<audio::WavFileOutput>(work.dest);
    error = output->open();
    return output;
}

void MsAudioDecodeEngine::reportProgress(const Work& work, const audio::MediaDecoder& decoder, bool final)
{
    if (!final && m_sinceReport.isValid() && m_sinceReport.elapsed() < kReportMs) return;
    m_sinceReport.start();
    const int64_t rate = decoder.format().sampleRate;
    const int position = int(std::min<int64_t>(decoder.positionFrames() * 1000 / rate, INT_MAX));
    const int64_t duration = decoder.durationMs();
    const int64_t size = decoder.fileSize();
    qint64 done = final ? 1 : 0;
    qint64 total = 1;
    if (duration > 0) {
        total = duration;
        done = final ? duration : std::min<int64_t>(position, duration);
    } else if (size > 0) {
        total = size;
        done = final ? size : decoder.bytesRead();
    }
    post(work.run, [this, position, done, total] {
        emit OnActPosition(position);
        emit Progress(done, total);
    });
}

} // namespace audrel::msaudio
