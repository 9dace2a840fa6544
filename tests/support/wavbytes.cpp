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

QByteArray be32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(value, bytes.data());
    return bytes;
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
