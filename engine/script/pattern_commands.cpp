// Typed commands: collecting the ">" pattern lines of the GLOBAL scene and
// of the current scene, choosing the pattern that answers a typed text, and
// handing the script on to the line after it. Also *KEYWORD, which offers a
// word in the command line's keyword menu.

#include <algorithm>
#include <vector>

#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/script/cmd_list.h"
#include "engine/script/command_table.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "engine/script/script_text.h"
#include "engine/script/engine.h"
#include "base/tokenizer.h"

namespace {

// The typed text that answers when no pattern does; a pattern line whose
// only word it is catches every unknown command.
const char* const NoMatchText = "NOMATCH";

} // namespace

TCommandRows TEngine::PatternCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*!IF", cmScanIf, cgPassive, nullptr},
        {"*KEYWORD", cmKeyword, cgFirst, &TEngine::CmdKeyword},
    };
    return rows;
}

void TEngine::BuildCommandList()
{
    // The background script runs with the patterns of the main script's scene.
    if (FRunner.FBackground)
        return;
    FCmdInput.FCmdList->Clear();
    if (FRunner.FGlobalScene >= 0)
        ScanCommandPatterns(FRunner.FGlobalScene);
    ScanCommandPatterns(FRunner.FCtx->Scene);
}

void TEngine::BuildCommandListAfterOpen()
{
    FCmdInput.FCmdList->Clear();
    // A pre-pass that stopped has reported the script's fault and halted;
    // scanning what it did not finish would only add a false report (its
    // scenes unknown, the scan would start at the first line and meet one).
    if (FRunner.FHalted)
        return;
    // The scan evaluates *!IF conditions and may meet a scene that never
    // ended; outside a run nothing else would report that.
    try {
        BuildCommandList();
    } catch (...) {
        ReportCurrentException();
    }
}

void TEngine::ScanCommandPatterns(int startLine)
{
    const int count = FRunner.FScript->Count();
    // An *!IF may send the scan back to lines it has seen; going there again
    // would only repeat them, and for good when the condition stays true.
    std::vector<bool> visited(static_cast<size_t>(std::max(count, 0)), false);
    int i = std::max(startLine, 0);
    while (i < count) {
        visited[static_cast<size_t>(i)] = true;
        const std::string& line = (*FRunner.FScript)[i];
        if (line.empty() || (line[0] != '*' && line[0] != '>')) {
            ++i;
            continue;
        }
        switch (LookupCommand(line)) {
        case cmScanIf: {
            const int target = CmdScanIf(line);
            if (target >= count || (target >= 0 && !visited[static_cast<size_t>(target)])) {
                i = target;
                continue;
            }
            break;
        }
        case cmScene: throw EScriptError(SJ("SCENEが終了していないのに、新しいSCENEが始まっています。"));
        case cmSceneEnd: return;
        case cmPattern: {
            std::array<std::string, TCmdPatternRec::WordSlots> words{};
            const int tokens = std::min(CountTokens(line, ' '), TCmdPatternRec::WordSlots);
            for (int w = 0; w < tokens; ++w)
                words[static_cast<size_t>(w)] = GetToken(line, ' ', w);
            words[0].erase(0, 1);
            AddCommandPattern(words, i + 1);
            break;
        }
        default: break;
        }
        ++i;
    }
}

void TEngine::AddCommandPattern(const std::array<std::string, TCmdPatternRec::WordSlots>& words, int target)
{
    FCmdInput.FCmdList->Add(words, target);
}

int TEngine::CmdScanIf(const std::string& line)
{
    const std::string name = EvalName(GetToken(line, ' ', 2));
    std::string condition = GetToken(line, ' ', 1);
    if (FOptions.FIfMode)
        condition = ConvertCondition(condition);
    if (FExpr->Evaluate(condition) != "1")
        return -1;
    const TLabelRec* label = FRunner.FLabels->Find(name);
    if (!label) {
        AddMessage("Error:" + SJ("ラベル") + name + SJ("が発見できませんでした"));
        return -1;
    }
    return label->Line;
}

bool TEngine::MatchPattern(const std::string& slot, std::string& work, bool exact)
{
    const int alternatives = CountTokens(slot, '/');
    for (int i = 0; i < alternatives; ++i) {
        // Evaluated as a string now, so that braces give today's values.
        const std::string word = FExpr->Evaluate("'" + GetToken(slot, '/', i) + "'");
        if (word.empty())
            continue;
        if (exact) {
            if (word != work)
                continue;
            if (FCmdInput.FStrictMatch)
                work = "*";
            return true;
        }
        const size_t at = sjis::Find(work, word);
        if (at == sjis::npos)
            continue;
        // Strict matching spends the characters a word matched, so that no
        // later word of the pattern can match them again.
        if (FCmdInput.FStrictMatch)
            work.replace(at, word.size(), word.size(), '*');
        return true;
    }
    return false;
}

bool TEngine::FindCommandPattern(const std::string& text, int& target)
{
    const TCmdPatternRec* best = nullptr;
    int bestWords = 0;
    for (int r = 0; r < FCmdInput.FCmdList->Count(); ++r) {
        const TCmdPatternRec& rec = FCmdInput.FCmdList->GetItem(r);
        std::string work = text;
        // A pattern that fills every slot may have lost words of its line;
        // it keeps -1 and is never chosen.
        int words = -1;
        int tried = 0;
        bool matched = false;
        for (int i = 0; i < TCmdPatternRec::WordSlots; ++i) {
            const std::string& slot = rec.Words[static_cast<size_t>(i)];
            if (slot.empty()) {
                words = i;
                break;
            }
            ++tried;
            matched = MatchPattern(slot, work, false);
            if (!matched)
                break;
        }
        if (!matched)
            continue;
        // A one-word pattern answers only the word itself, not any text that
        // happens to contain it.
        if (tried == 1) {
            std::string fresh = text;
            if (!MatchPattern(rec.Words[0], fresh, true))
                words = -1;
        }
        if (words >= bestWords) {
            best = &rec;
            bestWords = words;
        }
    }
    if (best) {
        target = best->Target;
        return true;
    }
    if (!text.empty() && text != NoMatchText)
        return FindCommandPattern(NoMatchText, target);
    return false;
}

void TEngine::SubmitCommand(const std::string& text)
{
    FCmdInput.FLastInput = text;
    // An inline *INPUT or *YESNO takes the text as its answer: its line runs
    // again and echoes the answer itself.
    if (FCmdInput.Asked()) {
        ContinueMainScript(FCmdInput.FPendingInputLine);
        return;
    }
    AddMessage("> " + text);
    int target = 0;
    bool found = false;
    try {
        found = FindCommandPattern(text, target);
    } catch (...) {
        ReportCurrentException();
        return;
    }
    if (found) {
        ContinueMainScript(target);
    } else {
        FHost.CommandLine.SetInputText("");
        FHost.CommandLine.FocusInput();
    }
}

void TEngine::ContinueMainScript(int line)
{
    // Typed commands belong to the main script, whatever a background run
    // left in the current line and scene.
    FRunner.SelectContext(false);
    FRunner.FCtx->Line = line;
    FRunner.FState = esRun;
    FRunner.SaveContext();
    ScheduleNextTick();
}

void TEngine::CmdKeyword(const std::string& line)
{
    FGame.AddKeyword(EvalName(GetToken(line, ' ', 1)));
}
