#pragma once
// Files written byte by byte, for the tests of the readers: numbers in the
// byte orders of the formats, and WAV files.

#include <QByteArray>

#include <cstdint>

namespace audrel::test {

QByteArray le16(uint16_t value);
QByteArray le32(uint32_t value);
QByteArray le64(uint64_t value);
QByteArray be16(uint16_t value);
QByteArray be32(uint32_t value);

// An ID3v2.3 tag of frames TXXX frames, each with a description of its own:
// a tag whose parsing costs a naive reader time that grows with its square.
QByteArray id3v2Flood(int frames);

} // namespace audrel::test

namespace audrel::test::wav {

// A chunk with its pad byte; statedSize, when not 0, is written instead of the body's size.
QByteArray chunk(const char* id, const QByteArray& body, quint32 statedSize = 0);
QByteArray fmtPcm(int channels, int rate, int bits, int tag = 1);
// WAVE_FORMAT_EXTENSIBLE with the PCM subformat.
QByteArray fmtExtensible(int channels, int rate, int bits, int validBits);
// The RIFF header, its size that of the chunks plus sizeAdjust.
QByteArray riff(const QByteArray& chunks, int sizeAdjust = 0);
// A big-endian (RIFX) WAVE of 16-bit PCM holding samples, which are written as given.
QByteArray rifx16(int channels, int rate, const QByteArray& samples);

// Interleaved 16-bit little-endian samples of a sine on every channel.
QByteArray sine16(int frames, int channels, int rate, double frequency, double amplitude);
QByteArray randomBytes(int size);

} // namespace audrel::test::wav
