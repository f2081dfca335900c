#include "platform/audio/shared_library.h"

#include <dlfcn.h>

TSharedLibrary::TSharedLibrary(const char* fileName) : FFileName(fileName)
{
    FHandle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (FHandle == nullptr) {
        const char* error = dlerror();
        FFailure = error ? error : FFileName + ": cannot be opened";
    }
}

void* TSharedLibrary::Symbol(const char* name)
{
    void* symbol = FHandle ? dlsym(FHandle, name) : nullptr;
    if (symbol == nullptr && FFailure.empty())
        FFailure = FFileName + ": no " + name;
    return symbol;
}
