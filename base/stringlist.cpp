#include "base/stringlist.h"

#include "base/exceptions.h"
#include "base/streams.h"

namespace {
[[noreturn]] void IndexError(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}
} // namespace

const std::string& TStringList::operator[](int index) const
{
    if (index < 0 || index >= Count())
        IndexError(index);
    return FItems[static_cast<size_t>(index)];
}

std::string& TStringList::operator[](int index)
{
    if (index < 0 || index >= Count())
        IndexError(index);
    return FItems[static_cast<size_t>(index)];
}

int TStringList::Add(std::string s)
{
    FItems.push_back(std::move(s));
    return Count() - 1;
}

void TStringList::Insert(int index, std::string s)
{
    if (index < 0 || index > Count())
        IndexError(index);
    FItems.insert(FItems.begin() + index, std::move(s));
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= Count())
        IndexError(index);
    FItems.erase(FItems.begin() + index);
}

int TStringList::IndexOf(std::string_view s) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == s)
            return static_cast<int>(i);
    return -1;
}

std::string TStringList::Text() const
{
    std::string out;
    for (const auto& line : FItems) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(std::string_view text)
{
    FItems.clear();
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t end = start;
        while (end < n && text[end] != '\r' && text[end] != '\n')
            ++end;
        FItems.emplace_back(text.substr(start, end - start));
        // CR LF is one line end; a lone CR or LF is one too.
        if (end < n && text[end] == '\r')
            ++end;
        if (end < n && text[end] == '\n')
            ++end;
        start = end;
    }
}

void TStringList::LoadFromStream(TStream& stream)
{
    const int64_t size = stream.Size() - stream.Position();
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (!text.empty())
        stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    SetText(text);
}

void TStringList::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStringList::SaveToStream(TStream& stream) const
{
    const std::string text = Text();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStringList::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}
