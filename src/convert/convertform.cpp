#include "convert/convertform.h"

#include "convert/mp3towavpath.h"

#include <QProgressBar>

#include <algorithm>

namespace audrel {

TConvertForm::TConvertForm(JobList& list, const Settings& settings, const QString& programFolder,
                           QWidget* parent)
    : TConversionDialog(list, settings, programFolder,
                        {"ConvertForm", "Convert Mp3 to Wav", " Decoding ", "Decoding", "BitBtn1", 400, 0},
                        parent)
{
}

TConvertForm::~TConvertForm() = default;

TXaudioPlayer* TConvertForm::XaudioPlayer() const
{
    const auto* path = qobject_cast<Mp3ToWavPath*>(Runner().path(JobKind::Mp3ToWav));
    return path ? path->XaudioPlayer() : nullptr;
}

void TConvertForm::ShowProgress(qint64 done, qint64 total)
{
    XaudioPlayerNotifyInputPosition(quint32(done), quint32(total));
}

void TConvertForm::XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range)
{
    const qint64 span = Gauge->maximum() - Gauge->minimum();
    const qint64 position = qint64(Offset) * (qint64(Range) / span);
    Gauge->setValue(int(std::clamp<qint64>(position, Gauge->minimum(), Gauge->maximum())));
}

} // namespace audrel
