// Loading a standard MIDI file into the player's song: the chunks, the
// events of every track merged into one list sorted by tick, the beat marks,
// and every event's time in milliseconds from the tempo map.

#include <algorithm>

#include "base/conv.h"
#include "sound/midi_error.h"
#include "sound/midi_play.h"
#include "sound/midi_stream.h"

namespace {

// A song an hour long at 480 beats a minute has about 29 000 beats; one
// event at a huge tick must not make hundreds of millions of marks.
constexpr int MaxBeatMarks = 100000;

// The kind of a meta event. A tempo, time signature or port event too short
// to hold its values is kept as a plain meta event instead of being read
// past its data.
uint8_t MetaKind(uint8_t type, size_t dataBytes)
{
    if (type <= 0x07)
        return uint8_t(mkMetaText + type);
    switch (type) {
    case 0x2F: return mkEndOfTrack;
    case 0x51: return dataBytes >= 3 ? mkTempo : mkOther;
    case 0x52: return mkMeta52;
    case 0x58: return dataBytes >= 3 ? mkRhythm : mkOther;
    case 0x59: return mkKeySignature;
    case 0x21: return dataBytes >= 1 ? mkPort : mkOther;
    default: return mkOther;
    }
}

uint8_t ChannelKind(uint8_t status, uint8_t data2)
{
    switch (status >> 4) {
    case 0x8: return mkNoteOff;
    case 0x9: return data2 > 0 ? mkNoteOn : mkNoteOff;
    case 0xA: return mkKeyPressure;
    case 0xB: return mkCtrlChange;
    case 0xC: return mkProgramChange;
    case 0xD: return mkChannelPressure;
    default: return mkPitchBend;
    }
}

void SortByTick(TMidiEventExclusiveItems& list)
{
    std::stable_sort(list.begin(), list.end(), [](const auto* a, const auto* b) { return a->Tick < b->Tick; });
}

} // namespace

bool TMidiPlayV::LoadFromStream(TStream& stream)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    ClearSong();

    TMidiFileStream s;
    s.LoadFromStream(stream);
    s.SetPosition(0);
    s.BeginChunk(s.Size());
    if (s.Size() < 8 || s.ReadChars(4) != "MThd")
        throw EMidiError("MIDI data is not a standard MIDI file (no MThd header)");
    const int64_t headerLength = s.ReadInt(4);
    const int64_t headerStart = s.Position();
    s.BeginChunk(headerLength);
    int trackCount = 0;
    try {
        FFormat = int(s.ReadInt(2));
        trackCount = int(s.ReadInt(2));
        const uint32_t division = s.ReadInt(2);
        if (division == 0)
            throw EMidiError("MIDI file has a time division of 0");
        if (division & 0x8000)
            throw EMidiError("MIDI file counts time in SMPTE frames, which is not supported");
        FDivision = int(division);
    } catch (const EMidiReadError&) {
        trackCount = 0; // a header too short for its fields holds no tracks
    }
    s.SetPosition(std::min(headerStart + headerLength, s.Size()));
    ReadTracks(s, trackCount);
    if (FEvents.Count() == 0)
        throw EMidiError("MIDI file has no events");

    if (FRhythms.empty()) {
        FDefaultRhythm = std::make_unique<TMidiEventItemRhythm>();
        FDefaultRhythm->Owner = &FEvents;
        FDefaultRhythm->Kind = mkRhythm;
        FDefaultRhythm->Third = FDivision;
        FRhythms.push_back(FDefaultRhythm.get());
    }
    // Tracks are read one after another; the side lists must run in time.
    for (auto* list : {&FTempos, &FRhythms, &FLyrics, &FMarkers})
        SortByTick(*list);

    FEvents.SortByTick();
    FEndTick = FEvents.Last()->Tick;
    AddBeatMarks();
    FEvents.SortByTick();
    ComputeTimes();
    FEvents.Renumber();
    FEndTime = FEvents.Last()->Time;
    FPosition = 0;
    RefreshPosition();
    return true;
}

void TMidiPlayV::ReadTracks(TMidiFileStream& s, int trackCount)
{
    for (int i = 0; i < trackCount && s.Size() - s.Position() >= 8; ++i) {
        s.BeginChunk(8);
        const std::string id = s.ReadChars(4);
        const int64_t length = s.ReadInt(4);
        const int64_t start = s.Position();
        // A chunk of another kind still counts as one of the header's tracks.
        if (id == "MTrk") {
            FTracks.push_back(std::make_unique<TMidiEventItemTrack>());
            s.BeginChunk(length);
            ReadTrack(s, int(FTracks.size()) - 1);
        }
        s.SetPosition(std::min(start + length, s.Size()));
    }
}

