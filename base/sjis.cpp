#include "base/sjis.h"

#include <cerrno>
#include <iconv.h>

namespace sjis {

size_t CharLen(std::string_view s, size_t i)
{
    return (IsLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

bool IsCharStart(std::string_view s, size_t i)
{
    size_t p = 0;
    while (p < i)
        p = NextChar(s, p);
    return p == i;
}

size_t Find(std::string_view s, char c, size_t from)
{
    for (size_t i = from; i < s.size(); i = NextChar(s, i)) {
        if (s[i] == c)
            return i;
    }
    return npos;
}

size_t Find(std::string_view s, std::string_view sub, size_t from)
{
    if (sub.empty())
        return from <= s.size() ? from : npos;
    for (size_t i = from; i < s.size(); i = NextChar(s, i)) {
        if (s.compare(i, sub.size(), sub) == 0)
            return i;
    }
    return npos;
}

size_t FindLast(std::string_view s, char c)
{
    size_t found = npos;
    for (size_t i = 0; i < s.size(); i = NextChar(s, i)) {
        if (s[i] == c)
            found = i;
    }
    return found;
}

namespace {

template <typename Map>
std::string MapSingleBytes(std::string_view s, Map map)
{
    std::string out(s);
    for (size_t i = 0; i < out.size();) {
        const size_t len = CharLen(out, i);
        if (len == 1)
            out[i] = map(out[i]);
        i += len;
    }
    return out;
}

} // namespace

std::string UpperCase(std::string_view s)
{
    return MapSingleBytes(s, [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
}

std::string LowerCase(std::string_view s)
{
    return MapSingleBytes(s, [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

namespace {
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}
} // namespace

std::string TrimLeft(std::string_view s)
{
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    // A trail byte is never <= 20h, so trimming from the end cannot split a character.
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s)
{
    return TrimLeft(TrimRight(s));
}

size_t CharCount(std::string_view s)
{
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i = NextChar(s, i))
        ++n;
    return n;
}

namespace {

// One converter per direction and thread; iconv descriptors carry state.
class Converter {
public:
    Converter(const char* to, const char* from) : FHandle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (FHandle != reinterpret_cast<iconv_t>(-1))
            iconv_close(FHandle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; on a byte that has no form, appends `replacement` (or
    // fails when it is empty) and skips one input character of `skipLen`.
    bool Run(std::string_view in, std::string& out, std::string_view replacement,
        size_t (*skipLen)(std::string_view, size_t))
    {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        out.clear();
        out.reserve(in.size() * 3 / 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[1024];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t r = iconv(FHandle, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (r != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a character cut off at the end).
            if (replacement.empty())
                return false;
            out.append(replacement);
            const size_t offset = in.size() - srcLeft;
            size_t skip = skipLen(in, offset);
            if (skip > srcLeft)
                skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        iconv(FHandle, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        return true;
    }

private:
    iconv_t FHandle;
};

size_t SjisSkip(std::string_view s, size_t i)
{
    return CharLen(s, i);
}

size_t Utf8Skip(std::string_view s, size_t i)
{
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    // Never skip past bytes that do not continue the sequence.
    size_t k = 1;
    while (k < n && i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

Converter& ToUtf8Converter()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& FromUtf8Converter()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

} // namespace

std::string ToUtf8(std::string_view s)
{
    std::string out;
    if (!ToUtf8Converter().Run(s, out, "\xEF\xBF\xBD", SjisSkip))
        return std::string(s);
    return out;
}

std::string FromUtf8(std::string_view s)
{
    std::string out;
    if (!FromUtf8Converter().Run(s, out, "?", Utf8Skip))
        return std::string(s);
    return out;
}

bool TryFromUtf8(std::string_view utf8, std::string& out)
{
    std::string converted;
    if (!FromUtf8Converter().Run(utf8, converted, {}, Utf8Skip))
        return false;
    out = std::move(converted);
    return true;
}

} // namespace sjis
