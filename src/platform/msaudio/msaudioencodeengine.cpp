#include "platform/msaudio/msaudioencodeengine.h"

#include "platform/audio/wavdecoder.h"
#include "platform/errors.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>

namespace audrel::msaudio {

using audio::AudioError;
using audio::FfmpegModule;

// A WAV source as the engine's worker reads it.
class MsAudioEncodeEngine::WavSource final : public audio::MediaDecoder
{
public:
    AudioError open(const QString& path) override
    {
        struct stat info;
        m_fileSize = ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_size : 0;
        return m_wav.open(path);
    }
    void close() override { m_wav.close(); }
    bool isOpen() const override { return m_wav.isOpen(); }
    audio::AudioFormat format() const override { return m_wav.format(); }
    int64_t lengthFrames() const override { return m_wav.lengthFrames(); }
    int64_t positionFrames() const override { return m_wav.positionFrames(); }
    int bitrate() const override { return m_wav.bitrate(); }
    AudioError nextBlock(const int16_t*& samples, int64_t& frames) override
    {
        return m_wav.nextBlock(samples, frames);
    }
    bool seekFrame(int64_t frame) override { return m_wav.seekFrame(frame); }

    int64_t durationMs() const override
    {
        const int rate = m_wav.format().sampleRate;
        return rate > 0 ? m_wav.lengthFrames() * 1000 / rate : 0;
    }
    int64_t bytesRead() const override { return m_wav.positionFrames() * m_wav.format().bytesPerFrame(); }
    int64_t fileSize() const override { return m_fileSize; }
    QString codecName() const override { return m_wav.isOpen() ? QStringLiteral("pcm") : QString(); }
    bool seekMs(int64_t ms) override { return seekFrame(ms * m_wav.format().sampleRate / 1000); }
    // Not asked for: the WMA output resamples and mixes what it is given.
    void limitFormat(int, int) override {}

    const audio::WavDecoder& wav() const { return m_wav; }

private:
    audio::WavDecoder m_wav;
    int64_t m_fileSize = 0;
};

MsAudioEncodeEngine::MsAudioEncodeEngine(const FfmpegModule& module, QObject* parent)
    : MsAudioEngine(module, parent), m_wav(std::make_unique<WavSource>())
{
    if (!module.wmaEncoderAvailable())
        throw EAudrelError(QStringLiteral("FFmpeg has no WMA v2 encoder or no ASF muxer."));
}

MsAudioEncodeEngine::~MsAudioEncodeEngine()
{
    StopConversion(); // before this part of the engine goes
}

AudioError MsAudioEncodeEngine::openSource(const QString& source)
{
    m_rateRefusal.clear();
    ffmpegDecoder().close();
    useDecoder(*m_wav);
    AudioError error = m_wav->open(source);
    if (m_wav->wav().rateRefused()) m_rateRefusal = m_wav->wav().errorString();
    if (error != AudioError::NotWavAudio || m_wav->wav().rateRefused()) return error;

    // Not a WAVE, or not one whose samples the WAV decoder reads.
    useDecoder(ffmpegDecoder());
    error = ffmpegDecoder().open(source);
    if (error != AudioError::None) return error;
    m_rateRefusal = audio::wavRateRefusal(ffmpegDecoder().format().sampleRate);
    if (m_rateRefusal.isEmpty()) return AudioError::None;
    ffmpegDecoder().close();
    return AudioError::NotWavAudio;
}

int MsAudioEncodeEngine::EncodingBitrate() const
{
    return std::max(m_bitrate, FfmpegModule::kMinWmaBitRate);
}

QString MsAudioEncodeEngine::SettingsRefusal() const
{
    if (module().wmaEncoderTakes(EncodingBitrate(), m_samplerate, m_channels)) return {};
    return QStringLiteral("The WMA encoder does not encode %1 Hz, %2 channel(s) at %3 kbit/s: change the WMA "
                          "settings.")
        .arg(m_samplerate)
        .arg(m_channels)
        .arg(EncodingBitrate() / 1000);
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

QString MsAudioEncodeEngine::failureText(const Work& work, audio::AudioError error,
                                         const QString& reason) const
{
    if (error == AudioError::NotWavAudio && !m_rateRefusal.isEmpty())
        return QStringLiteral("Cannot encode %1: %2.").arg(work.source, m_rateRefusal);
    if (error != audio::AudioError::EncoderRefused) return MsAudioEngine::failureText(work, error, reason);
    return QStringLiteral(
               "Cannot write \"%1\": the WMA encoder does not encode %2 Hz, %3 channel(s) at %4 kbit/s.")
        .arg(work.dest)
        .arg(m_shape.samplerate)
        .arg(m_shape.channels)
        .arg(m_shape.bitrate / 1000);
}

} // namespace audrel::msaudio
