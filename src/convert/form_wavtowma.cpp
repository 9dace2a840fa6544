#include "convert/form_wavtowma.h"

#include "convert/wavtowmapath.h"
#include "platform/msaudio/msaudioenc.h"

#include <QProgressBar>

namespace audrel {

TForm_wavtowma::TForm_wavtowma(JobList& list, const Settings& settings, const QString& programFolder,
                               QWidget* parent)
    : TConversionDialog(
          list, settings, programFolder,
          {"Form_wavtowma", "Convert Wav to WMA", " Encoding ", "Encoding", "btn_Cancel", 100, 10}, parent)
{
    // Without an engine (FFmpeg cannot encode WMA) the control is inert and
    // the dialog reports the engine's error when the run would begin.
    const auto* path = qobject_cast<WavToWmaPath*>(Runner().path(JobKind::WavToWma));
    m_control = new TMsAudioEnc(path ? path->Engine() : nullptr, this);
    m_control->setObjectName(QStringLiteral("MsAudioEnc1"));
    PlaceControl(m_control);
}

TForm_wavtowma::~TForm_wavtowma() = default;

void TForm_wavtowma::ShowProgress(qint64 done, qint64)
{
    MsAudioEnc1EncodePercentDone(short(done));
}

void TForm_wavtowma::MsAudioEnc1EncodePercentDone(short Percent)
{
    Gauge->setValue(Percent);
}

} // namespace audrel
