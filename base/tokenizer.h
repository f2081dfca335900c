#pragma once
// Splits a script line into tokens separated by one separator character
// (a blank for command lines, "/" for pattern alternatives, ")" for old-style
// terms). Parenthesised parts and apostrophe-quoted strings stay whole, with
// their brackets and quotes, even when they hold the separator. A run of
// separators counts as one; separators at the start give an empty first
// token and separators at the end one empty last token.

#include <string>
#include <string_view>

// Number of tokens of `text`. `mode` is accepted for the callers' sake and
// has no effect.
int CountTokens(std::string_view text, char separator, int mode = 0);

// Token `index` (0-based); empty when the text has fewer tokens.
std::string GetToken(std::string_view text, char separator, int index, int mode = 0);
