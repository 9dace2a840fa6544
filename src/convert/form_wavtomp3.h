#pragma once
// "Convert Wav to Mp3": encodes the checked rows of the WAV to MP3 list one
// after the other through TLameCoder, with the MP3 settings of the options.

#include "convert/conversiondialog.h"

namespace audrel {

class TLameCoder;

class TForm_WavtoMp3 : public TConversionDialog
{
    Q_OBJECT

public:
    explicit TForm_WavtoMp3(TMainForm* owner);
    ~TForm_WavtoMp3() override;

    TLameCoder* LameCoder() const { return m_coder; }

    void LameCoderProgress(quint16 PercentComplete);
    void LameCoderEndProcess();

protected:
    void StartJob(int index) override;
    void StopWork() override;

private:
    TLameCoder* m_coder;
};

} // namespace audrel
