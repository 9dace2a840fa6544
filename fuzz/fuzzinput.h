#pragma once
// The readers take paths, so every fuzz input is written to one temporary
// file of the process first.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace audrel::fuzz {

// One temporary file per extension, made on first use and removed at exit.
inline QString inputPath(const char* extension)
{
    static QHash<QByteArray, QByteArray> paths;
    QByteArray& named = paths[QByteArray(extension)];
    if (named.isEmpty()) {
        char pattern[] = "/tmp/audrel-fuzz-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0) std::abort();
        ::close(fd);
        named = QByteArray(pattern) + extension;
        if (::rename(pattern, named.constData()) != 0) std::abort();
        static bool registered = false;
        if (!registered) {
            registered = true;
            std::atexit([] {
                for (const QByteArray& each : std::as_const(paths)) ::unlink(each.constData());
            });
        }
    }
    return QString::fromLocal8Bit(named);
}

// The extension of the kind a file's first bytes suggest; a file that
// suggests none is given one of the kinds in turn by its size, so the
// demuxers that trust the name are reached too.
inline const char* extensionOf(const uint8_t* data, size_t size)
{
    static const char* const all[] = {".mp3", ".wav", ".wma", ".flac", ".ogg", ".opus", ".m4a", ".aiff",
                                      ".ape", ".wv",  ".mpc", ".tta",  ".oga", ".aac",  ".ac3", ".caf",
                                      ".mka", ".au",  ".mp2"};
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
    if (at(0, "caff")) return ".caf";
    if (at(0, ".snd")) return ".au";
    if (at(0, "\x1A\x45\xDF\xA3")) return ".mka";
    if (at(0, "\x0B\x77")) return ".ac3";
    return all[size % (sizeof all / sizeof *all)];
}

inline QString writeInput(const char* extension, const uint8_t* data, size_t size)
{
    const QString path = inputPath(extension);
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += size_t(n);
    }
    ::close(fd);
    return path;
}

} // namespace audrel::fuzz
