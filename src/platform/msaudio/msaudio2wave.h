#pragma once
// The WMA decoder control: a small visible box on a form that carries the
// decoder's properties, methods and events by their names (Duration,
// SetFiles, StartConversion, OnActPosition, OnDecodeStatus, OnFailure,
// OnDecodeComplete) over an MsAudioDecodeEngine, which does the work on a
// thread of its own and raises every event on the GUI thread. The engine is
// the control's own, or one owned elsewhere (a conversion path's); a control
// whose engine is gone does nothing and knows no Duration.

#include "platform/msaudio/msaudiodecodeengine.h"

#include <QFrame>
#include <QPointer>

namespace audrel {

class TMsAudio2Wave : public QFrame
{
    Q_OBJECT

public:
    // Over an engine of its own.
    // programFolder holds the FFmpeg module; EAudrelError when it cannot be loaded.
    explicit TMsAudio2Wave(const QString& programFolder, QWidget* parent = nullptr);
    // Over engine, which it does not own.
    explicit TMsAudio2Wave(msaudio::MsAudioDecodeEngine* engine, QWidget* parent = nullptr);
    ~TMsAudio2Wave() override;

    msaudio::MsAudioDecodeEngine* Engine() const { return m_engine; }

    // Milliseconds; known once SetFiles has returned.
    int Duration() const;
    void SetFiles(const QString& SourcePath, const QString& DestPath);
    void StartConversion();
    void StopConversion();

signals:
    void OnActPosition(int Position);
    void OnDecodeStatus(short Status, const QString& Message);
    void OnFailure(int ErrorCode, const QString& ErrorString);
    void OnDecodeComplete();

private:
    QPointer<msaudio::MsAudioDecodeEngine> m_engine;
};

} // namespace audrel
