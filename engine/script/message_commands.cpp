// Commands of the message window: where message text is shown (the text
// area on the game screen, the message-and-input window, the sub window),
// with which font, colours and tags, and whether warnings are shown.

#include <algorithm>
#include <limits>

#include "base/sjis.h"
#include "base/tokenizer.h"
#include "classlib/font.h"
#include "engine/screen/msg_tags.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"

namespace {

// *MSGBOX: the font height when the line gives none, and the faces.
constexpr int32_t DefaultMsgFontSize = 12;
constexpr int32_t MinchoFace = 1;

// Desktop coordinates as a window system takes them.
int ClampToInt(int64_t value)
{
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

TCommandRows TEngine::MessageCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*CLS", cmCls, cgFirst, &TEngine::CmdCls},
        {"*MSGDISP", cmMsgDisp, cgFirst, &TEngine::CmdMsgDisp},
        {"*MSGBOX", cmMsgBox, cgFirst, &TEngine::CmdMsgBox},
        {"*MSGMODE", cmMsgMode, cgFirst, &TEngine::CmdMsgMode},
        {"*WARNDISP", cmWarnDisp, cgSecond, &TEngine::CmdWarnDisp},
        {"*TAG", cmTag, cgSecond, &TEngine::CmdTag},
        {"*SETCOLOR", cmSetColor, cgSecond, &TEngine::CmdSetColor},
        {"*SUBWINSHOW", cmSubWinShow, cgSecond, &TEngine::CmdSubWinShow},
        {"*SUBWINSTART", cmSubWinStart, cgSecond, &TEngine::CmdSubWinStart},
        {"*SUBWINEND", cmSubWinEnd, cgSecond, &TEngine::CmdSubWinEnd},
        {"*SUBWINTITLE", cmSubWinTitle, cgSecond, &TEngine::CmdSubWinTitle},
        {"*SUBWINTOP", cmSubWinTop, cgSecond, &TEngine::CmdSubWinTop},
    };
    return rows;
}

void TEngine::CmdCls(const std::string& /*line*/)
{
    ClearMessages();
}

void TEngine::CmdMsgBox(const std::string& line)
{
    const int tokens = CountTokens(line, ' ');
    const int32_t left = EvalInteger(GetToken(line, ' ', 1));
    const int32_t top = EvalInteger(GetToken(line, ' ', 2));
    const int32_t width = EvalInteger(GetToken(line, ' ', 3));
    const int32_t height = EvalInteger(GetToken(line, ' ', 4));
    const int32_t size = tokens < 6 ? DefaultMsgFontSize : EvalInteger(GetToken(line, ' ', 5));
    const int32_t face = tokens < 7 ? 0 : EvalInteger(GetToken(line, ' ', 6));
    // Refused before the window is touched: the text and frame stay.
    if (!TTGMsg::BoundsFit(left, top, width, height, size))
        throw EScriptError(SJ("メッセージウィンドウの大きさが範囲外です - ") + line);
    TFont font;
    font.SetName(face == MinchoFace ? SJ("ＭＳ 明朝") : SJ("ＭＳ ゴシック"));
    font.SetHeight(-size);
    font.SetColor(FFontColor);
    if (FMsg)
        FMsg->SetBounds(left, top, width, height, font);
}

void TEngine::CmdMsgDisp(const std::string& line)
{
    const bool on = EvalInteger(GetToken(line, ' ', 1)) != 0;
    FTabHideEnabled = on;
    ShowMessageWindow(on);
    if (!FMsgInGame && !FFullScreen)
        FHost.SmallWindows.SetMessageWindowVisible(on);
}

void TEngine::CmdMsgMode(const std::string& line)
{
    const bool inGame = EvalInteger(GetToken(line, ' ', 1)) != 0;
    // Full screen keeps the message on the game screen; the mode wanted
    // comes when it ends.
    if (FFullScreen)
        FSavedMsgInGame = inGame;
    else
        SetMessageMode(inGame);
}

void TEngine::CmdSetColor(const std::string& line)
{
    const int32_t index = EvalInteger(GetToken(line, ' ', 1));
    const int64_t red = EvalInteger(GetToken(line, ' ', 2));
    const int64_t green = EvalInteger(GetToken(line, ' ', 3));
    const int64_t blue = EvalInteger(GetToken(line, ' ', 4));
    if (index < 0 || index >= MsgColorCount) {
        ShowWarning(SJ("色の番号は0から15までです - ") + line);
        return;
    }
    // Components outside 0..255 spill into the next one, as the sum makes
    // them; the colour wraps at 32 bits.
    const int64_t color = red + green * 256 + blue * 65536;
    if (FMsg)
        FMsg->SetColor(index, static_cast<TColor>(static_cast<uint32_t>(color)));
}

void TEngine::CmdTag(const std::string& line)
{
    FTagMode = EvalInteger(GetToken(line, ' ', 1)) != 0;
}

void TEngine::CmdWarnDisp(const std::string& line)
{
    FWarningLevel = EvalInteger(GetToken(line, ' ', 1));
}

void TEngine::CmdSubWinShow(const std::string& line)
{
    const int tokens = CountTokens(line, ' ');
    TWindowBounds place = FHost.SmallWindows.SubWindowPlace();
    if (tokens >= 4) {
        int64_t left = EvalInteger(GetToken(line, ' ', 2));
        int64_t top = EvalInteger(GetToken(line, ' ', 3));
        // Outside full screen the place is taken from the main window's.
        if (!FFullScreen) {
            left += FHost.Window.WindowLeft();
            top += FHost.Window.WindowTop();
        }
        place.Left = ClampToInt(left);
        place.Top = ClampToInt(top);
    }
    if (tokens >= 6) {
        place.Width = EvalInteger(GetToken(line, ' ', 4));
        place.Height = EvalInteger(GetToken(line, ' ', 5));
    }
    if (EvalInteger(GetToken(line, ' ', 1)) != 0)
        FHost.SmallWindows.ShowSubWindow(place);
    else
        FHost.SmallWindows.HideSubWindow();
}

void TEngine::CmdSubWinTitle(const std::string& line)
{
    FHost.SmallWindows.SetSubWindowTitle(FExpr->Evaluate(GetToken(line, ' ', 1)));
}

void TEngine::CmdSubWinTop(const std::string& line)
{
    FHost.SmallWindows.SetSubWindowOnTop(EvalInteger(GetToken(line, ' ', 1)) != 0);
}

void TEngine::CmdSubWinStart(const std::string& /*line*/)
{
    FSubWinMode = 1;
    FSubWinHolder = FBackground ? 2 : 1;
}

void TEngine::CmdSubWinEnd(const std::string& /*line*/)
{
    EndSubWindowMode();
}

void TEngine::EndSubWindowMode()
{
    FSubWinMode = 0;
    FSubWinHolder = 0;
    if (!FFullScreen && !FMsgInGame)
        FHost.SmallWindows.SetMessageWindowVisible(true);
}

void TEngine::ReleaseBackgroundSubWindow()
{
    if (FSubWinHolder == 2)
        EndSubWindowMode();
}
