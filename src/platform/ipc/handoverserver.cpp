#include "platform/ipc/handoverserver.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace audrel {

namespace {

// Requests longer than this are not paths; the connection is dropped.
constexpr qsizetype kMaxLine = 64 * 1024;

} // namespace

HandoverServer::HandoverServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandoverServer::takeConnection);
}

HandoverServer::~HandoverServer() = default;

QString HandoverServer::socketPath(const QString& name, QString* problem)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + QLatin1Char('/') + name;

    // A folder of our own in the shared temporary folder. Anyone can create a
    // name there first, so it is made without following links and then only
    // used when it is a real folder of this user that nobody else may enter.
    const QString folder = QDir::tempPath() + QStringLiteral("/audrel-%1").arg(getuid());
    const QByteArray encoded = QFile::encodeName(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        if (problem)
            *problem = QStringLiteral("cannot create %1: %2")
                           .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    struct stat info;
    if (::lstat(encoded.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 07777) != 0700) {
        if (problem)
            *problem =
                QStringLiteral("%1 is not a folder of this user that only this user may use").arg(folder);
        return {};
    }
    return folder + QLatin1Char('/') + name;
}

bool HandoverServer::listen(const QString& name)
{
    QString problem;
    const QString path = socketPath(name, &problem);
    if (path.isEmpty()) {
        std::fprintf(stderr, "audrel: not serving the hand-over socket: %s\n", qPrintable(problem));
        return false;
    }
    // Someone answering there is another instance: carry on without a server.
    // Nobody answering means a socket left by a program that ended.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500)) {
        probe.disconnectFromServer();
        return false;
    }
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

bool HandoverServer::isListening() const
{
    return m_server->isListening();
}

QString HandoverServer::fullServerName() const
{
    return m_server->fullServerName();
}

void HandoverServer::takeConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readLines(socket, false); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readLines(socket, true);
            socket->deleteLater();
        });
        readLines(socket, false);
    }
}

void HandoverServer::readLines(QLocalSocket* socket, bool finished)
{
    auto handle = [this](QByteArray line) {
        if (line.endsWith('\r')) line.chop(1);
        const QString request = QString::fromUtf8(line);
        if (request == QLatin1String(kForegroundRequest)) {
            emit foregroundRequested();
        } else if (QDir::isAbsolutePath(request)) {
            emit listFileReceived(request);
        } else if (!request.isEmpty()) {
            // Relative to what? The sender's folder is not known here.
            std::fprintf(stderr, "audrel: hand-over request ignored, not a full path: %s\n",
                         qPrintable(request.left(200)));
        }
    };
    while (socket->canReadLine()) {
        QByteArray line = socket->readLine(kMaxLine);
        if (!line.endsWith('\n')) { // longer than any path
            socket->abort();
            return;
        }
        line.chop(1);
        handle(line);
    }
    if (socket->bytesAvailable() > kMaxLine)
        socket->abort();
    else if (finished && socket->bytesAvailable() > 0)
        handle(socket->readAll()); // a last request without its line end
}

} // namespace audrel
