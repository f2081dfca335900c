#include "sound/midi_stream.h"

#include <algorithm>

void TMidiFileStream::BeginChunk(int64_t length)
{
    FLeft = std::clamp<int64_t>(length, 0, Size() - Position());
}

uint8_t TMidiFileStream::ReadByte()
{
    uint8_t b = 0;
    if (FLeft <= 0 || Read(&b, 1) != 1)
        throw EMidiReadError("MIDI chunk ends inside an event");
    --FLeft;
    return b;
}

uint32_t TMidiFileStream::ReadInt(int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | ReadByte();
    return v;
}

uint32_t TMidiFileStream::ReadVarLen()
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        const uint8_t b = ReadByte();
        v = (v << 7) | (b & 0x7F);
        if ((b & 0x80) == 0)
            return v;
    }
    throw EMidiReadError("MIDI variable-length number longer than four bytes");
}

std::string TMidiFileStream::ReadChars(int64_t n)
{
    if (n < 0 || n > FLeft)
        throw EMidiReadError("MIDI chunk ends inside an event");
    std::string s(static_cast<size_t>(n), '\0');
    if (n > 0 && Read(s.data(), n) != n)
        throw EMidiReadError("MIDI chunk ends inside an event");
    FLeft -= n;
    return s;
}

void TMidiFileStream::StepBack()
{
    Seek(-1, soCurrent);
    ++FLeft;
}
