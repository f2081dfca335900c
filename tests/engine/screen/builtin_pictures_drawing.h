#pragma once
// Draws the engine's built-in pictures from their shapes, as "Data" streams
// (width, height, then B, G, R, A pixels row by row). The embedded copies in
// the engine are made from these; a test keeps the two equal.

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> DrawBuiltInPicture(int index);

// The source file that embeds pictures `first` .. `last` under the given
// array names.
std::string BuiltInPictureSource(int first, int last);
