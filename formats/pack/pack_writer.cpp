#include "formats/pack/pack_writer.h"

#include "base/streams.h"
#include "formats/pack/pack_archive.h"

namespace {

constexpr int64_t CountOffset = 4;

} // namespace

std::unique_ptr<TMemoryStream> MakePackEntry(
    std::string_view Name, TStream& Source, int64_t Size, bool Compressed, TkvCompress& Coder)
{
    auto entry = std::make_unique<TMemoryStream>();
    entry->WriteI32(int32_t(Size));
    entry->WriteI32(Compressed ? 1 : 0);
    entry->WriteI32(int32_t(Name.size()));
    entry->WriteBuffer(Name.data(), int64_t(Name.size()));
    if (Compressed)
        Coder.Compress(Source, *entry, int32_t(Size));
    else if (Size > 0) // CopyFrom takes a count of 0 as "the whole stream"
        entry->CopyFrom(Source, Size);
    return entry;
}

void WritePackEntry(TStream& Target, TMemoryStream& Entry)
{
    Target.WriteI32(int32_t(Entry.Size()));
    Entry.SaveToStream(Target);
}

TPackWriter::TPackWriter(TStream& Target) : FTarget(Target)
{
    FTarget.WriteBuffer(PackMagic, sizeof PackMagic);
    FTarget.WriteI32(0);
}

void TPackWriter::Add(TMemoryStream& Entry)
{
    WritePackEntry(FTarget, Entry);
    ++FCount;
}

void TPackWriter::Finish()
{
    FTarget.SetPosition(CountOffset);
    FTarget.WriteI32(FCount);
}
