#include "convert/wavtowmapath.h"

#include "platform/msaudio/msaudioencodeengine.h"

namespace audrel {

using msaudio::MsAudioEncodeEngine;

const char* const WavToWmaPath::kNoDrmNotice =
    "Files are written without DRM protection: this encoder cannot apply it.";

WavToWmaPath::WavToWmaPath(const Settings& settings, const QString& programFolder, QObject* parent)
    : WmaPath(programFolder, parent), m_settings(settings)
{
}

WavToWmaPath::~WavToWmaPath() = default;

msaudio::MsAudioEngine* WavToWmaPath::makeEngine(const audio::FfmpegModule& module)
{
    m_engine = new MsAudioEncodeEngine(module, this);
    m_engine->setObjectName(QStringLiteral("MsAudioEnc"));
    m_engine->setSamplerate(m_settings.WMASampleRate);
    m_engine->setBitrate(m_settings.WMABitRate * 1000);
    m_engine->setChannels(short(m_settings.WMAChannels));
    m_engine->setUseDrm(m_settings.EnableDRM);
    connect(m_engine, &MsAudioEncodeEngine::OnEncodingComplete, this, [this] { complete(); });
    return m_engine;
}

QString WavToWmaPath::Notice() const
{
    QStringList notes;
    if (m_engine && m_engine->UseDrm()) notes << QLatin1String(kNoDrmNotice);
    if (m_engine && m_engine->EncodingBitrate() != m_engine->Bitrate())
        notes << QStringLiteral("Files are written at %1 kbit/s: the encoder takes no lower bit rate.")
                     .arg(m_engine->EncodingBitrate() / 1000);
    return notes.join(QLatin1Char('\n'));
}

} // namespace audrel
