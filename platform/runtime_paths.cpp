#include "platform/runtime_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

std::string RuntimeFolder()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir::cleanPath(dir).toStdString();
}

std::string SettingsFilePath(const std::string& exePath)
{
    const QFileInfo exe(QString::fromStdString(exePath));
    const QString name = exe.completeBaseName() + ".ini";
    const QFileInfo beside(exe.absoluteDir(), name);
    const bool writable = beside.exists() ? beside.isWritable() : QFileInfo(exe.absolutePath()).isWritable();
    if (writable)
        return beside.absoluteFilePath().toStdString();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (config + "/tideglass/" + name).toStdString();
}
