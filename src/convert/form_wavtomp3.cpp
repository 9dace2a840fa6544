#include "convert/form_wavtomp3.h"

#include <QProgressBar>

namespace audrel {

TForm_WavtoMp3::TForm_WavtoMp3(JobList& list, const Settings& settings, const QString& programFolder,
                               QWidget* parent)
    : TConversionDialog(
          list, settings, programFolder,
          {"Form_WavtoMp3", "Convert Wav to Mp3", " Encoding ", "Encoding", "btn_Cancel", 100, 0}, parent)
{
}

TForm_WavtoMp3::~TForm_WavtoMp3() = default;

void TForm_WavtoMp3::ShowProgress(qint64 done, qint64)
{
    LameCoderProgress(quint16(done));
}

void TForm_WavtoMp3::LameCoderProgress(quint16 PercentComplete)
{
    Gauge->setValue(PercentComplete);
}

} // namespace audrel
