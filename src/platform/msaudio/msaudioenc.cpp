#include "platform/msaudio/msaudioenc.h"

#include <QLabel>
#include <QVBoxLayout>

namespace audrel {

using msaudio::MsAudioEncodeEngine;

TMsAudioEnc::TMsAudioEnc(const QString& programFolder, QWidget* parent)
    : TMsAudioEnc(new MsAudioEncodeEngine(MsAudioEncodeEngine::RequireModule(programFolder)), parent)
{
    m_engine->setParent(this);
}

TMsAudioEnc::TMsAudioEnc(MsAudioEncodeEngine* engine, QWidget* parent) : QFrame(parent), m_engine(engine)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(32, 32);
    setToolTip(QStringLiteral("WMA encoder"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("WMA"), this), 0, Qt::AlignCenter);
    if (!m_engine) return;
    connect(m_engine, &MsAudioEncodeEngine::OnEncodingComplete, this, &TMsAudioEnc::OnEncodingComplete);
    connect(m_engine, &MsAudioEncodeEngine::OnEncodePercentDone, this, &TMsAudioEnc::OnEncodePercentDone);
    connect(m_engine, &MsAudioEncodeEngine::OnFailure, this, &TMsAudioEnc::OnFailure);
    connect(m_engine, &MsAudioEncodeEngine::OnEncodeStatus, this, &TMsAudioEnc::OnEncodeStatus);
}

TMsAudioEnc::~TMsAudioEnc() = default;

int TMsAudioEnc::Bitrate() const
{
    return m_engine ? m_engine->Bitrate() : 0;
}

void TMsAudioEnc::setBitrate(int Bitrate)
{
    if (m_engine) m_engine->setBitrate(Bitrate);
}

int TMsAudioEnc::Samplerate() const
{
    return m_engine ? m_engine->Samplerate() : 0;
}

void TMsAudioEnc::setSamplerate(int Samplerate)
{
    if (m_engine) m_engine->setSamplerate(Samplerate);
}

short TMsAudioEnc::Channels() const
{
    return m_engine ? m_engine->Channels() : short(0);
}

void TMsAudioEnc::setChannels(short Channels)
{
    if (m_engine) m_engine->setChannels(Channels);
}

bool TMsAudioEnc::UseDrm() const
{
    return m_engine && m_engine->UseDrm();
}

void TMsAudioEnc::setUseDrm(bool UseDrm)
{
    if (m_engine) m_engine->setUseDrm(UseDrm);
}

void TMsAudioEnc::SetFiles(const QString& SourcePath, const QString& DestPath)
{
    if (m_engine) m_engine->SetFiles(SourcePath, DestPath);
}

void TMsAudioEnc::StartConversion()
{
    if (m_engine) m_engine->StartConversion();
}

void TMsAudioEnc::StopConversion()
{
    if (m_engine) m_engine->StopConversion();
}

} // namespace audrel
