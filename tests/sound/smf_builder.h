#pragma once
// Builds standard MIDI files byte by byte for the tests: a header and
// tracks of (delta, bytes) events, with lengths filled in.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/streams.h"

namespace smf {

using Bytes = std::vector<uint8_t>;

inline void PutVarLen(Bytes& out, uint32_t v)
{
    uint8_t buf[5];
    int n = 0;
    buf[n++] = v & 0x7F;
    while (v >>= 7)
        buf[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n > 0)
        out.push_back(buf[--n]);
}

inline void PutBE(Bytes& out, uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        out.push_back(uint8_t(v >> (8 * i)));
}

class Track {
public:
    Track& Ev(uint32_t delta, std::initializer_list<uint8_t> bytes)
    {
        PutVarLen(FData, delta);
        FData.insert(FData.end(), bytes);
        return *this;
    }
    Track& Raw(std::initializer_list<uint8_t> bytes)
    {
        FData.insert(FData.end(), bytes);
        return *this;
    }
    Track& Meta(uint32_t delta, uint8_t type, const Bytes& data)
    {
        PutVarLen(FData, delta);
        FData.push_back(0xFF);
        FData.push_back(type);
        PutVarLen(FData, uint32_t(data.size()));
        FData.insert(FData.end(), data.begin(), data.end());
        return *this;
    }
    Track& Tempo(uint32_t delta, uint32_t usPerQuarter)
    {
        return Meta(delta, 0x51, {uint8_t(usPerQuarter >> 16), uint8_t(usPerQuarter >> 8), uint8_t(usPerQuarter)});
    }
    Track& SysEx(uint32_t delta, const Bytes& bytesAfterF0)
    {
        PutVarLen(FData, delta);
        FData.push_back(0xF0);
        PutVarLen(FData, uint32_t(bytesAfterF0.size()));
        FData.insert(FData.end(), bytesAfterF0.begin(), bytesAfterF0.end());
        return *this;
    }
    Track& End(uint32_t delta = 0) { return Ev(delta, {0xFF, 0x2F, 0x00}); }
    const Bytes& Data() const { return FData; }

private:
    Bytes FData;
};

// A file of the given tracks.
inline Bytes File(const std::vector<Track>& tracks, uint16_t division = 480, uint16_t format = 1)
{
    Bytes out{'M', 'T', 'h', 'd'};
    PutBE(out, 6, 4);
    PutBE(out, format, 2);
    PutBE(out, uint32_t(tracks.size()), 2);
    PutBE(out, division, 2);
    for (const Track& t : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBE(out, uint32_t(t.Data().size()), 4);
        out.insert(out.end(), t.Data().begin(), t.Data().end());
    }
    return out;
}

inline Bytes Chunk(const std::string& id, const Bytes& data, uint32_t statedLength)
{
    Bytes out(id.begin(), id.end());
    PutBE(out, statedLength, 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length = 6)
{
    Bytes data;
    PutBE(data, format, 2);
    PutBE(data, tracks, 2);
    PutBE(data, division, 2);
    data.resize(length, 0);
    return Chunk("MThd", data, length);
}

} // namespace smf
