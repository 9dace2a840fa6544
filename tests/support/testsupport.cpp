#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

namespace audrel::test {

struct FileSizeLimit::Saved
{
    rlimit limit{};
    void (*handler)(int) = nullptr;
};

FileSizeLimit::FileSizeLimit(qint64 bytes) : m_saved(new Saved)
{
    // The write fails instead of the signal ending the process.
    m_saved->handler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_saved->limit);
    rlimit lowered = m_saved->limit;
    lowered.rlim_cur = rlim_t(bytes);
    if (setrlimit(RLIMIT_FSIZE, &lowered) != 0)
        QTest::qFail("cannot limit the size of files", __FILE__, __LINE__);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_saved->limit);
    std::signal(SIGXFSZ, m_saved->handler);
    delete m_saved;
}

QString testDataDir()
{
    const QString dir =
        QString::fromUtf8(qEnvironmentVariable("AUDREL_TESTDATA", QStringLiteral(AUDREL_TESTDATA)).toUtf8());
    return QDir(dir).exists(QStringLiteral("README.txt")) ? dir : QString();
}

QString buildDir()
{
    return QStringLiteral(AUDREL_BUILD_DIR "/");
}

void keepAsSeed(const QString& path, const char* variable)
{
    if (const QString seeds = qEnvironmentVariable(variable); !seeds.isEmpty())
        QFile::copy(path, seeds + '/' + QFileInfo(path).fileName());
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isOpenHere(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (!target.isEmpty() && fd.symLinkTarget() == target) return true;
    return false;
}

WriteWatch::WriteWatch(const QString& path) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_fd < 0 || inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_MODIFY | IN_CLOSE_WRITE) < 0)
        QTest::qFail(qPrintable(QStringLiteral("cannot watch ") + path), __FILE__, __LINE__);
}

WriteWatch::~WriteWatch()
{
    if (m_fd >= 0) ::close(m_fd);
}

bool WriteWatch::sawWrite() const
{
    alignas(inotify_event) char events[4096];
    return m_fd >= 0 && ::read(m_fd, events, sizeof events) > 0;
}

RecordingShell::RecordingShell() : m_previous(Shell::install(this)) {}

RecordingShell::~RecordingShell()
{
    Shell::install(m_previous);
}

bool RecordingShell::open(const QString& target)
{
    opened.append(target);
    return true;
}

bool RecordingShell::playSound(const QString& path)
{
    played.append(path);
    return true;
}

} // namespace audrel::test
