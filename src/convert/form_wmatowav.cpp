#include "convert/form_wmatowav.h"

#include "convert/wmatowavpath.h"
#include "platform/msaudio/msaudio2wave.h"

#include <QProgressBar>

#include <algorithm>

namespace audrel {

TForm_wmatowav::TForm_wmatowav(JobList& list, const Settings& settings, const QString& programFolder,
                               QWidget* parent)
    : TConversionDialog(
          list, settings, programFolder,
          {"Form_wmatowav", "Convert WMA to Wav", " Decoding ", "Decoding", "btn_Cancel", 100, 10}, parent)
{
    const auto* path = qobject_cast<WmaToWavPath*>(Runner().path(JobKind::WmaToWav));
    m_control = new TMsAudio2Wave(path ? path->Engine() : nullptr, this);
    m_control->setObjectName(QStringLiteral("MsAudio2Wave1"));
    PlaceControl(m_control);
}

TForm_wmatowav::~TForm_wmatowav() = default;

void TForm_wmatowav::JobStarted()
{
    const int seconds = m_control->Duration() / 1000;
    m_seconds = seconds > 0;
    Gauge->setMaximum(m_seconds ? seconds : 100);
}

void TForm_wmatowav::ShowProgress(qint64 done, qint64 total)
{
    if (m_seconds)
        MsAudio2Wave1ActPosition(int(done)); // done is the position, on the scale of Duration
    else
        Gauge->setValue(int(std::clamp<qint64>(done * 100 / total, 0, 100)));
}

void TForm_wmatowav::MsAudio2Wave1ActPosition(int Position)
{
    Gauge->setValue(std::clamp(Position / 1000, Gauge->minimum(), Gauge->maximum()));
}

} // namespace audrel
