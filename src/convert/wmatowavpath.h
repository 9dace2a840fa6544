#pragma once
// WMA to WAV: the WMA decoder engine decodes the source into a 16-bit WAV
// file at the source's own rate and channels, on its worker thread. Progress
// is the position against the duration the source states, or the bytes read
// against the file's size when it states none; the engine's failure is the
// failure, its text naming the file.

#include "convert/conversionpath.h"

namespace audrel {

namespace msaudio {
class MsAudioDecodeEngine;
}

class WmaToWavPath final : public ConversionPath
{
    Q_OBJECT

public:
    // programFolder holds the FFmpeg module.
    explicit WmaToWavPath(const QString& programFolder, QObject* parent = nullptr);
    ~WmaToWavPath() override;

    // Null until Init has made it.
    msaudio::MsAudioDecodeEngine* Engine() const { return m_engine; }

    // Loads the FFmpeg module and makes the engine; EAudrelError when the
    // module cannot be loaded.
    void Init() override;
    void start(const TCvtItem& item, const QString& output) override;
    // Returns once the output is closed.
    void stop() override;

private:
    QString m_programFolder;
    msaudio::MsAudioDecodeEngine* m_engine = nullptr;
};

} // namespace audrel
