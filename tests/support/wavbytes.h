#pragma once
// WAV files written byte by byte, for the tests of the readers of WAV files.

#include <QByteArray>

#include <cstdint>

namespace audrel::test::wav {

QByteArray le16(int value);
QByteArray le32(quint32 value);
// A chunk with its pad byte; statedSize, when not 0, is written instead of the body's size.
QByteArray chunk(const char* id, const QByteArray& body, quint32 statedSize = 0);
QByteArray fmtPcm(int channels, int rate, int bits, int tag = 1);
// WAVE_FORMAT_EXTENSIBLE with the PCM subformat.
QByteArray fmtExtensible(int channels, int rate, int bits, int validBits);
QByteArray riff(const QByteArray& chunks);

// Interleaved 16-bit little-endian samples of a sine on every channel.
QByteArray sine16(int frames, int channels, int rate, double frequency, double amplitude);
QByteArray randomBytes(int size);

} // namespace audrel::test::wav
