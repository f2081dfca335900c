// The display as a script sees it: the scale (*SCALE, *GETSCALE), full
// screen (*FULLSCREEN, *ISFULLSCREEN) and the mouse over the game screen
// (*GETMOUSE), which the game image's mouse handlers record.

#include <cmath>

#include "base/conv.h"
#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/script/engine.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "graphics/bitmap32.h"

namespace {

// Mouse button bits of *GETMOUSE.
constexpr int LeftButtonBit = 2;
constexpr int RightButtonBit = 1;

int ButtonBit(TMouseButton button)
{
    switch (button) {
    case mbLeft: return LeftButtonBit;
    case mbRight: return RightButtonBit;
    default: return 0;
    }
}

} // namespace

TCommandRows TEngine::DisplayCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*SCALE", cmScale, cgFirst, &TEngine::CmdScale},
        {"*GETSCALE", cmGetScale, cgFirst, &TEngine::CmdGetScale},
        {"*FULLSCREEN", cmFullScreen, cgSecond, &TEngine::CmdFullScreen},
        {"*ISFULLSCREEN", cmIsFullScreen, cgFirst, &TEngine::CmdIsFullScreen},
        {"*GETMOUSE", cmGetMouse, cgFirst, &TEngine::CmdGetMouse},
    };
    return rows;
}

void TEngine::CmdScale(const std::string& line)
{
    const int32_t percent = EvalInteger(GetToken(line, ' ', 1));
    // Held in single precision as the original held it: 105 % is
    // 1.0499999523, so 230 x 176 becomes 241 x 185.
    const float scale = static_cast<float>(static_cast<double>(percent) / 100.0);
    if (!ScaleFits(scale))
        throw EScriptError(SJ("スケールの値が範囲外です - ") + line);
    ApplyScale(scale);
}

bool TEngine::ScaleFits(float scale) const
{
    if (!(scale > 0.0f))
        return false;
    const double width = std::nearbyint(static_cast<double>(FDisplay.FBaseWidth) * scale);
    const double height = std::nearbyint(static_cast<double>(FDisplay.FBaseHeight) * scale);
    return width >= 1.0 && height >= 1.0 && width * height <= static_cast<double>(MaxBitmap32Pixels);
}

void TEngine::CmdGetScale(const std::string& line)
{
    const int64_t percent = Round(static_cast<double>(FDisplay.FScale) * 100.0);
    FExpr->Evaluate(GetToken(line, ' ', 1) + "=" + IntToStr(percent));
    FRunner.FState = esRun;
}

void TEngine::CmdFullScreen(const std::string& line)
{
    SetFullScreen(EvalInteger(GetToken(line, ' ', 1)) == 1);
}

void TEngine::CmdIsFullScreen(const std::string& line)
{
    FExpr->Evaluate(GetToken(line, ' ', 1) + "=" + (FDisplay.FFullScreen ? "1" : "0"));
    FRunner.FState = esRun;
}

void TEngine::CmdGetMouse(const std::string& line)
{
    FExpr->Evaluate(GetToken(line, ' ', 1) + "=" + IntToStr(FDisplay.FMouseX));
    FExpr->Evaluate(GetToken(line, ' ', 2) + "=" + IntToStr(FDisplay.FMouseY));
    if (CountTokens(line, ' ') > 3)
        FExpr->Evaluate(GetToken(line, ' ', 3) + "=" + IntToStr(FDisplay.FMouseButtons));
    FRunner.FState = esRun;
}

void TEngine::GameImgMouseMove(int32_t x, int32_t y)
{
    FDisplay.MoveMouse(x, y);
}

void TEngine::GameImgMouseDown(TMouseButton button)
{
    FDisplay.FMouseButtons |= ButtonBit(button);
}

void TEngine::GameImgMouseUp(TMouseButton button)
{
    FDisplay.FMouseButtons &= ~ButtonBit(button);
}
