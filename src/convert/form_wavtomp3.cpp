#include "convert/form_wavtomp3.h"

#include "convert/wavtomp3path.h"

#include <QProgressBar>

namespace audrel {

TForm_WavtoMp3::TForm_WavtoMp3(JobList& list, const Settings& settings, QWidget* parent)
    : TConversionDialog(
          list, settings, std::make_unique<WavToMp3Path>(settings),
          {"Form_WavtoMp3", "Convert Wav to Mp3", " Encoding ", "Encoding", "btn_Cancel", 100, 0}, parent)
{
}

TForm_WavtoMp3::~TForm_WavtoMp3() = default;

TLameCoder* TForm_WavtoMp3::LameCoder() const
{
    return static_cast<WavToMp3Path*>(Path())->LameCoder();
}

void TForm_WavtoMp3::ShowProgress(qint64 done, qint64)
{
    LameCoderProgress(quint16(done));
}

void TForm_WavtoMp3::LameCoderProgress(quint16 PercentComplete)
{
    Gauge->setValue(PercentComplete);
}

} // namespace audrel
