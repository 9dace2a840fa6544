#include "platform/audio/inputfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audrel::audio {

int openInputFile(const QString& path, AudioError& error)
{
    const QByteArray name = QFile::encodeName(path);
    // Without blocking: opening a pipe for reading waits for a writer.
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errno == ENOENT || errno == ENOTDIR ? AudioError::NoSuchFile
                : errno == EACCES || errno == EPERM ? AudioError::PermissionDenied
                                                    : AudioError::OpenFailed;
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        error = AudioError::OpenFailed;
        return -1;
    }
    error = AudioError::None;
    return fd;
}

} // namespace audrel::audio
