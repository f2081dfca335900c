// The main of the test programs whose tests create widgets: they need an
// application object, and tests never need a real display. The offscreen
// platform gets one monitor of 1920 x 1080, as a desktop has, so that full
// screen and window places are tried on a screen of a real size.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/ui_mailbox_wakeup.h"

int main(int argc, char** argv)
{
    QTemporaryDir configDir;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform == nullptr || std::strcmp(platform, "offscreen") == 0) && configDir.isValid()) {
        const std::string config = configDir.filePath("screens.json").toStdString();
        std::ofstream(config) << R"({"screens": [{"name": "monitor", "x": 0, "y": 0, "width": 1920,)"
                                 R"( "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallUiMailboxWakeUp();
    return RUN_ALL_TESTS();
}
