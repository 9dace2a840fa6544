#pragma once
// "Convert Mp3 to Wav": decodes the checked rows of the MP3 to WAV list one
// after the other through the player library.

#include "convert/conversiondialog.h"

namespace audrel {

class TXaudioPlayer;

class TConvertForm : public TConversionDialog
{
    Q_OBJECT

public:
    // Gathers the checked rows of the list. The player library is looked for
    // in the program folder.
    TConvertForm(JobList& list, const Settings& settings, const QString& programFolder,
                 QWidget* parent = nullptr);
    ~TConvertForm() override;

    TXaudioPlayer* XaudioPlayer() const;

    // The per-file gauge: the offset on the player's scale of Range.
    void XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range);

protected:
    void ShowProgress(qint64 done, qint64 total) override;
};

} // namespace audrel
