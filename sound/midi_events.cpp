#include "sound/midi_events.h"

#include <algorithm>
#include <cstdio>

#include "sound/midi_play.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t n)
{
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        s += buf;
    }
    return s;
}

} // namespace

TMidiPlayV& TMidiEventItemStanderd::Player() const
{
    return *Owner->Owner();
}

std::string TMidiEventItemStanderd::AsText() const
{
    return ClassName() + " tick " + std::to_string(Tick) + " time " + std::to_string(Time);
}

// Channel messages

void TMidiEventItemShort::Link()
{
    Channel = Status & 0x0F;
    DataCount = (Status & 0xE0) == 0xC0 ? 1 : 2;
    Msg = uint32_t(Data2) << 16 | uint32_t(Data1) << 8 | Status;
}

void TMidiEventItemShort::Send()
{
    Player().SendShortMsg(Track, this);
}

std::string TMidiEventItemShort::AsText() const
{
    return TMidiEventItemStanderd::AsText() + " channel " + std::to_string(Channel + 1) + " " + AsHex();
}

std::string TMidiEventItemShort::AsHex() const
{
    const uint8_t bytes[3] = {Status, Data1, Data2};
    return Hex(bytes, size_t(1 + DataCount));
}

void TMidiEventItemCtrlChange::Store()
{
    TMidiPlayV& player = Player();
    TMidiPortConfigChannel& ch = player.PortConfigs().Ensure(player.Tracks()[size_t(Track)]->Port).Channel(Channel);
    if (Data1 == 0)
        ch.Tone.BankMSB = Data2;
    else if (Data1 == 32)
        ch.Tone.BankLSB = Data2;
    else
        ch.Controls[Data1].Value = Data2;
}

void TMidiEventItemProgramChange::Store()
{
    TMidiPlayV& player = Player();
    player.PortConfigs().Ensure(player.Tracks()[size_t(Track)]->Port).Channel(Channel).Tone.Program = Data1;
}

void TMidiEventItemPitchBend::Store()
{
    TMidiPlayV& player = Player();
    player.PortConfigs().Ensure(player.Tracks()[size_t(Track)]->Port).Channel(Channel).Data.Bend =
        uint16_t((Data2 & 0x7F) << 7 | (Data1 & 0x7F));
}

// Meta and system-exclusive events

void TMidiEventItemLong::Send()
{
    // Meta events are the file's own; only system messages go out.
    if (!Bytes.empty() && Bytes.front() != 0xFF)
        Player().SendLongMsg(Track, this);
}

std::string TMidiEventItemLong::AsText() const
{
    return TMidiEventItemStanderd::AsText() + " kind " + std::to_string(Kind) + " " + AsHex();
}

std::string TMidiEventItemLong::AsHex() const
{
    return Hex(Bytes.data(), Bytes.size());
}

std::string TMidiEventItemLong::TextFrom(size_t first) const
{
    if (Bytes.size() <= first)
        return {};
    return std::string(Bytes.begin() + std::ptrdiff_t(first), Bytes.end());
}

void TMidiEventItemGMReset::Store()
{
    TMidiPlayV& player = Player();
    player.PortConfigs().Reset(player.Tracks()[size_t(Track)]->Port);
}

void TMidiEventItemGSReset::Store()
{
    TMidiPlayV& player = Player();
    player.PortConfigs().Reset(player.Tracks()[size_t(Track)]->Port);
}

void TMidiEventItemTempo::Link()
{
    Tempo = uint32_t(Bytes[1]) << 16 | uint32_t(Bytes[2]) << 8 | Bytes[3];
    Player().Tempos().push_back(this);
}

void TMidiEventItemTempo::Send()
{
    Player().DoTempo(Tempo);
}

void TMidiEventItemTrackName::Link()
{
    Text = TextFrom(1);
    Player().Tracks()[size_t(Track)]->Name = this;
}

void TMidiEventItemLyric::Link()
{
    Text = TextFrom(1);
    Player().Lyrics().push_back(this);
}

void TMidiEventItemLyric::Send()
{
    Player().DoLyric(Text);
}

