#include "convert/lamecoder.h"

#include "platform/audio/wavdecoder.h"
#include "platform/filekind.h"
#include "platform/lame/lameenc.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <vector>

namespace audrel {

using namespace audrel::lame;

// Everything one file's conversion holds; released when it goes, on every
// way out of encodeFile, before any end event is raised.
struct TLameCoder::Run
{
    ~Run()
    {
        if (haveStream) beCloseStream(stream);
    }

    audio::WavDecoder wav;
    // An input that is not a WAV file, when there is a way to read it, and
    // its samples gathered into whole chunks.
    std::unique_ptr<audio::AudioDecoder> decoder;
    std::vector<int16_t> gathered;
    qsizetype taken = 0; // samples of gathered given out by the last chunk
    HBE_STREAM stream = 0;
    bool haveStream = false;
    QFile output;
    std::vector<int16_t> mixed; // the samples in the output's channels, when the input's differ
    std::vector<unsigned char> mp3;
};

TLameVersion::TLameVersion()
{
    BE_VERSION version;
    beVersion(&version);
    DLLMajorVersion = version.byDLLMajorVersion;
    DLLMinorVersion = version.byDLLMinorVersion;
    MajorVersion = version.byMajorVersion;
    MinorVersion = version.byMinorVersion;
}

void TLameVersion::Assign(const TLameVersion& source)
{
    DLLMajorVersion = source.DLLMajorVersion;
    DLLMinorVersion = source.DLLMinorVersion;
    MajorVersion = source.MajorVersion;
    MinorVersion = source.MinorVersion;
}

TLameCoder::TLameCoder(QObject* owner) : QObject(owner), m_lameVersion(std::make_unique<TLameVersion>()) {}

TLameCoder::~TLameCoder() = default;

void TLameCoder::setMode(int value)
{
    if (value >= 0 && value <= 3) m_mode = TLameMode(value);
}

void TLameCoder::setEnableVBR(LongBool value)
{
    m_enableVBR = value;
    m_writeVBRHeader = value;
}

namespace {

// Writes all of size bytes. A write that the system cuts short is tried
// again for the rest, so that the one that fails says why.
bool writeAll(QFile& output, const unsigned char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = output.write(reinterpret_cast<const char*>(data), size);
        if (written <= 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

// A write error's text, followed by the system's reason when it gave one
// ("Write Error: No space left on device").
QString writeError(const char* text, const QFile& output)
{
    const QString message = QLatin1String(text);
    if (output.error() == QFileDevice::NoError) return message;
    return message + QStringLiteral(": ") + output.errorString();
}

// The path with the extension of its file name replaced by ext.
QString changeExtension(const QString& path, const QString& ext)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + ext;
}

} // namespace

void TLameCoder::setInputFiles(const QStringList& files)
{
    m_inputFiles = files;
    m_outputFiles.clear();
    for (const QString& file : files)
        m_outputFiles.append(changeExtension(file, m_defaultExt));
}

void TLameCoder::Assign(const TLameCoder& source)
{
    m_sampleRate = source.m_sampleRate;
    m_reSampleRate = source.m_reSampleRate;
    m_mode = source.m_mode;
    m_bitrate = source.m_bitrate;
    m_maxBitrate = source.m_maxBitrate;
    m_quality = source.m_quality;
    m_private = source.m_private;
    m_crc = source.m_crc;
    m_copyright = source.m_copyright;
    m_original = source.m_original;
    m_writeVBRHeader = source.m_writeVBRHeader;
    m_enableVBR = source.m_enableVBR;
    m_vbrQuality = source.m_vbrQuality;
}

void TLameCoder::EncodeFiles()
{
    m_cancel = false;
    emit OnBeginProcess();
    // The lists may change under the events' handlers; the run keeps its own.
    const QStringList inputs = m_inputFiles;
    const QStringList outputs = m_outputFiles;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const QString output = i < outputs.size() ? outputs[i] : changeExtension(inputs[i], m_defaultExt);
        if (!encodeFile(quint16(i), inputs[i], output)) return;
        emit OnEndFile(quint16(i), output);
        if (m_cancel) return;
    }
    emit OnEndProcess();
}

// Fills the encoder's configuration from the settings and opens its stream
// for an input at inputRate; raises when the encoder refuses the settings.
void TLameCoder::InitStream(Run& run, uint32_t inputRate, DWORD& samples, DWORD& bufferSize)
{
    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    config.dwStructVersion = 1;
    config.dwStructSize = sizeof(BE_CONFIG);
    config.dwSampleRate = inputRate;
    config.dwReSampleRate = m_reSampleRate;
    config.nMode = m_mode;
    config.dwBitrate = m_bitrate;
    config.dwMaxBitrate = m_maxBitrate;
    config.nQuality = m_quality;
    config.dwMpegVersion = 1;
    config.dwPsyModel = 0;
    config.dwEmphasis = 0;
    config.bPrivate = m_private;
    config.bCRC = m_crc;
    config.bCopyright = m_copyright;
    config.bOriginal = m_original;
    config.bWriteVBRHeader = m_writeVBRHeader;
    config.bEnableVBR = m_enableVBR;
    config.nVBRQuality = m_vbrQuality;
    const BE_ERR initResult = beInitStream(&config, &samples, &bufferSize, &run.stream);
    if (initResult != BE_ERR_SUCCESSFUL)
        throw ELameError(QStringLiteral("beInitStream failed %1").arg(initResult));
    run.haveStream = true;
}

// The decoder's blocks gathered into chunks of chunkFrames, the last one
// shorter; false when the decoder fails.
bool TLameCoder::nextChunk(Run& run, int64_t chunkFrames, const int16_t*& pcm, int64_t& frames)
{
    const int channels = run.decoder->format().channels;
    std::vector<int16_t>& chunk = run.gathered;
    // What the last call gave stays in front of the vector until it is taken.
    chunk.erase(chunk.begin(), chunk.begin() + std::min<qsizetype>(run.taken, qsizetype(chunk.size())));
    run.taken = 0;
    while (int64_t(chunk.size()) < chunkFrames * channels) {
        const int16_t* block = nullptr;
        int64_t blockFrames = 0;
        if (run.decoder->nextBlock(block, blockFrames) != audio::AudioError::None) return false;
        if (blockFrames == 0) break;
        chunk.insert(chunk.end(), block, block + blockFrames * channels);
    }
    frames = std::min<int64_t>(chunkFrames, int64_t(chunk.size()) / channels);
    pcm = chunk.data();
    run.taken = qsizetype(frames * channels);
    return true;
}

bool TLameCoder::encodeFile(quint16 number, const QString& inputPath, const QString& outputPath)
{
    Run run;
    const int outChannels = m_mode == MONO ? 1 : 2;

    // The input first: its own rate opens the encoder. A file that is not a
    // WAVE is taken as headerless PCM of SampleRate in the output's channels,
    // unless there is a decoder for what is not a WAV file.
    audio::AudioFormat format;
    qint64 total = 0; // bytes of 16-bit samples to encode; for a decoder, what it expects
    if (m_otherInputs && KindOf(inputPath) != FileKind::Wav) {
        run.decoder = m_otherInputs();
        const audio::AudioError opened = run.decoder->open(inputPath);
        if (opened == audio::AudioError::NoSuchFile || opened == audio::AudioError::PermissionDenied ||
            opened == audio::AudioError::OpenFailed)
            throw EFileError(QStringLiteral("Cannot open file %1").arg(inputPath));
        if (opened != audio::AudioError::None)
            throw ELameError(QStringLiteral("Cannot read %1: it holds no audio that can be decoded").arg(inputPath));
        format = run.decoder->format();
        total = run.decoder->lengthFrames() * format.bytesPerFrame();
    } else {
        audio::WavOpenOptions options;
        options.headerlessRate = int(m_sampleRate);
        options.headerlessChannels = outChannels;
        options.forceLibsndfile = m_sndEncode != 0;
        switch (run.wav.open(inputPath, options)) {
        case audio::AudioError::None:
            break;
        case audio::AudioError::NoSuchFile:
        case audio::AudioError::PermissionDenied:
        case audio::AudioError::OpenFailed:
            throw EFileError(QStringLiteral("Cannot open file %1").arg(inputPath));
        default:
            // A header may claim any rate; one no recording has would have the
            // encoder resample a few bytes into gigabytes, or refuse it.
            if (run.wav.rateRefused())
                throw ELameError(QStringLiteral("Cannot encode %1: %2.").arg(inputPath, run.wav.errorString()));
            throw ELameError(QStringLiteral("Cannot read %1: %2").arg(inputPath, run.wav.errorString()));
        }
        format = run.wav.format();
        total = run.wav.lengthBytes();
    }
    const int inChannels = format.channels;
    const qint64 blockBytes = format.bytesPerFrame();

    DWORD samples = 0;
    DWORD bufferSize = 0;
    InitStream(run, uint32_t(format.sampleRate), samples, bufferSize);

    emit OnBeginFile(number, inputPath);

    if (QFileInfo::exists(outputPath)) {
        if (QFileInfo(outputPath).canonicalFilePath() == QFileInfo(inputPath).canonicalFilePath())
            throw EFileError(QStringLiteral("Cannot open file %1").arg(outputPath));
        run.output.setFileName(outputPath);
        if (!run.output.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            throw EFileError(QStringLiteral("Cannot open file %1").arg(outputPath));
    } else {
        run.output.setFileName(outputPath);
        if (!run.output.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw EFileError(QStringLiteral("Cannot create file %1").arg(outputPath));
    }

    // One chunk holds dwSamples sample frames of the input; the buffers live
    // for the whole file.
    const qint64 chunkFrames = std::max<qint64>(samples, 1152);
    const qint64 chunkBytes = chunkFrames * blockBytes; // even: whole 16-bit frames
    if (run.decoder)
        run.gathered.reserve(size_t(chunkFrames * inChannels));
    else
        run.wav.setBlockFrames(chunkFrames);
    if (inChannels != outChannels) run.mixed.resize(size_t(chunkFrames * outChannels));
    // bufferSize is the need of one MPEG frame's samples; a chunk needs it
    // for every frame it holds.
    const double frameSamples = std::max<double>(1, samples / DWORD(outChannels));
    const double frameNeed = std::max<double>(0, double(bufferSize) - 7200);
    run.mp3.resize(size_t(frameNeed * double(chunkFrames) / frameSamples) + 7200);

    // A WAV file is encoded as far as its data chunk says; a decoder's
    // stream to its end, whatever it expected.
    qint64 done = 0;
    bool last = false;
    while (!last && (run.decoder || done < total)) {
        const qint64 n = run.decoder ? chunkBytes : std::min(chunkBytes, total - done);
        const int16_t* pcm = nullptr;
        int64_t frames = 0;
        if (run.decoder ? !nextChunk(run, chunkFrames, pcm, frames) : run.wav.nextBlock(pcm, frames) != audio::AudioError::None)
            throw ELameError(QStringLiteral("Read Error"));
        // Fewer frames than asked for end the input: libsndfile's count may
        // promise more than a damaged file holds.
        last = frames * blockBytes < n;

        const short* source = pcm;
        if (inChannels != outChannels) {
            int16_t* mixed = run.mixed.data();
            if (outChannels == 1) {
                for (qint64 f = 0; f < frames; ++f) {
                    int sum = 0;
                    for (int c = 0; c < inChannels; ++c)
                        sum += pcm[f * inChannels + c];
                    mixed[f] = int16_t(sum / inChannels);
                }
            } else if (inChannels == 1) {
                for (qint64 f = 0; f < frames; ++f)
                    mixed[2 * f] = mixed[2 * f + 1] = pcm[f];
            } else {
                for (qint64 f = 0; f < frames; ++f) {
                    mixed[2 * f] = pcm[f * inChannels];
                    mixed[2 * f + 1] = pcm[f * inChannels + 1];
                }
            }
            source = mixed;
        }

        DWORD written = 0;
        const BE_ERR result = beEncodeChunkEx(run.stream, DWORD(frames * outChannels), source, run.mp3.data(),
                                              DWORD(run.mp3.size()), &written);
        if (result != BE_ERR_SUCCESSFUL)
            throw ELameError(QStringLiteral("beEncodeChunk failed %1").arg(result));
        if (!writeAll(run.output, run.mp3.data(), qint64(written)))
            throw ELameError(writeError("Write Error", run.output));

        done = run.decoder ? done + frames * blockBytes : last ? total : done + n;
        const double fraction = total > 0 ? std::min(1.0, double(done) / double(total)) : 0.0;
        emit OnProgress(quint16(last ? 100 : int(fraction * (run.decoder ? 99 : 100))));
        QCoreApplication::processEvents();
        if (m_cancel) return false;
    }

    DWORD written = 0;
    const BE_ERR flushResult = beDeinitStreamEx(run.stream, run.mp3.data(), DWORD(run.mp3.size()), &written);
    if (flushResult != BE_ERR_SUCCESSFUL)
        throw ELameError(QStringLiteral("beDeinitStream failed %1").arg(flushResult));
    if (!writeAll(run.output, run.mp3.data(), qint64(written)))
        throw ELameError(writeError("Write error", run.output));

    if (m_writeVBRHeader) {
        // The Xing/Info frame replaces the placeholder frame at byte 0.
        DWORD length = 0;
        BE_ERR tagResult = beGetInfoTagFrame(run.stream, run.mp3.data(), DWORD(run.mp3.size()), &length);
        if (tagResult == BE_ERR_BUFFER_TOO_SMALL) {
            run.mp3.resize(length);
            tagResult = beGetInfoTagFrame(run.stream, run.mp3.data(), DWORD(run.mp3.size()), &length);
        }
        if (tagResult == BE_ERR_SUCCESSFUL && length > 0) {
            if (!run.output.seek(0) || !writeAll(run.output, run.mp3.data(), qint64(length)))
                throw ELameError(writeError("Write error", run.output));
        }
    }
    return true;
}

} // namespace audrel
