// Sound effects (*SE): through the outside audio library when it is usable,
// with up to 129 effects at once, else through the eight channels of the
// wave mixer (engine_sound.h).

#include "base/tokenizer.h"
#include "engine/script/engine.h"
#include "engine/script/script_error.h"

TCommandRows TEngine::SeCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*SE", cmSe, cgFirst, &TEngine::CmdSe},
    };
    return rows;
}

void TEngine::LoadSoundEffect(const std::string& line, TSoundSlot& slot)
{
    const std::string name = EvalName(GetToken(line, ' ', 1));
    slot.Stream.reset();
    TGameFile file = FFiles.Read(name, TGameFileKind::gkSound);
    if (!file.Found) {
        FHalted = true;
        throw EScriptError(file.FailureText);
    }
    slot.Stream = std::make_unique<TMemoryStream>(std::move(file.Data));
}

void TEngine::CmdSe(const std::string& line)
{
    TSoundSlot* slot = FSound.EffectSlot();
    // With the library and all 129 effects still playing, this one is left out.
    if (slot == nullptr)
        return;
    LoadSoundEffect(line, *slot);
    FSound.PlayEffect(*slot);
}
