#pragma once
// The media player of the WAV and WMA player windows: opens one file at a
// time, with the decoder its kind calls for, and plays it on the default
// audio device. Playing goes on on a thread of the player's own; the window
// asks for the mode and the position when it likes (it polls). Every operation
// is carried out before it returns, so what is asked next sees its effect.
//
// Positions and lengths are in milliseconds. When a file has played to its
// end, the mode reads stopped and the position equals the length, in one and
// the same state: whoever sees the one sees the other. Stop halts where the
// file is; Play goes on from there, or from the start position when one was
// set since the last Play. Rewind goes back to the start, stopped.
//
// A file that cannot be opened, and a Play that the device refuses, raise
// EMCIDeviceError with the player's own message.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QThread;

namespace audrel {

namespace mci {
class MediaPlayerEngine;
}

enum TMPModes
{
    mpNotReady, // no file is open
    mpStopped,
    mpPlaying,
    mpRecording,
    mpSeeking,
    mpPaused,
    mpOpen
};

class TMediaPlayer : public QObject
{
    Q_OBJECT

public:
    // The FFmpeg module, for WMA files, is looked for in programFolder (which
    // ends in a separator).
    explicit TMediaPlayer(const QString& programFolder, QObject* parent = nullptr);
    ~TMediaPlayer() override; // closes the file and ends the thread

    const QString& FileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }

    // Opens FileName, closing an open file first; stopped at the start.
    void Open();
    void Close();
    // Plays from the start position if one was set since the last Play, else
    // from where the file is; a paused file resumes.
    void Play();
    void Stop();
    // Pauses while playing, resumes while paused.
    void Pause();
    void Rewind();
    // Where the next Play starts.
    void setStartPos(qint64 ms);

    qint64 Position();
    qint64 Length();
    TMPModes Mode();

private:
    // Runs a step on the player's thread and waits for it.
    void onThread(const std::function<void()>& step);

    QString m_fileName;
    std::optional<qint64> m_startPos;
    std::unique_ptr<QThread> m_thread;
    mci::MediaPlayerEngine* m_engine = nullptr; // lives on m_thread
    QEventLoop* m_loop = nullptr;               // m_thread's loop
};

} // namespace audrel
