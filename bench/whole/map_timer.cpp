// Times a program from its start to the first map of one of its top-level
// windows on a bare X server (no window manager): listens for MapNotify on
// the root's children, starts the program, prints the milliseconds between
// and then ends the program with SIGTERM.
//
//   map_timer <program> [arguments...]
//
// Exit status 0 with the figure on standard output; 1 when the program
// could not be started, ended or showed nothing within the time limit.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int TimeLimitMs = 30000;
constexpr int ExitLimitMs = 10000;

double NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// True when `pid` has ended within `ms`.
bool WaitEnd(pid_t pid, int ms)
{
    const double until = NowMs() + ms;
    while (NowMs() < until) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        usleep(5000);
    }
    return false;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    if (!WaitEnd(pid, ExitLimitMs)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_timer <program> [arguments...]\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "map_timer: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so that the selection is in force before the program starts.
    if (xcb_generic_error_t* e =
            xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask))) {
        std::fprintf(stderr, "map_timer: cannot watch the root window (error %d)\n", e->error_code);
        std::free(e);
        return 1;
    }

    const double start = NowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("map_timer: fork");
        return 1;
    }
    if (pid == 0) {
        close(xcb_get_file_descriptor(c));
        execvp(argv[1], argv + 1);
        std::perror("map_timer: exec");
        _exit(127);
    }

    pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
    double mapped = -1;
    while (mapped < 0) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                // Menus and tooltips are not the program's window.
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(ev);
                if (!map->override_redirect && mapped < 0)
                    mapped = NowMs();
            }
            std::free(ev);
        }
        if (mapped >= 0)
            break;
        if (xcb_connection_has_error(c)) {
            std::fprintf(stderr, "map_timer: lost the display\n");
            Stop(pid);
            return 1;
        }
        const int left = static_cast<int>(start + TimeLimitMs - NowMs());
        if (left <= 0) {
            std::fprintf(stderr, "map_timer: no window within %d ms\n", TimeLimitMs);
            Stop(pid);
            return 1;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "map_timer: the program ended without a window\n");
            return 1;
        }
        poll(&pfd, 1, left < 50 ? left : 50);
    }
    std::printf("%.1f\n", mapped - start);
    std::fflush(stdout);
    Stop(pid);
    xcb_disconnect(c);
    return 0;
}
