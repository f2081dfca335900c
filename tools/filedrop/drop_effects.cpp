#include "tools/filedrop/drop_effects.h"

#include "base/sjis.h"

#include <deque>
#include <mutex>
#include <string>

namespace {

struct TFormatName {
    std::string_view Name;
    uint16_t Id;
};

constexpr TFormatName StandardFormats[] = {
    {"CF_BITMAP", 2},
    {"CF_DIB", 8},
    {"CF_DIF", 5},
    {"CF_DSPBITMAP", 130},
    {"CF_DSPENHMETAFILE", 142},
    {"CF_DSPMETAFILEPICT", 131},
    {"CF_DSPTEXT", 129},
    {"CF_ENHMETAFILE", 14},
    {"CF_HDROP", 15},
    {"CF_LOCALE", 16},
    {"CF_MAX", 17},
    {"CF_METAFILEPICT", 3},
    {"CF_OEMTEXT", 7},
    {"CF_OWNERDISPLAY", 128},
    {"CF_PALETTE", 9},
    {"CF_PENDATA", 10},
    {"CF_RIFF", 11},
    {"CF_SYLK", 4},
    {"CF_TEXT", 1},
    {"CF_TIFF", 6},
    {"CF_UNICODETEXT", 13},
    {"CF_WAVE", 12},
};

constexpr uint16_t FirstRegisteredFormat = 0xC000;

// Names registered so far; the id is FirstRegisteredFormat + index.
struct TFormatRegistry {
    std::mutex Lock;
    std::deque<std::string> Names;
};

TFormatRegistry& Registry()
{
    static TFormatRegistry registry;
    return registry;
}

} // namespace

TDropEffects DropEffectsFromOle(uint32_t Bits)
{
    TDropEffects s;
    if (Bits & DROPEFFECT_COPY)
        s.Include(ekCopy);
    if (Bits & DROPEFFECT_MOVE)
        s.Include(ekMove);
    if (Bits & DROPEFFECT_LINK)
        s.Include(ekLink);
    return s;
}

uint32_t DropEffectsToOle(TDropEffects Effects)
{
    uint32_t bits = DROPEFFECT_NONE;
    if (Effects.Contains(ekCopy))
        bits |= DROPEFFECT_COPY;
    if (Effects.Contains(ekMove))
        bits |= DROPEFFECT_MOVE;
    if (Effects.Contains(ekLink))
        bits |= DROPEFFECT_LINK;
    return bits;
}

TDropEffect DropEffectFromKeyState(uint32_t KeyState)
{
    if (KeyState & MK_SHIFT)
        return (KeyState & MK_CONTROL) ? ekLink : ekMove;
    return ekCopy;
}

uint16_t ClipboardFormatFromName(std::string_view Name)
{
    if (Name.substr(0, 3) == "CF_")
        for (const TFormatName& f : StandardFormats)
            if (f.Name == Name)
                return f.Id;

    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    for (size_t i = 0; i < r.Names.size(); ++i)
        if (sjis::SameText(r.Names[i], Name))
            return uint16_t(FirstRegisteredFormat + i);
    // The id range ends at FFFFh; a name past it gets 0, as a failed
    // registration does.
    if (r.Names.size() >= size_t(0x10000 - FirstRegisteredFormat))
        return 0;
    r.Names.emplace_back(Name);
    return uint16_t(FirstRegisteredFormat + r.Names.size() - 1);
}

std::string RegisteredFormatName(uint16_t Format)
{
    if (Format < FirstRegisteredFormat)
        return {};
    TFormatRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    const size_t i = Format - FirstRegisteredFormat;
    return i < r.Names.size() ? r.Names[i] : std::string();
}
