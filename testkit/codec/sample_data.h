#pragma once
// Deterministic sample inputs for the LZSS tests and benchmarks: the kinds of
// file a game archive holds (script text, bitmap pixels, already-compressed
// data) and a few shapes that stress the match search.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sample_data {

inline std::vector<uint8_t> Random(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = uint8_t(rng());
    return out;
}

// Bytes drawn from the first `symbols` values of `alphabet`: many equal
// candidates of similar length, where the lowest-position rule decides.
inline std::vector<uint8_t> SmallAlphabet(size_t n, const std::string& alphabet, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = uint8_t(alphabet[rng() % alphabet.size()]);
    return out;
}

// Script-like lines: command words, variables and Shift-JIS message text.
inline std::vector<uint8_t> ScriptText(size_t n, uint32_t seed)
{
    static const char* const commands[] = {
        "*MSG ", "*PICTURE ", "*WAIT ", "*IF ", "*GOTO ", "*SET ", "*PLAYSE ", "*LABEL ", "*CLS", "*SCENE "};
    static const char* const words[] = {"\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd", "\x8e\x84\x82\xcd",
        "\x94\xe0\x82\xf0\x8aJ\x82\xaf\x82\xe9", "\x81\x42", "\x81\x41", "door", "key", "room", "{flag3}", "'bg01.png'",
        "100", "=", "\x8c\xae\x82\xaa\x82\xa0\x82\xe9", "\x95\x94\x89\xae\x82\xc9\x93\xfc\x82\xe9", " ", "[item2]"};
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < n) {
        text += commands[rng() % std::size(commands)];
        const int count = 1 + int(rng() % 8);
        for (int i = 0; i < count; ++i)
            text += words[rng() % std::size(words)];
        text += "\r\n";
    }
    text.resize(n);
    return {text.begin(), text.end()};
}

// 24-bit pixel rows: flat areas, gradients and a little noise, as in the
// backgrounds and sprites a game stores as BMP.
inline std::vector<uint8_t> BitmapPixels(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    const int width = 320;
    std::vector<uint8_t> out;
    out.reserve(n + width * 3);
    for (int y = 0; out.size() < n; ++y) {
        const uint32_t band = uint32_t(y / 24) * 2654435761u ^ seed;
        for (int x = 0; x < width; ++x) {
            uint8_t b, g, r;
            if ((x / 40 + y / 30) % 3 == 0) { // flat
                b = uint8_t(band);
                g = uint8_t(band >> 8);
                r = uint8_t(band >> 16);
            } else if ((x / 40 + y / 30) % 3 == 1) { // gradient
                b = uint8_t(x);
                g = uint8_t(y);
                r = uint8_t(x + y);
            } else { // noisy texture
                const uint32_t v = rng();
                b = uint8_t(0x40 + (v & 7));
                g = uint8_t(0x80 + ((v >> 3) & 7));
                r = uint8_t(0x20 + ((v >> 6) & 3));
            }
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
    }
    out.resize(n);
    return out;
}

// Script text, pixels and random bytes in turn, 64 KB at a time.
inline std::vector<uint8_t> MixedCorpus(size_t n)
{
    const size_t chunk = 64 * 1024;
    std::vector<uint8_t> out;
    out.reserve(n);
    for (uint32_t i = 0; out.size() < n; ++i) {
        std::vector<uint8_t> part = i % 3 == 0   ? ScriptText(chunk, i)
                                    : i % 3 == 1 ? BitmapPixels(chunk, i)
                                                 : Random(chunk, i);
        out.insert(out.end(), part.begin(), part.end());
    }
    out.resize(n);
    return out;
}

} // namespace sample_data
