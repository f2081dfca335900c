#pragma once
// The main window as the command line and the small windows see it: state
// byte, function-key bar flags and association kept in fields, submitted
// lines recorded, expressions evaluated by a real evaluator over fresh
// variable lists, keywords and key macros kept in a game state of its own.

#include <string>
#include <vector>

#include "engine/screen/input_host.h"
#include "engine/script/game_state.h"
#include "engine/script/expr_env.h"

struct FakeInputHost : TInputHost {
    uint8_t StateByte = 1;
    std::vector<std::string> Submitted; // Shift-JIS, as handed over
    bool BarShown = false;
    bool BarShifted = false;
    int BarRedraws = 0;
    ExprEnv Env;
    TGameState Game;
    bool Associated = false;
    std::string Command;
    int Registered = 0;
    int Unregistered = 0;

    uint8_t State() const override { return StateByte; }
    void SubmitCommand(const std::string& text) override { Submitted.push_back(text); }
    bool FuncBarShown() const override { return BarShown; }
    bool FuncBarShifted() const override { return BarShifted; }
    void SetFuncBarShifted(bool shifted) override
    {
        BarShifted = shifted;
        ++BarRedraws;
    }
    const std::vector<std::string>& Keywords() const override { return Game.Keywords(); }
    const TKeyStrList& KeyMacros() const override { return Game.KeyMacros(); }
    TExprValue EvaluateExpr(const std::string& expr) override
    {
        Env.Expr.Evaluate(expr);
        return Env.Expr.Result;
    }
    bool IsAssociated(std::string& openCommand) override
    {
        if (Associated)
            openCommand = Command;
        return Associated;
    }
    void RegisterFileTypes() override
    {
        ++Registered;
        Associated = true;
    }
    void UnregisterFileTypes() override
    {
        ++Unregistered;
        Associated = false;
    }
};
