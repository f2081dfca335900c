// The settings file (window places, base picture size, display mode), read
// once at start-up and written at exit, and the file association.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QScreen>
#include <QWindow>

#include "base/conv.h"
#include "base/inifile.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/sub_form.h"
#include "engine/script/form/tideglass_form.h"
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

// The frame at (x, y): a window not shown yet has no frame, and a plain
// move would take the place for its client, which would then creep by the
// frame's size at every start.
void MoveFrame(QWidget* window, int x, int y)
{
    if (QWindow* handle = window->windowHandle())
        handle->setFramePosition(QPoint(x, y));
    else
        window->move(x, y);
}

void ApplyPlace(QWidget* window, const TWindowPlace& place)
{
    if (!window)
        return;
    MoveFrame(window, place.Left, place.Top);
    window->resize(place.Width, place.Height);
}

void WritePlace(TIniFile& ini, const std::string& prefix, const QWidget* window)
{
    if (!window)
        return;
    ini.WriteInteger("WINDOW", prefix + "X", window->x());
    ini.WriteInteger("WINDOW", prefix + "Y", window->y());
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
    MoveFrame(this, values.Main.Left, values.Main.Top);
    FFramePlaceWanted = QPoint(values.Main.Left, values.Main.Top);
    TEngineSettings settings;
    settings.FullScreen = values.FullScreen;
    settings.Scale = static_cast<float>(static_cast<double>(values.ScalePercent) / 100.0);
    settings.BaseWidth = values.BaseWidth;
    settings.BaseHeight = values.BaseHeight;
    FEngine->ApplySettings(settings);
    ApplyPlace(MsgForm.get(), values.Msg);
    ApplyPlace(SubForm.get(), values.Sub);
}

void TTideglassForm::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // Once the frame is known, the place is the frame's, whatever the
    // window manager made of the first request; asked once, so that a
    // manager that places windows itself is not fought.
    if (!FFramePlaceWanted || frameGeometry().topLeft() == geometry().topLeft())
        return;
    const QPoint wanted = *FFramePlaceWanted;
    FFramePlaceWanted.reset();
    if (!FInFullScreen && pos() != wanted)
        move(wanted);
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
    WritePlace(ini, "Msg", MsgForm.get());
    WritePlace(ini, "Sub", SubForm.get());
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
