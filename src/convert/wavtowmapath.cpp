#include "convert/wavtowmapath.h"

#include "platform/errors.h"
#include "platform/msaudio/msaudioencodeengine.h"

#include <algorithm>
#include <climits>
#include <memory>

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
    auto engine = std::make_unique<MsAudioEncodeEngine>(module);
    engine->setObjectName(QStringLiteral("MsAudioEnc"));
    engine->setSamplerate(m_settings.WMASampleRate);
    // Settings out of every range are kept out of range, never wrapped into it.
    engine->setBitrate(int(std::clamp<qint64>(qint64(m_settings.WMABitRate) * 1000, INT_MIN, INT_MAX)));
    const int channels = m_settings.WMAChannels;
    engine->setChannels(channels >= SHRT_MIN && channels <= SHRT_MAX ? short(channels) : short(0));
    engine->setUseDrm(m_settings.EnableDRM);
    // Settings the encoder refuses are refused once, before any file.
    if (const QString refusal = engine->SettingsRefusal(); !refusal.isEmpty()) throw EAudrelError(refusal);
    m_engine = engine.release();
    m_engine->setParent(this);
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