void TMidiPlayV::ReadTrack(TMidiFileStream& s, int track)
{
    int64_t tick = 0;
    uint8_t runningStatus = 0; // the track's last channel status
    try {
        while (s.Left() > 0) {
            tick += s.ReadVarLen();
            uint8_t status = s.ReadByte();
            if (status < 0x80) {
                // Running status continues channel messages only; a data
                // byte with none to continue ends the track.
                if (runningStatus == 0)
                    return;
                s.StepBack();
                status = runningStatus;
            }
            std::unique_ptr<TMidiEventItemStanderd> item;
            if (status < 0xF0) {
                runningStatus = status;
                const uint8_t data1 = s.ReadByte();
                const bool oneByte = (status & 0xE0) == 0xC0;
                const uint8_t data2 = oneByte ? 0 : s.ReadByte();
                item = CreateMidiEvent(ChannelKind(status, data2));
                auto* e = static_cast<TMidiEventItemShort*>(item.get());
                e->Status = status;
                e->Data1 = data1;
                e->Data2 = data2;
            } else {
                const uint8_t type = status == 0xFF ? s.ReadByte() : 0;
                const std::string data = s.ReadChars(s.ReadVarLen());
                std::vector<uint8_t> bytes;
                bytes.reserve(data.size() + 1);
                bytes.push_back(status);
                bytes.insert(bytes.end(), data.begin(), data.end());
                uint8_t kind = mkSysEx;
                int wait = 0;
                if (status == 0xFF)
                    kind = MetaKind(type, data.size());
                else
                    FWaitItems.Match(bytes, kind, wait);
                item = CreateMidiEvent(kind);
                item->Wait = wait;
                static_cast<TMidiEventItemLong*>(item.get())->Bytes = std::move(bytes);
            }
            if (item->Kind == mkProgramChange)
                item->Wait = 10;
            item->Tick = tick;
            item->Track = track;
            TMidiEventItemStanderd* added = FEvents.Add(std::move(item));
            if (status < 0xF0)
                FTracks[size_t(track)]->Events.push_back(static_cast<TMidiEventItemShort*>(added));
            added->Link();
            if (added->Kind == mkEndOfTrack)
                return;
        }
    } catch (const EMidiReadError&) {
        // A damaged track ends where the damage is; the others still load.
    }
}

void TMidiPlayV::AddBeatMarks()
{
    int beat = 0;
    int bar = 0;
    int marks = 0;
    for (int64_t t = 0; t < FEndTick && marks < MaxBeatMarks; t += FDivision, ++marks) {
        auto mark = std::make_unique<TMidiEventItemVibrant>();
        mark->Kind = mkVibrant;
        mark->Tick = t;
        mark->Beat = beat;
        mark->Bar = bar;
        FBeats.push_back(FEvents.Add(std::move(mark)));
        const auto* rhythm = static_cast<const TMidiEventItemRhythm*>(ItemAtTick(FRhythms, t));
        if (beat + 1 < rhythm->Numerator) {
            ++beat;
        } else {
            beat = 0;
            ++bar;
        }
    }
}

void TMidiPlayV::ComputeTimes()
{
    // Milliseconds per tick, held in single precision as the original held
    // it; the product is taken in double and rounded half to even.
    float f = float((1.0L / FDivision) * 500000 / 1000);
    int64_t s = 0;
    int64_t a = 0;
    for (int i = 0; i < FEvents.Count(); ++i) {
        TMidiEventItemStanderd* e = FEvents[i];
        if (e->Kind == mkTempo) {
            s += Round(double(f) * double(e->Tick - a));
            a = e->Tick;
            f = float(static_cast<long double>(static_cast<TMidiEventItemTempo*>(e)->Tempo) / (FDivision * 1000.0L));
        }
        e->Time = s + Round(double(f) * double(e->Tick - a));
    }
}

int TMidiPlayV::IndexAtTime(int64_t ms) const
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    int lo = 0;
    int hi = FEvents.Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (FEvents[mid]->Time < ms)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < FEvents.Count() ? lo : -1;
}

TMidiEventItemStanderd* TMidiPlayV::ItemAtTick(const TMidiEventExclusiveItems& list, int64_t tick)
{
    if (list.empty())
        return nullptr;
    auto it = std::partition_point(list.begin(), list.end(), [tick](const auto* e) { return e->Tick < tick; });
    return it == list.begin() ? list.front() : *(it - 1);
}

TMidiEventItemStanderd* TMidiPlayV::LyricAtTick(const TMidiEventExclusiveItems& list, int64_t tick)
{
    auto it = std::partition_point(list.begin(), list.end(), [tick](const auto* e) { return e->Tick < tick; });
    return it == list.begin() ? nullptr : *(it - 1);
}
