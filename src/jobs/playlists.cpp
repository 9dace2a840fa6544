#include "jobs/playlists.h"

#include "platform/errors.h"
#include "platform/ini/inifile.h"
#include "platform/smallfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace audrel {

QString ExtensionOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash) return {};
    return ToUpperAscii(path.mid(dot));
}

FileKind KindOf(const QString& path)
{
    const QString ext = ExtensionOf(path);
    if (ext == QLatin1String(".MP3") || ext == QLatin1String(".MP2") || ext == QLatin1String(".MP1"))
        return FileKind::Mpeg;
    if (ext == QLatin1String(".WAV")) return FileKind::Wav;
    if (ext == QLatin1String(".WMA")) return FileKind::Wma;
    if (ext == QLatin1String(".M3U")) return FileKind::M3u;
    if (ext == QLatin1String(".PLS")) return FileKind::Pls;
    return FileKind::Other;
}

QString SourceKey(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString ToUpperAscii(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return folded;
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
