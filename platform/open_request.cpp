#include "platform/open_request.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/runtime_paths.h"

namespace {

std::string SocketPath(const std::string& name)
{
    return RuntimeFolder() + "/" + name + ".open";
}

// The address of `path`; false when the path is too long for one.
bool AddressOf(const std::string& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A connected socket to `path`, or -1.
int ConnectTo(const std::string& path)
{
    sockaddr_un address;
    if (!AddressOf(path, address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int rc;
    do
        rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

// What one connection has sent so far.
struct TOpenRequestServer::TClient {
    std::unique_ptr<QSocketNotifier> Notifier;
    std::string Name;
    bool Ended = false; // the NUL byte came
};

TOpenRequestServer::TOpenRequestServer(const std::string& name) : FSocketName(SocketPath(name))
{
}

TOpenRequestServer::~TOpenRequestServer()
{
    for (auto& [fd, client] : FClients) {
        client->Notifier.reset();
        close(fd);
    }
    FClients.clear();
    FNotifier.reset();
    if (FListener >= 0) {
        close(FListener);
        unlink(FSocketName.c_str());
    }
}

bool TOpenRequestServer::Listen()
{
    sockaddr_un address;
    if (FListener >= 0 || !AddressOf(FSocketName, address))
        return false;
    // An engine that still runs keeps its name; a socket file left by one
    // that did not exit cleanly answers nobody and goes.
    if (const int probe = ConnectTo(FSocketName); probe >= 0) {
        close(probe);
        return false;
    }
    unlink(FSocketName.c_str());
    // The runtime folder is the user's own, so the socket needs no access
    // options (which would also let a second server replace the first).
    FListener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (FListener < 0)
        return false;
    if (bind(FListener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(FListener, 16) != 0) {
        close(FListener);
        FListener = -1;
        return false;
    }
    FNotifier = std::make_unique<QSocketNotifier>(FListener, QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TOpenRequestServer::AcceptConnections);
    return true;
}

void TOpenRequestServer::AcceptConnections()
{
    for (;;) {
        const int fd = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        auto client = std::make_unique<TClient>();
        client->Notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(client->Notifier.get(), &QSocketNotifier::activated, this, [this, fd] { ReadFrom(fd); });
        FClients[fd] = std::move(client);
        ReadFrom(fd);
    }
}

void TOpenRequestServer::ReadFrom(int fd)
{
    const auto it = FClients.find(fd);
    if (it == FClients.end())
        return;
    TClient& client = *it->second;
    char chunk[4096];
    for (;;) {
        const ssize_t got = recv(fd, chunk, sizeof(chunk), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // more to come
        if (got <= 0)
            break; // the client closed (or failed): what came is the name
        if (client.Ended)
            continue;
        const auto* end = static_cast<const char*>(std::memchr(chunk, '\0', static_cast<size_t>(got)));
        client.Name.append(chunk, end ? static_cast<size_t>(end - chunk) : static_cast<size_t>(got));
        // The original's buffer held 255 bytes and the terminator; the rest
        // of a longer name never reaches the engine.
        if (client.Name.size() > MaxNameBytes)
            client.Name.resize(MaxNameBytes);
        if (end) {
            client.Ended = true;
            break;
        }
    }
    Finish(fd);
}

void TOpenRequestServer::Finish(int fd)
{
    const auto it = FClients.find(fd);
    if (it == FClients.end())
        return;
    const std::string name = it->second->Name;
    it->second->Notifier->setEnabled(false);
    // The notifier that called here goes once its signal has returned.
    it->second->Notifier.release()->deleteLater();
    FClients.erase(it);
    close(fd);
    if (!name.empty() && OnRequest)
        OnRequest(name);
}

bool TOpenRequestServer::Send(const std::string& name, const std::string& fileName, int timeoutMs)
{
    const int fd = ConnectTo(SocketPath(name));
    if (fd < 0)
        return false;
    std::string bytes = fileName;
    bytes.push_back('\0');
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(limit - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(left));
    }
    close(fd);
    return sent == bytes.size();
}
