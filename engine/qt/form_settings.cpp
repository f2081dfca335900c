// The settings file (window places, base picture size, display mode), read
// once at start-up and written at exit, and the file association.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "base/conv.h"
#include "base/inifile.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/sub_form.h"
#include "engine/qt/frame_place.h"
#include "engine/qt/tideglass_form.h"
#include "platform/engine_settings.h"
#include "platform/file_association.h"

namespace {

// A window's place and size as the settings file keeps them: the frame's
// place (where the original's left and top stood) and the client's size.
TWindowPlace PlaceOf(const QWidget* window)
{
    if (!window)
        return {};
    return {window->x(), window->y(), window->width(), window->height()};
}

void ApplyPlace(QWidget* window, TFramePlace* frame, const TWindowPlace& place)
{
    if (!window || !frame)
        return;
    frame->Set(QPoint(place.Left, place.Top));
    window->resize(place.Width, place.Height);
}

// The frame's place, whatever the window manager has made of it so far.
void WritePlace(TIniFile& ini, const std::string& prefix, const QWidget* window, const TFramePlace* frame)
{
    if (!window || !frame)
        return;
    const QPoint place = frame->Place();
    ini.WriteInteger("WINDOW", prefix + "X", place.x());
    ini.WriteInteger("WINDOW", prefix + "Y", place.y());
    ini.WriteInteger("WINDOW", prefix + "Width", window->width());
    ini.WriteInteger("WINDOW", prefix + "Height", window->height());
}
std::vector<TWindowPlace> ScreenPlaces()
{
    std::vector<TWindowPlace> places;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->geometry();
        places.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return places;
}

} // namespace

void TTideglassForm::ReadSettings()
{
    const TIniFile ini(FIniFileName);
    TSettingsValues current;
    // Whether the main window's place lies on a screen is told by its frame.
    current.Main = {x(), y(), frameGeometry().width(), frameGeometry().height()};
    current.Msg = PlaceOf(MsgForm.get());
    current.Sub = PlaceOf(SubForm.get());
    const TSettingsValues values = BoundEngineSettings(ReadEngineSettings(ini, current), current, ScreenPlaces());
    FMainPlace->Set(QPoint(values.Main.Left, values.Main.Top));
    TEngineSettings settings;
    settings.FullScreen = values.FullScreen;
    settings.Scale = static_cast<float>(static_cast<double>(values.ScalePercent) / 100.0);
    settings.BaseWidth = values.BaseWidth;
    settings.BaseHeight = values.BaseHeight;
    FEngine->ApplySettings(settings);
    ApplyPlace(MsgForm.get(), FMsgPlace.get(), values.Msg);
    ApplyPlace(SubForm.get(), FSubPlace.get(), values.Sub);
}

void TTideglassForm::WriteSettings()
{
    if (FIniFileName.empty())
        return;
    QDir().mkpath(QFileInfo(QString::fromStdString(FIniFileName)).absolutePath());
    TIniFile ini(FIniFileName);
    const TEngineSettings settings = FEngine->Settings();
    // In full screen the window's place is the monitor's corner; the place
    // to come back to is the one it had before.
    const QPoint place = WindowedPlace();
    ini.WriteInteger("WINDOW", "MainX", place.x());
    ini.WriteInteger("WINDOW", "MainY", place.y());
    ini.WriteInteger("WINDOW", "Width", settings.BaseWidth);
    ini.WriteInteger("WINDOW", "Height", settings.BaseHeight);
    WritePlace(ini, "Msg", MsgForm.get(), FMsgPlace.get());
    WritePlace(ini, "Sub", SubForm.get(), FSubPlace.get());
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
