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
static void InitAssociationResources() { Q_INIT_RESOURCE(file_association); }

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

bool WriteTextFile(const QString& path, const QString& text) { return WriteFile(path, text.toUtf8()); }

// The counterpart of the executable's document icon, built into the
// program as a resource.
QByteArray IconPng()
{
    InitAssociationResources();
    QFile icon(QStringLiteral(":/association/tideglass.png"));
    if (!icon.open(QIODevice::ReadOnly))
        return {};
    return icon.readAll();
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

QString MimePackageText()
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"%1\">\n"
               "    <comment>TIDEGLASS %2</comment>\n"
               "    <icon name=\"%3\"/>\n"
               "    <glob pattern=\"*.tgs\"/>\n"
               "    <glob pattern=\"*.tgp\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(QString::fromLatin1(MimeType), QString::fromUtf8("スクリプト"), QString::fromLatin1(IconName));
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
    QFile file(QString::fromStdString(MimePackagePath()));
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
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=TIDEGLASS\n"
                              "Comment=TIDEGLASS %1\n"
                              "Exec=%2 %f\n"
                              "Icon=%4\n"
                              "MimeType=%3;\n"
                              "NoDisplay=true\n"
                              "Terminal=false\n")
                              .arg(QString::fromUtf8("スクリプト"),
                                   QString::fromStdString(QuoteExecArgument(exe.toStdString())),
                                   QString::fromLatin1(MimeType), QString::fromLatin1(IconName));
    // The icon first, so the type never names an icon that is not there.
    if (const QByteArray icon = IconPng(); !icon.isEmpty())
        WriteFile(QString::fromStdString(IconPath()), icon);
    WriteTextFile(QString::fromStdString(MimePackagePath()), MimePackageText());
    WriteTextFile(QString::fromStdString(DesktopEntryPath()), entry);
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
    QFile file(QString::fromStdString(DesktopEntryPath()));
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
