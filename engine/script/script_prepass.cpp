// The pre-pass over a freshly loaded script: scenes, labels, the GLOBAL
// scene and the item block, with *SCREEN and *TITLE applied at once.

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/script/command_table.h"
#include "engine/script/script_error.h"
#include "engine/script/engine.h"
#include "base/tokenizer.h"
#include "engine/script/variables.h"

int TEngine::FirstScene() const
{
    for (int i = 0; i < FRunner.FLabels->Count(); ++i) {
        const TLabelRec& rec = FRunner.FLabels->GetItem(i);
        if (rec.Line == rec.SceneLine)
            return rec.Line;
    }
    return -1;
}

void TEngine::AddLabel(const std::string& name, int line, int sceneLine)
{
    if (FRunner.FLabels->Find(name))
        throw EScriptError(SJ("!ラベル名の多重定義です ") + name);
    FRunner.FLabels->Add(name, line, sceneLine);
}

void TEngine::PrepareScript(TStringList& lines)
{
    int scene = 0;
    bool inItems = false;
    int index = 0;
    try {
        for (; index < lines.Count(); ++index) {
            const std::string& line = lines[index];
            const bool command = !line.empty() && line[0] == '*';
            if (inItems) {
                if (command) {
                    if (LookupCommand(line) == cmItemEnd)
                        inItems = false;
                    continue;
                }
                auto item = std::make_unique<TItemRec>();
                item->Name = GetToken(line, ' ', 0);
                if (CountTokens(line, ' ') > 1)
                    item->Count = StrToInt(GetToken(line, ' ', 1));
                item->InitialCount = item->Count;
                FGame.Items().Add(std::move(item));
                continue;
            }
            if (!command)
                continue;
            switch (LookupCommand(line)) {
            case cmScene: {
                scene = index + 1;
                const std::string name = GetToken(line, ' ', 1);
                AddLabel(name, scene, scene);
                if (name == "GLOBAL")
                    FRunner.FGlobalScene = scene;
                break;
            }
            case cmLabel: AddLabel(GetToken(line, ' ', 1), index + 1, scene); break;
            case cmItem: inItems = true; break;
            case cmScreen: CmdScreen(line); break;
            case cmTitle: CmdTitle(line); break;
            default: break;
            }
        }
    } catch (const EConvertError&) {
        // Reported at the line of the pre-pass, not wherever the last game
        // stopped.
        FRunner.FCtx->Line = index;
        ShowScriptError(SJ("文字列を数字に変換出来ませんでした。"));
    } catch (const Exception& e) {
        FRunner.FCtx->Line = index;
        ShowScriptError(e.Message());
    }
}
