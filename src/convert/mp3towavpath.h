#pragma once
// MP3 to WAV: the player library decodes the source into a WAV file ("wav:"
// output). Its position reports are the progress (on the library's 0 to 400
// scale), the end of the stream is the end of the item, and a refused input
// or play command is the failure, with the library's reason and, where the
// system named the cause (a full disk), the system's.

#include "convert/conversionpath.h"

namespace audrel {

class TXaudioPlayer;

class Mp3ToWavPath final : public ConversionPath
{
    Q_OBJECT

public:
    // The player library is looked for in programFolder.
    explicit Mp3ToWavPath(const QString& programFolder, QObject* parent = nullptr);
    // Resets the output, dropping what it still holds.
    ~Mp3ToWavPath() override;

    TXaudioPlayer* XaudioPlayer() const { return m_player; }

    // Loads the library and starts its player (EXaudioException when it cannot).
    void Init() override;
    void start(const TCvtItem& item, const QString& output) override;
    // Stops the player and closes its input and output.
    void stop() override;
    void stopAndWait() override;

    void XaudioPlayerNotifyPlayerState(int State);
    void XaudioPlayerNotifyNack(quint8 Command, qint16 Code);

private:
    void OutputReset();
    // The library's text for Code, followed by the system's reason when the
    // library sent one for it just before.
    QString Reason(qint16 Code);

    TXaudioPlayer* m_player;
    bool m_ready = false;
    qint16 m_causeCode = 0; // the code of the last error notification, and its message
    QString m_cause;
};

} // namespace audrel
