#include "convert/form_wavtomp3.h"

#include "app/application.h"
#include "app/mainform.h"
#include "convert/lamecoder.h"

#include <QProgressBar>

namespace audrel {

namespace {

TLameCoder::LongBool longBool(bool value)
{
    return value ? -1 : 0;
}

} // namespace

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

    // FormCreate. The options' sample rate is the rate of the output; each
    // file's own rate and channels describe its input (StartJob).
    const Settings& s = owner->settings();
    m_outputRate = s.SampleRate > 0 ? uint32_t(s.SampleRate) : 0;
    m_coder->setSampleRate(m_outputRate);
    m_coder->setReSampleRate(m_outputRate);
    m_coder->setBitrate(uint32_t(s.Bitrate));
    m_coder->setMaxBitrate(uint32_t(s.MaxBitrate));
    m_coder->setMode(s.Mode);
    m_coder->setQuality(MPEG_QUALITY(s.Quality));
    m_coder->setEnableVBR(longBool(s.VBR));
    m_coder->setVBRQuality(s.VBRQuality);
    m_coder->setWriteVBRHeader(longBool(s.WriteVBR));
    m_coder->setPrivate(longBool(s.Private));
    m_coder->setCRC(longBool(s.CRC));
    m_coder->setOriginal(longBool(s.Original));
    m_coder->setCopyright(longBool(s.CopyRight));
    GatherJobs();
}

TForm_WavtoMp3::~TForm_WavtoMp3() = default;

void TForm_WavtoMp3::StartJob(int index)
{
    const TCvtItem* item = NextJob(index);
    if (!item) return;
    m_coder->setSampleRate(item->SampleRate);
    if (m_outputRate == 0) m_coder->setMode(int(item->Mode));
    m_coder->setSndEncode(item->BitsPerSample <= 8 ? -1 : 0);
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
