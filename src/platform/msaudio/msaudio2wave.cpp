#include "platform/msaudio/msaudio2wave.h"

#include <QLabel>
#include <QVBoxLayout>

namespace audrel {

using msaudio::MsAudioDecodeEngine;

TMsAudio2Wave::TMsAudio2Wave(const QString& programFolder, QWidget* parent)
    : TMsAudio2Wave(new MsAudioDecodeEngine(MsAudioDecodeEngine::RequireModule(programFolder)), parent)
{
    m_engine->setParent(this);
}

TMsAudio2Wave::TMsAudio2Wave(MsAudioDecodeEngine* engine, QWidget* parent) : QFrame(parent), m_engine(engine)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(32, 32);
    setToolTip(QStringLiteral("WMA decoder"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("WMA"), this), 0, Qt::AlignCenter);
    if (!m_engine) return;
    connect(m_engine, &MsAudioDecodeEngine::OnActPosition, this, &TMsAudio2Wave::OnActPosition);
    connect(m_engine, &MsAudioDecodeEngine::OnDecodeStatus, this, &TMsAudio2Wave::OnDecodeStatus);
    connect(m_engine, &MsAudioDecodeEngine::OnFailure, this, &TMsAudio2Wave::OnFailure);
    connect(m_engine, &MsAudioDecodeEngine::OnDecodeComplete, this, &TMsAudio2Wave::OnDecodeComplete);
}

TMsAudio2Wave::~TMsAudio2Wave() = default;

int TMsAudio2Wave::Duration() const
{
    return m_engine ? m_engine->Duration() : 0;
}

void TMsAudio2Wave::SetFiles(const QString& SourcePath, const QString& DestPath)
{
    if (m_engine) m_engine->SetFiles(SourcePath, DestPath);
}

void TMsAudio2Wave::StartConversion()
{
    if (m_engine) m_engine->StartConversion();
}

void TMsAudio2Wave::StopConversion()
{
    if (m_engine) m_engine->StopConversion();
}

} // namespace audrel
