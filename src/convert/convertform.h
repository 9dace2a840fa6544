#pragma once
// "Convert Mp3 to Wav": decodes the checked rows of the MP3 to WAV list one
// after the other through the player library, asking before it overwrites a
// destination, and writes "Done" into the rows it converted when it closes.
// Its result is 1 when the run ended by itself (or never began) and 2 when
// it was aborted; an aborted run leaves its destination in the main window's
// AbortedDestPath.

#include "convert/cvtitem.h"

#include <QDialog>
#include <QList>

class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace audrel {

class TMainForm;
class TXaudioPlayer;

class TConvertForm : public QDialog
{
    Q_OBJECT

public:
    enum ModalResult
    {
        mrOk = 1,
        mrCancel = 2
    };

    // Gathers the checked rows of the owner's MP3 to WAV list. The player
    // library is looked for in the owner's program folder.
    explicit TConvertForm(TMainForm* owner);
    ~TConvertForm() override;

    const QList<TCvtItem>& Jobs() const { return m_jobs; }
    int CurrentIndex() const { return m_currentIndex; }
    bool Running() const { return m_running; }
    TXaudioPlayer* XaudioPlayer() const { return m_player; }

    void Timer1Timer();
    void StartJob(int index);
    void BitBtn1Click();
    void XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range);
    void XaudioPlayerNotifyPlayerState(int State);
    void XaudioPlayerNotifyNack(quint8 Command, qint16 Code);

    // Every way of closing (Abort, the end of the run, the close box, Escape) comes here.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
    void ShowPlayerError(const QString& message, int code);
    void showItem(const TCvtItem& item);

    TMainForm* m_owner;
    TXaudioPlayer* m_player = nullptr;
    // Why the player library cannot be used; empty when it can.
    QString m_playerError;
    QList<TCvtItem> m_jobs;
    int m_currentIndex = 0;
    bool m_running = false;
    bool m_closed = false;

    QGroupBox* GroupBox;
    QLineEdit* Edit_Src;
    QLineEdit* Edit_Dest;
    QProgressBar* Gauge;
    QProgressBar* Gauge_Total;
    QPushButton* BitBtn1;
    QTimer* Timer1;
};

} // namespace audrel
