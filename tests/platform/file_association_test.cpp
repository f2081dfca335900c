#include "platform/file_association.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

namespace {

// The association written into a data home of its own, the real one put
// back afterwards.
class TDataHome {
public:
    TDataHome() : FOld(qgetenv("XDG_DATA_HOME")), FHad(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", FDir.path().toLocal8Bit());
    }
    ~TDataHome()
    {
        if (FHad)
            qputenv("XDG_DATA_HOME", FOld);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString Path(const QString& relative) const { return FDir.path() + "/" + relative; }

private:
    QTemporaryDir FDir;
    QByteArray FOld;
    bool FHad;
};

QByteArray ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not ours");
}

} // namespace

TEST(FileAssociation, IconIsInstalledNamedByTypeAndEntryAndRemovedAlone)
{
    TDataHome home;
    const QStringList foreign = {
        "icons/hicolor/48x48/apps/other.png", "applications/other.desktop", "mime/packages/other.xml"};
    for (const QString& f : foreign)
        Touch(home.Path(f));

    ASSERT_TRUE(assoc::Register("/opt/tideglass/tideglass"));
    EXPECT_EQ(QString::fromStdString(assoc::IconPath()), home.Path("icons/hicolor/48x48/apps/tideglass.png"));
    const QImage icon(QString::fromStdString(assoc::IconPath()));
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_TRUE(ReadAll(assoc::DesktopEntryPath()).contains("\nIcon=tideglass\n"));
    EXPECT_TRUE(ReadAll(assoc::MimePackagePath()).contains("<icon name=\"tideglass\"/>"));

    assoc::Unregister();
    for (const std::string& ours : {assoc::IconPath(), assoc::DesktopEntryPath(), assoc::MimePackagePath()})
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(ours))) << ours;
    for (const QString& f : foreign)
        EXPECT_EQ(ReadAll(home.Path(f).toStdString()), "not ours") << f.toStdString();
}
