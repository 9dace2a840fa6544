#include "convert/lamecoder.h"

#include "platform/lame/lameenc.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace audrel {

using namespace audrel::lame;

namespace {

// What the input holds and where: the samples of a canonical 16-bit PCM
// WAV (or of a headerless file) are read straight from [dataOffset,
// dataOffset + dataSize); anything else goes through libsndfile.
struct InputLayout
{
    bool direct = false;
    bool headerless = false;
    int channels = 0;
    uint32_t rate = 0;
    qint64 dataOffset = 0;
    qint64 dataSize = 0;
};

// KSDATAFORMAT_SUBTYPE_PCM after its first two bytes (the format tag).
constexpr unsigned char kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

bool readExactly(QFile& file, qint64 at, char* buffer, qint64 size)
{
    return file.seek(at) && file.read(buffer, size) == size;
}

// Walks the RIFF chunks up to "data". Only a file whose format chunk comes
// before the data and describes 16-bit PCM of one or two channels is read
// directly; direct stays false for every other layout.
InputLayout parseInput(QFile& file, uint32_t headerlessRate, int headerlessChannels)
{
    InputLayout layout;
    const qint64 fileSize = file.size();
    char head[12] = {};
    if (fileSize < 12 || !readExactly(file, 0, head, 12) || std::memcmp(head + 8, "WAVE", 4) != 0) {
        layout.direct = true;
        layout.headerless = true;
        layout.channels = headerlessChannels;
        layout.rate = headerlessRate;
        layout.dataOffset = 0;
        layout.dataSize = fileSize;
        return layout;
    }
    if (std::memcmp(head, "RIFF", 4) != 0) return layout; // RF64, RIFX: libsndfile's business

    bool haveFormat = false;
    bool pcm16 = false;
    qint64 at = 12;
    while (at + 8 <= fileSize) {
        char chunk[8];
        if (!readExactly(file, at, chunk, 8)) break;
        const quint32 size = qFromLittleEndian<quint32>(chunk + 4);
        const qint64 body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            unsigned char fmt[40] = {};
            const qint64 want = std::min<qint64>(size, sizeof fmt);
            if (!readExactly(file, body, reinterpret_cast<char*>(fmt), want)) break;
            const quint16 tag = qFromLittleEndian<quint16>(fmt);
            const quint16 channels = qFromLittleEndian<quint16>(fmt + 2);
            const quint32 rate = qFromLittleEndian<quint32>(fmt + 4);
            const quint16 blockAlign = qFromLittleEndian<quint16>(fmt + 12);
            const quint16 bits = qFromLittleEndian<quint16>(fmt + 14);
            bool pcm = tag == 1;
            if (tag == 0xFFFE && want >= 40) {
                const quint16 validBits = qFromLittleEndian<quint16>(fmt + 18);
                const quint16 subTag = qFromLittleEndian<quint16>(fmt + 24);
                pcm = validBits == 16 && subTag == 1 && std::memcmp(fmt + 26, kPcmGuidTail, 14) == 0;
            }
            haveFormat = true;
            pcm16 = pcm && bits == 16 && (channels == 1 || channels == 2) && blockAlign == channels * 2 &&
                    rate > 0;
            layout.channels = channels;
            layout.rate = rate;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // A size past the end (a stream's 0xFFFFFFFF among them) ends at the end.
            layout.dataOffset = body;
            layout.dataSize = std::min<qint64>(size, std::max<qint64>(0, fileSize - body));
            layout.direct = haveFormat && pcm16;
            return layout;
        }
        at = body + qint64(size) + (size & 1);
    }
    return layout;
}

struct SndFileCloser
{
    void operator()(SNDFILE* file) const { sf_close(file); }
};

} // namespace

// Everything one file's conversion holds; released when it goes, on every
// way out of encodeFile, before any end event is raised.
struct TLameCoder::Run
{
    ~Run()
    {
        if (haveStream) beCloseStream(stream);
    }

