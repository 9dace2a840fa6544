#pragma once
// WAV to MP3: TLameCoder encodes the source with the MP3 settings of the
// options. "Auto Select" keeps each source's own sample rate and channel mode;
// any other rate is that of the output, in the options' channel mode. 8-bit
// sources are read through the sample library. Progress is in percent; an
// encoder or file error is the failure, with its message.

#include "convert/conversionpath.h"
#include "settings/settings.h"

namespace audrel {

class TLameCoder;

class WavToMp3Path final : public ConversionPath
{
    Q_OBJECT

public:
    explicit WavToMp3Path(const Settings& settings, QObject* parent = nullptr);
    ~WavToMp3Path() override;

    TLameCoder* LameCoder() const { return m_coder; }

    // Encodes the whole item before it returns, pumping events after every chunk.
    void start(const TCvtItem& item, const QString& output) override;
    // Seen after the current chunk.
    void stop() override;

private:
    Settings m_settings;
    TLameCoder* m_coder;
};

} // namespace audrel
