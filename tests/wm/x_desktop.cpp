#include "x_desktop.h"

#include <QWidget>
#include <QProcess>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr int ServerStartMs = 20000;
constexpr int ManagerStartMs = 20000;
constexpr int StopMs = 5000;
constexpr int ToolMs = 20000;

// A connection of the tests' own, beside the program's.
class TConnection {
public:
    TConnection() : FConn(xcb_connect(nullptr, nullptr)) {}
    ~TConnection() { xcb_disconnect(FConn); }
    bool Ok() const { return xcb_connection_has_error(FConn) == 0; }
    xcb_connection_t* Get() const { return FConn; }
    xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(FConn)).data->root; }

    xcb_atom_t Atom(const char* name) const
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            FConn, xcb_intern_atom(FConn, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

private:
    xcb_connection_t* FConn;
};

bool ManagerPresent()
{
    const TConnection conn;
    if (!conn.Ok())
        return false;
    const xcb_atom_t check = conn.Atom("_NET_SUPPORTING_WM_CHECK");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        conn.Get(), xcb_get_property(conn.Get(), 0, conn.Root(), check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool present = reply && xcb_get_property_value_length(reply) == 4;
    std::free(reply);
    return present;
}

// Whether the manager frames a window of ours within `ms`. It says it is
// present before its start is over, and a window mapped in between is
// never framed, so never shown: the probe is mapped again until it is.
bool ManagerFrames(int ms)
{
    const TConnection conn;
    if (!conn.Ok())
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn.Get())).data;
    const xcb_window_t probe = xcb_generate_id(conn.Get());
    xcb_create_window(conn.Get(), XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 16, 16, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const auto framed = [&] {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(conn.Get(), xcb_query_tree(conn.Get(), probe), nullptr);
        const bool reparented = tree && tree->parent != screen->root;
        std::free(tree);
        return reparented;
    };
    bool ok = false;
    QElapsedTimer timer;
    timer.start();
    while (!ok && timer.elapsed() < ms) {
        xcb_unmap_window(conn.Get(), probe);
        xcb_map_window(conn.Get(), probe);
        xcb_flush(conn.Get());
        ok = WaitFor(framed, 250);
    }
    xcb_destroy_window(conn.Get(), probe);
    xcb_flush(conn.Get());
    return ok;
}

} // namespace

bool TChildProgram::Start(const std::vector<std::string>& argv, int keepFd)
{
    Stop();
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != keepFd)
                close(fd);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    FPid = pid;
    return true;
}

void TChildProgram::Stop()
{
    if (FPid <= 0)
        return;
    kill(FPid, SIGTERM);
    QElapsedTimer timer;
    timer.start();
    while (waitpid(FPid, nullptr, WNOHANG) == 0) {
        if (timer.elapsed() > StopMs) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
            break;
        }
        usleep(10000);
    }
    FPid = -1;
}

std::string TXServer::Start()
{
    int fds[2];
    if (pipe(fds) != 0)
        return "no pipe";
    // The server writes the display number it chose once it takes clients.
    const bool started = FServer.Start(
        {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"},
        fds[1]);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        return "Xvfb could not be started";
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ServerStartMs) {
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c;
        const ssize_t n = read(fds[0], &c, 1);
        if (n <= 0 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        FServer.Stop();
        return "Xvfb gave no display";
    }
    FDisplay = ":" + number;
    return {};
}

bool TWindowManager::Start()
{
    if (!FManager.Start({"openbox", "--sm-disable"}))
        return false;
    return WaitFor([] { return ManagerPresent(); }, ManagerStartMs) && ManagerFrames(ManagerStartMs);
}

void TWindowManager::Stop()
{
    FManager.Stop();
}

QRect FrameOnScreen(const QWidget& window)
{
    const TConnection conn;
    if (!conn.Ok())
        return {};
    xcb_window_t w = static_cast<xcb_window_t>(window.winId());
    const xcb_window_t root = conn.Root();
    for (;;) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(conn.Get(), xcb_query_tree(conn.Get(), w), nullptr);
        if (!tree)
            return {};
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            break;
        w = parent;
    }
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(conn.Get(), xcb_get_geometry(conn.Get(), w), nullptr);
    if (!g)
        return {};
    const QRect r(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
    std::free(g);
    return r;
}

QRect SettledFrame(const QWidget& window)
{
    QRect last = FrameOnScreen(window);
    int same = 0;
    WaitFor([&] {
        const QRect now = FrameOnScreen(window);
        same = now == last ? same + 1 : 0;
        last = now;
        return same >= 30;
    });
    return last;
}

long AskedFunctions(const QWidget& window)
{
    const TConnection conn;
    if (!conn.Ok())
        return -1;
    const xcb_atom_t property = conn.Atom("_MOTIF_WM_HINTS");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(conn.Get(),
        xcb_get_property(conn.Get(), 0, static_cast<xcb_window_t>(window.winId()), property, property, 0, 5), nullptr);
    long functions = -1;
    // flags, functions, decorations, ...; flag 1: the functions are given.
    if (reply && xcb_get_property_value_length(reply) >= 8) {
        const auto* fields = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        if (fields[0] & 1)
            functions = fields[1];
    }
    std::free(reply);
    return functions;
}

bool HasInputFocus(const QWidget& window)
{
    const TConnection conn;
    if (!conn.Ok())
        return false;
    xcb_get_input_focus_reply_t* f = xcb_get_input_focus_reply(conn.Get(), xcb_get_input_focus(conn.Get()), nullptr);
    const bool has = f && f->focus == static_cast<xcb_window_t>(window.winId());
    std::free(f);
    return has;
}

bool Xdotool(const QStringList& args)
{
    QProcess tool;
    tool.start("xdotool", args);
    // The program keeps answering the window manager while the tool works.
    if (!WaitFor([&] { return tool.state() == QProcess::NotRunning; }, ToolMs))
        return false;
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool Drag(QPoint from, QPoint to)
{
    // Paced as a hand moves: the manager takes the press before the motion
    // and the motion in steps.
    QStringList args{"mousemove", QString::number(from.x()), QString::number(from.y()), "sleep", "0.1", "mousedown",
        "1", "sleep", "0.1"};
    constexpr int Steps = 5;
    for (int i = 1; i <= Steps; ++i) {
        const QPoint at = from + (to - from) * i / Steps;
        args << "mousemove" << QString::number(at.x()) << QString::number(at.y()) << "sleep"
             << "0.05";
    }
    args << "mouseup"
         << "1";
    return Xdotool(args);
}
