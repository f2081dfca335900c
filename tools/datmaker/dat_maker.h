#pragma once
// Turning a file of 32-bit words into a data file (formats/dat/data_file.h)
// of integer records: each word becomes a record (type byte 00h and the
// word's four bytes as they stand), followed by the checksum of all the
// records. The data file is written beside the input under its full name +
// ".dat".

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TMakeDatResult {
    mdWritten,         // the data file was written
    mdSizeNotMultiple, // the input's size is no multiple of 4; nothing written
};

// The data file's bytes for an input of Size bytes (a multiple of 4).
std::vector<uint8_t> MakeDatBytes(const uint8_t* Data, size_t Size);

// Converts the file Path (a file-system path) into Path + ".dat", written
// through a temporary file, so a failure leaves an older data file as it
// was. Raises the file layer's errors when the input cannot be read or the
// output cannot be written.
TMakeDatResult MakeDatFile(const std::string& Path);

// The line logged for an input whose size is no multiple of 4 (Shift-JIS).
const std::string& DatSizeMessage();
