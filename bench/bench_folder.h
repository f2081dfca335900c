#pragma once
// A temporary folder of a benchmark's own for the scripts and files it
// writes, removed with everything in it at the end.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

struct TBenchFolder {
    TBenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tgbench-XXXXXX").string();
        Path = ::mkdtemp(pattern.data()) ? pattern : std::filesystem::temp_directory_path().string();
    }
    ~TBenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
    TBenchFolder(const TBenchFolder&) = delete;
    TBenchFolder& operator=(const TBenchFolder&) = delete;

    // Writes the bytes as `name` in the folder and gives its path.
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string file = Path + "/" + name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

    std::string Path;
};
