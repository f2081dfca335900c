#pragma once
// File names that other programs hand to a running engine, standing in for
// the copy-data window message: a local socket named after the executable
// in the per-user runtime folder. A client connects, writes the file name
// (ended by a NUL byte or by closing the connection) and goes away. At most
// MaxNameBytes bytes of a name are taken, as the message's buffer held.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLocalSocket;

class TOpenRequestServer : public QObject {
    Q_OBJECT
public:
    static constexpr size_t MaxNameBytes = 255;

    // `name`: the executable's file name without folder.
    explicit TOpenRequestServer(const std::string& name);
    ~TOpenRequestServer() override;

    // Starts listening. False when another running engine holds the name
    // (requests then go to that one) or the socket cannot be made.
    bool Listen();
    const std::string& SocketName() const { return FSocketName; }

    // Called with each name received; the owner clears it before it goes away.
    std::function<void(const std::string& fileName)> OnRequest;

    // Hands a file name to the engine listening under `name`; false when no
    // engine answers within `timeoutMs`.
    static bool Send(const std::string& name, const std::string& fileName, int timeoutMs = 1000);

private:
    struct TRequest;
    void AcceptConnection();
    void ReadFrom(QLocalSocket* socket, TRequest& request);
    void Finish(QLocalSocket* socket, TRequest& request);

    std::string FSocketName;
    std::unique_ptr<QLocalServer> FServer;
};
