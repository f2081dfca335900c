#include "base/tokenizer.h"

#include "base/sjis.h"

namespace {

// The scan that both calls share. It walks characters (a double-byte
// character is one unit, so a trail byte never reads as a separator, quote
// or bracket) and stops once the token at `wanted` has ended.
struct TokenScan {
    int count = 0;
    std::string token;
};

TokenScan Scan(std::string_view text, char separator, int wanted)
{
    TokenScan scan;
    bool inSeparator = false;
    bool done = false;

    auto endToken = [&] {
        if (scan.count >= wanted)
            done = true;
        else
            scan.token.clear();
        ++scan.count;
    };

    size_t i = 0;
    const size_t n = text.size();
    while (i < n && !done) {
        const size_t len = sjis::CharLen(text, i);
        const char c = text[i];
        if (len == 2 || c != separator) {
            if (len == 1 && c == '(') {
                int depth = 0;
                size_t j = i;
                for (; j < n; j = sjis::NextChar(text, j)) {
                    if (text[j] == '(')
                        ++depth;
                    else if (text[j] == ')' && --depth == 0)
                        break;
                }
                const size_t stop = j < n ? j + 1 : n;
                scan.token.append(text.substr(i, stop - i));
                i = stop;
            } else if (len == 1 && c == '\'') {
                size_t j = i + 1;
                while (j < n) {
                    if (text[j] == '\'') {
                        if (j + 1 < n && text[j + 1] == '\'') {
                            j += 2;
                            continue;
                        }
                        ++j;
                        break;
                    }
                    j = sjis::NextChar(text, j);
                }
                const size_t stop = j < n ? j : n;
                scan.token.append(text.substr(i, stop - i));
                i = stop;
            } else {
                scan.token.append(text.substr(i, len));
                i += len;
            }
            inSeparator = false;
            continue;
        }
        if (!inSeparator) {
            endToken();
            inSeparator = true;
        }
        ++i;
    }
    if (!done)
        endToken();
    return scan;
}

} // namespace

int CountTokens(std::string_view text, char separator, int /*mode*/)
{
    return Scan(text, separator, 1024).count;
}

std::string GetToken(std::string_view text, char separator, int index, int /*mode*/)
{
    TokenScan scan = Scan(text, separator, index);
    if (scan.count <= index)
        return {};
    return scan.token;
}