    QFile input;
    std::unique_ptr<SNDFILE, SndFileCloser> snd;
    HBE_STREAM stream = 0;
    bool haveStream = false;
    QFile output;
    std::vector<int16_t> pcm;
    std::vector<int16_t> widened;
    std::vector<float> floats; // libsndfile's samples of float files
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

bool TLameCoder::encodeFile(quint16 number, const QString& inputPath, const QString& outputPath)
{
    Run run;
    const int outChannels = m_mode == MONO ? 1 : 2;

    // The input first: its own rate opens the encoder.
    run.input.setFileName(inputPath);
    if (!run.input.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EFileError(QStringLiteral("Cannot open file %1").arg(inputPath));
    InputLayout layout = parseInput(run.input, m_sampleRate, outChannels);
    qint64 total = 0; // bytes of 16-bit samples to encode
    bool readFloats = false;
    if (layout.direct && !m_sndEncode) {
        total = layout.dataSize;
    } else {
        run.input.close();
        SF_INFO info{};
        if (layout.headerless) { // as raw 16-bit PCM of the same shape
            info.samplerate = int(layout.rate);
            info.channels = layout.channels;
            info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
        }
        run.snd.reset(sf_open(QFile::encodeName(inputPath).constData(), SFM_READ, &info));
        if (!run.snd)
            throw ELameError(QStringLiteral("Cannot read %1: %2")
                                 .arg(inputPath, QString::fromLocal8Bit(sf_strerror(nullptr))));
        if (info.channels < 1 || info.samplerate < 1)
            throw ELameError(QStringLiteral("Cannot read %1: no audio format").arg(inputPath));
        sf_seek(run.snd.get(), 0, SEEK_SET);
        // libsndfile gives float samples to a 16-bit read unscaled (as -1, 0
        // or 1); they are read as float and scaled here instead.
        const int subformat = info.format & SF_FORMAT_SUBMASK;
        readFloats = subformat == SF_FORMAT_FLOAT || subformat == SF_FORMAT_DOUBLE;
        layout.channels = info.channels;
        layout.rate = uint32_t(info.samplerate);
        total = info.frames > 0 ? qint64(info.frames) * info.channels * 2 : 0;
    }
    const int inChannels = layout.channels;
    const qint64 blockBytes = qint64(inChannels) * 2;

    DWORD samples = 0;
    DWORD bufferSize = 0;
    InitStream(run, layout.rate, samples, bufferSize);

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
    run.pcm.resize(size_t(chunkFrames * inChannels));
    if (inChannels == 1 && outChannels == 2) run.widened.resize(size_t(chunkFrames * 2));
    if (readFloats) run.floats.resize(run.pcm.size());
    // bufferSize is the need of one MPEG frame's samples; a chunk needs it
    // for every frame it holds.
    const double frameSamples = std::max<double>(1, samples / DWORD(outChannels));
    const double frameNeed = std::max<double>(0, double(bufferSize) - 7200);
    run.mp3.resize(size_t(frameNeed * double(chunkFrames) / frameSamples) + 7200);

    if (!run.snd && !run.input.seek(layout.dataOffset)) throw ELameError(QStringLiteral("Read Error"));

    qint64 done = 0;
    while (done < total) {
        const qint64 n = std::min(chunkBytes, total - done);
        qint64 frames;
        bool last = false;
        if (run.snd) {
            const sf_count_t wanted = sf_count_t(n / 2);
            sf_count_t got;
            if (readFloats) {
                got = sf_read_float(run.snd.get(), run.floats.data(), wanted);
                for (sf_count_t i = 0; i < got; ++i)
                    run.pcm[size_t(i)] = int16_t(
                        std::lrint(std::clamp(run.floats[size_t(i)] * 32767.0f, -32768.0f, 32767.0f)));
            } else {
                got = sf_read_short(run.snd.get(), run.pcm.data(), wanted);
            }
            frames = got > 0 ? got / inChannels : 0;
            // libsndfile's count may promise more than a damaged file
            // holds: what it gives is encoded, and the file ends there.
            last = got < wanted;
        } else {
            if (run.input.read(reinterpret_cast<char*>(run.pcm.data()), n) != n)
                throw ELameError(QStringLiteral("Read Error"));
            frames = n / blockBytes;
        }

        const short* source = run.pcm.data();
        int16_t* pcm = run.pcm.data();
        if (inChannels != outChannels) {
            if (outChannels == 1) {
                for (qint64 f = 0; f < frames; ++f) {
                    int sum = 0;
                    for (int c = 0; c < inChannels; ++c)
                        sum += pcm[f * inChannels + c];
                    pcm[f] = int16_t(sum / inChannels);
                }
            } else if (inChannels == 1) {
                int16_t* wide = run.widened.data();
                for (qint64 f = 0; f < frames; ++f)
                    wide[2 * f] = wide[2 * f + 1] = pcm[f];
                source = wide;
            } else {
                for (qint64 f = 0; f < frames; ++f) {
                    const int16_t left = pcm[f * inChannels];
                    const int16_t right = pcm[f * inChannels + 1];
                    pcm[2 * f] = left;
                    pcm[2 * f + 1] = right;
                }
            }
        }

        DWORD written = 0;
        const BE_ERR result = beEncodeChunkEx(run.stream, DWORD(frames * outChannels), source, run.mp3.data(),
                                              DWORD(run.mp3.size()), &written);
        if (result != BE_ERR_SUCCESSFUL)
            throw ELameError(QStringLiteral("beEncodeChunk failed %1").arg(result));
        if (written > 0 && run.output.write(reinterpret_cast<const char*>(run.mp3.data()), qint64(written)) !=
                               qint64(written))
            throw ELameError(QStringLiteral("Write Error"));

        done = last ? total : done + n;
        emit OnProgress(quint16(int(double(done) / double(total) * 100)));
        QCoreApplication::processEvents();
        if (m_cancel) return false;
    }

    DWORD written = 0;
    const BE_ERR flushResult = beDeinitStreamEx(run.stream, run.mp3.data(), DWORD(run.mp3.size()), &written);
    if (flushResult != BE_ERR_SUCCESSFUL)
        throw ELameError(QStringLiteral("beDeinitStream failed %1").arg(flushResult));
    if (written > 0 &&
        run.output.write(reinterpret_cast<const char*>(run.mp3.data()), qint64(written)) != qint64(written))
        throw ELameError(QStringLiteral("Write error"));

    if (m_writeVBRHeader) {
        // The Xing/Info frame replaces the placeholder frame at byte 0.
        DWORD length = 0;
        BE_ERR tagResult = beGetInfoTagFrame(run.stream, run.mp3.data(), DWORD(run.mp3.size()), &length);
        if (tagResult == BE_ERR_BUFFER_TOO_SMALL) {
            run.mp3.resize(length);
            tagResult = beGetInfoTagFrame(run.stream, run.mp3.data(), DWORD(run.mp3.size()), &length);
        }
        if (tagResult == BE_ERR_SUCCESSFUL && length > 0) {
            if (!run.output.seek(0) || run.output.write(reinterpret_cast<const char*>(run.mp3.data()),
                                                        qint64(length)) != qint64(length))
                throw ELameError(QStringLiteral("Write error"));
        }
    }
    return true;
}

} // namespace audrel
