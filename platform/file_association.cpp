#include "platform/file_association.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

// Resources of a static library are registered by hand, and only from the
// global namespace.
static void InitAssociationResources()
{
    Q_INIT_RESOURCE(file_association);
}

namespace assoc {

namespace {

QString DataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

// A file built into the program as a resource: the icon (the counterpart
// of the executable's document icon), the type package and the desktop
// entry, the same files an installation puts in the system's data folders.
QByteArray Resource(const char* name)
{
    InitAssociationResources();
    QFile file(QStringLiteral(":/association/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The file of the association found first in the data folders, the
// user's before the system's; empty when there is none.
QString Installed(const QString& relativePath)
{
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, relativePath);
}

// Lets the desktop see the change at once, as the shell notification did.
void RefreshDesktopDatabases()
{
    const QString data = DataHome();
    const struct {
        const char* program;
        QString folder;
    } tools[] = {{"update-mime-database", data + "/mime"}, {"update-desktop-database", data + "/applications"}};
    for (const auto& tool : tools) {
        const QString program = QStandardPaths::findExecutable(tool.program);
        if (program.isEmpty() || !QFileInfo(tool.folder).isDir())
            continue;
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(program, {tool.folder});
        if (process.waitForStarted(2000) && !process.waitForFinished(10000))
            process.kill();
    }
}

} // namespace

std::string MimePackagePath()
{
    return (DataHome() + "/mime/packages/tideglass.xml").toStdString();
}

std::string DesktopEntryPath()
{
    return (DataHome() + "/applications/tideglass.desktop").toStdString();
}

std::string IconPath()
{
    return (DataHome() + "/icons/hicolor/48x48/apps/" + IconName + ".png").toStdString();
}

bool IsRegistered()
{
    QFile file(Installed(QStringLiteral("mime/packages/tideglass.xml")));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    return text.contains(QByteArray("type=\"") + MimeType + "\"") && text.contains("\"*.tgs\"");
}

bool Register(const std::string& exePath)
{
    if (IsRegistered())
        return false;
    const QString exe = QFileInfo(QString::fromStdString(exePath)).absoluteFilePath();
    // The installed entry, run by this executable and kept out of the menus:
    // the association opens files, it adds no program to start.
    QByteArray entry = Resource("tideglass.desktop.in");
    entry.replace("@EXEC@", QByteArray::fromStdString(QuoteExecArgument(exe.toStdString())));
    entry += "NoDisplay=true\n";
    // The icon first, so the type never names an icon that is not there.
    if (const QByteArray icon = Resource("tideglass.png"); !icon.isEmpty())
        WriteFile(QString::fromStdString(IconPath()), icon);
    WriteFile(QString::fromStdString(MimePackagePath()), Resource("tideglass.xml"));
    WriteFile(QString::fromStdString(DesktopEntryPath()), entry);
    RefreshDesktopDatabases();
    return true;
}

void Unregister()
{
    QFile::remove(QString::fromStdString(MimePackagePath()));
    QFile::remove(QString::fromStdString(DesktopEntryPath()));
    QFile::remove(QString::fromStdString(IconPath()));
    RefreshDesktopDatabases();
}

std::string OpenCommand()
{
    QFile file(Installed(QStringLiteral("applications/tideglass.desktop")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith("Exec="))
            return line.mid(5).toStdString();
    }
    return {};
}

std::string QuoteExecArgument(const std::string& arg)
{
    // Inside the quotes ", `, $ and \ take a backslash; the value as a whole
    // is a desktop-entry string, whose own escape doubles every backslash,
    // and a literal % is written %%.
    std::string quoted = "\"";
    for (char c : arg) {
        switch (c) {
        case '"': quoted += "\\\\\""; break;
        case '`': quoted += "\\\\`"; break;
        case '$': quoted += "\\\\$"; break;
        case '\\': quoted += "\\\\\\\\"; break;
        case '%': quoted += "%%"; break;
        default: quoted += c; break;
        }
    }
    return quoted + "\"";
}

} // namespace assoc
