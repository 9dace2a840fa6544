// The audio engine's WAV decoder against libsndfile's own reading of the same
// files, direct path and libsndfile path alike, and on files that are damaged
// or no WAV files at all.

#include "tst_wavdecoder.h"

#include "platform/audio/wavdecoder.h"
#include "testsupport.h"
#include "wavbytes.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

using namespace audrel::audio;
using namespace audrel::test;
using namespace audrel::test::wav;

namespace {

using Samples = std::vector<int16_t>;

// What libsndfile reads from a file, from a frame to the end: 16-bit
// samples, or float samples scaled to 16 bits by 32767, rounded and clamped.
// No channels when it refuses the file or the frame.
struct Reference
{
    int rate = 0;
    int channels = 0;
    Samples samples;
};

Reference libsndfileRead(const QString& path, SF_INFO info = {}, sf_count_t from = 0)
{
    Reference reference;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) return reference;
    if (info.channels > 0 && info.samplerate > 0 && (from == 0 || sf_seek(file, from, SEEK_SET) == from)) {
        reference.rate = info.samplerate;
        reference.channels = info.channels;
        const int subformat = info.format & SF_FORMAT_SUBMASK;
        const bool floats = subformat == SF_FORMAT_FLOAT || subformat == SF_FORMAT_DOUBLE;
        const sf_count_t count = 999 * info.channels;
        std::vector<short> shorts(static_cast<size_t>(count));
        std::vector<float> values(static_cast<size_t>(count));
        for (;;) {
            const sf_count_t got = floats ? sf_read_float(file, values.data(), count)
                                          : sf_read_short(file, shorts.data(), count);
            if (got <= 0) break;
            for (sf_count_t i = 0; i < got; ++i)
                reference.samples.push_back(
                    floats
                        ? int16_t(std::lrint(std::clamp(values[size_t(i)] * 32767.0f, -32768.0f, 32767.0f)))
                        : shorts[size_t(i)]);
        }
    }
    sf_close(file);
    return reference;
}

Samples fromLittleEndian(const QByteArray& bytes)
{
    Samples samples(size_t(bytes.size() / 2));
    qFromLittleEndian<int16_t>(bytes.constData(), qsizetype(samples.size()), samples.data());
    return samples;
}

// Reads the stream from where it is to its end. Every block but the last is
// blockFrames() long and the position follows the blocks; blocksInOrder
// says whether they did.
Samples readToEnd(WavDecoder& decoder, bool& blocksInOrder)
{
    Samples samples;
    blocksInOrder = true;
    bool ended = false;
    for (;;) {
        const int16_t* block = nullptr;
        int64_t frames = 0;
        const int64_t before = decoder.positionFrames();
        if (decoder.nextBlock(block, frames) != AudioError::None) {
            blocksInOrder = false;
            break;
        }
        if (frames == 0) break;
        if (ended || frames > decoder.blockFrames() || decoder.positionFrames() != before + frames)
            blocksInOrder = false;
        ended = frames < decoder.blockFrames();
        samples.insert(samples.end(), block, block + frames * decoder.format().channels);
    }
    return samples;
}

} // namespace

void TestWavDecoder::samplesAsLibsndfileReadsThem()
{
    const QString data = testDataDir();
    if (data.isEmpty()) QSKIP("the third-party samples are not beside the clone");
    const QDir dir(data + "/wav");
    const QStringList names = dir.entryList({"*.wav"}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    int direct = 0, throughLibsndfile = 0;
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        const QByteArray bytes = readFile(path);
        const Reference reference = libsndfileRead(path);
        WavDecoder decoder;
        decoder.setBlockFrames(1000);
        const AudioError opened = decoder.open(path);
        if (opened != AudioError::None) {
            // Only what libsndfile cannot read either is refused, with its reason.
            QVERIFY2(reference.channels == 0, qPrintable(name));
            QCOMPARE(opened, AudioError::NotWavAudio);
            QVERIFY2(!decoder.errorString().isEmpty() && !decoder.isOpen(), qPrintable(name));
            continue;
        }
        (decoder.isDirect() ? direct : throughLibsndfile)++;
        QCOMPARE(decoder.format(), (AudioFormat{reference.rate, reference.channels}));
        QVERIFY2(decoder.bitrate() > 0, qPrintable(name));
        bool blocksInOrder = false;
        const Samples samples = readToEnd(decoder, blocksInOrder);
        QVERIFY2(blocksInOrder, qPrintable(name));
        QVERIFY2(samples == reference.samples, qPrintable(name));
        // At the end the length is what was delivered.
        const int64_t frames = int64_t(samples.size()) / reference.channels;
        QCOMPARE(decoder.positionFrames(), frames);
        QCOMPARE(decoder.lengthFrames(), frames);

        // From a third of the way, after opening anew: what libsndfile reads
        // from there (libsndfile cannot move in every layout), and read
        // directly, the samples of the whole stream from there.
        const int64_t third = frames / 3;
        const Reference fromThird = libsndfileRead(path, {}, third);
        QCOMPARE(decoder.open(path), AudioError::None);
        QCOMPARE(decoder.seekFrame(third), fromThird.channels > 0);
        if (fromThird.channels > 0) {
            QCOMPARE(decoder.positionFrames(), third);
            const Samples rest = readToEnd(decoder, blocksInOrder);
            QVERIFY2(blocksInOrder, qPrintable(name));
            QVERIFY2(rest == fromThird.samples, qPrintable(name));
            if (decoder.isDirect())
                QVERIFY2(std::equal(rest.begin(), rest.end(), samples.begin() + third * reference.channels,
                                    samples.end()),
                         qPrintable(name));
        }
        QVERIFY(!decoder.seekFrame(frames + 1));
        decoder.close();
        QVERIFY(!decoder.isOpen());
        QVERIFY(readFile(path) == bytes);
    }
    QVERIFY(direct >= 3);
    QVERIFY(throughLibsndfile >= 10);
}

