#include "jobs/playlists.h"

#include "platform/errors.h"
#include "platform/ini/inifile.h"
#include "platform/smallfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace audrel {

QString SourceKey(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList ReadTextLines(const QString& path)
{
    const SmallFile file = ReadSmallFile(path, kMaxListFileBytes);
    if (file.status != SmallFileStatus::Ok) throw EFileError(file.problem);
    const QByteArray& bytes = file.bytes;
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines << QString::fromUtf8(bytes.constData() + start, end - start);
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

QStringList ReadM3U(const QString& path)
{
    QStringList entries;
    for (const QString& line : ReadTextLines(path))
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#'))) entries << line;
    return entries;
}

QStringList ReadPLS(const QString& path)
{
    const IniFile ini(path);
    if (!ini.isLoaded())
        throw EFileError(ini.problem().isEmpty() ? QStringLiteral("Cannot open file \"%1\".").arg(path)
                                                 : ini.problem());
    const QString section = QStringLiteral("playlist");
    // Keys beyond the file's own lines cannot exist and would only give "error"
    // entries, which no extension accepts: the count is capped there.
    const int32_t count =
        std::min(ini.readInteger(section, QStringLiteral("NumberOfEntries"), 0), ini.lineCount());
    QStringList entries;
    for (int32_t i = 1; i <= count; ++i)
        entries << ini.readString(section, QStringLiteral("FILE%1").arg(i), QStringLiteral("error"));
    return entries;
}

QString ResolveEntry(const QString& playlistPath, const QString& entry)
{
    if (QDir::isAbsolutePath(entry)) return entry;
    return QDir::cleanPath(QFileInfo(playlistPath).absolutePath() + QLatin1Char('/') + entry);
}

QStringList ReadPlaylist(const QString& path)
{
    QStringList entries = KindOf(path) == FileKind::Pls ? ReadPLS(path) : ReadM3U(path);
    for (QString& entry : entries)
        entry = ResolveEntry(path, entry);
    return entries;
}

QString FormatMegabytes(int64_t bytes)
{
    return QString::asprintf("%4.2f", double(bytes) / 1048576.0) + QStringLiteral("MB");
}

} // namespace audrel
