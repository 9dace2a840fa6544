#pragma once
// "Convert Wav to Mp3": encodes the checked rows of the WAV to MP3 list one
// after the other through TLameCoder, with the MP3 settings of the options.

#include "convert/conversiondialog.h"

namespace audrel {

class TForm_WavtoMp3 : public TConversionDialog
{
    Q_OBJECT

public:
    TForm_WavtoMp3(JobList& list, const Settings& settings, const QString& programFolder = {},
                   QWidget* parent = nullptr);
    ~TForm_WavtoMp3() override;

    void LameCoderProgress(quint16 PercentComplete);

protected:
    void ShowProgress(qint64 done, qint64 total) override;
};

} // namespace audrel
