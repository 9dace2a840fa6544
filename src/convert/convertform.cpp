#include "convert/convertform.h"

#include "app/application.h"
#include "app/mainform.h"
#include "convert/xaudioplayer.h"
#include "platform/prompts/prompts.h"

#include <QProgressBar>

#include <algorithm>

namespace audrel {

TConvertForm::TConvertForm(TMainForm* owner)
    : TConversionDialog(owner, owner->Mp3Recs(),
                        {"Convert Mp3 to Wav", " Decoding ", "Decoding", "BitBtn1", 400})
{
    setObjectName(QStringLiteral("ConvertForm"));

    // FormCreate
    m_player = new TXaudioPlayer(this);
    m_player->setObjectName(QStringLiteral("XaudioPlayer"));
    m_player->setXaudioPath(owner->programFolder() + QLatin1String(TXaudioPlayer::kLibraryName));
    m_player->setPriority(2);
    connect(m_player, &TXaudioPlayer::OnNotifyNack, this, &TConvertForm::XaudioPlayerNotifyNack);
    connect(m_player, &TXaudioPlayer::OnNotifyPlayerState, this,
            &TConvertForm::XaudioPlayerNotifyPlayerState);
    connect(m_player, &TXaudioPlayer::OnNotifyInputPosition, this,
            &TConvertForm::XaudioPlayerNotifyInputPosition);
    try {
        m_player->Init();
    } catch (const EXaudioException& error) {
        // Shown once when the run would begin; nothing is gathered.
        m_playerError = error.message();
    }
    if (m_playerError.isEmpty()) GatherJobs();
}

TConvertForm::~TConvertForm()
{
    // FormDestroy
    if (m_playerError.isEmpty()) guarded([this] { m_player->OutputReset(); });
}

bool TConvertForm::PrepareRun()
{
    if (m_playerError.isEmpty()) return true;
    TApplication::HandleException(std::make_exception_ptr(EXaudioException(m_playerError)));
    return false;
}

void TConvertForm::StartJob(int index)
{
    const TCvtItem* item = NextJob(index);
    if (!item) return;
    m_player->InputOpen(item->SourcePath);
    m_player->OutputOpen(QStringLiteral("wav:") + item->DestPath);
    m_player->Play();
}

void TConvertForm::XaudioPlayerNotifyInputPosition(quint32 Offset, quint32 Range)
{
    if (m_closed) return;
    const qint64 span = Gauge->maximum() - Gauge->minimum();
    const qint64 position = qint64(Offset) * (qint64(Range) / span);
    Gauge->setValue(int(std::clamp<qint64>(position, Gauge->minimum(), Gauge->maximum())));
}

void TConvertForm::XaudioPlayerNotifyPlayerState(int State)
{
    // Only the end of the stream matters; reports that arrive after closing are late.
    if (State == XA_PLAYER_STATE_EOS) JobDone();
}

void TConvertForm::XaudioPlayerNotifyNack(quint8 Command, qint16 Code)
{
    if (m_closed) return;
    if (Command == XA_MSG_COMMAND_PLAY)
        ShowPlayerError(QStringLiteral("Cannot Play Stream"), Code);
    else if (Command == XA_MSG_COMMAND_INPUT_OPEN)
        ShowPlayerError(QStringLiteral("Cannot Open Input"), Code);
}

void TConvertForm::ShowPlayerError(const QString& message, int code)
{
    showMessage(message + QStringLiteral(" (") + m_player->ErrorString(code) + QLatin1Char(')'),
                QStringLiteral("Error"), MsgIcon::Error, {IdOk});
}

void TConvertForm::StopWork()
{
    if (!m_playerError.isEmpty()) return;
    m_player->Stop();
    m_player->InputClose();
    m_player->OutputClose();
}

} // namespace audrel
