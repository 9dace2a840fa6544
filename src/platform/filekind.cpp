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
    static const struct
    {
        const char* extension;
        FileKind kind;
    } kinds[] = {
        {".MP3", FileKind::Mpeg},     {".MP2", FileKind::Mpeg},      {".MP1", FileKind::Mpeg},
        {".WAV", FileKind::Wav},      {".WMA", FileKind::Wma},       {".FLAC", FileKind::Flac},
        {".OGG", FileKind::Ogg},      {".OGA", FileKind::Ogg},       {".OPUS", FileKind::Opus},
        {".M4A", FileKind::Mp4},      {".M4B", FileKind::Mp4},       {".MP4", FileKind::Mp4},
        {".AAC", FileKind::Aac},      {".AIF", FileKind::Aiff},      {".AIFF", FileKind::Aiff},
        {".AIFC", FileKind::Aiff},    {".APE", FileKind::Ape},       {".WV", FileKind::WavPack},
        {".MKA", FileKind::Matroska}, {".WEBM", FileKind::Matroska}, {".CAF", FileKind::Caf},
        {".AC3", FileKind::Ac3},      {".MPC", FileKind::Musepack},  {".TTA", FileKind::TrueAudio},
        {".AU", FileKind::Au},        {".M3U", FileKind::M3u},       {".PLS", FileKind::Pls},
    };
    const QString ext = ExtensionOf(path);
    for (const auto& entry : kinds)
        if (ext == QLatin1String(entry.extension)) return entry.kind;
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
