#include "platform/engine_settings.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "base/inifile.h"

namespace {

TWindowPlace ReadPlace(const TIniFile& ini, const std::string& prefix, const TWindowPlace& current)
{
    TWindowPlace place;
    place.Left = ini.ReadInteger("WINDOW", prefix + "X", current.Left);
    place.Top = ini.ReadInteger("WINDOW", prefix + "Y", current.Top);
    place.Width = ini.ReadInteger("WINDOW", prefix + "Width", current.Width);
    place.Height = ini.ReadInteger("WINDOW", prefix + "Height", current.Height);
    return place;
}

int BoundSide(int value, int present)
{
    return value <= 0 ? present : std::clamp(value, MinWindowSide, MaxWindowSide);
}

bool Meets(const TWindowPlace& a, const TWindowPlace& b)
{
    return int64_t(a.Left) < int64_t(b.Left) + b.Width && int64_t(b.Left) < int64_t(a.Left) + a.Width &&
           int64_t(a.Top) < int64_t(b.Top) + b.Height && int64_t(b.Top) < int64_t(a.Top) + a.Height;
}

TWindowPlace BoundPlace(
    const TWindowPlace& read, const TWindowPlace& current, bool sized, const std::vector<TWindowPlace>& screens)
{
    TWindowPlace place = read;
    if (sized) {
        place.Width = BoundSide(read.Width, current.Width);
        place.Height = BoundSide(read.Height, current.Height);
    } else {
        place.Width = current.Width;
        place.Height = current.Height;
    }
    if (screens.empty())
        return place;
    const bool seen =
        std::any_of(screens.begin(), screens.end(), [&](const TWindowPlace& s) { return Meets(place, s); });
    if (!seen) {
        place.Left = current.Left;
        place.Top = current.Top;
    }
    return place;
}

} // namespace

TSettingsValues ReadEngineSettings(const TIniFile& ini, const TSettingsValues& current)
{
    TSettingsValues read;
    read.Main = current.Main;
    read.Main.Left = ini.ReadInteger("WINDOW", "MainX", current.Main.Left);
    read.Main.Top = ini.ReadInteger("WINDOW", "MainY", current.Main.Top);
    read.FullScreen = ini.ReadInteger("MODE", "FullScreen", 0) != 0;
    read.ScalePercent = ini.ReadInteger("MODE", "Scale", DefaultScalePercent);
    read.BaseWidth = ini.ReadInteger("WINDOW", "Width", DefaultBaseWidth);
    read.BaseHeight = ini.ReadInteger("WINDOW", "Height", DefaultBaseHeight);
    read.Msg = ReadPlace(ini, "Msg", current.Msg);
    read.Sub = ReadPlace(ini, "Sub", current.Sub);
    return read;
}

TSettingsValues BoundEngineSettings(
    const TSettingsValues& read, const TSettingsValues& current, const std::vector<TWindowPlace>& screens)
{
    TSettingsValues bounded;
    bounded.FullScreen = read.FullScreen;
    bounded.BaseWidth = read.BaseWidth <= 0 ? DefaultBaseWidth : std::clamp(read.BaseWidth, MinBaseSide, MaxBaseSide);
    bounded.BaseHeight =
        read.BaseHeight <= 0 ? DefaultBaseHeight : std::clamp(read.BaseHeight, MinBaseSide, MaxBaseSide);
    bounded.ScalePercent =
        read.ScalePercent <= 0 ? DefaultScalePercent : std::clamp(read.ScalePercent, MinScalePercent, MaxScalePercent);
    // The picture the window would show, as the engine sizes it.
    const float scale = float(bounded.ScalePercent) / 100.0f;
    if (float(std::max(bounded.BaseWidth, bounded.BaseHeight)) * scale > float(MaxWindowSide))
        bounded.ScalePercent = DefaultScalePercent;
    bounded.Main = BoundPlace(read.Main, current.Main, false, screens);
    bounded.Msg = BoundPlace(read.Msg, current.Msg, true, screens);
    bounded.Sub = BoundPlace(read.Sub, current.Sub, true, screens);
    return bounded;
}
