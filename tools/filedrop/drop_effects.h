#pragma once
// Drop effects as the drop-target components see them: a set type over the
// drag-and-drop effect bits (copy 1, move 2, link 4), the effect that the
// keys held during a drag ask for, and clipboard-format ids by name.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

enum TDropEffect : uint8_t { ekNone, ekCopy, ekMove, ekLink };

class TDropEffects {
public:
    constexpr TDropEffects() = default;
    constexpr TDropEffects(std::initializer_list<TDropEffect> Effects)
    {
        for (TDropEffect e : Effects)
            Include(e);
    }

    constexpr bool Contains(TDropEffect Effect) const { return (FBits & Bit(Effect)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr void Include(TDropEffect Effect) { FBits = uint8_t(FBits | Bit(Effect)); }
    constexpr void Exclude(TDropEffect Effect) { FBits = uint8_t(FBits & ~Bit(Effect)); }

    // Intersection and union, as the set operators * and +.
    friend constexpr TDropEffects operator*(TDropEffects A, TDropEffects B) { return FromBits(A.FBits & B.FBits); }
    friend constexpr TDropEffects operator+(TDropEffects A, TDropEffects B) { return FromBits(A.FBits | B.FBits); }
    friend constexpr bool operator==(TDropEffects, TDropEffects) = default;

private:
    uint8_t FBits = 0;

    static constexpr uint8_t Bit(TDropEffect Effect) { return uint8_t(1u << Effect); }
    static constexpr TDropEffects FromBits(unsigned Bits)
    {
        TDropEffects s;
        s.FBits = uint8_t(Bits);
        return s;
    }
};

// The drag-and-drop effect bits, as drag sources and targets exchange them.
enum : uint32_t {
    DROPEFFECT_NONE = 0,
    DROPEFFECT_COPY = 1,
    DROPEFFECT_MOVE = 2,
    DROPEFFECT_LINK = 4,
};

// Key-state bits of a drag: mouse buttons and modifier keys held.
enum : uint32_t {
    MK_LBUTTON = 0x01,
    MK_RBUTTON = 0x02,
    MK_SHIFT = 0x04,
    MK_CONTROL = 0x08,
    MK_MBUTTON = 0x10,
    MK_ALT = 0x20,
};

// The standard clipboard formats the components know by name.
enum : uint16_t {
    CF_TEXT = 1,
    CF_BITMAP = 2,
    CF_OEMTEXT = 7,
    CF_DIB = 8,
    CF_UNICODETEXT = 13,
    CF_HDROP = 15,
};

// Bit 1 adds ekCopy, bit 2 ekMove, bit 4 ekLink; other bits are ignored.
TDropEffects DropEffectsFromOle(uint32_t Bits);
// The reverse; ekNone contributes nothing.
uint32_t DropEffectsToOle(TDropEffects Effects);

// Shift alone asks for a move, Shift with Ctrl for a link, anything else
// (no key, Ctrl alone) for a copy.
TDropEffect DropEffectFromKeyState(uint32_t KeyState);

// The id of a clipboard format: a standard "CF_" name from the fixed table,
// or else an id registered for the name in this process (0C000h upwards; the
// same name, in any letter case, always gets the same id; 0 once the range
// is used up).
uint16_t ClipboardFormatFromName(std::string_view Name);
// The name a registered id was given; empty for any other id.
std::string RegisteredFormatName(uint16_t Format);
