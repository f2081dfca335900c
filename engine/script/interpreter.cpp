// The interpreter loop: runs the active context's lines until a line stops
// it, hands command lines to the command table, shows message lines, and
// turns every error on the way into an error report that halts the engine.

#include "base/clock.h"
#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/command_table.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "engine/script/script_text.h"
#include "engine/script/tideglass_form.h"

namespace {

// A run also gives the event loop a turn when it has taken this long (the
// clock is looked at every RunClockLines lines): message lines cost far more
// than assignments, so a line count alone would not keep the window alive.
constexpr uint32_t RunSliceMs = 100;
constexpr int RunClockLines = 64;

class TRunDepthGuard {
public:
    explicit TRunDepthGuard(int& depth) : FDepth(depth) { ++FDepth; }
    ~TRunDepthGuard() { --FDepth; }
    TRunDepthGuard(const TRunDepthGuard&) = delete;
    TRunDepthGuard& operator=(const TRunDepthGuard&) = delete;

private:
    int& FDepth;
};

} // namespace

const TTideglassForm::TCommandHandler* TTideglassForm::CommandHandlers()
{
    static const auto table = [] {
        std::array<TCommandHandler, CommandSlotCount> handlers{};
        handlers.fill(&TTideglassForm::CmdNotAvailable);
        for (int slot : {cmNone, cmScene, cmSceneEnd, cmLabel, cmItem, cmItemEnd, cmEnd, cmPattern, cmScanIf})
            handlers[static_cast<size_t>(slot)] = &TTideglassForm::CmdNothing;
        handlers[cmGoto] = &TTideglassForm::CmdGoto;
        handlers[cmIf] = &TTideglassForm::CmdIfLine;
        handlers[cmPicture] = &TTideglassForm::CmdPicture;
        handlers[cmAssign] = &TTideglassForm::CmdAssign;
        handlers[cmScreen] = &TTideglassForm::CmdScreen;
        handlers[cmTitle] = &TTideglassForm::CmdTitle;
        handlers[cmWait] = &TTideglassForm::CmdWait;
        handlers[cmGosub] = &TTideglassForm::CmdGosub;
        handlers[cmGameEnd] = &TTideglassForm::CmdGameEnd;
        handlers[cmKeyWait] = &TTideglassForm::CmdKeyWait;
        handlers[cmKeyWaitShort] = &TTideglassForm::CmdKeyWait;
        handlers[cmIfPicture] = &TTideglassForm::CmdIfPicture;
        handlers[cmElse] = &TTideglassForm::CmdElse;
        handlers[cmElif] = &TTideglassForm::CmdElifLine;
        handlers[cmEndIf] = &TTideglassForm::CmdEndIf;
        handlers[cmDatOpen] = &TTideglassForm::CmdDatOpen;
        handlers[cmDatWrite] = &TTideglassForm::CmdDatWrite;
        handlers[cmDatRead] = &TTideglassForm::CmdDatRead;
        handlers[cmDatClose] = &TTideglassForm::CmdDatClose;
        handlers[cmDatExist] = &TTideglassForm::CmdDatExist;
        handlers[cmDatWriteS] = &TTideglassForm::CmdDatWriteS;
        handlers[cmDatReadS] = &TTideglassForm::CmdDatReadS;
        handlers[cmBgExec] = &TTideglassForm::CmdBgExec;
        handlers[cmBgStop] = &TTideglassForm::CmdBgStop;
        handlers[cmBgReturn] = &TTideglassForm::CmdBgReturn;
        handlers[cmKeyword] = &TTideglassForm::CmdKeyword;
        handlers[cmCls] = &TTideglassForm::CmdCls;
        return handlers;
    }();
    return table.data();
}

void TTideglassForm::CmdNotAvailable(const std::string& line)
{
    throw EScriptError(SJ("この命令はまだ使えません - ") + line);
}

void TTideglassForm::CmdNothing(const std::string&) {}

void TTideglassForm::RunHandler(int slot, const std::string& line)
{
    (this->*CommandHandlers()[slot])(line);
}

