#include "convert/wmatowavpath.h"

#include "platform/msaudio/msaudiodecodeengine.h"

namespace audrel {

using msaudio::MsAudioDecodeEngine;

WmaToWavPath::WmaToWavPath(const QString& programFolder, QObject* parent) : WmaPath(programFolder, parent) {}

WmaToWavPath::~WmaToWavPath() = default;

msaudio::MsAudioEngine* WmaToWavPath::makeEngine(const audio::FfmpegModule& module)
{
    m_engine = new MsAudioDecodeEngine(module, this);
    m_engine->setObjectName(QStringLiteral("MsAudio2Wave"));
    connect(m_engine, &MsAudioDecodeEngine::OnDecodeComplete, this, [this] { complete(); });
    return m_engine;
}

} // namespace audrel
