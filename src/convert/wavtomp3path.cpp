#include "convert/wavtomp3path.h"

#include "convert/lamecoder.h"

namespace audrel {

namespace {

TLameCoder::LongBool longBool(bool value)
{
    return value ? -1 : 0;
}

// Copies the encoder settings in a fixed order: WriteVBRHeader after
// EnableVBR, so that its own setting wins. A sample rate other than "Auto
// Select" (0) is the rate of the output, and the mode the output's channel mode.
void applyMp3Settings(TLameCoder& coder, const Settings& s)
{
    const uint32_t rate = s.SampleRate > 0 ? uint32_t(s.SampleRate) : 0;
    coder.setSampleRate(rate);
    coder.setReSampleRate(rate);
    coder.setBitrate(uint32_t(s.Bitrate));
    coder.setMaxBitrate(uint32_t(s.MaxBitrate));
    coder.setMode(s.Mode);
    coder.setQuality(MPEG_QUALITY(s.Quality));
    coder.setEnableVBR(longBool(s.VBR));
    coder.setVBRQuality(s.VBRQuality);
    coder.setWriteVBRHeader(longBool(s.WriteVBR));
    coder.setPrivate(longBool(s.Private));
    coder.setCRC(longBool(s.CRC));
    coder.setOriginal(longBool(s.Original));
    coder.setCopyright(longBool(s.CopyRight));
}

} // namespace

WavToMp3Path::WavToMp3Path(const Settings& settings, QObject* parent)
    : ConversionPath(parent), m_settings(settings), m_coder(new TLameCoder(this))
{
    m_coder->setObjectName(QStringLiteral("LameCoder"));
    m_coder->setDefaultExt(QStringLiteral(".mp3"));
    applyMp3Settings(*m_coder, m_settings);
    connect(m_coder, &TLameCoder::OnProgress, this, [this](quint16 percent) { emit progress(percent, 100); });
    connect(m_coder, &TLameCoder::OnEndProcess, this, [this] { complete(); });
}

WavToMp3Path::~WavToMp3Path() = default;

void WavToMp3Path::start(const TCvtItem& item, const QString& output)
{
    // What depends on the source: its own rate describes the input; with "Auto
    // Select" its channel mode is kept too.
    m_coder->setSampleRate(item.SampleRate);
    if (m_settings.SampleRate <= 0) m_coder->setMode(int(item.Mode));
    m_coder->setSndEncode(item.BitsPerSample <= 8 ? -1 : 0);
    begin(item, output);
    m_coder->InputFiles() = {item.SourcePath};
    m_coder->OutputFiles() = {output};
    try {
        m_coder->EncodeFiles();
    } catch (const EAudrelError& error) { // ELameError, EFileError
        fail(error.message());
    }
}

void WavToMp3Path::stop()
{
    m_coder->Cancel();
}

} // namespace audrel
