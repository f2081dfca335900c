#pragma once
// The error the LZSS coder raises for a coded stream it cannot decode.

#include "base/exceptions.h"

class EkvCompressError : public Exception {
public:
    using Exception::Exception;
};
