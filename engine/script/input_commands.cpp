// Asking the player: *INPUT and *YESNO through their dialogs or inline in
// the command line; and the command line's settings: *SETINPUT, *SETKEY,
// *CHECKSTRICT, *FUNCDISP, *FUNCTEXT, *INPUTSIZE, with *ISMATCH and
// *FHEIGHTRATE.
//
// An inline question belongs to the main script: its first pass shows the
// prompt and stops the run with FPendingInputLine set; the next line the
// player enters runs the same line again (SubmitCommand), which then takes
// FLastInput as the answer. Other contexts (the background script, event
// labels) ask through the dialogs.

#include <algorithm>
#include <array>
#include <limits>

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/tokenizer.h"
#include "engine/screen/key_str_list.h"
#include "engine/screen/modal_result.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "engine/script/variables.h"
#include "classlib/message_flags.h"

namespace {

// The font sizes (points) *INPUTSIZE chooses from.
constexpr std::array<int, 3> FontSizes = {9, 12, 18};
// The function-key labels *FUNCTEXT may set.
constexpr int KeyLabelCount = 25;

// A number as the player may type it: an optional "-" and decimal digits,
// within 32 bits.
bool ParseTypedNumber(const std::string& text, int32_t& value)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        i = 1;
    if (i >= text.size())
        return false;
    int64_t n = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
        if (n > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    if (negative)
        n = -n;
    if (n > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(n);
    return true;
}

int FontIndex(int32_t n)
{
    return std::clamp(n, 0, static_cast<int32_t>(FontSizes.size()) - 1);
}

} // namespace

TCommandRows TEngine::InputCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*INPUT", cmInput, cgFirst, &TEngine::CmdInput},
        {"*YESNO", cmYesNo, cgFirst, &TEngine::CmdYesNo},
        {"*SETINPUT", cmSetInput, cgSecond, &TEngine::CmdSetInput},
        {"*INPUTSIZE", cmInputSize, cgSecond, &TEngine::CmdInputSize},
        {"*ISMATCH", cmIsMatch, cgFirst, &TEngine::CmdIsMatch},
        {"*SETKEY", cmSetKey, cgFirst, &TEngine::CmdSetKey},
        {"*FUNCDISP", cmFuncDisp, cgSecond, &TEngine::CmdFuncDisp},
        {"*FUNCTEXT", cmFuncText, cgSecond, &TEngine::CmdFuncText},
        {"*CHECKSTRICT", cmCheckStrict, cgSecond, &TEngine::CmdCheckStrict},
        {"*FHEIGHTRATE", cmFHeightRate, cgSecond, &TEngine::CmdFHeightRate},
    };
    return rows;
}

bool TEngine::StoreInput(const std::string& target, const std::string& text, bool asText, bool& notANumber)
{
    notANumber = false;
    if (text.empty())
        return false;
    if (asText) {
        // The typed text goes into the variable as it stands: as part of an
        // assignment an apostrophe or a brace in it would be script code.
        FExpr->Evaluate(target);
        const TExprValue ref = FExpr->RawResult;
        if (ref.Kind == ekSVar) {
            int index = ref.IntValue;
            if (index < 0 && !ref.StrValue.empty())
                FGame.SVars().IndexOfName(ref.StrValue, index);
            FGame.SVars().GetItem(index)->Value = text;
            return true;
        }
        // A flag or an item takes a text only when it is a number.
        int32_t value = 0;
        if (!ParseTypedNumber(text, value))
            throw EConvertError("'" + text + "' is not a valid integer value");
        FExpr->Evaluate(target + "=" + IntToStr(value));
        return true;
    }
    int32_t value = 0;
    if (!ParseTypedNumber(text, value)) {
        notANumber = true;
        return false;
    }
    FExpr->Evaluate(target + "=" + IntToStr(value));
    return true;
}

void TEngine::CmdInput(const std::string& line)
{
    const int tokens = CountTokens(line, ' ');
    const bool pending = AsksInline() && FCmdInput.Asked();
    const std::string prompt = EvalName(GetToken(line, ' ', 1));
    const std::string target = GetToken(line, ' ', 2);
    const bool asText = tokens >= 4 && EvalInteger(GetToken(line, ' ', 3)) != 0;
    const bool inlineAsked = tokens > 4 && EvalInteger(GetToken(line, ' ', 4)) != 0;
    bool notANumber = false;

    if (pending) {
        AddMessage("? " + FCmdInput.FLastInput);
        if (StoreInput(target, FCmdInput.FLastInput, asText, notANumber)) {
            FHost.CommandLine.SetQuestionMode(false);
            FCmdInput.Forget();
        } else if (notANumber) {
            AddMessage(SJ("数字のみを入力してください"));
        }
        FRunner.FState = esRun;
        return;
    }
    if (inlineAsked && AsksInline()) {
        FCmdInput.Ask(FRunner.FCtx->Line);
        AddMessage(prompt);
        FHost.CommandLine.SetQuestionMode(true);
        FRunner.FState = esRun;
        return;
    }

    FRunner.FState = esCommandWait;
    for (;;) {
        std::string text;
        ScheduleNextTick();
        if (FHost.Dialogs.AskInput(prompt, text) == mrAbort) {
            // Abandoned: a scenario was opened or the program closes. This
            // run has nothing left to go on with.
            StopRunAtCommand();
            return;
        }
        if (StoreInput(target, text, asText, notANumber))
            break;
        HaltedMessageBox(notANumber ? SJ("数字のみを入力してください") : SJ("正しく入力してください"), "TIDEGLASS",
            MB_OK | MB_ICONEXCLAMATION);
    }
    FRunner.FState = esRun;
}

