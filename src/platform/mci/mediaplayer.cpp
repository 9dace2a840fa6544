#include "platform/mci/mediaplayer.h"

#include "platform/mci/emcideviceerror.h"
#include "platform/mci/mediaplayerengine.h"

#include <QEventLoop>
#include <QSemaphore>
#include <QThread>

namespace audrel {

TMediaPlayer::TMediaPlayer(const QString& programFolder, QObject* parent) : QObject(parent)
{
    QSemaphore started;
    m_thread.reset(QThread::create([this, &started, programFolder] {
        // The engine lives and dies on this thread, with the loop that runs its events.
        mci::MediaPlayerEngine engine(programFolder);
        QEventLoop loop;
        m_engine = &engine;
        m_loop = &loop;
        started.release();
        loop.exec();
    }));
    m_thread->setObjectName(QStringLiteral("MediaPlayer"));
    m_thread->start();
    started.acquire();
}

TMediaPlayer::~TMediaPlayer()
{
    onThread([this] {
        m_engine->close();
        m_loop->quit();
    });
    m_thread->wait();
}

void TMediaPlayer::onThread(const std::function<void()>& step)
{
    QMetaObject::invokeMethod(m_loop, step, Qt::BlockingQueuedConnection);
}

void TMediaPlayer::Open()
{
    QString refused;
    onThread([&] { refused = m_engine->open(m_fileName); });
    m_startPos.reset();
    if (!refused.isEmpty()) throw EMCIDeviceError(refused);
}

void TMediaPlayer::Close()
{
    onThread([this] { m_engine->close(); });
}

void TMediaPlayer::Play()
{
    // A start position counts for one Play.
    const std::optional<qint64> from = m_startPos;
    m_startPos.reset();
    QString refused;
    onThread([&] { refused = m_engine->play(from); });
    if (!refused.isEmpty()) throw EMCIDeviceError(refused);
}

void TMediaPlayer::Stop()
{
    onThread([this] { m_engine->stop(); });
}

void TMediaPlayer::Pause()
{
    onThread([this] { m_engine->pause(); });
}

void TMediaPlayer::Rewind()
{
    onThread([this] { m_engine->rewind(); });
}

void TMediaPlayer::setStartPos(qint64 ms)
{
    m_startPos = ms;
}

qint64 TMediaPlayer::Position()
{
    qint64 ms = 0;
    onThread([&] { ms = m_engine->positionMs(); });
    return ms;
}

qint64 TMediaPlayer::Length()
{
    qint64 ms = 0;
    onThread([&] { ms = m_engine->lengthMs(); });
    return ms;
}

TMPModes TMediaPlayer::Mode()
{
    TMPModes mode = mpNotReady;
    onThread([&] { mode = m_engine->mode(); });
    return mode;
}

} // namespace audrel
