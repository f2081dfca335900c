// A script of arbitrary bytes goes through everything an open does: line
// splitting, comment cutting, the pre-pass with its labels, items, *SCREEN
// and *TITLE, then bounded runs of the interpreter with its waits, key
// waits, background script and data files, and typed commands matched
// against the scene's patterns. Whatever the bytes, the engine must end each
// step with an error report at worst: no crash, no hang, no memory fault,
// and no file written outside the game's folder (game_sandbox.h).
// The engine runs with the fake desktop: no window, no application object.

#include <cstddef>
#include <cstdint>
#include <fstream>

#include "game_sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TFuzzGame& game = *new TFuzzGame;
    game.Clear();
    const std::string path = game.Dir + "fuzz.tgs";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    game.Play(path);
    return 0;
}
