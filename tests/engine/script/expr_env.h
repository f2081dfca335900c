#pragma once
// A fresh set of variable lists with an evaluator bound to them, as the main
// window holds them after a scenario open. Texts are written in UTF-8 and
// handed over as Shift-JIS.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/sjis.h"
#include "engine/script/expr.h"
#include "engine/script/variables.h"

inline std::string Sj(std::string_view utf8)
{
    return sjis::FromUtf8(utf8);
}

struct ExprEnv {
    TItemList Items;
    TFlagList Flags;
    TSVarList StrVars;
    TExprConv Expr;
    std::vector<std::string> Warnings; // as given, Shift-JIS
    uint32_t RandomWord = 0x80000000u;
    std::string LastInput;
    int LastInputReads = 0;

    ExprEnv()
    {
        Flags.Reset();
        StrVars.Reset();
        AddItem("key", 1);
        AddItem("lamp", 0);
        AddItem("Key", 7);
        Flags.OnWarning = [this](const std::string& text) { Warnings.push_back(text); };
        StrVars.OnWarning = [this](const std::string& text) { Warnings.push_back(text); };
        Expr.SetLists(&Items, &Flags, &StrVars);
        Expr.OnRandom = [this] { return RandomWord; };
        Expr.OnLastInput = [this] {
            ++LastInputReads;
            return LastInput;
        };
    }

    void AddItem(const std::string& name, int32_t count)
    {
        auto rec = std::make_unique<TItemRec>();
        rec->Name = name;
        rec->Count = rec->InitialCount = count;
        Items.Add(std::move(rec));
    }

    // Evaluates a UTF-8 expression and answers the result in UTF-8.
    std::string Eval(std::string_view utf8) { return sjis::ToUtf8(Expr.Evaluate(Sj(utf8))); }

    int32_t& Flag(int index) { return Flags.GetItem(index)->Value; }
    std::string& SVar(int index) { return StrVars.GetItem(index)->Value; }
    int32_t& ItemCount(const std::string& name)
    {
        int index = -1;
        Items.Find(name, index);
        return Items.GetItem(index)->Count;
    }
};
