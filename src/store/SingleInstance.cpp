#include "store/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtEndian>

namespace {

// "TVX1", the number of paths, then for each its length and its bytes; all numbers are 32-bit big
// endian. The instance answers with one byte once it has them all.
constexpr char Magic[] = {'T', 'V', 'X', '1'};
constexpr char Ack = '\x06';
// Far above any real use; a message past these is not from a start of this program.
constexpr quint32 MaxPaths = 100000;
constexpr quint32 MaxPathBytes = 64 * 1024;
constexpr qsizetype MaxMessage = 64 * 1024 * 1024;

void appendNumber(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

quint32 numberAt(const QByteArray &in, qsizetype at)
{
    return qFromBigEndian<quint32>(in.constData() + at);
}

enum class Parse { Incomplete, Done, Invalid };

Parse parseMessage(const QByteArray &in, QStringList &paths)
{
    if (in.size() < 8)
        return in.size() >= 4 && !in.startsWith(QByteArrayView(Magic, 4)) ? Parse::Invalid
                                                                          : Parse::Incomplete;
    if (!in.startsWith(QByteArrayView(Magic, 4)) || numberAt(in, 4) > MaxPaths)
        return Parse::Invalid;
    const quint32 count = numberAt(in, 4);
    QStringList out;
    qsizetype at = 8;
    for (quint32 i = 0; i < count; ++i) {
        if (in.size() < at + 4)
            return Parse::Incomplete;
        const quint32 length = numberAt(in, at);
        if (length > MaxPathBytes)
            return Parse::Invalid;
        at += 4;
        if (in.size() < at + qsizetype(length))
            return Parse::Incomplete;
        out << QFile::decodeName(in.mid(at, length));
        at += length;
    }
    if (in.size() != at)
        return Parse::Invalid;
    paths = out;
    return Parse::Done;
}

} // namespace

QString instanceSocketName()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("tavrix-instance"));
}

bool sendToRunningInstance(const QStringList &paths, int timeoutMs, const QString &name)
{
    QByteArray message(Magic, 4);
    appendNumber(message, quint32(paths.size()));
    for (const QString &path : paths) {
        const QByteArray bytes = QFile::encodeName(QFileInfo(path).absoluteFilePath());
        appendNumber(message, quint32(bytes.size()));
        message += bytes;
    }

    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == Ack;
}

InstanceServer::InstanceServer(QString name, QObject *parent)
    : QObject(parent), m_name(std::move(name)), m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer() = default;

QString InstanceServer::fullServerName() const
{
    return m_server->fullServerName();
}

bool InstanceServer::listen()
{
    m_error.clear();
    if (m_server->isListening())
        return true;
    if (m_server->listen(m_name))
        return true;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Someone answering is a live instance; a refused connection means the socket file outlived
        // the instance that made it.
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            m_error = tr("Another Tavrix instance is listening on “%1”.").arg(m_name);
            return false;
        }
        if (QLocalServer::removeServer(m_name) && m_server->listen(m_name))
            return true;
    }
    m_error = tr("The instance channel “%1” cannot be opened: %2").arg(m_name, m_server->errorString());
    return false;
}

void InstanceServer::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        m_pending.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
        read(socket);
    }
}

void InstanceServer::read(QLocalSocket *socket)
{
    auto it = m_pending.find(socket);
    if (it == m_pending.end())
        return;
    *it += socket->readAll();
    QStringList paths;
    const Parse state = it->size() > MaxMessage ? Parse::Invalid : parseMessage(*it, paths);
    if (state == Parse::Incomplete)
        return;
    m_pending.erase(it);
    if (state == Parse::Done) {
        socket->putChar(Ack);
        socket->flush();
    }
    socket->disconnectFromServer();
    if (state == Parse::Done)
        emit pathsReceived(paths);
}
