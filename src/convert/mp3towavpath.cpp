#include "convert/mp3towavpath.h"

#include "platform/xaudio/xaudioplayer.h"

#include <QEventLoop>
#include <QTimer>

namespace audrel {

namespace {

// How long stopping waits for the player to let go of its files.
constexpr int kStopWaitMs = 10000;

} // namespace

Mp3ToWavPath::Mp3ToWavPath(const QString& programFolder, QObject* parent)
    : ConversionPath(parent), m_player(new TXaudioPlayer(this))
{
    m_player->setObjectName(QStringLiteral("XaudioPlayer"));
    m_player->setXaudioPath(programFolder + QLatin1String(TXaudioPlayer::kLibraryName));
    m_player->setPriority(2);
    connect(m_player, &TXaudioPlayer::OnNotifyNack, this, &Mp3ToWavPath::XaudioPlayerNotifyNack);
    connect(m_player, &TXaudioPlayer::OnNotifyPlayerState, this,
            &Mp3ToWavPath::XaudioPlayerNotifyPlayerState);
    connect(m_player, &TXaudioPlayer::OnNotifyInputPosition, this, [this](quint32 offset, quint32 range) {
        if (range > 0) emit progress(offset, range);
    });
    connect(m_player, &TXaudioPlayer::OnNotifyError, this,
            [this](quint8, qint16 code, const QString& message) {
                m_causeCode = code;
                m_cause = message;
            });
}

Mp3ToWavPath::~Mp3ToWavPath()
{
    OutputReset();
}

void Mp3ToWavPath::Init()
{
    m_player->Init();
    m_ready = true;
}

QString Mp3ToWavPath::Reason(qint16 Code)
{
    QString text = m_player->ErrorString(Code);
    if (Code == m_causeCode && !m_cause.isEmpty()) text += QStringLiteral(": ") + m_cause;
    m_cause.clear();
    return text;
}

void Mp3ToWavPath::start(const TCvtItem& item, const QString& output)
{
    begin(item, output);
    m_cause.clear();
    // Nothing is closed between two items: the next input and output follow
    // the previous end of stream directly.
    int sent = m_player->InputOpen(item.SourcePath);
    if (sent == XA_SUCCESS) sent = m_player->OutputOpen(QStringLiteral("wav:") + output);
    if (sent == XA_SUCCESS) sent = m_player->Play();
    if (sent != XA_SUCCESS) fail(QStringLiteral("Cannot Play Stream (%1)").arg(m_player->ErrorString(sent)));
}

void Mp3ToWavPath::XaudioPlayerNotifyPlayerState(int State)
{
    // Only the end of the stream matters: the WAV file is complete by then.
    if (State == XA_PLAYER_STATE_EOS) complete();
}

void Mp3ToWavPath::XaudioPlayerNotifyNack(quint8 Command, qint16 Code)
{
    // A refused output comes back as the refusal of Play, with its reason.
    if (Command == XA_MSG_COMMAND_PLAY)
        fail(QStringLiteral("Cannot Play Stream (%1)").arg(Reason(Code)));
    else if (Command == XA_MSG_COMMAND_INPUT_OPEN)
        fail(QStringLiteral("Cannot Open Input (%1)").arg(Reason(Code)));
}

void Mp3ToWavPath::stop()
{
    if (!m_ready) return;
    m_player->Stop();
    m_player->InputClose();
    m_player->OutputClose();
}

void Mp3ToWavPath::stopAndWait()
{
    if (!m_ready) return;
    // The player carries out its commands in order: once the input close is
    // acknowledged, the output is closed too and no longer written to.
    QEventLoop loop;
    const QMetaObject::Connection acked =
        connect(m_player, &TXaudioPlayer::OnNotifyAck, &loop, [&](quint8 command) {
            if (command == XA_MSG_COMMAND_INPUT_CLOSE) loop.quit();
        });
    m_player->Stop();
    m_player->OutputClose();
    if (m_player->InputClose() == XA_SUCCESS) {
        QTimer::singleShot(kStopWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    disconnect(acked);
}

void Mp3ToWavPath::OutputReset()
{
    if (m_ready) m_player->OutputReset();
}

} // namespace audrel
