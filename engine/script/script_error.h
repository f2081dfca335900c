#pragma once
// The script engine's own error: raised with a Japanese (Shift-JIS) text by
// the evaluator and the command handlers, caught by the interpreter, which
// shows the text with the script file and line and halts the engine.

#include "base/exceptions.h"

class EScriptError : public Exception {
public:
    using Exception::Exception;
};
