#include "platform/help_viewer.h"

#include <QProcess>
#include <QStandardPaths>

THelpViewer::THelpViewer() : THelpViewer({"xchm", "kchmviewer", "chmsee"})
{
}

THelpViewer::THelpViewer(const std::vector<std::string>& programs)
{
    for (const std::string& name : programs) {
        const QString path = QStandardPaths::findExecutable(QString::fromStdString(name));
        if (!path.isEmpty()) {
            FProgram = path.toStdString();
            break;
        }
    }
}

bool THelpViewer::Show(const std::string& helpFile) const
{
    if (FProgram.empty())
        return false;
    return QProcess::startDetached(QString::fromStdString(FProgram), {QString::fromStdString(helpFile)});
}
