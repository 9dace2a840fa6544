#include "convert/wmatowavpath.h"

#include "platform/msaudio/msaudiodecodeengine.h"

namespace audrel {

using msaudio::MsAudioDecodeEngine;

WmaToWavPath::WmaToWavPath(QObject* parent) : ConversionPath(parent), m_engine(new MsAudioDecodeEngine(this))
{
    m_engine->setObjectName(QStringLiteral("MsAudio2Wave"));
    connect(m_engine, &MsAudioDecodeEngine::Progress, this, &ConversionPath::progress);
    connect(m_engine, &MsAudioDecodeEngine::OnDecodeComplete, this, &ConversionPath::finished);
    connect(m_engine, &MsAudioDecodeEngine::OnFailure, this, [this](int, QString text) {
        // The user knows the file by its destination's name, not the one it is written under.
        emit failed(m_output.isEmpty() ? text : text.replace(m_output, m_dest));
    });
}

WmaToWavPath::~WmaToWavPath() = default;

void WmaToWavPath::start(const TCvtItem& item, const QString& output)
{
    m_output = output;
    m_dest = item.DestPath;
    m_engine->SetFiles(item.SourcePath, output);
    m_engine->StartConversion();
}

void WmaToWavPath::stop()
{
    m_engine->StopConversion();
}

} // namespace audrel
