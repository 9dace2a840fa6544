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
    const int fd =
        ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        return QStringLiteral("Cannot create a file in the destination folder \"%1\": %2")
            .arg(folder, reason(error));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return QStringLiteral("\"%1\" is being written by another conversion.").arg(dest);
    }
    // What a killed run left behind is started afresh.
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || ::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        return QStringLiteral("Cannot create a file in the destination folder \"%1\": %2")
            .arg(folder, reason(error));
    }
    m_fd = fd;
    m_temp = temp;
    return {};
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
