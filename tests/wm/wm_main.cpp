// The main of the tests that put the engine's windows on a real X server.
// Each run starts its own bare X server (Xvfb), which picks a free display
// number itself, so that runs side by side never meet; the server dies
// with the run, however the run ends. A window manager is the tests' own
// business (x_desktop.h). Listing the tests needs no server.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ui_mailbox_wakeup.h"
#include "x_desktop.h"

int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    testing::InitGoogleTest(&argc, argv);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    TXServer server;
    if (listing) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        const std::string error = server.Start();
        if (!error.empty()) {
            std::fprintf(stderr, "no X server: %s\n", error.c_str());
            return 1;
        }
        setenv("DISPLAY", server.Display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        // No session bus: the libraries would start one through the server.
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        InstallUiMailboxWakeUp();
        result = RUN_ALL_TESTS();
    }
    return result;
}
