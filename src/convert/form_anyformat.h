#pragma once
// "Convert Audio Files": converts the checked rows of the Any Format list into
// the format chosen on its tab, through the Any Format path. The per-file
// gauge is in percent of the source's playing time.

#include "convert/conversiondialog.h"

namespace audrel {

class TForm_AnyFormat : public TConversionDialog
{
    Q_OBJECT

public:
    TForm_AnyFormat(JobList& list, const Settings& settings, const QString& programFolder,
                    QWidget* parent = nullptr);
    ~TForm_AnyFormat() override;

protected:
    void ShowProgress(qint64 done, qint64 total) override;
};

} // namespace audrel
