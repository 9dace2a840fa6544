#include "platform/msaudio/msaudioencodeengine.h"

#include "platform/errors.h"

#include <algorithm>

namespace audrel::msaudio {

using audio::FfmpegModule;

MsAudioEncodeEngine::MsAudioEncodeEngine(const FfmpegModule& module, QObject* parent)
    : MsAudioEngine(module, parent)
{
    if (!module.wmaEncoderAvailable())
        throw EAudrelError(QStringLiteral("FFmpeg has no WMA v2 encoder or no ASF muxer."));
}

MsAudioEncodeEngine::~MsAudioEncodeEngine()
{
    StopConversion(); // before this part of the engine goes
}

int MsAudioEncodeEngine::EncodingBitrate() const
{
    return std::max(m_bitrate, FfmpegModule::kMinWmaBitRate);
}

void MsAudioEncodeEngine::prepareWork()
{
    m_shape = {EncodingBitrate(), m_samplerate, m_channels};
    m_percent = -1;
}

std::unique_ptr<audio::AudioOutput>
MsAudioEncodeEngine::openOutput(const Work& work, const audio::AudioFormat&, audio::AudioError& error)
{
    auto output = module().newWmaOutput(work.dest, m_shape.bitrate, m_shape.samplerate, m_shape.channels);
    error = output->open();
    if (error != audio::AudioError::None) return nullptr;
    return output;
}

void MsAudioEncodeEngine::reportProgress(const Work& work, const audio::MediaDecoder& decoder, bool final)
{
    const int64_t length = decoder.lengthFrames();
    const int64_t size = decoder.fileSize();
    int64_t percent = 100;
    if (!final)
        percent = length > 0 ? decoder.positionFrames() * 100 / length
                  : size > 0 ? decoder.bytesRead() * 100 / size
                             : 0;
    percent = std::clamp<int64_t>(percent, 0, 100);
    if (percent == m_percent) return;
    m_percent = int(percent);
    post(work.run, [this, percent] {
        emit OnEncodePercentDone(short(percent));
        emit Progress(percent, 100);
    });
}

QString MsAudioEncodeEngine::failureText(const Work& work, audio::AudioError error) const
{
    if (error != audio::AudioError::EncoderRefused) return MsAudioEngine::failureText(work, error);
    return QStringLiteral(
               "Cannot write \"%1\": the WMA encoder does not encode %2 Hz, %3 channel(s) at %4 kbit/s.")
        .arg(work.dest)
        .arg(m_shape.samplerate)
        .arg(m_shape.channels)
        .arg(m_shape.bitrate / 1000);
}

} // namespace audrel::msaudio