void TEngine::CmdYesNo(const std::string& line)
{
    const int tokens = CountTokens(line, ' ');
    const bool pending = AsksInline() && FCmdInput.Asked();
    const std::string prompt = EvalName(GetToken(line, ' ', 1));
    const std::string yesLabel = EvalName(GetToken(line, ' ', 2));
    const std::string noLabel = EvalName(GetToken(line, ' ', 3));
    const int32_t inlineMode = tokens >= 5 ? EvalInteger(GetToken(line, ' ', 4)) : 0;

    const std::string* chosen = nullptr;
    if (pending) {
        const std::string answer = sjis::LowerCase(FCmdInput.FLastInput);
        AddMessage("? " + answer);
        const bool yes =
            answer == "y" || answer == "yes" || answer == SJ("ｙ") || answer == SJ("ｙｅｓ") || answer == SJ("はい");
        chosen = yes ? &yesLabel : &noLabel;
        FCmdInput.Forget();
        FHost.CommandLine.SetQuestionMode(false);
    } else if (inlineMode != 0 && AsksInline()) {
        FCmdInput.Ask(FRunner.FCtx->Line);
        std::string shown = prompt;
        if (inlineMode == 1)
            shown += " ( [y]es / [n]o )";
        else if (inlineMode == 2)
            shown += SJ(" ( はい / いいえ )");
        AddMessage(shown);
        FHost.CommandLine.SetQuestionMode(true);
    } else {
        FRunner.FState = esYesNo;
        ScheduleNextTick();
        const int result = FHost.Dialogs.AskYesNo(prompt);
        if (result == mrAbort) {
            // The program closes under the dialog: no answer was given.
            StopRunAtCommand();
            return;
        }
        chosen = result == mrYes ? &yesLabel : &noLabel;
    }
    if (chosen) {
        const TLabelRec& label = FindLabel(*chosen);
        JumpTo(label.Line, label.SceneLine);
    }
    FRunner.FState = esRun;
}

void TEngine::CmdSetInput(const std::string& line)
{
    SetInputEnabled(EvalInteger(GetToken(line, ' ', 1)) == 1);
}

void TEngine::CmdSetKey(const std::string& line)
{
    const std::string name = EvalName(GetToken(line, ' ', 1));
    const std::string text = EvalName(GetToken(line, ' ', 2));
    const uint16_t key = FHost.CommandLine.KeyNames().KeyOf(name);
    if (key == 0)
        throw EScriptError(SJ("キー'") + name + SJ("'は定義できません。"));
    FGame.KeyMacros().SetText(key, text);
}

void TEngine::CmdIsMatch(const std::string& line)
{
    const std::string text = sjis::UpperCase(EvalName(GetToken(line, ' ', 1)));
    const std::string sought = sjis::UpperCase(EvalName(GetToken(line, ' ', 2)));
    // Found only at character starts: a trail byte is no character.
    const bool found = !sought.empty() && sjis::Find(text, sought) != sjis::npos;
    FExpr->Evaluate(GetToken(line, ' ', 3) + (found ? "=1" : "=0"));
    FRunner.FState = esRun;
}

void TEngine::CmdCheckStrict(const std::string& line)
{
    FCmdInput.FStrictMatch = EvalInteger(GetToken(line, ' ', 1)) != 0;
}

void TEngine::CmdFHeightRate(const std::string& line)
{
    const int32_t percent = EvalInteger(GetToken(line, ' ', 1));
    if (FScreen.FMsg)
        FScreen.FMsg->SetLineRate(static_cast<float>(percent) / 100.0f);
}

void TEngine::CmdFuncDisp(const std::string& line)
{
    const bool shown = EvalInteger(GetToken(line, ' ', 1)) != 0;
    FDisplay.FFuncKeyCount = CountTokens(line, ' ') > 2 ? EvalInteger(GetToken(line, ' ', 2)) : 12;
    ShowFunctionBar(shown);
}

void TEngine::CmdFuncText(const std::string& line)
{
    const int32_t key = std::max(EvalInteger(GetToken(line, ' ', 1)), 1);
    const std::string label = EvalName(GetToken(line, ' ', 2));
    if (key > KeyLabelCount) {
        ShowWarning(SJ("ファンクションキーは25番までです - ") + line);
        return;
    }
    FHost.CommandLine.SetKeyLabel(key - 1, label);
    if (FDisplay.FFuncBarShown && FScreen.FGrp)
        FScreen.FGrp->DrawFuncBar(FDisplay.FFuncKeyCount);
}

void TEngine::CmdInputSize(const std::string& line)
{
    const int cmd = FontIndex(EvalInteger(GetToken(line, ' ', 1)));
    const int log =
        CountTokens(line, ' ') >= 3 ? FontIndex(EvalInteger(GetToken(line, ' ', 2))) : FCmdInput.FLogFontIndex;
    if (log != FCmdInput.FLogFontIndex) {
        FHost.SmallWindows.SetLogFontSize(FontSizes[static_cast<size_t>(log)]);
        FCmdInput.FLogFontIndex = log;
    }
    if (cmd != FCmdInput.FCmdFontIndex) {
        const int dy = FontSizes[static_cast<size_t>(FCmdInput.FCmdFontIndex)] - FontSizes[static_cast<size_t>(cmd)];
        FHost.CommandLine.SetInputFontSize(FontSizes[static_cast<size_t>(cmd)]);
        FHost.CommandLine.GrowInputs(-dy);
        FCmdInput.FCmdFontIndex = cmd;
    }
}
