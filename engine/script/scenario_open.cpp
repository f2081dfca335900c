// Opening a scenario: the confirmation, reading the script (with its
// continuation files, or out of a packed archive), cutting comments, the
// pre-pass, and the open menu.

#include <algorithm>

#include "base/sjis.h"
#include "base/streams.h"
#include "base/stringlist.h"
#include "classlib/message_flags.h"
#include "engine/screen/tggrp.h"
#include "engine/script/expr.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_text.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"

namespace {

// A file-system name as the message window shows it.
std::string ShownName(const std::string& fileName)
{
    return sjis::FromUtf8(fileName);
}

} // namespace

bool TEngine::OpenScenario(const std::string& fileName)
{
    if (FDisplay.FFullScreen)
        FHost.Window.SetMenuBarVisible(false);
    else
        SetMessageMode(false);

    if (IsGameRunning()) {
        const int answer = HaltedMessageBox(
            SJ("他のゲームが動作しています。") + ShownName(ExtractFileName(fileName)) + SJ("を実行しますか？"),
            SJ("確認"), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES)
            return false;
    }

    const std::string path = TGameFiles::FindScenario(fileName);
    if (path.empty()) {
        if (FRunner.FState != esStartUp)
            HaltedMessageBox(SJ("ファイル") + "\"" + ShownName(fileName) + "\"" + SJ("が開けません"), "TIDEGLASS",
                MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    FHost.Dialogs.CloseDialogs();
    if (FRunner.FState == esYesNo)
        return false;

    FRunner.FState = esCommandWait;
    // Past the point of no return: a halt left by the previous game ends
    // with it, whether or not a confirmation was asked.
    FRunner.FHalted = false;
    FFiles.SetScenario(path);

    FSound.StopBgm();
    FGame.ResetVariables();
    FRunner.Clear();
    FBgSchedule.FBgRunning = false;
    // Nothing of the previous game may wait for an answer or hold the sub
    // window in the new one.
    FCmdInput.Forget();
    FDisplay.FSubWinHolder = TSubWinHolder::None;

    if (FFiles.ArchiveMode()) {
        if (!LoadArchiveScript(path)) {
            HaltedMessageBox(SJ("スクリプトの読み込みに失敗しました"), "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    } else if (!LoadScriptText(path)) {
        HaltedMessageBox(SJ("ファイル") + "\"" + ShownName(fileName) + "\"" + SJ("が開けません"), "TIDEGLASS",
            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    FRunner.FConnectNames->Add(ExtractFileName(path), FRunner.FScript->Count());
    if (!FFiles.ArchiveMode())
        LoadContinuationFiles();
    CutComments();

    PrepareScript(*FRunner.FScript);
    // A script without any scene starts at its first line.
    FRunner.FMain.Scene = std::max(FirstScene(), 0);
    FRunner.FMain.Line = FRunner.FMain.Scene;

    FRunner.FState = esRun;
    FGame.ClearKeywords();
    FHost.CommandLine.SetInputText("");
    if (!FRunner.FHalted)
        ClearMessages();
    FDisplay.FSubWinMode = 0;
    FRunner.FBackground = false;
    // After the window is cleared, so that what the scan reports stays.
    BuildCommandListAfterOpen();
    FRunner.FBg.Line = -1;
    FRunner.FBg.Scene = -1;
    FBgSchedule.Reset();
    ScheduleNextTick();
    return true;
}

bool TEngine::LoadScriptText(const std::string& path)
{
    const std::optional<std::vector<uint8_t>> bytes = TGameFiles::ReadScriptFile(path);
    if (!bytes)
        return false;
    TStringList lines;
    lines.SetText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    AppendScriptLines(lines);
    return true;
}

bool TEngine::LoadArchiveScript(const std::string& path)
{
    // The archive stays open with the scenario: pictures and sounds are
    // read out of it while the game runs.
    TMemoryStream script;
    if (!FFiles.OpenArchive(path, script))
        return false;
    TStringList lines;
    lines.SetText(std::string_view(reinterpret_cast<const char*>(script.Memory()), size_t(script.Size())));
    script.Clear();
    AppendScriptLines(lines);
    return true;
}

void TEngine::AppendScriptLines(TStringList& lines)
{
    // Moved, not copied: a script is held once, whatever the length of its lines.
    for (int i = 0; i < lines.Count(); ++i)
        FRunner.FScript->Add(std::move(lines[i]));
}

void TEngine::LoadContinuationFiles()
{
    for (const std::string& path : FFiles.ContinuationFiles())
        if (LoadScriptText(path))
            FRunner.FConnectNames->Add(ExtractFileName(path), FRunner.FScript->Count());
}

void TEngine::CutComments()
{
    // In place: a line is only ever shortened.
    bool quoted = false;
    for (int i = 0; i < FRunner.FScript->Count(); ++i) {
        std::string& line = (*FRunner.FScript)[i];
        const size_t cut = CommentStart(line, quoted);
        if (cut != std::string::npos)
            line.resize(cut);
    }
}

void TEngine::F1Click()
{
    FRunner.FPrevState = FRunner.FState;
    FRunner.FState = esOpenDialog;
    std::string fileName;
    const bool chosen =
        ChooseScenario(SJ("読み込める全てのファイル(*.tgp;*.tgs)|*.tgp;*.tgs|タイドグラスシナリオ(*.tgp)|*.tgp|"
                          "タイドグラススクリプト(*.tgs)|*.tgs"),
            fileName);
    FRunner.FState = FRunner.FPrevState;
    if (!chosen)
        return;

    const int savedWidth = FDisplay.FBaseWidth;
    const int savedHeight = FDisplay.FBaseHeight;
    FDisplay.FBaseWidth = BaseSizeUnset;
    if (!OpenScenario(fileName)) {
        FDisplay.FBaseWidth = savedWidth;
        FDisplay.FBaseHeight = savedHeight;
        return;
    }
    FDisplay.FMsgHidden = false;
    if (FDisplay.FBaseWidth == BaseSizeUnset) {
        FDisplay.FBaseWidth = 320;
        FDisplay.FBaseHeight = 240;
    }
    FDisplay.FScale = 1.0f;
    ApplyScale(1.0f);
    SetScaleItemsEnabled(true);
    if (FScreen.FGrp) {
        FScreen.FGrp->SetWaitAnim(false);
        FScreen.FGrp->ClearScreen();
    }
    ScheduleNextTick();
}
