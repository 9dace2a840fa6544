#pragma once
// WAV to WMA: the WMA encoder engine encodes the source into WMA v2 in ASF
// with the settings of "WMAEncode" (sample rate, bit rate in kbit/s, channels,
// DRM), on its worker thread. Progress is in percent; the engine's failure is
// the failure, its text naming the file.
//
// What the engine cannot do as the settings ask is said once before a run
// (Notice): no DRM protection is applied, and a bit rate below the encoder's
// lowest is encoded at that lowest.

#include "convert/wmapath.h"
#include "settings/settings.h"

namespace audrel {

namespace msaudio {
class MsAudioEncodeEngine;
}

class WavToWmaPath final : public WmaPath
{
    Q_OBJECT

public:
    // What is said when the settings ask for DRM protection.
    static const char* const kNoDrmNotice;

    // programFolder holds the FFmpeg module.
    WavToWmaPath(const Settings& settings, const QString& programFolder, QObject* parent = nullptr);
    ~WavToWmaPath() override;

    // Null until Init has made it.
    msaudio::MsAudioEncodeEngine* Engine() const { return m_engine; }

    QString Notice() const override;

protected:
    // The engine with the settings applied; EAudrelError when FFmpeg has no
    // WMA v2 encoder or ASF muxer, or when the encoder refuses the settings (a
    // sample rate above 48000 Hz, more than two channels), so that they are
    // refused once, not per file.
    msaudio::MsAudioEngine* makeEngine(const audio::FfmpegModule& module) override;

private:
    Settings m_settings;
    msaudio::MsAudioEncodeEngine* m_engine = nullptr;
};

} // namespace audrel