void TestWavDecoder::layoutsAndTheirPaths()
{
    // Random samples, so that every byte out of place shows.
    const int rate = 22050;
    const QByteArray stereo = randomBytes(4 * 3001);
    const QByteArray mono = randomBytes(2 * 2999);
    const QByteArray list = chunk("LIST", "INFOICMT" + le32(301) + randomBytes(301));
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool direct;
        QByteArray samples; // the bytes of the stream; empty: as libsndfile reads it
        qint64 lengthBytes; // what the stream's bytes are counted as at open
    };
    QByteArray streaming = riff(fmtPcm(2, rate, 16) + chunk("data", stereo, 0xFFFFFFFF));
    qToLittleEndian<quint32>(0xFFFFFFFF, streaming.data() + 4);
    const std::vector<Case> cases{
        {"16-bit stereo among other chunks",
         riff(list + fmtPcm(2, rate, 16) + list + chunk("data", stereo) + list), true, stereo, stereo.size()},
        {"extensible 16-bit mono", riff(fmtExtensible(1, rate, 16, 16) + chunk("data", mono)), true, mono,
         mono.size()},
        // Past the end of the file the data ends at the end, half a frame included.
        {"data size past the end",
         riff(fmtPcm(2, rate, 16) + "data" + le32(3 * stereo.size()) + stereo + "x"), true, stereo,
         stereo.size() + 1},
        {"streaming sizes", streaming, true, stereo, stereo.size()},
        {"extensible with 12 valid bits",
         riff(fmtExtensible(2, rate, 16, 12) + chunk("data", stereo)),
         false,
         {},
         stereo.size()},
        {"8-bit", riff(fmtPcm(1, rate, 8) + chunk("data", mono)), false, {}, 2 * mono.size()},
        {"24-bit", riff(fmtPcm(2, rate, 24) + chunk("data", stereo.left(6 * 2000))), false, {}, 4 * 2000},
        {"three channels",
         riff(fmtPcm(3, rate, 16) + chunk("data", stereo.left(6 * 2000))),
         false,
         {},
         6 * 2000},
    };
    for (const Case& c : cases) {
        const QString path = m_dir.filePath("layout.wav");
        writeFile(path, c.bytes);
        const Reference reference = libsndfileRead(path);
        for (const bool force : {false, true}) {
            const QString name = QStringLiteral("%1%2").arg(c.name, force ? " through libsndfile" : "");
            WavDecoder decoder;
            decoder.setBlockFrames(700);
            WavOpenOptions options;
            options.forceLibsndfile = force;
            QCOMPARE(decoder.open(path, options), AudioError::None);
            QVERIFY2(decoder.isDirect() == (c.direct && !force), qPrintable(name));
            QCOMPARE(decoder.format(), (AudioFormat{rate, reference.channels}));
            // The direct path counts the data chunk's bytes, libsndfile whole frames.
            QCOMPARE(decoder.lengthBytes(), decoder.isDirect() ? c.lengthBytes
                                                               : c.lengthBytes / (2 * reference.channels) *
                                                                     (2 * reference.channels));
            if (decoder.isDirect()) QCOMPARE(decoder.bitrate(), rate * reference.channels * 16);
            bool blocksInOrder = false;
            const Samples samples = readToEnd(decoder, blocksInOrder);
            QVERIFY2(blocksInOrder, qPrintable(name));
            QVERIFY2(samples == reference.samples, qPrintable(name));
            if (!c.samples.isEmpty()) QVERIFY2(samples == fromLittleEndian(c.samples), qPrintable(name));
        }
    }

    // Float samples are scaled to 16 bits, rounded and clamped.
    QByteArray floats;
    for (const float value : {0.5f, -0.5f, 1.5f, -1.5f, 1.0f, -1.0f, 0.4f / 32767, 0.6f / 32767})
        floats += le32(std::bit_cast<quint32>(value));
    const QString path = m_dir.filePath("float.wav");
    writeFile(path, riff(chunk("fmt ", le16(3) + le16(2) + le32(rate) + le32(rate * 8) + le16(8) + le16(32)) +
                         chunk("data", floats)));
    WavDecoder decoder;
    QCOMPARE(decoder.open(path), AudioError::None);
    QCOMPARE(decoder.lengthFrames(), 4);
    bool blocksInOrder = false;
    QCOMPARE(readToEnd(decoder, blocksInOrder), (Samples{16384, -16384, 32767, -32768, 32767, -32767, 0, 1}));
}

