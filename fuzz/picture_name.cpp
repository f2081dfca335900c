// Arbitrary Shift-JIS script names through the candidate names of the
// game files and the name splitting under them. The file-name part is
// the name's tail and holds no folder separator; candidates after the first
// are that part with the fallback extension; dropping and adding an
// extension gives the name back.

#include "base/sjis.h"
#include "engine/script/game_files.h"
#include "engine/script/picture_load.h"
#include "engine/script/scenario_files.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool HasSeparator(std::string_view name)
{
    return name.find('/') != std::string_view::npos || sjis::Find(name, '\\') != sjis::npos;
}

bool EndsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    const std::string file = ExtractFileName(name);
    const std::string ext = ExtractFileExt(name);
    Check(EndsWith(name, file) && !HasSeparator(file));
    Check(EndsWith(file, ext) && (ext.empty() || ext[0] == '.'));
    Check(ChangeFileExt(name, "") + ext == name);
    Check(WithPictureExt(name) == (ext.empty() ? name + ".bmp" : name));

    const auto archive = ArchivePictureNames(name);
    const auto disk = DiskPictureNames(name);
    Check(archive[0] == name && disk[0] == file);
    const char* archiveExts[] = {".jpg", ".png", ".bmp"};
    const char* diskExts[] = {".png", ".jpg", ".bmp"};
    for (size_t i = 0; i < 3; ++i) {
        for (const std::string& candidate : {archive[i + 1], disk[i + 1]})
            Check(!HasSeparator(candidate) && ExtractFileName(candidate) == candidate);
        Check(ExtractFileExt(archive[i + 1]) == archiveExts[i] && ExtractFileExt(disk[i + 1]) == diskExts[i]);
        Check(ChangeFileExt(archive[i + 1], "") == ChangeFileExt(file, ""));
    }
    return 0;
}
