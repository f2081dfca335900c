// The pre-pass's own lines: *SCENE, *LABEL and the item block, which have no
// action when they are run, and *SCREEN and *TITLE, which the pre-pass
// applies at once and a run applies again.

#include <algorithm>

#include "base/conv.h"
#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"

namespace {

// *SCREEN sizes are kept within what a window and its layers can hold.
constexpr int MinScreenSide = 1;
constexpr int MaxScreenSide = 2048;

int ClampScreenSide(int value)
{
    return std::clamp(value, MinScreenSide, MaxScreenSide);
}

} // namespace

TCommandRows TEngine::ScenarioCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*SCENE", cmScene, cgPassive, nullptr},
        {"*LABEL", cmLabel, cgPassive, nullptr},
        {"*ITEM", cmItem, cgPassive, nullptr},
        {"*ITEMEND", cmItemEnd, cgPassive, nullptr},
        {"*SCREEN", cmScreen, cgFirst, &TEngine::CmdScreen},
        {"*TITLE", cmTitle, cgFirst, &TEngine::CmdTitle},
    };
    return rows;
}

void TEngine::CmdScreen(const std::string& line)
{
    FBaseWidth = ClampScreenSide(StrToInt(GetToken(line, ' ', 1)));
    FBaseHeight = ClampScreenSide(StrToInt(GetToken(line, ' ', 2)));
    const int k = FHost.Window.MenuChecked(TMenuItem::D1) ? 2 : 1;
    // Outside full screen the screen is the client: a screen larger than
    // the window would centre the picture where the window shows nothing.
    if (!FFullScreen) {
        FHost.Window.SetClientSize(k * FBaseWidth, k * FBaseHeight);
        FScreenWidth = k * FBaseWidth;
        FScreenHeight = k * FBaseHeight;
    } else if (FScreenWidth < k * FBaseWidth || FScreenHeight < k * FBaseHeight) {
        FScreenWidth = k * FBaseWidth;
        FScreenHeight = k * FBaseHeight;
    }
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetPictureSize(FBaseWidth, FBaseHeight);
        FGrp->SetScale(static_cast<float>(k));
    }
}

void TEngine::CmdTitle(const std::string& line)
{
    // The command and one blank are skipped.
    constexpr size_t TextStart = 7;
    const std::string title = sjis::TrimLeft(line.size() > TextStart ? line.substr(TextStart) : std::string());
    FHost.Window.SetTitle(title);
    if (!FHost.Window.MenuVisible(TMenuItem::F1))
        FHost.Window.SetAboutTitle(title + SJ(" について"));
}
