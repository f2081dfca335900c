// Saved games: *SAVE gathers the whole game and writes it all at once;
// *LOAD reads and decodes a whole save file before the game changes at all,
// so that a bad file leaves the game as it was.

#include <algorithm>

#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "base/tokenizer.h"
#include "classlib/message_flags.h"
#include "engine/screen/key_str_list.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "formats/save/save_error.h"
#include "formats/save/save_file.h"
#include "engine/script/save/save_location.h"
#include "engine/script/variables.h"

TCommandRows TEngine::SaveCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*SAVE", cmSave, cgFirst, &TEngine::CmdSave},
        {"*LOAD", cmLoad, cgFirst, &TEngine::CmdLoadLine},
    };
    return rows;
}

TSavePlace TEngine::SavePlace(const std::string& line)
{
    TSavePlace place;
    place.ScenarioDir = FFiles.ScenarioDir();
    place.BaseName = FFiles.ScenarioName();
    place.ProgramDir = FFiles.ExeDir();
    place.Number = EvalVarTerm(GetToken(line, ' ', 1), false);
    if (CountTokens(line, ' ') > 2)
        place.Where = EvalVarTerm(GetToken(line, ' ', 2), false);
    return place;
}

void TEngine::CmdSave(const std::string& line)
{
    const TSavePlace place = SavePlace(line);
    const bool confirm = CountTokens(line, ' ') < 4 || EvalInteger(GetToken(line, ' ', 3)) == 0;
    if (confirm && !FindSaveFile(place).empty()) {
        // The question does not halt the engine; the tick goes on inside it.
        ScheduleNextTick();
        if (FHost.Dialogs.MessageBox(SJ("セーブデータが存在します。上書きしてもよろしいですか？"), SJ("選択"),
                MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }

    const std::vector<uint8_t> bytes = BuildSaveFile(CollectSaveGame());
    const std::string path = SaveWritePath(place);
    if (!WriteSaveFileBytes(path, bytes)) {
        // The old save stays as it was; the player hears of it and the script
        // goes on.
        const TEngineState state = FRunner.FState;
        FRunner.FState = esCommandWait;
        HaltedMessageBox(SJ("セーブデータ") + sjis::FromUtf8(path) + SJ("が作成できませんでした"), "TIDEGLASS",
            MB_OK | MB_ICONEXCLAMATION);
        FRunner.FState = state;
    }
}

TSaveGame TEngine::CollectSaveGame() const
{
    TSaveGame game;
    game.Screen = &FScreen.FGrp->GetPicture();
    game.ScriptChecksum = ScriptChecksum(FRunner.FScript->Items());
    // A load puts the scene back into the main script, whichever script saved.
    game.Scene = FRunner.FLabels->GetNameByLine(FRunner.FMain.Scene);
    game.Music = {FSound.BgmPlaying(), FSound.BgmLoop() != 0, FSound.BgmName()};

    FGame.Store(game);

    game.BgRunning = FBgSchedule.FBgRunning;
    game.BgLabel = FBgSchedule.FBgLabel;
    // The interval of *BGEXEC, not the 100 ms steps of a background *WAIT
    // that may be counting down now.
    game.BgInterval = FBgSchedule.FBgExecInterval;
    for (int n = 0; n < PictureBufferCount; ++n) {
        if (!FScreen.FGrp->GetBufferUsed(n))
            continue;
        const TBitmap32& buffer = FScreen.FGrp->GetBuffer(n);
        game.Buffers.push_back({n, buffer.DrawMode() == dmBlend, &buffer});
    }

    for (int i = 0; i < SaveColorCount; ++i)
        game.Colors[static_cast<size_t>(i)] = static_cast<uint32_t>(FScreen.FMsg->GetColor(i));
    return game;
}

void TEngine::CmdLoadLine(const std::string& line)
{
    if (!CmdLoad(line))
        return;
    SetInputEnabled(true);
    FHost.CommandLine.FocusInput();
    StopRunAtCommand();
}

bool TEngine::CmdLoad(const std::string& line)
{
    const TSavePlace place = SavePlace(line);
    const std::string path = FindSaveFile(place);
    if (path.empty()) {
        HaltedMessageBox(
            SJ("セーブデータ") + sjis::FromUtf8(PrimarySaveFolder(place) + SaveFileName(place)) + SJ("がありません。"),
            "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    TSaveReadContext context;
    context.ItemCount = FGame.Items().Count();
    context.FlagListSize = FGame.Flags().Count();
    context.StringListSize = FGame.SVars().Count();
    context.FindLabel = [this](const std::string& name, int32_t& labelLine, int32_t& sceneLine) {
        const TLabelRec* label = FRunner.FLabels->Find(name);
        if (!label)
            return false;
        labelLine = label->Line;
        sceneLine = label->SceneLine;
        return true;
    };
    TStagedLoad staged;
    try {
        staged = StageSaveFile(ReadSaveFileBytes(path), context);
    } catch (const ESaveFormatError& e) {
        HaltedMessageBox(e.Message(), "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
        return false;
    } catch (const EStreamError& e) {
        // A file that cannot be read (or is far too large to be a save) is no
        // save the player can load either.
        HaltedMessageBox(ESaveFormatError(e.what()).Message(), "TIDEGLASS", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    ApplyLoad(staged);
    return true;
}
