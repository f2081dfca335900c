#include "platform/open_request.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include "platform/runtime_paths.h"

namespace {

std::string SocketPath(const std::string& name)
{
    return RuntimeFolder() + "/" + name + ".open";
}

} // namespace

// What one connection has sent so far.
struct TOpenRequestServer::TRequest {
    QByteArray Name;
    bool Ended = false;     // the NUL byte came
    bool Delivered = false; // handed to OnRequest (or dropped)
};

TOpenRequestServer::TOpenRequestServer(const std::string& name) : FSocketName(SocketPath(name))
{
}

TOpenRequestServer::~TOpenRequestServer()
{
    if (FServer)
        FServer->close();
}

bool TOpenRequestServer::Listen()
{
    const QString path = QString::fromStdString(FSocketName);
    if (QFileInfo::exists(path)) {
        // An engine that still runs keeps its name; a socket file left by
        // one that did not exit cleanly answers nobody and goes.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(200)) {
            probe.abort();
            return false;
        }
        QLocalServer::removeServer(path);
    }
    // The runtime folder is the user's own, so the socket needs no access
    // options (which would also let a second server replace the first).
    FServer = std::make_unique<QLocalServer>();
    if (!FServer->listen(path)) {
        FServer.reset();
        return false;
    }
    connect(FServer.get(), &QLocalServer::newConnection, this, &TOpenRequestServer::AcceptConnection);
    return true;
}

void TOpenRequestServer::AcceptConnection()
{
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        auto request = std::make_shared<TRequest>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, request] { ReadFrom(socket, *request); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, request] {
            ReadFrom(socket, *request);
            Finish(socket, *request);
        });
        ReadFrom(socket, *request);
    }
}

void TOpenRequestServer::ReadFrom(QLocalSocket* socket, TRequest& request)
{
    const QByteArray chunk = socket->readAll();
    if (request.Ended || request.Delivered)
        return;
    const qsizetype end = chunk.indexOf('\0');
    request.Name += end >= 0 ? chunk.left(end) : chunk;
    // The original's buffer held 255 bytes and the terminator; the rest of a
    // longer name never reaches the engine.
    if (static_cast<size_t>(request.Name.size()) > MaxNameBytes)
        request.Name.truncate(static_cast<qsizetype>(MaxNameBytes));
    if (end >= 0) {
        request.Ended = true;
        Finish(socket, request);
    }
}

void TOpenRequestServer::Finish(QLocalSocket* socket, TRequest& request)
{
    if (request.Delivered)
        return;
    request.Delivered = true;
    const std::string name = request.Name.toStdString();
    socket->disconnectFromServer();
    socket->deleteLater();
    if (!name.empty() && OnRequest)
        OnRequest(name);
}

bool TOpenRequestServer::Send(const std::string& name, const std::string& fileName, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(SocketPath(name)));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray bytes(fileName.data(), static_cast<qsizetype>(fileName.size()));
    bytes.append('\0');
    socket.write(bytes);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return written;
}