void TMidiEventItemMarker::Link()
{
    Text = TextFrom(1);
    Player().Markers().push_back(this);
}

void TMidiEventItemRhythm::Link()
{
    Numerator = Bytes[1];
    // Powers beyond 2^30 mean nothing musically and would overflow.
    Denominator = 1 << std::min<int>(Bytes[2], 30);
    Third = Bytes[3];
    Player().Rhythms().push_back(this);
}

void TMidiEventItemRhythm::Send()
{
    Player().DoRhythm(this);
}

void TMidiEventItemPort::Link()
{
    TMidiPlayV& player = Player();
    player.Tracks()[size_t(Track)]->Port = Bytes[1];
    player.PortConfigs().Ensure(Bytes[1]);
}

void TMidiEventItemLcdDot::Link()
{
    for (size_t i = 0; i < 16; ++i)
        for (size_t j = 0; j < 16; ++j) {
            const size_t k = i + 16 * (j / 5) + 8;
            Dots[i][j] = k < Bytes.size() && (Bytes[k] >> (4 - j % 5) & 1) != 0;
        }
}

void TMidiEventItemLcdDot::Send()
{
    Player().DoLcdDot(Dots);
    TMidiEventItemLong::Send();
}

void TMidiEventItemLcdStr::Link()
{
    Text = TextFrom(8);
}

void TMidiEventItemLcdStr::Send()
{
    TMidiEventItemLong::Send();
    Player().DoLcdStr(Text);
}

void TMidiEventItemVibrant::Send()
{
    Player().DoVibrant(this);
}

std::string TMidiEventItemVibrant::AsText() const
{
    return TMidiEventItemStanderd::AsText() + " bar " + std::to_string(Bar) + " beat " + std::to_string(Beat);
}

std::unique_ptr<TMidiEventItemStanderd> CreateMidiEvent(uint8_t kind)
{
    std::unique_ptr<TMidiEventItemStanderd> item;
    switch (kind) {
    case mkNoteOn: item = std::make_unique<TMidiEventItemNoteOn>(); break;
    case mkNoteOff: item = std::make_unique<TMidiEventItemNoteOff>(); break;
    case mkKeyPressure:
    case mkChannelPressure: item = std::make_unique<TMidiEventItemShort>(); break;
    case mkCtrlChange: item = std::make_unique<TMidiEventItemCtrlChange>(); break;
    case mkProgramChange: item = std::make_unique<TMidiEventItemProgramChange>(); break;
    case mkPitchBend: item = std::make_unique<TMidiEventItemPitchBend>(); break;
    case mkGMReset: item = std::make_unique<TMidiEventItemGMReset>(); break;
    case mkGSReset: item = std::make_unique<TMidiEventItemGSReset>(); break;
    case mkTempo: item = std::make_unique<TMidiEventItemTempo>(); break;
    case mkTrackName: item = std::make_unique<TMidiEventItemTrackName>(); break;
    case mkLyric: item = std::make_unique<TMidiEventItemLyric>(); break;
    case mkMarker: item = std::make_unique<TMidiEventItemMarker>(); break;
    case mkRhythm: item = std::make_unique<TMidiEventItemRhythm>(); break;
    case mkPort: item = std::make_unique<TMidiEventItemPort>(); break;
    case mkLcdDot: item = std::make_unique<TMidiEventItemLcdDot>(); break;
    case mkLcdStr: item = std::make_unique<TMidiEventItemLcdStr>(); break;
    case mkVibrant: item = std::make_unique<TMidiEventItemVibrant>(); break;
    default: item = std::make_unique<TMidiEventItemLong>(); break;
    }
    item->Kind = kind;
    return item;
}

TMidiEventItemStanderd* TMidiEventItems::Add(std::unique_ptr<TMidiEventItemStanderd> item)
{
    item->Owner = this;
    item->Index = Count();
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TMidiEventItems::SortByTick()
{
    std::stable_sort(FItems.begin(), FItems.end(), [](const auto& a, const auto& b) { return a->Tick < b->Tick; });
}

void TMidiEventItems::Renumber()
{
    for (int i = 0; i < Count(); ++i)
        FItems[size_t(i)]->Index = i;
}
