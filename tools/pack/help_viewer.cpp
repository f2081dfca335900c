#include "tools/pack/help_viewer.h"

#include <QProcess>
#include <QStandardPaths>

QString FindHelpViewer()
{
    for (const char* name : {"xchm", "kchmviewer"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool ShowHelpFile(const QString& Viewer, const QString& HelpFile)
{
    return !Viewer.isEmpty() && QProcess::startDetached(Viewer, {HelpFile});
}
