#include "convert/wmapath.h"

#include "platform/msaudio/msaudioengine.h"

namespace audrel {

using msaudio::MsAudioEngine;

WmaPath::WmaPath(const QString& programFolder, QObject* parent)
    : ConversionPath(parent), m_programFolder(programFolder)
{
}

WmaPath::~WmaPath() = default;

void WmaPath::Init()
{
    if (m_engine) return;
    m_engine = makeEngine(MsAudioEngine::RequireModule(m_programFolder));
    connect(m_engine, &MsAudioEngine::Progress, this, &ConversionPath::progress);
    connect(m_engine, &MsAudioEngine::OnFailure, this, [this](int, const QString& text) { fail(text); });
}

void WmaPath::start(const TCvtItem& item, const QString& output)
{
    begin(item, output);
    m_engine->SetFiles(item.SourcePath, output);
    m_engine->StartConversion();
}

void WmaPath::stop()
{
    if (m_engine) m_engine->StopConversion();
}

} // namespace audrel
