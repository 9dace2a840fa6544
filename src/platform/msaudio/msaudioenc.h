#pragma once
// The WMA encoder control: a small visible box on a form that carries the
// encoder's properties, methods and events by their names (Bitrate in bit/s,
// Samplerate, Channels, UseDrm, SetFiles, StartConversion, StopConversion,
// OnEncodePercentDone, OnEncodeStatus, OnFailure, OnEncodingComplete) over an
// MsAudioEncodeEngine, which does the work on a thread of its own and raises
// every event on the GUI thread. The engine is the control's own, or one
// owned elsewhere (a conversion path's); a control whose engine is gone does
// nothing and keeps no properties.
//
// A control with an engine of its own cannot be created when FFmpeg lacks the
// WMA v2 encoder or the ASF muxer: the constructor raises EAudrelError.

#include "platform/msaudio/msaudioencodeengine.h"

#include <QFrame>
#include <QPointer>

namespace audrel {

class TMsAudioEnc : public QFrame
{
    Q_OBJECT

public:
    // Over an engine of its own.
    // programFolder holds the FFmpeg module; EAudrelError when it cannot be
    // loaded, or its FFmpeg lacks the WMA v2 encoder or the ASF muxer.
    explicit TMsAudioEnc(const QString& programFolder, QWidget* parent = nullptr);
    // Over engine, which it does not own.
    explicit TMsAudioEnc(msaudio::MsAudioEncodeEngine* engine, QWidget* parent = nullptr);
    ~TMsAudioEnc() override;

    msaudio::MsAudioEncodeEngine* Engine() const { return m_engine; }

    int Bitrate() const;
    void setBitrate(int Bitrate);
    int Samplerate() const;
    void setSamplerate(int Samplerate);
    short Channels() const;
    void setChannels(short Channels);
    bool UseDrm() const;
    void setUseDrm(bool UseDrm);

    void SetFiles(const QString& SourcePath, const QString& DestPath);
    void StartConversion();
    // Ends an encoding under way; on return the destination is closed.
    void StopConversion();

signals:
    void OnEncodingComplete();
    void OnEncodePercentDone(short Percent);
    void OnFailure(int ErrorCode, const QString& ErrorString);
    void OnEncodeStatus(short Status, const QString& Message);

private:
    QPointer<msaudio::MsAudioEncodeEngine> m_engine;
};

} // namespace audrel
