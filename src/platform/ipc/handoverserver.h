#pragma once
// Lets other programs hand files to a running Audrel. A local socket named
// "Audrel", private to the user, takes one request per line: the full path of
// a list file to add, or "ForceForeground" to bring the window to the front.
// Other lines are ignored (and said on standard error).

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
    // folder under the temporary folder when there is none. Empty, with the
    // reason in problem, when that private folder is not safe to use.
    static QString socketPath(const QString& name = QLatin1String(kDefaultName), QString* problem = nullptr);

    // Serves the name when it is free (a socket left by a program that ended is
    // taken over). False when another running instance serves it, or when the
    // socket's folder is not safe (said on standard error).
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
