#include "convert/destinationfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audrel {

namespace {

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool sameFile(const QByteArray& a, const QByteArray& b)
{
    struct stat first, second;
    return stat(a.constData(), &first) == 0 && stat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Whether the name still names the file open as fd: a file that another run
// removed between the open and the lock is not ours to use.
bool stillNamed(int fd, const QByteArray& name)
{
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::lstat(name.constData(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

enum class TempProblem
{
    None,
    Open,   // errno says why
    Locked, // another conversion writes it
    Foreign // not a regular file of one link
};

// Opens the temporary file under name (creating it when flags say so) and
// takes its lock. Never blocks: a pipe planted under the name is refused, as
// is anything but a regular file of one link, so a hard link to someone's
// file is never truncated. Returns the descriptor, or -1 and why in problem.
int openLocked(const QByteArray& name, int flags, TempProblem& problem)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(name.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) {
            problem = errno == ENXIO ? TempProblem::Foreign : TempProblem::Open;
            return -1;
        }
        struct stat status;
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
            ::close(fd);
            problem = TempProblem::Foreign;
            return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            problem = TempProblem::Locked;
            return -1;
        }
        if (stillNamed(fd, name)) {
            problem = TempProblem::None;
            return fd;
        }
        ::close(fd); // removed under us: once more with what the name holds now
    }
    errno = EAGAIN;
    problem = TempProblem::Open;
    return -1;
}

} // namespace

DestinationFile::~DestinationFile()
{
    release();
}

QString DestinationFile::TempPathFor(const QString& dest)
{
    const QFileInfo info(dest);
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(info.fileName()), QCryptographicHash::Sha1);
    return info.path() + QStringLiteral("/.audrel-") + QString::fromLatin1(hash.toHex().left(16)) +
           QStringLiteral(".part");
}

QString DestinationFile::prepare(const QString& source, const QString& dest)
{
    release();
    m_dest = dest;
    m_temp.clear();
    const QByteArray destName = QFile::encodeName(dest);
    if (sameFile(QFile::encodeName(source), destName))
        return QStringLiteral("Cannot convert \"%1\" into \"%2\": they are the same file.").arg(source, dest);
    const QFileInfo info(dest);
    if (info.isDir()) return QStringLiteral("The destination \"%1\" is a folder.").arg(dest);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        const int error = errno;
        return QStringLiteral("Cannot create the destination folder \"%1\": %2").arg(folder, reason(error));
    }

    const QString temp = TempPathFor(dest);
    TempProblem problem = TempProblem::None;
    const int fd = openLocked(QFile::encodeName(temp), O_WRONLY | O_CREAT, problem);
    switch (problem) {
    case TempProblem::None:
        break;
    case TempProblem::Open: {
        const int error = errno;
        return QStringLiteral("Cannot create a file in the destination folder \"%1\": %2")
            .arg(folder, reason(error));
    }
    case TempProblem::Locked:
        return QStringLiteral("\"%1\" is being written by another conversion.").arg(dest);
    case TempProblem::Foreign:
        return QStringLiteral("Cannot write \"%1\": its temporary name \"%2\" is taken by a link to another "
                              "file or by something that is not a plain file, which is left alone.")
            .arg(dest, temp);
    }
    // What a killed run left behind is started afresh.
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return QStringLiteral("Cannot create a file in the destination folder \"%1\": %2")
            .arg(folder, reason(error));
    }
    m_fd = fd;
    m_temp = temp;
    return {};
}

bool DestinationFile::RemoveStale(const QString& dest)
{
    const QByteArray temp = QFile::encodeName(TempPathFor(dest));
    TempProblem problem = TempProblem::None;
    const int fd = openLocked(temp, O_RDONLY, problem);
    if (fd < 0) return false;
    const bool removed = ::unlink(temp.constData()) == 0; // while the lock is held
    ::close(fd);
    return removed;
}

QString DestinationFile::commit()
{
    if (m_temp.isEmpty()) return QStringLiteral("Cannot write \"%1\": nothing was written.").arg(m_dest);
    if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_dest).constData()) != 0) {
        const int error = errno;
        discard();
        return QStringLiteral("Cannot write \"%1\": %2").arg(m_dest, reason(error));
    }
    m_temp.clear();
    release();
    return {};
}

void DestinationFile::discard()
{
    if (!m_temp.isEmpty()) ::unlink(QFile::encodeName(m_temp).constData());
    m_temp.clear();
    release();
}

void DestinationFile::release()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

} // namespace audrel
