#pragma once
// The event model of a loaded song: one object per event of the file (plus
// the beat marks made after loading), each knowing its tick, its time in
// milliseconds, its track and kind, how to record itself in the port state
// and how to perform itself through the player.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/classes.h"

class TMidiPlayV;
class TMidiEventItems;

// Event kinds, as the player's tables number them.
enum : uint8_t {
    mkOther = 0,
    mkNoteOn = 1,
    mkNoteOff = 2,
    mkKeyPressure = 3,
    mkCtrlChange = 4,
    mkProgramChange = 5,
    mkChannelPressure = 6,
    mkPitchBend = 7,
    mkGMReset = 8,
    mkGSReset = 9,
    mkTempo = 11,
    mkMetaText = 12, // meta 00h-07h are kinds 12-19
    mkTrackName = 15,
    mkLyric = 17,
    mkMarker = 18,
    mkEndOfTrack = 20,
    mkMeta52 = 21,
    mkRhythm = 22,
    mkKeySignature = 23,
    mkSysEx = 24,
    mkPort = 25,
    mkLcdDot = 26,
    mkLcdStr = 27,
    mkVibrant = 28, // beat marks; made after loading, never read
};

// 16 rows by 16 columns of the sound module's dot display.
using TMidiLcdDots = std::array<std::array<bool, 16>, 16>;

class TMidiEventItemStanderd : public TPersistent {
public:
    TMidiEventItems* Owner = nullptr;
    int Index = 0;    // place in the list (before a sort, the place it was read in)
    int64_t Tick = 0; // from the start of its track
    int64_t Time = 0; // milliseconds, from the tempo map
    int Track = 0;
    uint8_t Kind = mkOther;
    int Wait = 0; // ms later events are held back after this one is sent

    std::string ClassName() const override { return "TMidiEventItemStanderd"; }
    // Records the event in the port state before it is sent.
    virtual void Store() {}
    // Performs the event through the player.
    virtual void Send() {}
    // After creation: derived fields and side lists.
    virtual void Link() {}
    virtual std::string AsText() const;
    virtual std::string AsHex() const { return {}; }

protected:
    TMidiPlayV& Player() const;
};

// A channel message (80h-EFh).
class TMidiEventItemShort : public TMidiEventItemStanderd {
public:
    uint8_t Status = 0;
    uint8_t Data1 = 0;
    uint8_t Data2 = 0;
    uint8_t Channel = 0;
    uint32_t Msg = 0; // data 2 × 65536 + data 1 × 256 + status
    int DataCount = 2;

    std::string ClassName() const override { return "TMidiEventItemShort"; }
    void Link() override;
    void Send() override;
    std::string AsText() const override;
    std::string AsHex() const override;
};

class TMidiEventItemNoteOn : public TMidiEventItemShort {
public:
    std::string ClassName() const override { return "TMidiEventItemNoteOn"; }
};

// 8xh, or 9xh with velocity 0 (sent as read).
class TMidiEventItemNoteOff : public TMidiEventItemShort {
public:
    std::string ClassName() const override { return "TMidiEventItemNoteOff"; }
};

class TMidiEventItemCtrlChange : public TMidiEventItemShort {
public:
    std::string ClassName() const override { return "TMidiEventItemCtrlChange"; }
    void Store() override;
};

class TMidiEventItemProgramChange : public TMidiEventItemShort {
public:
    std::string ClassName() const override { return "TMidiEventItemProgramChange"; }
    void Store() override;
};

class TMidiEventItemPitchBend : public TMidiEventItemShort {
public:
    std::string ClassName() const override { return "TMidiEventItemPitchBend"; }
    void Store() override;
};

// Meta and system-exclusive events. Bytes holds the status byte (F0h, F7h,
// FFh or another system status) followed by the event's data; a meta
// event's type byte is not kept. "Data byte k" below is Bytes[k].
class TMidiEventItemLong : public TMidiEventItemStanderd {
public:
    std::vector<uint8_t> Bytes;

    std::string ClassName() const override { return "TMidiEventItemLong"; }
    void Send() override;
    std::string AsText() const override;
    std::string AsHex() const override;
    // Bytes from index `first` to the end as text (empty when there are none).
    std::string TextFrom(size_t first) const;
};

