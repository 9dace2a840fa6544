#include "infotestutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>

namespace audrel::test {

QByteArray mpegFrame(uint32_t header, int length)
{
    return be32(header) + QByteArray(length - 4, '\0');
}

QByteArray id3v1Tag(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                    const QByteArray& year, const QByteArray& comment30, uint8_t track, uint8_t genre)
{
    auto area = [](const QByteArray& text, int size) { return text.left(size).leftJustified(size, '\0'); };
    QByteArray tag = "TAG" + area(title, 30) + area(artist, 30) + area(album, 30) + area(year, 4) +
                     area(comment30, 30) + QByteArray(1, char(genre));
    tag[126] = char(track);
    return tag;
}

QByteArray asfObject(const char* guid, const QByteArray& body)
{
    const QByteArray id = QUuid(QString::fromLatin1(guid)).toRfc4122();
    // Stored form: the first three groups little-endian.
    QByteArray stored = id;
    for (auto [from, length] : {std::pair{0, 4}, {4, 2}, {6, 2}})
        std::reverse(stored.begin() + from, stored.begin() + from + length);
    return stored + le64(uint64_t(24 + body.size())) + body;
}

QByteArray asfHeader(const QList<QByteArray>& objects)
{
    QByteArray body = le32(uint32_t(objects.size())) + QByteArray("\x01\x02", 2);
    for (const QByteArray& object : objects)
        body += object;
    return asfObject("75B22630-668E-11CF-A6D9-00AA0062CE6C", body);
}

QByteArray utf16(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text + QChar(0))
        bytes += le16(c.unicode());
    return bytes;
}

QJsonObject probeStream(const QString& path)
{
    bool ok = false;
    const QByteArray json =
        toolOutput(QStringLiteral("ffprobe"),
                   {"-v", "error", "-show_streams", "-show_format", "-of", "json", path}, &ok);
    const QJsonObject all = QJsonDocument::fromJson(json).object();
    QJsonObject result = all.value("streams").toArray().first().toObject();
    result.insert("format_duration", all.value("format").toObject().value("duration"));
    return result;
}

QList<QPair<qint64, int>> probePackets(const QString& path, int count)
{
    bool ok = false;
    const QByteArray json = toolOutput(QStringLiteral("ffprobe"),
                                       {"-v", "error", "-show_packets", "-read_intervals",
                                        QStringLiteral("%+#%1").arg(count), "-of", "json", path},
                                       &ok);
    QList<QPair<qint64, int>> packets;
    for (const QJsonValue packet : QJsonDocument::fromJson(json).object().value("packets").toArray())
        packets.append({packet.toObject().value("pos").toString().toLongLong(),
                        packet.toObject().value("size").toString().toInt()});
    return packets;
}

} // namespace audrel::test
