// The settings file (window places, base picture size, display mode), read
// once at start-up and written at exit, and the file association.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "base/conv.h"
#include "base/inifile.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/sub_form.h"
#include "engine/script/form/tideglass_form.h"
#include "platform/file_association.h"

namespace {

// Values a damaged or hand-edited file may hold are kept to what the
// window can show.
constexpr int MinScalePercent = 10;
constexpr int MaxScalePercent = 1000;
constexpr int MinBaseSide = 1;
constexpr int MaxBaseSide = 2048;
constexpr int MinWindowSide = 16;
constexpr int MaxWindowSide = 8192;

void ReadWindowPlace(const TIniFile& ini, const std::string& prefix, QWidget* window)
{
    if (!window)
        return;
    const int x = ini.ReadInteger("WINDOW", prefix + "X", window->x());
    const int y = ini.ReadInteger("WINDOW", prefix + "Y", window->y());
    const int w = ini.ReadInteger("WINDOW", prefix + "Width", window->width());
    const int h = ini.ReadInteger("WINDOW", prefix + "Height", window->height());
    window->move(x, y);
    window->resize(std::clamp(w, MinWindowSide, MaxWindowSide), std::clamp(h, MinWindowSide, MaxWindowSide));
}

void WriteWindowPlace(TIniFile& ini, const std::string& prefix, const QWidget* window)
{
    if (!window)
        return;
    ini.WriteInteger("WINDOW", prefix + "X", window->x());
    ini.WriteInteger("WINDOW", prefix + "Y", window->y());
    ini.WriteInteger("WINDOW", prefix + "Width", window->width());
    ini.WriteInteger("WINDOW", prefix + "Height", window->height());
}

} // namespace

void TTideglassForm::ReadSettings()
{
    const TIniFile ini(FIniFileName);
    move(ini.ReadInteger("WINDOW", "MainX", x()), ini.ReadInteger("WINDOW", "MainY", y()));
    TEngineSettings settings;
    settings.FullScreen = ini.ReadInteger("MODE", "FullScreen", 0) != 0;
    const int percent = std::clamp(ini.ReadInteger("MODE", "Scale", 100), MinScalePercent, MaxScalePercent);
    settings.Scale = static_cast<float>(percent) / 100.0f;
    settings.BaseWidth = std::clamp(ini.ReadInteger("WINDOW", "Width", 230), MinBaseSide, MaxBaseSide);
    settings.BaseHeight = std::clamp(ini.ReadInteger("WINDOW", "Height", 176), MinBaseSide, MaxBaseSide);
    FEngine->ApplySettings(settings);
    ReadWindowPlace(ini, "Msg", MsgForm.get());
    ReadWindowPlace(ini, "Sub", SubForm.get());
}

void TTideglassForm::WriteSettings()
{
    if (FIniFileName.empty())
        return;
    QDir().mkpath(QFileInfo(QString::fromStdString(FIniFileName)).absolutePath());
    TIniFile ini(FIniFileName);
    const TEngineSettings settings = FEngine->Settings();
    ini.WriteInteger("WINDOW", "MainX", x());
    ini.WriteInteger("WINDOW", "MainY", y());
    ini.WriteInteger("WINDOW", "Width", settings.BaseWidth);
    ini.WriteInteger("WINDOW", "Height", settings.BaseHeight);
    WriteWindowPlace(ini, "Msg", MsgForm.get());
    WriteWindowPlace(ini, "Sub", SubForm.get());
    ini.WriteInteger("MODE", "FullScreen", settings.FullScreen ? 1 : 0);
    ini.WriteInteger("MODE", "Scale", static_cast<int>(Round(static_cast<double>(settings.Scale) * 100.0)));
}

void TTideglassForm::RegisterFileTypes()
{
    assoc::Register(QCoreApplication::applicationFilePath().toStdString());
}

void TTideglassForm::UnregisterFileTypes()
{
    assoc::Unregister();
}
