// Arbitrary text into the expression evaluator. Only the script error and
// the conversion error may come out; anything else, a crash, a hang or a
// sanitizer report is a fault.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/exceptions.h"
#include "engine/script/expr.h"
#include "engine/script/script_error.h"
#include "engine/script/variables.h"

namespace {

struct Game {
    TItemList Items;
    TFlagList Flags;
    TSVarList StrVars;
    TExprConv Expr;
    uint32_t Seed = 1;
    Game()
    {
        Flags.Reset();
        StrVars.Reset();
        for (const char* name : {"key", "lamp", "a"}) {
            auto rec = std::make_unique<TItemRec>();
            rec->Name = name;
            Items.Add(std::move(rec));
        }
        Expr.SetLists(&Items, &Flags, &StrVars);
        Expr.OnRandom = [this] { return Seed = Seed * 0x08088405u + 1u; };
        Expr.OnLastInput = [] { return std::string("{S(1)}"); };
        Flags.OnWarning = [](const std::string&) {};
        StrVars.OnWarning = [](const std::string&) {};
    }
    // Each input starts from the state of a scenario just opened, without
    // making the records again. The loop teaches the fuzzer nothing, so it
    // is left out of the coverage feedback.
    __attribute__((no_sanitize("coverage"))) void Clean()
    {
        for (int i = 0; i < Flags.Count(); ++i) {
            TFlagRec* rec = Flags.GetItem(i);
            rec->Value = 0;
            if (!rec->Name.empty())
                rec->Name.clear();
        }
        for (int i = 0; i < StrVars.Count(); ++i) {
            TSVarRec* rec = StrVars.GetItem(i);
            if (!rec->Name.empty())
                rec->Name.clear();
            if (!rec->Value.empty())
                rec->Value.clear();
        }
        for (int i = 0; i < Items.Count(); ++i)
            Items.GetItem(i)->Count = 0;
        Seed = 1;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Game game;
    game.Clean();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        game.Expr.Evaluate(text);
        // A result may name a variable; evaluating the raw text again must hold too.
        game.Expr.Evaluate(text);
    } catch (const EScriptError&) {
    } catch (const EConvertError&) {
    }
    return 0;
}
