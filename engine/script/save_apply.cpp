// Applying a loaded game. The save file was read and decoded in full before
// this runs, so nothing here can fail half way: the game is either as it was
// or as it was saved. What the load cannot restore (a scene or a background
// label the script no longer has, music whose file is gone) is reported and
// the rest of the load goes on.

#include <algorithm>

#include "base/clock.h"
#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "classlib/message_flags.h"
#include "engine/screen/key_str_list.h"
#include "engine/screen/msg_log.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "formats/save/save_file.h"
#include "engine/script/script_error.h"
#include "engine/script/variables.h"

namespace {

bool IsMidiName(const std::string& name)
{
    // The extension must be exactly ".mid": ".MID" is music for the library.
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".mid") == 0;
}

} // namespace

void TEngine::ApplyLoad(TStagedLoad& staged)
{
    // Whatever runs now (a background run, an event label) must not put its
    // own state back over the loaded game.
    ++FRunner.FLoadSerial;
    FSound.StopBgm();
    // Cleared first rather than last, so that the load's own warnings stay
    // on the screen.
    ClearMessages();
    if (staged.Screen)
        LoadScreenImage(*staged.Screen);
    if (staged.ScriptChecksum != ScriptChecksum(FRunner.FScript->Items()))
        HaltedMessageBox(SJ("シナリオが更新されています！正しくゲームが進行しない可能性があります。"), "TIDEGLASS",
            MB_OK | MB_ICONEXCLAMATION);

    if (staged.SceneFound)
        FRunner.FMain.Scene = staged.SceneLine;
    else if (!staged.Scene.empty())
        ShowWarning(SJ("ラベル") + staged.Scene + SJ("が発見できませんでした"));
    // Saves from version 9 on keep no return points: a load inside a
    // subroutine must not return into the game that was left.
    FRunner.FMain.Stack.Clear();
    for (const TSaveReturnPoint& point : staged.MainStack)
        FRunner.FMain.Stack.Push(point.SceneLine, point.ReturnLine);

    FGame.Restore(staged);
    if (staged.ItemCountMismatch)
        ShowWarning(SJ("セーブデータのアイテム数が不一致です。"));

    ApplyLoadedBackground(staged);
    // A save does not keep the sub-window mode: the script that held the sub
    // window now runs from its saved place and need never reach its
    // *SUBWINEND, so the hold ends with the load.
    if (FDisplay.FSubWinMode != 0 || FDisplay.FSubWinHolder != TSubWinHolder::None)
        EndSubWindowMode();
    for (TStagedBuffer& saved : staged.Buffers) {
        TBitmap32& buffer = FScreen.FGrp->GetBuffer(saved.Number);
        buffer.Assign(saved.Picture.get());
        buffer.SetDrawMode(saved.Transparent ? dmBlend : dmOpaque);
        // In use, or the next save would leave the loaded picture out.
        FScreen.FGrp->SetBufferUsed(saved.Number, true);
    }
    if (staged.HasColors)
        for (int i = 0; i < SaveColorCount; ++i)
            FScreen.FMsg->SetColor(i, static_cast<TColor>(staged.Colors[static_cast<size_t>(i)]));

    // Nothing of the game that was left may wait for an answer, a key or the
    // end of a block.
    FRunner.FIfState = 0;
    FCmdInput.Forget();
    FHost.CommandLine.SetQuestionMode(false);
    FRunner.FWaitCount = 0;
    if (FScreen.FGrp)
        FScreen.FGrp->SetWaitAnim(false);

    // The patterns and the load event are the main script's, whichever
    // script loaded.
    const bool background = FRunner.FBackground;
    TScriptContext* const active = FRunner.FCtx;
    FRunner.FBackground = false;
    FRunner.FCtx = &FRunner.FMain;
    try {
        BuildCommandList();
    } catch (...) {
        ReportCurrentException();
    }

    FHost.CommandLine.SetInputText("");
    FRunner.FState = esCommandWait;
    if (TMsgLog* sub = FHost.SmallWindows.SubLog())
        sub->Clear();
    // Last: a music file that has gone is reported without losing the rest.
    RestoreLoadedMusic(staged);
    CallEventLabel("OnLOADGAME");
    FRunner.FBackground = background;
    FRunner.FCtx = active;
}

void TEngine::ApplyLoadedBackground(const TStagedLoad& staged)
{
    if (!staged.HasBackground)
        return;
    FRunner.FBg.Stack.Clear();
    FBgSchedule.FBgDue = false;
    FBgSchedule.FBgWaitCount = 0;
    FBgSchedule.FBgLabel = staged.BgLabel;
    // A save holds whatever its bytes say; an interval below a millisecond
    // would ask for a background tick on every pass and keep the processor
    // busy. The timers count whole milliseconds, so one is the least.
    const int32_t interval = std::max<int32_t>(staged.BgInterval, TEngine::MinBgInterval);
    FBgSchedule.FBgExecInterval = interval;
    FBgSchedule.FBgTickInterval = interval;
    FBgSchedule.FBgRunning = staged.BgRunning && staged.BgLabelFound;
    if (staged.BgRunning && !staged.BgLabelFound)
        ShowWarning(SJ("ラベル") + staged.BgLabel + SJ("が発見できませんでした"));
    if (!FBgSchedule.FBgRunning)
        return;
    FBgSchedule.FBgLabelLine = staged.BgLine;
    FRunner.FBg.Line = staged.BgLine;
    FRunner.FBg.Scene = staged.BgSceneLine;
    FBgSchedule.FBgTickLast = TimeGetTime();
}

void TEngine::RestoreLoadedMusic(const TStagedLoad& staged)
{
    // Music that did not loop had its one play; it is not started again.
    if (!staged.Music.Playing || !staged.Music.Loop)
        return;
    try {
        if (IsMidiName(staged.Music.Name))
            StartMidiBgm(staged.Music.Name, 1);
        else if (FSound.BassUsable())
            PlayBassBgm(staged.Music.Name, 1);
    } catch (const Exception& e) {
        // A file that has gone or is no song: nothing plays, and the game
        // goes on without the music it had.
        FSound.StopBgm();
        HaltedMessageBox(e.Message(), "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
    }
}

void TEngine::LoadScreenImage(const TBitmap32& screen)
{
    // Only the pixels: the picture layer keeps its own drawing properties.
    TBitmap32& picture = FScreen.FGrp->GetPicture();
    picture.SetSize(screen.Width(), screen.Height());
    if (!screen.Empty())
        std::copy_n(screen.Bits(), int64_t(screen.Width()) * screen.Height(), picture.Bits());
    picture.Changed();
}
