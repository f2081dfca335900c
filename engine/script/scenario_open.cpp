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
    if (FFullScreen)
        FHost.Window.SetMenuBarVisible(false);
    else
        SetMessageMode(false);

    if (IsGameRunning()) {
        const int answer = HaltedMessageBox(SJ("他のゲームが動作しています。") + ShownName(ExtractFileName(fileName)) +
                                                SJ("を実行しますか？"),
                                            SJ("確認"), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES)
            return false;
    }

    const std::string path = TGameFiles::FindScenario(fileName);
    if (path.empty()) {
        if (FState != esStartUp)
            HaltedMessageBox(SJ("ファイル") + "\"" + ShownName(fileName) + "\"" + SJ("が開けません"), "TIDEGLASS",
                             MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    FHost.Dialogs.CloseDialogs();
    if (FState == esYesNo)
        return false;

    FState = esCommandWait;
    // Past the point of no return: a halt left by the previous game ends
    // with it, whether or not a confirmation was asked.
    FHalted = false;
    FFiles.SetScenario(path);

    FSound.StopBgm();
    FLabels->Clear();
    FGame.ResetVariables();
    FMain.Stack.Clear();
    FBg.Stack.Clear();
    FCtx = &FMain;
    FScript->Clear();
    FConnectNames->Clear();
    FGlobalScene = -1;
    FIfState = 0;
    FBgRunning = false;
    // Nothing of the previous game may wait for an answer or hold the sub
    // window in the new one.
    FPendingInputLine = -1;
    FSubWinHolder = 0;

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
    FConnectNames->Add(ExtractFileName(path), FScript->Count());
    if (!FFiles.ArchiveMode())
        LoadContinuationFiles();
    CutComments();

    PrepareScript(*FScript);
    // A script without any scene starts at its first line.
    FMain.Scene = std::max(FirstScene(), 0);
    FMain.Line = FMain.Scene;

    FState = esRun;
    FGame.ClearKeywords();
    FHost.CommandLine.SetInputText("");
    if (!FHalted)
        ClearMessages();
    FSubWinMode = 0;
    FBackground = false;
    // After the window is cleared, so that what the scan reports stays.
    BuildCommandListAfterOpen();
    FBg.Line = -1;
    FBg.Scene = -1;
    FBgLabelLine = -1;
    FBgLabel.clear();
    FBgDue = false;
    FBgExecInterval = 1000;
    FBgWaitCount = 0;
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
        FScript->Add(std::move(lines[i]));
}

void TEngine::LoadContinuationFiles()
{
    for (const std::string& path : FFiles.ContinuationFiles())
        if (LoadScriptText(path))
            FConnectNames->Add(ExtractFileName(path), FScript->Count());
}

void TEngine::CutComments()
{
    // In place: a line is only ever shortened.
    bool quoted = false;
    for (int i = 0; i < FScript->Count(); ++i) {
        std::string& line = (*FScript)[i];
        const size_t cut = CommentStart(line, quoted);
        if (cut != std::string::npos)
            line.resize(cut);
    }
}

void TEngine::F1Click()
{
    FPrevState = FState;
    FState = esOpenDialog;
    std::string fileName;
    const bool chosen = ChooseScenario(SJ("読み込める全てのファイル(*.tgp;*.tgs)|*.tgp;*.tgs|タイドグラスシナリオ(*.tgp)|*.tgp|"
                                          "タイドグラススクリプト(*.tgs)|*.tgs"),
                                       fileName);
    FState = FPrevState;
    if (!chosen)
        return;

    const int savedWidth = FBaseWidth;
    const int savedHeight = FBaseHeight;
    FBaseWidth = BaseSizeUnset;
    if (!OpenScenario(fileName)) {
        FBaseWidth = savedWidth;
        FBaseHeight = savedHeight;
        return;
    }
    FMsgHidden = false;
    if (FBaseWidth == BaseSizeUnset) {
        FBaseWidth = 320;
        FBaseHeight = 240;
    }
    FScale = 1.0f;
    ApplyScale(1.0f);
    SetScaleItemsEnabled(true);
    if (FGrp) {
        FGrp->SetWaitAnim(false);
        FGrp->ClearScreen();
    }
    ScheduleNextTick();
}
