#include "convert/wmatowavpath.h"

#include "platform/msaudio/msaudiodecodeengine.h"

namespace audrel {

using msaudio::MsAudioDecodeEngine;

WmaToWavPath::WmaToWavPath(const QString& programFolder, QObject* parent)
    : ConversionPath(parent), m_programFolder(programFolder)
{
}

WmaToWavPath::~WmaToWavPath() = default;

void WmaToWavPath::Init()
{
    if (m_engine) return;
    m_engine = new MsAudioDecodeEngine(MsAudioDecodeEngine::RequireModule(m_programFolder), this);
    m_engine->setObjectName(QStringLiteral("MsAudio2Wave"));
    connect(m_engine, &MsAudioDecodeEngine::Progress, this, &ConversionPath::progress);
    connect(m_engine, &MsAudioDecodeEngine::OnDecodeComplete, this, [this] { complete(); });
    connect(m_engine, &MsAudioDecodeEngine::OnFailure, this,
            [this](int, const QString& text) { fail(text); });
}

void WmaToWavPath::start(const TCvtItem& item, const QString& output)
{
    begin(item, output);
    m_engine->SetFiles(item.SourcePath, output);
    m_engine->StartConversion();
}

void WmaToWavPath::stop()
{
    if (m_engine) m_engine->StopConversion();
}

} // namespace audrel
