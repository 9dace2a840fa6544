#pragma once
// WMA to WAV: the WMA decoder engine decodes the source into a 16-bit WAV
// file at the source's own rate and channels, on its worker thread. Progress
// is the position against the duration the source states, or the bytes read
// against the file's size when it states none; the engine's failure is the
// failure, its text naming the file.

#include "convert/wmapath.h"

namespace audrel {

namespace msaudio {
class MsAudioDecodeEngine;
}

class WmaToWavPath final : public WmaPath
{
    Q_OBJECT

public:
    // programFolder holds the FFmpeg module.
    explicit WmaToWavPath(const QString& programFolder, QObject* parent = nullptr);
    ~WmaToWavPath() override;

    // Null until Init has made it.
    msaudio::MsAudioDecodeEngine* Engine() const { return m_engine; }

protected:
    msaudio::MsAudioEngine* makeEngine(const audio::FfmpegModule& module) override;

private:
    msaudio::MsAudioDecodeEngine* m_engine = nullptr;
};

} // namespace audrel
