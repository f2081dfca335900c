#pragma once
// What the command line and the small windows ask of the main window that
// owns them. The main window implements it; tests use a fake.

#include <cstdint>
#include <string>
#include <vector>

#include "base/expr_value.h"

class TKeyStrList;

class TInputHost {
public:
    virtual ~TInputHost() = default;

    // The engine state byte (5 while a key is awaited).
    virtual uint8_t State() const = 0;
    // Hands a line the player entered to the engine: a typed command, or the
    // answer to a question asked in the command line.
    virtual void SubmitCommand(const std::string& text) = 0;

    // The function-key bar is shown.
    virtual bool FuncBarShown() const = 0;
    // The bar shows the labels of the shifted keys.
    virtual bool FuncBarShifted() const = 0;
    // Switches the bar to the shifted or the plain labels and redraws it.
    virtual void SetFuncBarShifted(bool shifted) = 0;

    // The game's keywords, oldest first, which the keyword menu offers, and
    // the macro texts bound to keys; the engine keeps both.
    virtual const std::vector<std::string>& Keywords() const = 0;
    virtual const TKeyStrList& KeyMacros() const = 0;

    // Evaluates an expression the debug window was given, with the game's
    // evaluator and variables, and answers the resolved value. Raises what
    // the evaluator raises.
    virtual TExprValue EvaluateExpr(const std::string& expr) = 0;

    // True when script and archive files open with the engine; `openCommand`
    // then gets the command line the desktop runs to open one (UTF-8).
    virtual bool IsAssociated(std::string& openCommand) = 0;
    // Makes the desktop open script and archive files with the engine.
    virtual void RegisterFileTypes() = 0;
    // Removes that association.
    virtual void UnregisterFileTypes() = 0;
};
