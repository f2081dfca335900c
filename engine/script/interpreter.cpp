// The interpreter loop: runs the active context's lines until a line stops
// it, hands command lines to their handlers through the command table,
// shows message lines, and turns every error on the way into an error
// report that halts the engine.

#include "base/clock.h"
#include "base/conv.h"
#include "base/exceptions.h"
#include "base/scope_exit.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "engine/script/script_text.h"

namespace {

// A run also gives the event loop a turn when it has taken this long (the
// clock is looked at every RunClockLines lines): message lines cost far more
// than assignments, so a line count alone would not keep the window alive.
constexpr uint32_t RunSliceMs = 100;
constexpr int RunClockLines = 64;

// The line without blanks and control characters at either end.
std::string_view TrimmedLine(std::string_view s)
{
    // A trail byte is never 20h or below.
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return s.substr(b, e - b);
}

} // namespace

TCommandRows TEngine::InterpreterCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"", cmNone, cgSecond, &TEngine::CmdUndefined},
        {"*SCENEEND", cmSceneEnd, cgEndBlock, nullptr},
        {"*END", cmEnd, cgEndBlock, nullptr},
        {"", cmPattern, cgEndBlock, nullptr},
    };
    return rows;
}

void TEngine::CmdUndefined(const std::string& line)
{
    throw EScriptError(SJ("未定義の命令です - ") + line);
}

void TEngine::RunHandler(const TCommandRow& row, const std::string& line)
{
    (this->*row.Handler)(line);
}

TEngine::TStep TEngine::RunCommand(int slot, const std::string& line)
{
    using enum TCommandGroup;
    const TCommandRow& row = CommandRow(slot);
    if (row.Group == cgEndBlock)
        return TStep::EndBlock;
    if (row.Group == cgFirst) {
        FRunner.FRunStep = TStep::Next;
        RunHandler(row, line);
        if (FRunner.FRunStep != TStep::Next)
            return FRunner.FRunStep;
    }
    // An inline *INPUT or *YESNO waits: the run stops at its line, leaving
    // any *GOSUB return point where it is for the answer's run.
    if (!FRunner.FBackground && FCmdInput.Asked())
        return TStep::StopFinish;
    switch (row.Group) {
    case cgSecond: RunHandler(row, line); return TStep::Next;
    case cgStop: RunHandler(row, line); return TStep::StopAfter;
    default: return TStep::Next;
    }
}

void TEngine::RunScript()
{
    // An event label runs a nested run from inside a handler; the handler's
    // own request to stop the run must survive it.
    ++FRunner.FRunDepth;
    const TStep outerStep = FRunner.FRunStep;
    const TScopeExit leave([this, outerStep] {
        --FRunner.FRunDepth;
        FRunner.FRunStep = outerStep;
    });
    if (!FRunner.FBackground)
        SetInputEnabled(false);
    int budget = FRunner.FRunSliceLines;
    const uint32_t started = TimeGetTime();
    const uint32_t loadSerial = FRunner.FLoadSerial;
    try {
        for (;;) {
            TStep stop = TStep::EndBlock;
            while (FRunner.FCtx->Line < FRunner.FScript->Count()) {
                if (FRunner.FCtx->Line < 0)
                    FRunner.FCtx->Line = 0;
                if (--budget < 0 ||
                    (budget % RunClockLines == 0 && IntervalElapsed(TimeGetTime(), started, RunSliceMs))) {
                    FRunner.FRunYielded = true;
                    return;
                }
                // A message line is shown from the script itself; only a
                // command line is copied for its handler.
                const std::string_view text = TrimmedLine((*FRunner.FScript)[FRunner.FCtx->Line]);
                if (text.empty() || (text[0] != '*' && text[0] != '>')) {
                    if (!text.empty() && text[0] != '#')
                        ShowMessageLine(text);
                    ++FRunner.FCtx->Line;
                    continue;
                }
                const std::string line(text);
                const TStep step = RunCommand(LookupCommand(line), line);
                // A game loaded under this run (an event label the command
                // ran may have loaded one): the loaded game waits for a
                // typed command, and this run has nothing left to go on with.
                if (FRunner.FLoadSerial != loadSerial)
                    return;
                if (step != TStep::Next) {
                    stop = step;
                    break;
                }
                ++FRunner.FCtx->Line;
            }
            if (stop == TStep::StopAfter) {
                ++FRunner.FCtx->Line;
                return;
            }
            if (stop == TStep::StopHere)
                return;
            if (stop == TStep::StopFinish || FRunner.FCtx->Stack.Empty())
                break;
            // The end of a subroutine's block: back to its caller.
            const TGameStackRec rec = FRunner.FCtx->Stack.Pop();
            if (rec.SceneLine != FRunner.FCtx->Scene && rec.SceneLine != FRunner.FGlobalScene) {
                FRunner.FCtx->Scene = rec.SceneLine;
                BuildCommandList();
            }
            FRunner.FCtx->Line = rec.ReturnLine;
        }
        if (!FRunner.FBackground)
            SetInputEnabled(true);
        else if (FRunner.FState == esRun)
            FRunner.FCtx->Line = FBgSchedule.FBgLabelLine;
    } catch (...) {
        ReportCurrentException();
    }
}

