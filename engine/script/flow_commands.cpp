// Control flow: jumps, subroutine calls, assignment lines, conditional
// blocks and jumps, and the old-style variable terms of the save commands.

#include "base/conv.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/script/command_table.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "engine/script/script_text.h"
#include "engine/script/engine.h"
#include "base/tokenizer.h"
#include "engine/script/variables.h"

TCommandRows TEngine::FlowCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*GOTO", cmGoto, cgFirst, &TEngine::CmdGoto},
        {"*IF", cmIf, cgFirst, &TEngine::CmdIfLine},
        {"", cmAssign, cgFirst, &TEngine::CmdAssign},
        {"*GOSUB", cmGosub, cgFirst, &TEngine::CmdGosub},
        {"*IFPICTURE", cmIfPicture, cgFirst, &TEngine::CmdIfPicture},
        {"*ELSE", cmElse, cgFirst, &TEngine::CmdElse},
        {"*ELIF", cmElif, cgFirst, &TEngine::CmdElifLine},
        {"*ENDIF", cmEndIf, cgFirst, &TEngine::CmdEndIf},
    };
    return rows;
}

std::string TEngine::EvalName(const std::string& token)
{
    if (!token.empty() && token[0] == '\'')
        return FExpr->Evaluate(token);
    return FExpr->Evaluate("'" + token + "'");
}

const TLabelRec& TEngine::FindLabel(const std::string& name) const
{
    const TLabelRec* label = FRunner.FLabels->Find(name);
    if (!label)
        throw EScriptError(SJ("ラベル") + name + SJ("が発見できませんでした"));
    return *label;
}

void TEngine::JumpTo(int line, int sceneLine)
{
    FRunner.FCtx->Line = line - 1;
    if (line == sceneLine || (sceneLine != FRunner.FCtx->Scene && sceneLine != FRunner.FGlobalScene)) {
        FRunner.FCtx->Scene = sceneLine;
        if (!FRunner.FBackground)
            BuildCommandList();
    }
}

void TEngine::CmdGoto(const std::string& line)
{
    const TLabelRec& label = FindLabel(EvalName(GetToken(line, ' ', 1)));
    JumpTo(label.Line, label.SceneLine);
}

void TEngine::CmdGosub(const std::string& line)
{
    const TLabelRec& label = FindLabel(EvalName(GetToken(line, ' ', 1)));
    if (!FRunner.FCtx->Stack.Push(FRunner.FCtx->Scene, FRunner.FCtx->Line + 1))
        throw EScriptError(SJ("GOSUBの呼び出しが深すぎます"));
    // The subroutine runs as part of the calling scene.
    FRunner.FCtx->Line = label.Line - 1;
}

void TEngine::CmdAssign(const std::string& line)
{
    FExpr->Evaluate(line.substr(1));
}

uint8_t TEngine::CmdIf(const std::string& line)
{
    // Exactly three tokens (command, condition, label) make the jump form;
    // a condition written with blanks therefore always makes a block.
    const bool jumpForm = CountTokens(line, ' ') == 3;
    std::string label;
    if (jumpForm)
        label = EvalName(GetToken(line, ' ', 2));
    std::string condition = GetToken(line, ' ', 1);
    if (FOptions.FIfMode)
        condition = ConvertCondition(condition);
    const bool holds = FExpr->Evaluate(condition) == "1";
    if (jumpForm) {
        if (holds) {
            const TLabelRec& target = FindLabel(label);
            JumpTo(target.Line, target.SceneLine);
        }
        return 0;
    }
    if (!holds) {
        SkipIfBlock();
        return 1;
    }
    return 0;
}

void TEngine::CmdIfLine(const std::string& line)
{
    FRunner.FIfState = CmdIf(line);
}

void TEngine::CmdElifLine(const std::string& line)
{
    if (FRunner.FIfState == 1)
        FRunner.FIfState = CmdIf(line);
    else
        SkipIfBlock();
}

void TEngine::CmdElse(const std::string&)
{
    if (FRunner.FIfState == 0)
        SkipIfBlock();
    FRunner.FIfState = 1;
}

void TEngine::CmdEndIf(const std::string&)
{
    FRunner.FIfState = 0;
}

void TEngine::SkipIfBlock()
{
    const int start = FRunner.FCtx->Line;
    int depth = 0;
    for (int i = start + 1; i < FRunner.FScript->Count(); ++i) {
        const std::string line = sjis::Trim((*FRunner.FScript)[i]);
        if (line.empty() || (line[0] != '*' && line[0] != '>'))
            continue;
        switch (LookupCommand(line)) {
        case cmSceneEnd:
        case cmEnd:
        case cmPattern: throw EScriptError(SJ("ELSE、ELIF、ENDIFがありません(IF : ") + IntToStr(start + 1) + ")");
        case cmIf:
            if (CountTokens(line, ' ') != 3)
                ++depth;
            break;
        case cmElif:
        case cmElse:
            if (depth == 0) {
                FRunner.FCtx->Line = i - 1;
                return;
            }
            break;
        case cmEndIf:
            if (depth == 0) {
                FRunner.FCtx->Line = i - 1;
                return;
            }
            --depth;
            break;
        default: break;
        }
    }
    // No end of the block before the end of the script: the run ends there.
    FRunner.FCtx->Line = FRunner.FScript->Count() - 1;
}

void TEngine::CmdIfPicture(const std::string& line)
{
    std::string pictureLine = "*PICTURE";
    const int tokens = CountTokens(line, ' ');
    for (int i = 2; i < tokens; ++i) {
        pictureLine += ' ';
        pictureLine += GetToken(line, ' ', i);
    }
    std::string condition = GetToken(line, ' ', 1);
    if (FOptions.FIfMode)
        condition = ConvertCondition(condition);
    if (FExpr->Evaluate(condition) == "1")
        CmdPicture(pictureLine);
}

int32_t TEngine::EvalVarTerm(const std::string& text, bool wantIndex)
{
    if (text.empty())
        return -1;
    const std::string inner = text.size() > 2 ? text.substr(2) : std::string();
    switch (text[0]) {
    case 'F': {
        const int32_t n = EvalVarTerm(inner, false);
        if (n < 0 || n > FlagIndexMax)
            throw EScriptError(
                SJ("フラグ変数のインデックスが不正です (") + IntToStr(n) + "/" + IntToStr(FlagIndexMax) + ")");
        return wantIndex ? n : FGame.Flags().GetItem(n)->Value;
    }
    case 'I': {
        int32_t n = EvalVarTerm(inner, false);
        if (n == -1) {
            const std::string name = inner.substr(0, inner.find(')'));
            int index = -1;
            if (!FGame.Items().Find(name, index))
                throw EScriptError(SJ("アイテム") + name + SJ("がありません"));
            n = index;
        }
        return wantIndex ? n : FGame.Items().GetItem(n)->Count;
    }
    case 'R': return Random(EvalVarTerm(inner, false));
    default:
        if ((text[0] >= '0' && text[0] <= '9') || text[0] == '-')
            return StrToInt(text.substr(0, text.find(')')));
        return -1;
    }
}
