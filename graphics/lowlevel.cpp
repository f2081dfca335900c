#include "graphics/lowlevel.h"

#include "base/exceptions.h"

TFixed FixedDiv(TFixed a, TFixed b)
{
    if (b == 0)
        throw Exception("Division by zero");
    return TFixed(uint32_t((int64_t(a) * 65536) / b));
}
