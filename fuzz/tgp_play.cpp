// An archive of arbitrary bytes opened as a player opens a game: the
// engine's scenario open reads its table and its "*SCRIPT*" entry, decodes
// it and runs it, with pictures, sounds and data looked up in the archive.
// Whatever the bytes, the open fails with its message or the game plays to
// an error report at worst: no crash, no hang, no memory fault, and no file
// written outside the game's folder (game_sandbox.h).

#include <cstddef>
#include <cstdint>
#include <fstream>

#include "game_sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TFuzzGame& game = *new TFuzzGame;
    game.Clear();
    const std::string path = game.Dir + "fuzz.tgp";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    game.Play(path);
    return 0;
}
