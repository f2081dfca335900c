#pragma once
// A value of the script's expression evaluator: an integer, a string, or a
// reference to a variable when the expression was a bare variable term.
// Below the engine so that the small windows (the debug window) can take a
// result without knowing the evaluator.

#include <cstdint>
#include <string>

// Kinds of a value record. The three reference kinds are the letters that
// name them in scripts.
constexpr int32_t ekInteger = 0;
constexpr int32_t ekString = 1;
constexpr int32_t ekFlag = 70; // 'F': IntValue the index, or -1 and the name in StrValue
constexpr int32_t ekItem = 73; // 'I': StrValue the item's name
constexpr int32_t ekSVar = 83; // 'S': as for flags

struct TExprValue {
    int32_t Kind = ekInteger;
    int32_t IntValue = 0; // 0 for strings
    std::string StrValue;
};
