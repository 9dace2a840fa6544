// The tags that travel with the music: read from a crafted file of the kind
// its first bytes suggest, then written into a fresh result of every kind the
// program writes and read back from it. The fresh results are made once by
// ffmpeg, without tags. Seeds: the third-party samples, and the files the
// tags' tests make (AUDREL_TAG_SEEDS=DIR build/tests/info/tst_info).

#include "info/audiotags.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Result
{
    const char* name;
    QStringList encoder; // ffmpeg's options for the audio
    QByteArray bytes;
};

QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/audrel-fuzz-tags-XXXXXX"));
    return dir;
}

QList<Result>& results()
{
    static QList<Result> made = [] {
        QList<Result> kinds{
            {"result.mp3", {"-c:a", "libmp3lame", "-id3v2_version", "0", "-write_xing", "0"}, {}},
            {"result.wav", {"-c:a", "pcm_s16le"}, {}},
            {"result.wma", {"-c:a", "wmav2"}, {}},
            {"result.flac", {"-c:a", "flac"}, {}},
            {"result.ogg", {"-c:a", "libvorbis"}, {}},
            {"result.opus", {"-c:a", "libopus"}, {}},
            {"aac.m4a", {"-c:a", "aac"}, {}},
            {"alac.m4a", {"-c:a", "alac"}, {}},
        };
        for (Result& kind : kinds) {
            const QString path = folder().filePath(QLatin1String(kind.name));
            QProcess ffmpeg;
            ffmpeg.start(QStringLiteral("ffmpeg"),
                         QStringList{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=d=0.2:r=44100",
                                     "-map_metadata", "-1", "-fflags", "+bitexact"} +
                             kind.encoder + QStringList{path});
            if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) std::abort();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) std::abort();
            kind.bytes = file.readAll();
        }
        return kinds;
    }();
    return made;
}

// The kind a file's first bytes suggest; a file that suggests none is taken
// for each kind in turn by its size.
const char* extensionOf(const uint8_t* data, size_t size)
{
    static const char* const all[] = {".mp3",  ".wav", ".wma", ".flac", ".ogg", ".opus", ".m4a",
                                      ".aiff", ".ape", ".wv",  ".mpc",  ".tta", ".oga"};
    const auto at = [&](size_t offset, const char* magic) {
        const size_t length = std::strlen(magic);
        return size >= offset + length && std::memcmp(data + offset, magic, length) == 0;
    };
    if (at(0, "ID3") || (size >= 2 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0)) return ".mp3";
    if (at(0, "RIFF") && at(8, "WAVE")) return ".wav";
    if (at(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11")) return ".wma";
    if (at(0, "fLaC")) return ".flac";
    if (at(0, "OggS")) return at(28, "OpusHead") ? ".opus" : at(29, "FLAC") ? ".oga" : ".ogg";
    if (at(4, "ftyp")) return ".m4a";
    if (at(0, "FORM")) return ".aiff";
    if (at(0, "MAC ")) return ".ape";
    if (at(0, "wvpk")) return ".wv";
    if (at(0, "MPCK") || at(0, "MP+")) return ".mpc";
    if (at(0, "TTA1")) return ".tta";
    return all[size % (sizeof all / sizeof *all)];
}

void writeBytes(const QString& path, const char* data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(data, qint64(size)) != qint64(size))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel;
    QList<Result>& kinds = results();
    const QString input = folder().filePath(QStringLiteral("input") + QLatin1String(extensionOf(data, size)));
    writeBytes(input, reinterpret_cast<const char*>(data), size);
    const AudioTags tags = ReadTags(input);
    (void)ReadId3v2(input);
    QFile::remove(input);
    if (tags.isEmpty()) return 0;
    for (const Result& kind : kinds) {
        const QString output = folder().filePath(QLatin1String(kind.name));
        writeBytes(output, kind.bytes.constData(), size_t(kind.bytes.size()));
        (void)WriteTags(output, tags, ContainerOf(output));
        (void)ReadTags(output);
    }
    return 0;
}
