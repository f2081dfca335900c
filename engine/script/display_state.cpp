#include "engine/script/display_state.h"

#include <algorithm>

#include "base/conv.h"

namespace {

// Full screen never shows less than this on either side.
constexpr int FullScreenMinWidth = 640;
constexpr int FullScreenMinHeight = 480;

} // namespace

void TDisplayState::ApplySettings(const TEngineSettings& settings)
{
    FIniFullScreen = settings.FullScreen;
    FScale = settings.Scale;
    FBaseWidth = settings.BaseWidth;
    FBaseHeight = settings.BaseHeight;
}

int TDisplayState::Scaled(int side, float scale)
{
    return static_cast<int>(Round(static_cast<double>(side) * scale));
}

void TDisplayState::KeepFullScreenMinimum()
{
    FScreenWidth = std::max(FScreenWidth, FullScreenMinWidth);
    FScreenHeight = std::max(FScreenHeight, FullScreenMinHeight);
}

void TDisplayState::SaveBeforeFullScreen(int clientWidth, int clientHeight)
{
    FSavedClientWidth = clientWidth;
    FSavedClientHeight = clientHeight;
    FSavedScreenWidth = FScreenWidth;
    FSavedScreenHeight = FScreenHeight;
    FSavedBaseWidth = FBaseWidth;
    FSavedBaseHeight = FBaseHeight;
    FSavedScale = FScale;
    FSavedMsgInGame = FMsgInGame;
}

bool TDisplayState::UnchangedSinceFullScreen() const
{
    return FBaseWidth == FSavedBaseWidth && FBaseHeight == FSavedBaseHeight && FScale == FSavedScale;
}

void TDisplayState::MoveMouse(int32_t x, int32_t y)
{
    FMouseX = static_cast<int>(Round(static_cast<double>(x) / static_cast<double>(FScale)));
    FMouseY = static_cast<int>(Round(static_cast<double>(y) / static_cast<double>(FScale)));
}
