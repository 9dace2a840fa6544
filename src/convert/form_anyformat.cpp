#include "convert/form_anyformat.h"

#include <QProgressBar>

#include <algorithm>

namespace audrel {

TForm_AnyFormat::TForm_AnyFormat(JobList& list, const Settings& settings, const QString& programFolder,
                                 QWidget* parent)
    : TConversionDialog(
          list, settings, programFolder,
          {"Form_AnyFormat", "Convert Audio Files", " Converting ", "Converting", "btn_Cancel", 100, 0}, parent)
{
}

TForm_AnyFormat::~TForm_AnyFormat() = default;

void TForm_AnyFormat::ShowProgress(qint64 done, qint64 total)
{
    Gauge->setValue(int(std::clamp<qint64>(done * 100 / total, 0, 100)));
}

} // namespace audrel