void TEngine::ShowMessageLine(std::string_view line)
{
    // The tag flag is set for this one text and cleared whatever happens,
    // so that an error report that follows is shown as it stands.
    TTGMsg* const msg = FScreen.FMsg.get();
    const TScopeExit clearTag([msg] {
        if (msg)
            msg->FTagMode = false;
    });
    if (msg && FOptions.FTagMode)
        msg->FTagMode = true;
    // A line without braces or brackets is shown as it stands.
    if (sjis::Find(line, '{') == sjis::npos && sjis::Find(line, '[') == sjis::npos) {
        if (msg)
            msg->AddText(line);
        return;
    }
    AddMessage(ExpandText(line, true));
}

std::string TEngine::ExpandText(std::string_view line, bool topLevel)
{
    return ::ExpandText(
        line, topLevel,
        [this](const std::string& expression) {
            std::string value = FExpr->Evaluate(expression);
            return TEvaluatedText(std::move(value), FExpr->LastInputRead);
        },
        [this](const std::string& word) { AddKeyword(word); });
}

void TEngine::ShowScriptError(const std::string& text)
{
    FRunner.FHalted = true;
    std::string report;
    if (!text.empty() && text[0] == '!') {
        report = "Error! ( " + sjis::FromUtf8(FFiles.ScenarioName()) + " ) " + text.substr(1);
    } else {
        report = "Error! ( " + sjis::FromUtf8(FRunner.FConnectNames->GetFileName(FRunner.FCtx->Line)) + " : line " +
                 IntToStr(FRunner.FConnectNames->GetFileLine(FRunner.FCtx->Line)) + " ) " + text;
    }
    AddMessage(report);
}

void TEngine::ShowWarning(const std::string& text)
{
    if (FOptions.FWarningLevel > 0)
        AddMessage("Warning ! :" + text);
}

void TEngine::ReportCurrentException()
{
    try {
        throw;
    } catch (const EConvertError&) {
        ShowScriptError(SJ("文字列を数字に変換出来ませんでした。"));
    } catch (const Exception& e) {
        ShowScriptError(e.Message());
    } catch (const std::exception& e) {
        ShowScriptError(e.what());
    }
}

void TEngine::AddMessage(const std::string& text)
{
    if (FScreen.FMsg)
        FScreen.FMsg->AddText(text);
}

void TEngine::ClearMessages()
{
    if (FScreen.FMsg)
        FScreen.FMsg->Clear();
}

void TEngine::AddKeyword(const std::string& word)
{
    FGame.AddKeyword(word);
}