// System exclusive of the XG system-on pattern.
class TMidiEventItemGMReset : public TMidiEventItemLong {
public:
    std::string ClassName() const override { return "TMidiEventItemGMReset"; }
    void Store() override;
};

class TMidiEventItemGSReset : public TMidiEventItemLong {
public:
    std::string ClassName() const override { return "TMidiEventItemGSReset"; }
    void Store() override;
};

class TMidiEventItemTempo : public TMidiEventItemLong {
public:
    uint32_t Tempo = 500000; // µs per quarter note

    std::string ClassName() const override { return "TMidiEventItemTempo"; }
    void Link() override;
    void Send() override;
};

class TMidiEventItemTrackName : public TMidiEventItemLong {
public:
    std::string Text;

    std::string ClassName() const override { return "TMidiEventItemTrackName"; }
    void Link() override;
    void Send() override {}
};

class TMidiEventItemLyric : public TMidiEventItemLong {
public:
    std::string Text;

    std::string ClassName() const override { return "TMidiEventItemLyric"; }
    void Link() override;
    void Send() override;
};

class TMidiEventItemMarker : public TMidiEventItemLong {
public:
    std::string Text;

    std::string ClassName() const override { return "TMidiEventItemMarker"; }
    void Link() override;
    void Send() override {}
};

// Time signature.
class TMidiEventItemRhythm : public TMidiEventItemLong {
public:
    int Numerator = 4;
    int Denominator = 4;
    int Third = 0; // the third byte of the event (the default's: the division)

    std::string ClassName() const override { return "TMidiEventItemRhythm"; }
    void Link() override;
    void Send() override;
};

class TMidiEventItemPort : public TMidiEventItemLong {
public:
    std::string ClassName() const override { return "TMidiEventItemPort"; }
    void Link() override;
    void Send() override {}
};

class TMidiEventItemLcdDot : public TMidiEventItemLong {
public:
    TMidiLcdDots Dots{};

    std::string ClassName() const override { return "TMidiEventItemLcdDot"; }
    void Link() override;
    void Send() override;
};

class TMidiEventItemLcdStr : public TMidiEventItemLong {
public:
    std::string Text;

    std::string ClassName() const override { return "TMidiEventItemLcdStr"; }
    void Link() override;
    void Send() override;
};

// A beat mark: made after loading, one per quarter note.
class TMidiEventItemVibrant : public TMidiEventItemStanderd {
public:
    int Beat = 0; // within the bar, from 0
    int Bar = 0;  // from 0

    std::string ClassName() const override { return "TMidiEventItemVibrant"; }
    void Send() override;
    std::string AsText() const override;
};

// Creates the event object for a kind: channel kinds give a short event,
// the others a long one.
std::unique_ptr<TMidiEventItemStanderd> CreateMidiEvent(uint8_t kind);

// The owning event list; clearing or freeing it frees the events.
class TMidiEventItems {
public:
    explicit TMidiEventItems(TMidiPlayV* owner) : FOwner(owner) {}
    TMidiPlayV* Owner() const { return FOwner; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMidiEventItemStanderd* operator[](int i) const { return FItems[static_cast<size_t>(i)].get(); }
    TMidiEventItemStanderd* Last() const { return FItems.back().get(); }
    // Takes the event; sets its owner and its place.
    TMidiEventItemStanderd* Add(std::unique_ptr<TMidiEventItemStanderd> item);
    void Clear() { FItems.clear(); }
    // Stable sort by tick (ties keep their order), then every index is
    // renumbered to its place.
    void SortByTick();
    void Renumber();

private:
    TMidiPlayV* FOwner;
    std::vector<std::unique_ptr<TMidiEventItemStanderd>> FItems;
};

// A list that refers to events without owning them (the side lists).
using TMidiEventExclusiveItems = std::vector<TMidiEventItemStanderd*>;

// One record per track of the file.
class TMidiEventItemTrack {
public:
    int Port = 0;                             // until a port meta event sets it
    TMidiEventItemTrackName* Name = nullptr;  // its name event, when it has one
    std::vector<TMidiEventItemShort*> Events; // the track's channel events
};

using TMidiEventItemTracks = std::vector<std::unique_ptr<TMidiEventItemTrack>>;
using TListIntItems = std::vector<int>;
