#pragma once
// The checksum of save files and data files: the reflected CRC-32 table
// (polynomial EDB88320h) run from the caller's value with no inversion at
// either end, so a start of 0 over zero bytes stays 0 and the values differ
// from the usual CRC-32 check values. Callers start from 0 and store the raw
// result; feeding a buffer in chunks gives the same value as feeding it whole.

#include <cstdint>

void UpdateCRC32(const void* Buf, uint32_t Len, uint32_t& Crc);