void TestWavDecoder::damagedAndForeignFiles()
{
    WavDecoder decoder;
    const int16_t* samples = nullptr;
    int64_t frames = 0;
    QCOMPARE(decoder.nextBlock(samples, frames), AudioError::ReadFailed);
    QCOMPARE(decoder.open(m_dir.filePath("absent.wav")), AudioError::NoSuchFile);
    QCOMPARE(decoder.open(m_dir.path()), AudioError::OpenFailed);
    QVERIFY(!decoder.isOpen());

    const QByteArray data = randomBytes(4 * 1000 + 3);
    const QByteArray whole = riff(fmtPcm(2, 44100, 16) + chunk("data", data));
    // A header cut short is refused with libsndfile's reason.
    const QString cut = m_dir.filePath("cut.wav");
    writeFile(cut, whole.left(30));
    QCOMPARE(decoder.open(cut), AudioError::NotWavAudio);
    QVERIFY(!decoder.errorString().isEmpty());
    QVERIFY(!decoder.isOpen());
    // So is one whose chunk before the data claims 4 GB.
    writeFile(cut, riff(fmtPcm(2, 44100, 16) + chunk("junk", "abcd", 0xFFFFFFF0) + chunk("data", data)));
    QCOMPARE(decoder.open(cut), AudioError::NotWavAudio);

    // No WAVE: refused unless described as headerless PCM, which is then the
    // whole file, read directly or through libsndfile alike.
    for (const QByteArray& foreign :
         {QByteArray("RIFF") + le32(data.size()) + "AVI " + data, whole.left(11)}) {
        const QString path = m_dir.filePath("foreign.pcm");
        writeFile(path, foreign);
        QCOMPARE(decoder.open(path), AudioError::NotWavAudio);
        QVERIFY(!decoder.errorString().isEmpty());
        for (const bool force : {false, true}) {
            WavOpenOptions options;
            options.headerlessRate = 8000;
            options.headerlessChannels = 2;
            options.forceLibsndfile = force;
            QCOMPARE(decoder.open(path, options), AudioError::None);
            QCOMPARE(decoder.isDirect(), !force);
            QCOMPARE(decoder.format(), (AudioFormat{8000, 2}));
            QCOMPARE(decoder.lengthFrames(), foreign.size() / 4);
            bool blocksInOrder = false;
            const Samples read = readToEnd(decoder, blocksInOrder);
            QVERIFY(blocksInOrder);
            QVERIFY(read == fromLittleEndian(foreign.left(foreign.size() / 4 * 4)));
        }
    }

    // A rate no recording has is refused, whichever way the samples would be
    // read; the rates at the ends of the range are taken.
    struct RateCase
    {
        const char* name;
        QByteArray bytes;
        qint64 statedRate;
        bool taken;
    };
    const QByteArray pcm = randomBytes(4 * 100);
    const std::vector<RateCase> rates{
        {"16-bit at 999 Hz", riff(fmtPcm(2, 999, 16) + chunk("data", pcm)), 999, false},
        {"16-bit at 1000 Hz", riff(fmtPcm(2, 1000, 16) + chunk("data", pcm)), 1000, true},
        {"16-bit at 4294967295 Hz", riff(fmtPcm(2, -1, 16) + chunk("data", pcm)), 4294967295, false},
        {"24-bit at 768000 Hz", riff(fmtPcm(1, 768000, 24) + chunk("data", pcm.left(300))), 768000, true},
        {"24-bit at 768001 Hz", riff(fmtPcm(1, 768001, 24) + chunk("data", pcm.left(300))), 768001, false},
        {"RIFX at 1 Hz", rifx16(2, 1, pcm), 1, false},
        {"headerless at 1 Hz", pcm, 1, false},
    };
    for (const RateCase& c : rates) {
        const QString path = m_dir.filePath("rate.wav");
        writeFile(path, c.bytes);
        WavOpenOptions options;
        options.headerlessRate = 1;
        options.headerlessChannels = 2;
        const AudioError error = decoder.open(path, options);
        QVERIFY2((error == AudioError::None) == c.taken, c.name);
        QCOMPARE(decoder.rateRefused(), !c.taken);
        QCOMPARE(decoder.isOpen(), c.taken);
        if (c.taken) {
            QCOMPARE(decoder.format().sampleRate, int(c.statedRate));
            continue;
        }
        QCOMPARE(error, AudioError::NotWavAudio);
        QCOMPARE(
            decoder.errorString(),
            QStringLiteral("its sample rate of %1 Hz is not between 1000 and 768000 Hz").arg(c.statedRate));
    }
}