TTideglassForm::TStep TTideglassForm::RunCommand(int slot, const std::string& line)
{
    if (slot == cmSceneEnd || slot == cmEnd || slot == cmPattern)
        return TStep::EndBlock;
    if (IsFirstGroupCommand(slot)) {
        RunHandler(slot, line);
        // Data that cannot be read (missing or tampered with) ends the block
        // as *END does, so the game does not go on without its values.
        if (slot == cmDatOpen && !FDatFile.IsOpen())
            return TStep::EndBlock;
        if (slot == cmBgReturn) {
            // The main script stops at the label and waits for a typed
            // command, so the command line must take one.
            if (!FBackground)
                SetInputEnabled(true);
            return TStep::StopHere;
        }
    }
    // An inline *INPUT or *YESNO waits: the run stops at its line, leaving
    // any *GOSUB return point where it is for the answer's run.
    if (!FBackground && FPendingInputLine != -1)
        return TStep::StopFinish;
    if (IsSecondGroupCommand(slot))
        RunHandler(slot, line);
    switch (slot) {
    case cmNone:
        throw EScriptError(SJ("未定義の命令です - ") + line);
    case cmKeyWait:
    case cmKeyWaitShort:
    case cmWait:
        RunHandler(slot, line);
        return TStep::StopAfter;
    default:
        return TStep::Next;
    }
}

void TTideglassForm::RunScript()
{
    const TRunDepthGuard guard(FRunDepth);
    if (!FBackground)
        SetInputEnabled(false);
    int budget = FRunSliceLines;
    const uint32_t started = TimeGetTime();
    try {
        for (;;) {
            TStep stop = TStep::EndBlock;
            while (FLine < FScript->Count()) {
                if (FLine < 0)
                    FLine = 0;
                if (--budget < 0 ||
                    (budget % RunClockLines == 0 && IntervalElapsed(TimeGetTime(), started, RunSliceMs))) {
                    FRunYielded = true;
                    return;
                }
                const std::string line = sjis::Trim((*FScript)[FLine]);
                if (line.empty() || (line[0] != '*' && line[0] != '>')) {
                    if (!line.empty() && line[0] != '#')
                        ShowMessageLine(line);
                    ++FLine;
                    continue;
                }
                const TStep step = RunCommand(LookupCommand(line), line);
                if (step != TStep::Next) {
                    stop = step;
                    break;
                }
                ++FLine;
            }
            if (stop == TStep::StopAfter) {
                ++FLine;
                return;
            }
            if (stop == TStep::StopHere)
                return;
            if (stop == TStep::StopFinish || FStack->Empty())
                break;
            // The end of a subroutine's block: back to its caller.
            const TGameStackRec rec = FStack->Pop();
            if (rec.SceneLine != FScene && rec.SceneLine != FGlobalScene) {
                FScene = rec.SceneLine;
                BuildCommandList();
            }
            FLine = rec.ReturnLine;
        }
        if (!FBackground)
            SetInputEnabled(true);
        else if (FState == esRun)
            FLine = FBgLabelLine;
    } catch (...) {
        ReportCurrentException();
    }
}

void TTideglassForm::ShowMessageLine(const std::string& line)
{
    // The tag flag is set for this one text and cleared whatever happens,
    // so that an error report that follows is shown as it stands.
    struct TTagScope {
        TTGMsg* Msg;
        ~TTagScope()
        {
            if (Msg)
                Msg->FTagMode = false;
        }
    } scope{FMsg.get()};
    if (FMsg && FTagMode)
        FMsg->FTagMode = true;
    AddMessage(ExpandText(line, true));
}

std::string TTideglassForm::ExpandText(const std::string& line, bool topLevel)
{
    return ::ExpandText(
        line, topLevel, [this](const std::string& expression) { return FExpr->Evaluate(expression); },
        [this](const std::string& word) { AddKeyword(word); });
}

void TTideglassForm::ShowScriptError(const std::string& text)
{
    FHalted = true;
    std::string report;
    if (!text.empty() && text[0] == '!') {
        report = "Error! ( " + sjis::FromUtf8(FScenarioName) + " ) " + text.substr(1);
    } else {
        report = "Error! ( " + sjis::FromUtf8(FConnectNames->GetFileName(FLine)) + " : line " +
                 IntToStr(FConnectNames->GetFileLine(FLine)) + " ) " + text;
    }
    AddMessage(report);
}

void TTideglassForm::ShowWarning(const std::string& text)
{
    if (FWarningLevel > 0)
        AddMessage("Warning ! :" + text);
}

void TTideglassForm::AddMessage(const std::string& text)
{
    if (FMsg)
        FMsg->AddText(text);
}

void TTideglassForm::ClearMessages()
{
    if (FMsg)
        FMsg->Clear();
}

void TTideglassForm::AddKeyword(const std::string& word)
{
    if (FInput)
        FInput->AddKeyword(word);
}
