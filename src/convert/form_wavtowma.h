#pragma once
// "Convert Wav to WMA": encodes the checked rows of the WAV to WMA list one
// after the other through the WMA encoder control MsAudioEnc1, which shows
// the engine of the direction's path on the form, with the "WMAEncode"
// settings applied when the dialog is created. The per-file gauge is in
// percent. Each next file is started by Timer2 (10 ms); closing during a run
// stops the encoder before the dialog hands back its outcome.

#include "convert/conversiondialog.h"

namespace audrel {

class TMsAudioEnc;

class TForm_wavtowma : public TConversionDialog
{
    Q_OBJECT

public:
    TForm_wavtowma(JobList& list, const Settings& settings, const QString& programFolder,
                   QWidget* parent = nullptr);
    ~TForm_wavtowma() override;

    TMsAudioEnc* MsAudioEnc1() const { return m_control; }

    void MsAudioEnc1EncodePercentDone(short Percent);

protected:
    void ShowProgress(qint64 done, qint64 total) override;

private:
    TMsAudioEnc* m_control;
};

} // namespace audrel
