#include "convert/form_wavtomp3.h"

#include "app/application.h"
#include "app/mainform.h"
#include "convert/lamecoder.h"
#include "convert/mp3settings.h"

#include <QProgressBar>

namespace audrel {

TForm_WavtoMp3::TForm_WavtoMp3(TMainForm* owner)
    : TConversionDialog(owner, owner->WavRecs(),
                        {"Convert Wav to Mp3", " Encoding ", "Encoding", "btn_Cancel", 100})
{
    setObjectName(QStringLiteral("Form_WavtoMp3"));
    m_coder = new TLameCoder(this);
    m_coder->setObjectName(QStringLiteral("LameCoder"));
    m_coder->setDefaultExt(QStringLiteral(".mp3"));
    connect(m_coder, &TLameCoder::OnProgress, this, &TForm_WavtoMp3::LameCoderProgress);
    connect(m_coder, &TLameCoder::OnEndProcess, this, &TForm_WavtoMp3::LameCoderEndProcess);

    // FormCreate
    ApplyMp3Settings(*m_coder, owner->settings());
    GatherJobs();
}

TForm_WavtoMp3::~TForm_WavtoMp3() = default;

void TForm_WavtoMp3::StartJob(int index)
{
    const TCvtItem* item = NextJob(index);
    if (!item) return;
    PrepareMp3Source(*m_coder, Owner()->settings(), item->SampleRate, item->Mode, item->BitsPerSample);
    m_coder->InputFiles().clear();
    m_coder->OutputFiles().clear();
    m_coder->InputFiles().append(item->SourcePath);
    m_coder->OutputFiles().append(item->DestPath);
    // An encoder error is shown; the dialog then waits on this item for Abort.
    guarded([this] { m_coder->EncodeFiles(); });
}

void TForm_WavtoMp3::LameCoderProgress(quint16 PercentComplete)
{
    Gauge->setValue(PercentComplete);
}

void TForm_WavtoMp3::LameCoderEndProcess()
{
    JobDone();
}

void TForm_WavtoMp3::StopWork()
{
    m_coder->Cancel();
}

} // namespace audrel
