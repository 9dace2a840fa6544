#pragma once
// Helpers of the reader tests: byte builders for MPEG frames, ID3v1 tags and
// ASF objects, and what ffprobe reports of a file.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "audiotools.h"
#include "wavbytes.h"

#include <cstdint>

namespace audrel::test {

// A frame: the header word followed by zero bytes up to length bytes in all.
QByteArray mpegFrame(uint32_t header, int length);
// A 128-byte ID3v1 tag; comment and the two last bytes are put in as given.
QByteArray id3v1Tag(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                    const QByteArray& year, const QByteArray& comment30, uint8_t track, uint8_t genre);

// An ASF object: identifier as text "75B22630-668E-11CF-A6D9-00AA0062CE6C", size, body.
QByteArray asfObject(const char* guid, const QByteArray& body);
QByteArray asfHeader(const QList<QByteArray>& objects);
QByteArray utf16(const QString& text); // little-endian, with the terminating zero

// ffprobe's streams and format of a file.
QJsonObject probeStream(const QString& path);
// File position and size of the first packets ffprobe reads.
QList<QPair<qint64, int>> probePackets(const QString& path, int count);

} // namespace audrel::test

#define AUDREL_REQUIRE_TOOLS(...)                                                                            \
    for (const char* tool_ : {__VA_ARGS__})                                                                  \
        if (!audrel::test::haveTool(QString::fromLatin1(tool_))) QSKIP("a reference tool is not installed");
