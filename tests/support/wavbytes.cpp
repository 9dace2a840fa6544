#include "wavbytes.h"

#include <QRandomGenerator>
#include <QtEndian>

#include <cmath>

namespace audrel::test {

QByteArray le16(uint16_t value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(value, bytes.data());
    return bytes;
}

QByteArray le32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray le64(uint64_t value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian<quint64>(value, bytes.data());
    return bytes;
}

QByteArray be16(uint16_t value)
{
    QByteArray bytes(2, '\0');
    qToBigEndian<quint16>(value, bytes.data());
    return bytes;
}

QByteArray be32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray id3v2Flood(int frames)
{
    QByteArray body;
    for (int i = 0; i < frames; ++i) {
        const QByteArray text = '\0' + QByteArray::number(i) + '\0' + 'v'; // Latin-1, description, value
        body += "TXXX" + be32(quint32(text.size())) + QByteArray(2, '\0') + text;
    }
    const auto size = quint32(body.size());
    QByteArray syncsafe(4, '\0');
    for (int i = 0; i < 4; ++i)
        syncsafe[i] = char((size >> (7 * (3 - i))) & 0x7F);
    return QByteArray("ID3\x03\0\0", 6) + syncsafe + body;
}

} // namespace audrel::test

namespace audrel::test::wav {

QByteArray chunk(const char* id, const QByteArray& body, quint32 statedSize)
{
    QByteArray bytes = QByteArray(id, 4) + le32(statedSize ? statedSize : quint32(body.size())) + body;
    if (body.size() & 1) bytes.append('\0');
    return bytes;
}

QByteArray fmtPcm(int channels, int rate, int bits, int tag)
{
    const int align = channels * bits / 8;
    return chunk("fmt ",
                 le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits));
}

QByteArray fmtExtensible(int channels, int rate, int bits, int validBits)
{
    const int align = channels * bits / 8;
    const QByteArray guidTail = QByteArray::fromHex("000000001000800000aa00389b71");
    return chunk("fmt ", le16(0xFFFE) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) +
                             le16(bits) + le16(22) + le16(validBits) + le32(channels == 1 ? 4 : 3) + le16(1) +
                             guidTail);
}

QByteArray riff(const QByteArray& chunks, int sizeAdjust)
{
    return "RIFF" + le32(quint32(4 + chunks.size() + sizeAdjust)) + "WAVE" + chunks;
}

QByteArray rifx16(int channels, int rate, const QByteArray& samples)
{
    const int align = channels * 2;
    const QByteArray fmt = "fmt " + be32(16) + be16(1) + be16(quint16(channels)) + be32(quint32(rate)) +
                           be32(quint32(rate * align)) + be16(quint16(align)) + be16(16);
    const QByteArray data = "data" + be32(quint32(samples.size())) + samples;
    return "RIFX" + be32(quint32(4 + fmt.size() + data.size())) + "WAVE" + fmt + data;
}

QByteArray sine16(int frames, int channels, int rate, double frequency, double amplitude)
{
    QByteArray bytes(frames * channels * 2, '\0');
    auto* samples = reinterpret_cast<int16_t*>(bytes.data());
    for (int f = 0; f < frames; ++f) {
        const auto value =
            int16_t(std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequency * f / rate)));
        for (int c = 0; c < channels; ++c)
            samples[f * channels + c] = qToLittleEndian(value);
    }
    return bytes;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

} // namespace audrel::test::wav

namespace audrel::test::asf {

namespace {

// The identifiers of the objects, as they lie in the file.
const QByteArray kHeader = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
const QByteArray kFileProperties = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
const QByteArray kContentEncryption = QByteArray::fromHex("fbb3112223bdd211b4b700a0c955fc6e");

// The header object's size field is at 16, its object count at 24, its first object at 30.
constexpr int kFirstObject = 30;

} // namespace

QByteArray withPlayDuration(QByteArray file, uint64_t duration)
{
    if (!file.startsWith(kHeader)) return {};
    const qsizetype at = file.indexOf(kFileProperties, kFirstObject);
    // Identifier, size, file id, file size, creation date, packet count: then the play duration.
    if (at < 0 || at + 72 > file.size()) return {};
    qToLittleEndian<quint64>(duration, file.data() + at + 64);
    return file;
}

QByteArray withContentEncryption(QByteArray file)
{
    if (!file.startsWith(kHeader) || file.size() < kFirstObject) return {};
    const auto field = [](const QByteArray& text) { return le32(uint32_t(text.size() + 1)) + text + '\0'; };
    const QByteArray body = le32(4) + QByteArray("\x01\x02\x03\x04", 4) + field("DRM") + field("key") +
                            field("http://licenses.invalid/");
    const QByteArray object = kContentEncryption + le64(uint64_t(24 + body.size())) + body;
    file.insert(kFirstObject, object);
    qToLittleEndian<quint64>(qFromLittleEndian<quint64>(file.constData() + 16) + object.size(), file.data() + 16);
    qToLittleEndian<quint32>(qFromLittleEndian<quint32>(file.constData() + 24) + 1, file.data() + 24);
    return file;
}

} // namespace audrel::test::asf

namespace audrel::test::id3v2 {

namespace {

QByteArray synchsafe(uint32_t value)
{
    const char bytes[] = {char(value >> 21 & 0x7f), char(value >> 14 & 0x7f), char(value >> 7 & 0x7f),
                          char(value & 0x7f)};
    return QByteArray(bytes, 4);
}

} // namespace

QByteArray userTextFlood(int count)
{
    QByteArray frames;
    for (int i = 0; i < count; ++i) {
        const QByteArray body = '\x03' + QByteArray::number(i) + '\0' + 'v';
        frames += "TXXX" + synchsafe(uint32_t(body.size())) + QByteArray(2, '\0') + body;
    }
    return "ID3" + QByteArray("\x04\x00\x00", 3) + synchsafe(uint32_t(frames.size())) + frames;
}

} // namespace audrel::test::id3v2
