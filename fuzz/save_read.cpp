// Save files from arbitrary bytes, staged against a fixed script (five
// items, three labels): every input ends staged or refused with the save
// format error; nothing is read outside the bytes, nothing hangs.

#include "formats/save/save_error.h"
#include "formats/save/save_file.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::map<std::string, std::pair<int32_t, int32_t>> labels = {
        {"start", {1, 1}}, {"town", {3, 3}}, {"bgloop", {7, 7}}};
    TSaveReadContext context;
    context.ItemCount = 5;
    context.FindLabel = [](const std::string& name, int32_t& line, int32_t& scene) {
        const auto it = labels.find(name);
        if (it == labels.end())
            return false;
        line = it->second.first;
        scene = it->second.second;
        return true;
    };
    try {
        const TStagedLoad staged = StageSaveFile(std::span<const uint8_t>(data, size), context);
        if (staged.Version < 1 || staged.Version > 10 || staged.Screen == nullptr)
            __builtin_trap();
    } catch (const ESaveFormatError&) {
    }
    return 0;
}
