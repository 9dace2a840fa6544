#pragma once
// The engine of the WMA encoder control TMsAudioEnc: a source (a WAV file of
// any layout) encoded into a WMA v2 file in ASF with the engine's Bitrate
// (bit/s), Samplerate and Channels, the source resampled and mixed as needed.
// A WAVE file is read by the audio engine's WavDecoder, which owns the rules
// for odd WAV files and never parses the tags a WAV carries; anything it
// cannot read (not a WAVE, or a coding libsndfile does not know) is read by
// FFmpeg. A source whose rate is outside the WAV decoder's range is refused,
// as the MP3 encoder refuses it.
//
// The encoder takes no bit rate below WmaFileOutput::kMinBitRate: a lower
// Bitrate is encoded at that rate (EncodingBitrate). UseDrm is kept, but no
// protection is applied: this encoder has none. OnEncodePercentDone tells
// each whole percent of the source encoded; Progress tells the same out of 100.
//
// An engine cannot be created when FFmpeg lacks the WMA v2 encoder or the
// ASF muxer: the constructor raises EAudrelError.

#include "platform/msaudio/msaudioengine.h"

namespace audrel::msaudio {

class MsAudioEncodeEngine final : public MsAudioEngine
{
    Q_OBJECT

public:
    // EAudrelError when the module's FFmpeg has no WMA v2 encoder or ASF muxer.
    explicit MsAudioEncodeEngine(const audio::FfmpegModule& module, QObject* parent = nullptr);
    ~MsAudioEncodeEngine() override;

    // Each applies to the next conversion started.
    int Bitrate() const { return m_bitrate; }
    void setBitrate(int bitsPerSecond) { m_bitrate = bitsPerSecond; }
    int Samplerate() const { return m_samplerate; }
    void setSamplerate(int hertz) { m_samplerate = hertz; }
    short Channels() const { return m_channels; }
    void setChannels(short channels) { m_channels = channels; }
    bool UseDrm() const { return m_useDrm; }
    void setUseDrm(bool useDrm) { m_useDrm = useDrm; }

    // The bit rate the encoder is given for Bitrate.
    int EncodingBitrate() const;
    // Why the encoder refuses the settings (Samplerate, Channels and the
    // encoding bit rate), for the user, or an empty string when it takes them.
    QString SettingsRefusal() const;

signals:
    void OnEncodePercentDone(short Percent);
    void OnEncodeStatus(short Status, const QString& Message);
    void OnEncodingComplete();

protected:
    audio::AudioError openSource(const QString& source) override;
    void prepareWork() override;
    std::unique_ptr<audio::AudioOutput> openOutput(const Work& work, const audio::AudioFormat& format,
                                                   audio::AudioError& error) override;
    void reportProgress(const Work& work, const audio::MediaDecoder& decoder, bool final) override;
    void raiseStatus(short Status, const QString& Message) override { emit OnEncodeStatus(Status, Message); }
    void raiseComplete() override { emit OnEncodingComplete(); }
    QString failureText(const Work& work, audio::AudioError error, const QString& reason) const override;

private:
    class WavSource;

    // What a conversion encodes with, taken when it starts.
    struct Shape
    {
        int bitrate = 0;
        int samplerate = 0;
        int channels = 0;
    };

    int m_bitrate = 128000;
    int m_samplerate = 44100;
    short m_channels = 2;
    bool m_useDrm = false;
    Shape m_shape;      // of the conversion under way
    int m_percent = -1; // the worker's: the percent told last
    std::unique_ptr<WavSource> m_wav;
    QString m_rateRefusal; // why the source's rate was refused, or empty
};

} // namespace audrel::msaudio
