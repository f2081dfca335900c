#include "platform/audio/sdl_api.h"

#include "platform/audio/shared_library.h"

const TSdlApi& SdlApi()
{
    static const TSdlApi api = [] {
        TSdlApi loaded;
        TSharedLibrary library(TG_SDL2_SONAME);
#define TG_SDL_FIND(name) library.Find(loaded.name, #name);
        TG_SDL_FUNCTIONS(TG_SDL_FIND)
#undef TG_SDL_FIND
        loaded.Failure = library.Failure();
        return loaded;
    }();
    return api;
}
