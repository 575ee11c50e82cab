#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One application instance per user. A second start hands its files to the running instance through
// a local socket and ends; when nothing answers it starts as usual and becomes the instance itself:
//
//     if (sendToRunningInstance(paths, 2000)) return 0;
//     InstanceServer server;
//     server.listen();   // false leaves the application working, only without this channel
//     connect(&server, &InstanceServer::pathsReceived, ...);
//
// Paths travel as the bytes QFile::encodeName gives, each with its length, so any name survives.

// The socket of the current user: "tavrix-instance" in the per-user runtime folder, which only that
// user can enter.
QString instanceSocketName();

// Hands `paths`, made absolute against this process's working folder, to the instance listening on
// `name`. True once that instance has confirmed it received them; false when none answers within
// `timeoutMs` (the caller then starts normally). Blocks: call it before the event loop starts.
bool sendToRunningInstance(const QStringList &paths, int timeoutMs,
                           const QString &name = instanceSocketName());

class InstanceServer : public QObject
{
    Q_OBJECT
public:
    explicit InstanceServer(QString name = instanceSocketName(), QObject *parent = nullptr);
    ~InstanceServer() override;

    // Starts listening. A socket file left by an instance that crashed is removed and taken over; a
    // live instance's socket never is (false, with error()). Never blocks for long: a live instance
    // answers at once, a stale socket refuses at once.
    bool listen();
    QString error() const { return m_error; }
    QString fullServerName() const;

signals:
    // Absolute paths from another start, in its order; may be empty (a start without files).
    void pathsReceived(const QStringList &paths);

private:
    void accept();
    void read(QLocalSocket *socket);

    QString m_name;
    QString m_error;
    QLocalServer *m_server;
    QHash<QLocalSocket *, QByteArray> m_pending;
};
