#pragma once
// Files written byte by byte, for the tests of the readers: numbers in the
// byte orders of the formats, WAV files, ID3v2 tags, and changes to the header
// of a WMA file.

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

namespace audrel::test::asf {

// A WMA file (in ASF) whose header states another play duration, in units of 100 ns.
QByteArray withPlayDuration(QByteArray file, uint64_t duration);
// A WMA file with a content encryption object in its header, as a file protected by DRM has.
QByteArray withContentEncryption(QByteArray file);

} // namespace audrel::test::asf

namespace audrel::test::id3v2 {

// An ID3v2.4 tag of count user text frames (TXXX, UTF-8), each of its own
// description: a tag that takes libmpg123's own reader a time that grows
// with the square of count.
QByteArray userTextFlood(int count);

} // namespace audrel::test::id3v2
