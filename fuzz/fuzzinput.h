#pragma once
// The readers take paths, so every fuzz input is written to one temporary
// file of the process first.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace audrel::fuzz {

inline QString inputPath(const char* extension)
{
    static QString path = [extension] {
        char pattern[] = "/tmp/audrel-fuzz-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0) std::abort();
        ::close(fd);
        const QString base = QString::fromLocal8Bit(pattern);
        static QByteArray named = (base + QLatin1String(extension)).toLocal8Bit();
        if (::rename(pattern, named.constData()) != 0) std::abort();
        std::atexit([] { ::unlink(named.constData()); });
        return QString::fromLocal8Bit(named);
    }();
    return path;
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
