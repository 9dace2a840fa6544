#pragma once
// TLameCoder encodes WAV files into MP3 files through the encoder interface
// of src/platform/lame. It holds the encoder settings, a list of inputs with a
// parallel list of outputs, and runs them one after the other on the calling
// thread, pumping pending events after every chunk so that a window stays
// live and Cancel can be pressed.
//
// The inputs are read through the audio engine's WavDecoder
// (src/platform/audio), chunk by chunk of the encoder's dwSamples frames:
// only the samples of a WAV file's "data" chunk are encoded. Canonical 16-bit
// PCM is read straight from the file; every other layout (8-, 24-, 32-bit,
// float, extensible, ADPCM, A-law, mu-law, RF64, RIFX) is read through
// libsndfile, which delivers 16-bit samples. A file that is not a WAVE is
// taken as headerless 16-bit PCM described by SampleRate and Mode, unless the
// coder is given a way to read other files (setOtherInputs): then every file
// whose name is not a WAV file's is read through a decoder, to its end.
//
// The input's own sample rate and channel count describe the input. Mode is
// the channel mode of the output: the samples are mixed down or up to the
// channels it takes (one for MONO, two for the others). ReSampleRate, when
// above 0, is the output sample rate.
//
// Errors leave EncodeFiles as ELameError or EFileError after every handle and
// buffer of the run has been released; the output stays as far as it was written.

#include "platform/audio/audiodecoder.h"
#include "platform/errors.h"
#include "platform/lame/lametypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace audrel {

class ELameError : public EAudrelError
{
public:
    using EAudrelError::EAudrelError;
};

// The versions the encoder interface reports, read once at construction.
class TLameVersion
{
public:
    TLameVersion();

    uint8_t DLLMajorVersion = 0;
    uint8_t DLLMinorVersion = 0;
    uint8_t MajorVersion = 0;
    uint8_t MinorVersion = 0;

    void Assign(const TLameVersion& source);
};

class TLameCoder : public QObject
{
    Q_OBJECT

public:
    // 32-bit booleans: 0 is false, anything else true; the program passes -1.
    using LongBool = int32_t;

    explicit TLameCoder(QObject* owner = nullptr);
    ~TLameCoder() override;

    uint32_t SampleRate() const { return m_sampleRate; }
    void setSampleRate(uint32_t value) { m_sampleRate = value; }
    // Output sample rate; 0 keeps the encoder's own choice for the input rate.
    uint32_t ReSampleRate() const { return m_reSampleRate; }
    void setReSampleRate(uint32_t value) { m_reSampleRate = value; }
    uint32_t Bitrate() const { return m_bitrate; }
    void setBitrate(uint32_t value) { m_bitrate = value; }
    uint32_t MaxBitrate() const { return m_maxBitrate; }
    void setMaxBitrate(uint32_t value) { m_maxBitrate = value; }
    MPEG_QUALITY Quality() const { return m_quality; }
    void setQuality(MPEG_QUALITY value) { m_quality = value; }
    LongBool Private() const { return m_private; }
    void setPrivate(LongBool value) { m_private = value; }
    LongBool CRC() const { return m_crc; }
    void setCRC(LongBool value) { m_crc = value; }
    TLameMode Mode() const { return m_mode; }
    // Values above 3 are ignored.
    void setMode(int value);
    LongBool Copyright() const { return m_copyright; }
    void setCopyright(LongBool value) { m_copyright = value; }
    LongBool Original() const { return m_original; }
    void setOriginal(LongBool value) { m_original = value; }
    LongBool WriteVBRHeader() const { return m_writeVBRHeader; }
    void setWriteVBRHeader(LongBool value) { m_writeVBRHeader = value; }
    LongBool EnableVBR() const { return m_enableVBR; }
    // Also sets WriteVBRHeader to the same value.
    void setEnableVBR(LongBool value);
    int32_t VBRQuality() const { return m_vbrQuality; }
    void setVBRQuality(int32_t value) { m_vbrQuality = value; }

    QStringList& InputFiles() { return m_inputFiles; }
    const QStringList& InputFiles() const { return m_inputFiles; }
    // Copies the list and derives one output per input: the input with its
    // extension replaced by DefaultExt.
    void setInputFiles(const QStringList& files);
    QStringList& OutputFiles() { return m_outputFiles; }
    const QStringList& OutputFiles() const { return m_outputFiles; }
    void setOutputFiles(const QStringList& files) { m_outputFiles = files; }

    const TLameVersion& LameVersion() const { return *m_lameVersion; }
    const QString& DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& value) { m_defaultExt = value; }
    // True: every input is read through libsndfile. False: canonical 16-bit
    // PCM is read directly and anything else through libsndfile.
    LongBool SndEncode() const { return m_sndEncode; }
    void setSndEncode(LongBool value) { m_sndEncode = value; }

    // Inputs that are not WAV files are read through the decoders this makes
    // (16-bit samples, at the rates and channels the encoder takes); without
    // it every input is read as a WAV file.
    using DecoderFactory = std::function<std::unique_ptr<audio::AudioDecoder>()>;
    void setOtherInputs(DecoderFactory factory) { m_otherInputs = std::move(factory); }

    // Copies the encoder settings (not the file lists, DefaultExt or SndEncode).
    void Assign(const TLameCoder& source);

    // Encodes every input into its output, raising the events below.
    void EncodeFiles();
    // Seen after the current chunk: the run returns without further events.
    void Cancel() { m_cancel = true; }

signals:
    void OnBeginProcess();
    void OnBeginFile(quint16 Num, const QString& FileName);
    void OnEndFile(quint16 Num, const QString& FileName);
    void OnEndProcess();
    void OnProgress(quint16 PercentComplete);

private:
    // The working state of one file's conversion.
    struct Run;
    bool nextChunk(Run& run, int64_t chunkFrames, const int16_t*& pcm, int64_t& frames);
    // Converts one file; false when the run was cancelled on the way.
    bool encodeFile(quint16 number, const QString& input, const QString& output);
    void InitStream(Run& run, uint32_t inputRate, uint32_t& samples, uint32_t& bufferSize);

    uint32_t m_sampleRate = 44100;
    uint32_t m_reSampleRate = 0;
    uint32_t m_bitrate = 128;
    uint32_t m_maxBitrate = 320;
    MPEG_QUALITY m_quality = NORMAL_QUALITY;
    LongBool m_private = 0;
    LongBool m_crc = -1;
    TLameMode m_mode = STEREO;
    LongBool m_copyright = 0;
    LongBool m_original = 0;
    LongBool m_writeVBRHeader = 0;
    LongBool m_enableVBR = 0;
    int32_t m_vbrQuality = 4;
    QStringList m_inputFiles;
    QStringList m_outputFiles;
    std::unique_ptr<TLameVersion> m_lameVersion;
    QString m_defaultExt = QStringLiteral(".mp3");
    LongBool m_sndEncode = 0;
    std::atomic<bool> m_cancel = false; // also told from another thread
    DecoderFactory m_otherInputs;
};

} // namespace audrel
