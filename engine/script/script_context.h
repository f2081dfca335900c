#pragma once
// A script context: where a script goes on and where its subroutines
// return. The engine has two, the main script's and the background
// script's, and the interpreter works on the active one.

#include "engine/script/game_stack.h"

struct TScriptContext {
    int Line = 0;  // the next line to run
    int Scene = 0; // first line of the current scene
    TGameStack Stack;
};
