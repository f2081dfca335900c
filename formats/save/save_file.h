#pragma once
// Writing a whole save file from the engine's state and staging a whole file
// for a load. Both work on bytes in memory; where the file lives and how it
// reaches the disk is the engine's (engine/script/save/save_location.h).

#include "codec/zeb_png_types.h"
#include "formats/save/save_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The script checksum of field 2: CRC-32 (start 0, no inversion) over every
// script line followed by CR LF.
uint32_t ScriptChecksum(const std::vector<std::string>& Lines);

// The version-10 state stream, uncompressed.
std::vector<uint8_t> BuildSaveState(const TSaveGame& Game);

// The whole file: magic, stream count, the screen PNG, the coded state and
// one PNG per non-empty buffer in Game.Buffers. The pictures are encoded on
// several threads; Stamp is the tIME of every PNG (the current UTC time in
// the engine, a fixed one where the bytes must repeat). Raises EZEBPNG when a
// picture cannot be encoded, ESaveFormatError for a buffer number outside
// 0 to 32 or out of order.
std::vector<uint8_t> BuildSaveFile(const TSaveGame& Game, const TPNGTime& Stamp = CurrentUTCTime());

// Parses and decodes a whole save file of any version from 1 to 10 without
// touching the game. Any fault of the file (wrong magic, version 0 or above
// 10, a count or length beyond the bytes left or the lists, a buffer pair
// outside 0 to 32, repeated or without its stream, a picture that does not
// decode) raises ESaveFormatError.
TStagedLoad StageSaveFile(std::span<const uint8_t> File, const TSaveReadContext& Context);
