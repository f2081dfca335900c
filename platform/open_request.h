#pragma once
// File names that other programs hand to a running engine, standing in for
// the copy-data window message: a local socket named after the executable
// in the per-user runtime folder. A client connects, writes the file name
// (ended by a NUL byte or by closing the connection) and goes away. At most
// MaxNameBytes bytes of a name are taken, as the message's buffer held.
//
// Plain sockets watched by the event loop: Qt's network library would load
// at every start for this one socket.

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

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
    struct TClient;
    void AcceptConnections();
    void ReadFrom(int fd);
    void Finish(int fd);

    std::string FSocketName;
    int FListener = -1;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::map<int, std::unique_ptr<TClient>> FClients;
};
