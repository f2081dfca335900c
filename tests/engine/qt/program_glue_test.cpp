// What the engine program relies on around its main window: the start-up
// switches and marker, the file association, open requests from other
// programs, the open dialog's filter and where the settings file goes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

#include "engine/qt/program_start.h"
#include "platform/file_association.h"
#include "platform/instance_atom.h"
#include "platform/open_dialog.h"
#include "platform/open_request.h"
#include "platform/runtime_paths.h"
#include "support/app/window_harness.h"
#include "support/test_folder.h"

namespace {

// Lets the event loop deliver socket traffic until `done` holds, for at
// most `ms` milliseconds.
bool ProcessEventsUntil(const std::function<bool()>& done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

} // namespace

TEST(ProgramStart, SwitchesAreComparedExactlyAndUninstallComesFirst)
{
    using A = TStartAction;
    const std::vector<std::pair<std::vector<std::string>, A>> cases = {
        {{}, A::Run},
        {{"-u"}, A::Unregister},
        {{"-i"}, A::Register},
        {{"-U"}, A::Run},
        {{"-I"}, A::Run},
        {{"-u", "-i"}, A::Unregister},
        {{"-i", "-u"}, A::Register},
        {{"-iu"}, A::Run},
        {{"game.tgs", "-u"}, A::Run},
    };
    for (const auto& [args, action] : cases)
        EXPECT_EQ(ChooseStartAction(args), action) << (args.empty() ? "" : args[0]);
}

TEST(ProgramStart, MarkerFoundIsTakenAwayAndTheStartGoesOn)
{
    TTestFolder h; // a runtime folder of its own
    TInstanceAtom atom("tgtest");
    EXPECT_FALSE(atom.Find());
    EXPECT_TRUE(ClaimStartUpMarker(atom));
    EXPECT_TRUE(atom.Find());
    // A second engine finds it, removes it and starts.
    TInstanceAtom second("tgtest");
    EXPECT_TRUE(ClaimStartUpMarker(second));
    EXPECT_FALSE(atom.Find());
    atom.Delete();
    EXPECT_FALSE(atom.Find());
}

TEST(ProgramStart, MarkerThatCannotBeAddedStopsTheStart)
{
    TTestFolder h;
    const std::string runtime = RuntimeFolder();
    QDir(QString::fromStdString(runtime)).mkdir("locked");
    setenv("XDG_RUNTIME_DIR", (runtime + "/locked").c_str(), 1);
    QFile::setPermissions(QString::fromStdString(runtime + "/locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    TInstanceAtom atom("tgtest");
    if (atom.Add()) { // running with rights that ignore the folder's mode
        atom.Delete();
        GTEST_SKIP();
    }
    EXPECT_FALSE(ClaimStartUpMarker(atom));
}

TEST(FileAssociation, IsWrittenOnceAndRemovedWhole)
{
    TTestFolder h;
    EXPECT_FALSE(assoc::IsRegistered());
    EXPECT_TRUE(assoc::Register("/opt/my games/tideglass"));
    EXPECT_TRUE(assoc::IsRegistered());
    EXPECT_EQ(assoc::OpenCommand(), "\"/opt/my games/tideglass\" %f");
    // A second registration leaves what is there.
    EXPECT_FALSE(assoc::Register("/elsewhere/tideglass"));
    EXPECT_EQ(assoc::OpenCommand(), "\"/opt/my games/tideglass\" %f");
    QFile package(QString::fromStdString(assoc::MimePackagePath()));
    ASSERT_TRUE(package.open(QIODevice::ReadOnly));
    const QByteArray text = package.readAll();
    EXPECT_TRUE(text.contains("*.tgs"));
    EXPECT_TRUE(text.contains("*.tgp"));
    package.close();
    assoc::Unregister();
    EXPECT_FALSE(assoc::IsRegistered());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(assoc::DesktopEntryPath())));
    EXPECT_EQ(assoc::OpenCommand(), "");
}

TEST(FileAssociation, ExecArgumentsAreQuotedForTheDesktop)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/usr/bin/tideglass", "\"/usr/bin/tideglass\""},
        {"/a b/c", "\"/a b/c\""},
        {"/a\"b", "\"/a\\\\\"b\""},
        {"/a$b`c", "\"/a\\\\$b\\\\`c\""},
        {"/a\\b", "\"/a\\\\\\\\b\""},
        {"/100%/x", "\"/100%%/x\""},
    };
    for (const auto& [path, quoted] : cases)
        EXPECT_EQ(assoc::QuoteExecArgument(path), quoted) << path;
}

TEST(OpenRequests, NameArrivesWithAtMost255Bytes)
{
    TTestFolder h;
    TOpenRequestServer server("tgtest");
    ASSERT_TRUE(server.Listen());
    std::vector<std::string> received;
    server.OnRequest = [&received](const std::string& name) { received.push_back(name); };
    ASSERT_TRUE(TOpenRequestServer::Send("tgtest", "/games/冒険.tgs"));
    ASSERT_TRUE(TOpenRequestServer::Send("tgtest", std::string(400, 'x')));
    ASSERT_TRUE(ProcessEventsUntil([&received] { return received.size() == 2; }));
    EXPECT_EQ(received[0], "/games/冒険.tgs");
    EXPECT_EQ(received[1], std::string(255, 'x'));
    server.OnRequest = nullptr;
}

TEST(OpenRequests, SecondServerLeavesTheNameToTheFirst)
{
    TTestFolder h;
    TOpenRequestServer first("tgtest");
    ASSERT_TRUE(first.Listen());
    TOpenRequestServer second("tgtest");
    EXPECT_FALSE(second.Listen());
}

TEST(OpenRequests, ReachTheEngine)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run("*SCENE s\nfirst\n*SCENEEND\n");
    h.WriteScript("sent.tgs", "*SCENE s\nsent\n*SCENEEND\n");
    TOpenRequestServer server("tgtest");
    ASSERT_TRUE(server.Listen());
    server.OnRequest = [&form](const std::string& name) { form.Engine().WMCopyData(name); };
    ASSERT_TRUE(TOpenRequestServer::Send("tgtest", h.Dir() + "sent.tgs"));
    ASSERT_TRUE(ProcessEventsUntil([&form] { return form.Engine().State() == esOpenThenBack; }));
    h.Tick();
    h.Settle();
    EXPECT_EQ(h.LastLog(), "sent");
    server.OnRequest = nullptr;
}

TEST(OpenDialog, FilterBecomesQtNotationWithUpperCaseNames)
{
    EXPECT_EQ(TOpenDialog::QtFilter("Scripts(*.tgs)|*.tgs|All(*.tgp;*.tgs)|*.tgp;*.tgs"),
        "Scripts(*.tgs *.TGS);;All(*.tgp *.TGP *.tgs *.TGS)");
    EXPECT_EQ(TOpenDialog::QtFilter("Plain|*.x"), "Plain (*.x *.X)");
}

TEST(SettingsFile, LiesBesideTheProgramOrInTheConfigFolder)
{
    TTestFolder h;
    const std::string dir = h.Dir();
    EXPECT_EQ(SettingsFilePath(dir + "tideglass"), dir + "tideglass.ini");
    // A place that cannot be written (here: one that does not exist).
    EXPECT_EQ(
        SettingsFilePath(dir + "gone/tideglass"), std::string(getenv("XDG_CONFIG_HOME")) + "/tideglass/tideglass.ini");
}
