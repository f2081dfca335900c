#include "engine/script/program_start.h"

#include <QApplication>
#include <QFileInfo>
#include <memory>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "engine/script/tideglass_form.h"
#include "platform/file_association.h"
#include "platform/instance_atom.h"
#include "platform/message_box.h"
#include "platform/open_request.h"

int TideglassMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string exePath = QCoreApplication::applicationFilePath().toStdString();
    const std::string exeName = QFileInfo(QString::fromStdString(exePath)).fileName().toStdString();

    // The marker of a running engine is taken over when found, not obeyed:
    // a second engine starts all the same.
    TInstanceAtom atom(exeName);
    if (atom.Find()) {
        atom.Delete();
    } else if (!atom.Add()) {
        MessageBox(nullptr, SJ("起動できません"), "TIDEGLASS", MB_OK | MB_ICONSTOP);
        return 1;
    }

    // Qt has taken its own options out of argv by now.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const std::string first = args.empty() ? std::string() : args[0];

    int result = 0;
    if (first == "-u") {
        assoc::Unregister();
    } else if (first == "-i") {
        assoc::Register(exePath);
    } else {
        QApplication::setApplicationName("TIDEGLASS");
        auto form = std::make_unique<TTideglassForm>(args);
        form->CreateForms();
        form->ReadSettings();
        form->CreateScreenObjects();
        TOpenRequestServer requests(exeName);
        requests.OnRequest = [&form](const std::string& fileName) { form->WMCopyData(fileName); };
        requests.Listen();
        form->StartEngine();
        result = QApplication::exec();
        requests.OnRequest = nullptr;
        form.reset();
    }
    atom.Delete();
    return result;
}
