#pragma once
// "Convert WMA to Wav": decodes the checked rows of the WMA to WAV list one
// after the other through the WMA decoder control MsAudio2Wave1, which shows
// the engine of the direction's path on the form. The per-file gauge counts
// the seconds of the duration the source states; a source that states less
// than a second (or none) is shown in percent of its bytes read instead, so
// the bar still moves. Each next file is started by Timer2 (10 ms).

#include "convert/conversiondialog.h"

namespace audrel {

class TMsAudio2Wave;

class TForm_wmatowav : public TConversionDialog
{
    Q_OBJECT

public:
    TForm_wmatowav(JobList& list, const Settings& settings, const QString& programFolder,
                   QWidget* parent = nullptr);
    ~TForm_wmatowav() override;

    TMsAudio2Wave* MsAudio2Wave1() const { return m_control; }

    // The per-file gauge on the seconds scale: Position in milliseconds.
    void MsAudio2Wave1ActPosition(int Position);

protected:
    void ShowProgress(qint64 done, qint64 total) override;
    // The gauge's scale for the source just given to the control.
    void JobStarted() override;

private:
    TMsAudio2Wave* m_control;
    bool m_seconds = true; // the gauge counts seconds, not percent
};

} // namespace audrel
