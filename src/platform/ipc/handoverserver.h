#pragma once
// Lets other programs hand files to a running Audrel. A local socket named
// "Audrel", private to the user, takes one request per line: the path of a list
// file to add, or "ForceForeground" to bring the window to the front.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace audrel {

class HandoverServer : public QObject
{
    Q_OBJECT

public:
    explicit HandoverServer(QObject* parent = nullptr);
    ~HandoverServer() override;

    static constexpr const char* kDefaultName = "Audrel";
    static constexpr const char* kForegroundRequest = "ForceForeground";

    // Full path of the socket: in the user's runtime folder, or in a private
    // folder under the temporary folder when there is none.
    static QString socketPath(const QString& name = QLatin1String(kDefaultName));

    // Serves the name when it is free (a socket left by a program that ended is
    // taken over). False when another running instance serves it.
    bool listen(const QString& name = QLatin1String(kDefaultName));
    bool isListening() const;
    QString fullServerName() const;

signals:
    void listFileReceived(const QString& path);
    void foregroundRequested();

private:
    void takeConnection();
    void readLines(QLocalSocket* socket, bool finished);

    QLocalServer* m_server;
};

} // namespace audrel
