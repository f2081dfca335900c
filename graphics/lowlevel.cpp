#include "graphics/lowlevel.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "base/exceptions.h"

void PrefaultForWriting(void* dest, int64_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = reinterpret_cast<uintptr_t>(dest);
    const uintptr_t from = (start + page - 1) & ~(page - 1);
    const uintptr_t to = (start + static_cast<uintptr_t>(std::max<int64_t>(bytes, 0))) & ~(page - 1);
    // Kernels before 5.14 refuse the advice; nothing is lost then.
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
    (void)dest;
    (void)bytes;
#endif
}

TFixed FixedDiv(TFixed a, TFixed b)
{
    if (b == 0)
        throw Exception("Division by zero");
    return TFixed(uint32_t((int64_t(a) * 65536) / b));
}
