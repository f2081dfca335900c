#include "engine/qt/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <memory>

#include "base/sjis.h"
#include "engine/qt/tideglass_form.h"
#include "platform/file_association.h"
#include "platform/instance_atom.h"
#include "platform/message_box.h"
#include "platform/open_request.h"
#include "platform/ui_mailbox_wakeup.h"

namespace {

// A termination signal (logout, kill) closes the window as the menu does,
// so that the settings are written and the start-up marker removed.
int SignalPipe[2] = {-1, -1};

void OnTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
}

std::unique_ptr<QSocketNotifier> CatchTermination(TTideglassForm& form)
{
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &form, [&form] {
        char byte;
        while (::read(SignalPipe[0], &byte, 1) > 0) {}
        form.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    return notifier;
}

} // namespace

TStartAction ChooseStartAction(const std::vector<std::string>& args)
{
    const std::string first = args.empty() ? std::string() : args[0];
    if (first == "-u")
        return TStartAction::Unregister;
    if (first == "-i")
        return TStartAction::Register;
    return TStartAction::Run;
}

bool ClaimStartUpMarker(TInstanceAtom& atom)
{
    if (atom.Find()) {
        atom.Delete();
        return true;
    }
    return atom.Add();
}

int TideglassMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallUiMailboxWakeUp();
    const std::string exePath = QCoreApplication::applicationFilePath().toStdString();
    const std::string exeName = QFileInfo(QString::fromStdString(exePath)).fileName().toStdString();

    // The marker of a running engine is taken over when found, not obeyed:
    // a second engine starts all the same.
    TInstanceAtom atom(exeName);
    if (!ClaimStartUpMarker(atom)) {
        MessageBox(nullptr, SJ("起動できません"), "TIDEGLASS", MB_OK | MB_ICONSTOP);
        return 1;
    }

    // Qt has taken its own options out of argv by now.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);

    int result = 0;
    switch (ChooseStartAction(args)) {
    case TStartAction::Unregister: assoc::Unregister(); break;
    case TStartAction::Register: assoc::Register(exePath); break;
    case TStartAction::Run: {
        QApplication::setApplicationName("TIDEGLASS");
        auto form = std::make_unique<TTideglassForm>(args);
        form->CreateForms();
        form->ReadSettings();
        form->CreateScreenObjects();
        TOpenRequestServer requests(exeName);
        requests.OnRequest = [&form](const std::string& fileName) { form->Engine().WMCopyData(fileName); };
        requests.Listen();
        const std::unique_ptr<QSocketNotifier> termination = CatchTermination(*form);
        form->StartEngine();
        result = QApplication::exec();
        requests.OnRequest = nullptr;
        form.reset();
        break;
    }
    }
    atom.Delete();
    return result;
}
