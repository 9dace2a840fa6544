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
    // Gathers the checked rows of the owner's MP3 to WAV list. The player
    // library is looked for in the owner's program folder.
    explicit TConvertForm(TMainForm* owner);
    ~TConvertForm() override;

    TXaudioPlayer* XaudioPlayer() const { return m_player; }

    void XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range);
    void XaudioPlayerNotifyPlayerState(int State);
    void XaudioPlayerNotifyNack(quint8 Command, qint16 Code);

protected:
    bool PrepareRun() override;
    void StartJob(int index) override;
    void StopWork() override;

private:
    void ShowPlayerError(const QString& message, int code);

    TXaudioPlayer* m_player = nullptr;
    // Why the player library cannot be used; empty when it can.
    QString m_playerError;
};

} // namespace audrel
