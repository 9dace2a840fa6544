#include "platform/ipc/handoverserver.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

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

QString HandoverServer::socketPath(const QString& name)
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::tempPath() + QStringLiteral("/audrel-%1").arg(getuid());
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder + QLatin1Char('/') + name;
}

bool HandoverServer::listen(const QString& name)
{
    const QString path = socketPath(name);
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
        if (line.endsWith('\r'))
            line.chop(1);
        const QString request = QString::fromUtf8(line);
        if (request == QLatin1String(kForegroundRequest))
            emit foregroundRequested();
        else if (!request.isEmpty())
            emit listFileReceived(request);
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
