#include "platform/smallfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audrel {

namespace {

SmallFile refuse(SmallFileStatus status, const QString& problem)
{
    SmallFile file;
    file.status = status;
    file.problem = problem;
    return file;
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens a regular file for reading without waiting on a pipe; the descriptor,
// or -1 with the status and the reason for the user.
int openRegular(const QString& path, struct stat& info, SmallFileStatus& status, QString& problem)
{
    int fd;
    do
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        status = error == ENOENT || error == ENOTDIR ? SmallFileStatus::Missing : SmallFileStatus::Failed;
        // Names that are not UTF-8 come through as replacement characters.
        problem = path.contains(QChar::ReplacementCharacter)
                      ? QStringLiteral("Cannot open file \"%1\": its name is not valid UTF-8.").arg(path)
                      : QStringLiteral("Cannot open file \"%1\": %2").arg(path, reason(error));
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        status = SmallFileStatus::NotRegular;
        problem = QStringLiteral("Cannot open file \"%1\": it is not a regular file.").arg(path);
        return -1;
    }
    return fd;
}

} // namespace

int64_t ReadableFileSize(const QString& path, QString& problem)
{
    struct stat info;
    SmallFileStatus status;
    const int fd = openRegular(path, info, status, problem);
    if (fd < 0) return -1;
    ::close(fd);
    return int64_t(info.st_size);
}

SmallFile ReadSmallFile(const QString& path, int64_t maxBytes)
{
    struct stat info;
    SmallFile refused;
    const int fd = openRegular(path, info, refused.status, refused.problem);
    if (fd < 0) return refused;
    if (int64_t(info.st_size) > maxBytes) {
        ::close(fd);
        return refuse(SmallFileStatus::TooLarge,
                      QStringLiteral("Cannot open file \"%1\": it is larger than %2 MB.")
                          .arg(path)
                          .arg(maxBytes / (1024 * 1024)));
    }
    SmallFile file;
    file.bytes.resize(qsizetype(info.st_size));
    qsizetype done = 0;
    // The file may grow while it is read: what lies past the limit is refused too.
    for (;;) {
        if (done == file.bytes.size()) {
            if (done >= maxBytes + 1) break;
            file.bytes.resize(std::min<qsizetype>(done + 64 * 1024, qsizetype(maxBytes) + 1));
        }
        const ssize_t got = ::read(fd, file.bytes.data() + done, size_t(file.bytes.size() - done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return refuse(SmallFileStatus::Failed,
                          QStringLiteral("Cannot read file \"%1\": %2").arg(path, reason(error)));
        }
        if (got == 0) break;
        done += got;
    }
    ::close(fd);
    if (done > maxBytes)
        return refuse(SmallFileStatus::TooLarge,
                      QStringLiteral("Cannot open file \"%1\": it is larger than %2 MB.")
                          .arg(path)
                          .arg(maxBytes / (1024 * 1024)));
    file.bytes.truncate(done);
    file.status = SmallFileStatus::Ok;
    return file;
}

} // namespace audrel
