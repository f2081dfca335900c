// The picture commands that draw into the screen picture and the 33 picture
// buffers: *PICTURE, *GLOAD, *GGET, *GPUT, *GTRANS and *GFREE, and the
// picture loader they share (LoadImage). The commands that replace the
// engine's own pictures are in picture_skins.cpp.
//
// Buffer numbers are checked before anything changes: a number the original
// let through wrote outside its arrays.

#include <algorithm>

#include "base/scope_exit.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "base/tokenizer.h"
#include "classlib/message_flags.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "engine/script/picture_load.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"

namespace {

// The screen picture where a command takes one in place of a buffer.
constexpr int ScreenPicture = -1;
constexpr int LastBuffer = PictureBufferCount - 1;

// `text` is the Shift-JIS error text.
void CheckBuffer(int n, int lowest, const std::string& text)
{
    if (n < lowest || n > LastBuffer)
        throw EScriptError(text);
}

} // namespace

TCommandRows TEngine::PictureCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*PICTURE", cmPicture, cgFirst, &TEngine::CmdPicture},
        {"*GGET", cmGGet, cgFirst, &TEngine::CmdGGet},
        {"*GPUT", cmGPut, cgFirst, &TEngine::CmdGPut},
        {"*GTRANS", cmGTrans, cgFirst, &TEngine::CmdGTrans},
        {"*GLOAD", cmGLoad, cgFirst, &TEngine::CmdGLoad},
        {"*LOADABOUT", cmLoadAbout, cgFirst, &TEngine::CmdLoadAbout},
        {"*LOADMSGWIN", cmLoadMsgWin, cgFirst, &TEngine::CmdLoadMsgWin},
        {"*LOADWAIT", cmLoadWait, cgFirst, &TEngine::CmdLoadWait},
        {"*LOADARROW", cmLoadArrow, cgFirst, &TEngine::CmdLoadArrow},
        {"*GFREE", cmGFree, cgFirst, &TEngine::CmdGFree},
    };
    return rows;
}

bool TEngine::LoadImage(const std::string& Name, int X, TBitmap32& Target, int Y)
{
    TGameFile file = FFiles.Read(Name, TGameFileKind::gkPicture);
    if (!file.Found) {
        HaltedMessageBox(file.FailureText, "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const bool drawn = DrawPicture(file.Data, ExtractFileExt(file.Name), FLoadTrans == 1, Target, X, Y);
    FGrp->UpdateLayout();
    return drawn;
}

void TEngine::CmdPicture(const std::string& line)
{
    const std::string name = WithPictureExt(EvalName(GetToken(line, ' ', 1)));
    const int tokens = CountTokens(line, ' ');
    int x = 0;
    int y = 0;
    if (tokens >= 4) {
        x = EvalInteger(GetToken(line, ' ', 2));
        y = EvalInteger(GetToken(line, ' ', 3));
    }
    const int savedTrans = FLoadTrans;
    TScopeExit restore([&] { FLoadTrans = savedTrans; });
    if (tokens == 5 && EvalInteger(GetToken(line, ' ', 4)) != 0)
        FLoadTrans = 1;
    LoadImage(name, x, FGrp->GetPicture(), y);
}

void TEngine::CmdGLoad(const std::string& line)
{
    const int n = EvalInteger(GetToken(line, ' ', 1));
    CheckBuffer(n, 0, SJ("GLOADのビットマップ番号が不正です"));
    const std::string name = WithPictureExt(EvalName(GetToken(line, ' ', 2)));
    const int tokens = CountTokens(line, ' ');
    int x = 0;
    int y = 0;
    if (tokens >= 5) {
        x = EvalInteger(GetToken(line, ' ', 3));
        y = EvalInteger(GetToken(line, ' ', 4));
    }
    const int savedTrans = FLoadTrans;
    TScopeExit restore([&] { FLoadTrans = savedTrans; });
    if (tokens >= 6 && EvalInteger(GetToken(line, ' ', 5)) != 0)
        FLoadTrans = 1;

    TBitmap32& buffer = FGrp->GetBuffer(n);
    buffer.SetSize(1, 1);
    if (FLoadTrans == 1) {
        buffer.SetDrawMode(dmBlend);
        if (!FGrp->GetBufferUsed(n))
            buffer.Clear(0xFF000000);
    } else {
        buffer.SetDrawMode(dmOpaque);
    }
    FGrp->SetBufferUsed(n, true);
    LoadImage(name, x, buffer, y);
}

void TEngine::CmdGGet(const std::string& line)
{
    const int n = EvalInteger(GetToken(line, ' ', 1));
    CheckBuffer(n, 0, SJ("GGETのビットマップ番号が不正です"));
    const int x = EvalInteger(GetToken(line, ' ', 2));
    const int y = EvalInteger(GetToken(line, ' ', 3));
    const int w = EvalInteger(GetToken(line, ' ', 4));
    const int h = EvalInteger(GetToken(line, ' ', 5));
    int src = ScreenPicture;
    if (CountTokens(line, ' ') == 7) {
        src = EvalInteger(GetToken(line, ' ', 6));
        CheckBuffer(src, ScreenPicture, SJ("GGET/GPUTのビットマップ番号が不正です"));
    }
    // The copy does not mark its buffer: a buffer filled only by *GGET is
    // not saved, as in the original.
    FGrp->CopyToBuffer(n, x, y, w, h, src);
}

void TEngine::CmdGPut(const std::string& line)
{
    const int n = EvalInteger(GetToken(line, ' ', 1));
    CheckBuffer(n, 0, SJ("GPUTのビットマップ番号が不正です"));
    const int x = EvalInteger(GetToken(line, ' ', 2));
    const int y = EvalInteger(GetToken(line, ' ', 3));
    int dst = ScreenPicture;
    if (CountTokens(line, ' ') >= 5) {
        dst = EvalInteger(GetToken(line, ' ', 4));
        CheckBuffer(dst, ScreenPicture, SJ("GGET/GPUTのビットマップ番号が不正です"));
    }
    FGrp->DrawBuffer(n, x, y, dst);
    if (dst != ScreenPicture)
        FGrp->SetBufferUsed(dst, true);
}

void TEngine::CmdGTrans(const std::string& line)
{
    const int n = EvalInteger(GetToken(line, ' ', 1));
    const bool on = EvalInteger(GetToken(line, ' ', 2)) != 0;
    CheckBuffer(n, ScreenPicture, SJ("GTRANSのビットマップ番号が不正です"));
    if (n == ScreenPicture) {
        FLoadTrans = on ? 1 : 0;
        return;
    }
    TBitmap32& buffer = FGrp->GetBuffer(n);
    if (on) {
        buffer.SetDrawMode(dmBlend);
        ClearKeyColor(buffer);
    } else {
        // Keyed pixels stay cleared.
        buffer.SetDrawMode(dmOpaque);
    }
}

void TEngine::CmdGFree(const std::string& line)
{
    const int n = EvalInteger(GetToken(line, ' ', 1));
    const int m = CountTokens(line, ' ') >= 3 ? EvalInteger(GetToken(line, ' ', 2)) : n;
    // A range reaching past the buffers frees those it covers ("*GFREE 0 99"
    // frees them all).
    for (int i = std::max(n, 0); i <= std::min(m, LastBuffer); ++i)
        FGrp->SetBufferUsed(i, false);
}
