// The tags that travel with the music: read from a crafted file of the kind
// its first bytes suggest, then written into a fresh result of every kind the
// program writes and read back from it. The fresh results are made once by
// ffmpeg, without tags. Seeds: the third-party samples, and the files the
// tags' tests make (AUDREL_TAG_SEEDS=DIR build/tests/info/tst_info).

#include "fuzzinput.h"
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
    const QString input = folder().filePath(QStringLiteral("input") + QLatin1String(fuzz::extensionOf(data, size)));
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
