#include "platform/filekind.h"

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

QString ToUpperAscii(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return folded;
}

} // namespace audrel
