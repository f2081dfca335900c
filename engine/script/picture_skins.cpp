// The commands that replace the engine's own pictures: the about box
// (*LOADABOUT), the wait animation (*LOADWAIT), the scroll marks
// (*LOADARROW) and the message-window frame (*LOADMSGWIN).
//
// A picture that fails to load keeps the old one in place: the original went
// on with an empty picture and left an empty frame, no wait mark or a 0 x 0
// about box behind.

#include "base/tokenizer.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/picture_load.h"
#include "graphics/bitmap32_list.h"
#include "graphics/layers.h"

namespace {

// The cell size of the wait and scroll marks and the wait frame time (in
// 100 ms) when the script gives none.
constexpr int DefaultCellSize = 24;
constexpr int DefaultFrameTime = 5;

// The up and down marks take the first two cells of their sheet.
constexpr int ScrollMarkCells = 2;

} // namespace

std::unique_ptr<TBitmap32> TEngine::LoadSkinPicture(const std::string& file, const std::string& mask)
{
    auto picture = std::make_unique<TBitmap32>();
    if (!LoadImage(file, 0, *picture, 0))
        return nullptr;
    // An empty mask name is how a script gives a size without a mask.
    if (mask.empty()) {
        picture->SetDrawMode(dmOpaque);
        return picture;
    }
    TBitmap32 maskPicture;
    if (!LoadImage(mask, 0, maskPicture, 0))
        return nullptr;
    ApplyPictureMask(*picture, maskPicture);
    return picture;
}

void TEngine::CmdLoadAbout(const std::string& line)
{
    TBitmap32 picture;
    if (LoadImage(WithPictureExt(EvalName(GetToken(line, ' ', 1))), 0, picture, 0))
        FHost.Window.SetAboutPicture(picture);
}

void TEngine::CmdLoadWait(const std::string& line)
{
    const int tokens = CountTokens(line, ' ');
    const std::string file = EvalName(GetToken(line, ' ', 1));
    const std::string mask = tokens > 2 ? EvalName(GetToken(line, ' ', 2)) : std::string();
    const int size = tokens >= 4 ? EvalInteger(GetToken(line, ' ', 3)) : DefaultCellSize;
    const int time = tokens >= 5 ? EvalInteger(GetToken(line, ' ', 4)) : DefaultFrameTime;

    const std::unique_ptr<TBitmap32> picture = LoadSkinPicture(file, mask);
    if (!picture)
        return;
    const std::vector<std::unique_ptr<TBitmap32>> cells = CutPictureCells(*picture, size);
    TBitmap32Collection& frames = WaitGrpList().Bitmaps();
    for (size_t i = 0; i < cells.size(); ++i) {
        if (frames.Count() <= int(i))
            frames.Add();
        frames.Items(int(i)).SetBitmap(*cells[i]);
    }
    // Frames beyond the new count stay in the list, unused.
    FGrp->FWaitCount = int(cells.size());
    FGrp->FWaitInterval = WaitFrameInterval(time);
    FGrp->ShowWaitFrame();
    FGrp->UpdateLayout();
}

void TEngine::CmdLoadArrow(const std::string& line)
{
    const int tokens = CountTokens(line, ' ');
    const std::string file = EvalName(GetToken(line, ' ', 1));
    const std::string mask = tokens > 2 ? EvalName(GetToken(line, ' ', 2)) : std::string();
    const int size = tokens >= 4 ? EvalInteger(GetToken(line, ' ', 3)) : DefaultCellSize;

    const std::unique_ptr<TBitmap32> picture = LoadSkinPicture(file, mask);
    if (!picture)
        return;
    const std::vector<std::unique_ptr<TBitmap32>> cells = CutPictureCells(*picture, size, ScrollMarkCells);
    for (size_t i = 0; i < cells.size(); ++i)
        FGrp->GetOverlay(int(i) + 1)->SetBitmap(*cells[i]);
    // The marks' boxes take the new cells' size.
    FGrp->UpdateLayout();
}

void TEngine::CmdLoadMsgWin(const std::string& line)
{
    const std::string file = EvalName(GetToken(line, ' ', 1));
    const std::string mask = CountTokens(line, ' ') >= 3 ? EvalName(GetToken(line, ' ', 2)) : std::string();
    if (const std::unique_ptr<TBitmap32> picture = LoadSkinPicture(file, mask))
        FMsg->SetSkin(*picture);
}
