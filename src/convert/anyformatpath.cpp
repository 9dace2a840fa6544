#include "convert/anyformatpath.h"

#include "convert/lamecoder.h"
#include "convert/wavtomp3path.h"
#include "convert/wavtowmapath.h"
#include "platform/audio/ffmpegmodule.h"
#include "platform/audio/transcodeengine.h"
#include "platform/errors.h"

#include <algorithm>

namespace audrel {

using audio::EncodedFormat;
using Engine = DestinationFormat::Engine;

const QList<DestinationFormat>& DestinationFormats()
{
    static const QList<DestinationFormat> table{
        {"mp3", "MP3", ".mp3", Engine::Lame, EncodedFormat::Wav},
        {"wav", "WAV", ".wav", Engine::Transcoder, EncodedFormat::Wav},
        {"flac", "FLAC", ".flac", Engine::Transcoder, EncodedFormat::Flac},
        {"ogg", "Ogg Vorbis", ".ogg", Engine::Transcoder, EncodedFormat::Vorbis},
        {"opus", "Opus", ".opus", Engine::Transcoder, EncodedFormat::Opus},
        {"m4a", "AAC (M4A)", ".m4a", Engine::Transcoder, EncodedFormat::Aac},
        {"alac", "ALAC (M4A)", ".m4a", Engine::Transcoder, EncodedFormat::Alac},
        {"wma", "WMA", ".wma", Engine::Wma, EncodedFormat::Wav},
    };
    return table;
}

const DestinationFormat& DestinationFormatOf(const QString& word)
{
    const QList<DestinationFormat>& formats = DestinationFormats();
    const auto found = std::find_if(formats.begin(), formats.end(), [&](const DestinationFormat& format) {
        return word.compare(QLatin1String(format.word), Qt::CaseInsensitive) == 0;
    });
    return found == formats.end() ? formats.first() : *found;
}

audio::EncoderSettings EncoderSettingsFor(const Settings& settings, const DestinationFormat& format)
{
    audio::EncoderSettings encoder;
    encoder.format = format.encoded;
    encoder.flacLevel = settings.FlacLevel;
    encoder.vorbisQuality = settings.VorbisQuality;
    encoder.opusBitRate = settings.OpusBitRate * 1000;
    encoder.aacBitRate = settings.AacBitRate * 1000;
    encoder.wavSixteenBit = settings.WavSixteenBit;
    return encoder;
}

AnyFormatPath::AnyFormatPath(const Settings& settings, const QString& programFolder, QObject* parent)
    : ConversionPath(parent), m_settings(settings), m_programFolder(programFolder),
      m_format(DestinationFormatOf(settings.AnyFormat))
{
}

AnyFormatPath::~AnyFormatPath() = default;

void AnyFormatPath::Init()
{
    if (m_inner || m_engine) return;
    QString problem;
    const audio::FfmpegModule* ffmpeg = audio::FfmpegModule::load(m_programFolder, &problem);
    if (!ffmpeg) throw EAudrelError(problem);
    std::unique_ptr<ConversionPath> inner;
    switch (m_format.engine) {
    case Engine::Lame: {
        auto mp3 = std::make_unique<WavToMp3Path>(m_settings);
        // Always the encoder's Info frame: it tells players the encoder's
        // delay and padding, so the result is as long as its source.
        mp3->LameCoder()->setWriteVBRHeader(-1);
        // What is not a WAV file reaches the encoder as FFmpeg decodes it, at
        // a rate and in channels an MP3 file holds.
        mp3->LameCoder()->setOtherInputs([ffmpeg]() -> std::unique_ptr<audio::AudioDecoder> {
            std::unique_ptr<audio::MediaDecoder> decoder = ffmpeg->newDecoder();
            decoder->limitFormat(48000, 2);
            return decoder;
        });
        inner = std::move(mp3);
        break;
    }
    case Engine::Wma:
        inner = std::make_unique<WavToWmaPath>(m_settings, m_programFolder);
        break;
    case Engine::Transcoder: {
        if (!ffmpeg->encoderAvailable(m_format.encoded))
            throw EAudrelError(QStringLiteral("Cannot write %1 files: FFmpeg has no encoder or container for them.")
                                   .arg(QLatin1String(m_format.title)));
        m_engine = new audio::TranscodeEngine(*ffmpeg, this);
        connect(m_engine, &audio::TranscodeEngine::Progress, this, &ConversionPath::progress);
        connect(m_engine, &audio::TranscodeEngine::OnComplete, this, [this] { complete(); });
        connect(m_engine, &audio::TranscodeEngine::OnFailure, this,
                [this](int, const QString& text) { fail(text); });
        return;
    }
    }
    // The tags are this path's to write, once the inner path is done.
    inner->setCarryTags(false);
    inner->Init();
    connect(inner.get(), &ConversionPath::progress, this, &ConversionPath::progress);
    connect(inner.get(), &ConversionPath::finished, this, [this] { complete(); });
    connect(inner.get(), &ConversionPath::failed, this, [this](const QString& message) { fail(message); });
    m_inner = std::move(inner);
}

QString AnyFormatPath::Notice() const
{
    return m_inner ? m_inner->Notice() : QString();
}

void AnyFormatPath::start(const TCvtItem& item, const QString& output)
{
    begin(item, output);
    if (m_inner)
        m_inner->start(item, output);
    else
        m_engine->Start(item.SourcePath, output, EncoderSettingsFor(m_settings, m_format));
}

void AnyFormatPath::stop()
{
    if (m_inner) m_inner->stop();
    if (m_engine) m_engine->Stop();
}

} // namespace audrel
