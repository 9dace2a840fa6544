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
    explicit WmaToWavPath(QObject* parent = nullptr);
    ~WmaToWavPath() override;

    msaudio::MsAudioDecodeEngine* Engine() const { return m_engine; }

    void start(const TCvtItem& item, const QString& output) override;
    // Returns once the output is closed.
    void stop() override;

private:
    msaudio::MsAudioDecodeEngine* m_engine;
};

} // namespace audrel
