#pragma once
// What the fuzz targets that play a whole game share: the engine with the
// fake desktop and the fake clock, in a folder of its own that is emptied
// before every input, played for a bounded number of ticks with its key
// waits ended and typed commands entered; and a fence that keeps every file
// the game writes inside that folder.
//
// Scripts name data files relative to their folder and may climb out of it
// ("..\..\x"), with names built at run time too, so no look at the input can
// tell where a game will write. The fence stands at the calls themselves:
// these targets are linked with the calls that create, change or remove
// files wrapped (fuzz/CMakeLists.txt), and while a game plays such a call
// for a path outside the folder fails as a refused permission would. The
// engine reports that as it reports any file it cannot create.
//
// Include this header from exactly one source of a target.

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "base/clock.h"
#include "base/stringlist.h"
#include "engine/script/engine.h"
#include "testkit/fake_engine_host.h"

namespace fence {

// The game's folder with a trailing separator; empty while no game plays.
inline std::string Root;

inline bool Writes(int flags)
{
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0;
}

// Whether the path, taken as the kernel takes it from `dirFd`, lies inside
// the folder. "." and ".." are folded by their text: nothing in the folder is
// a link (a game creates plain files only), and the folder's own path is
// free of links.
inline bool Inside(int dirFd, const char* path)
{
    if (Root.empty())
        return true;
    if (path == nullptr)
        return false;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::error_code error;
        std::filesystem::path base;
        if (dirFd == AT_FDCWD)
            base = std::filesystem::current_path(error);
        else
            base = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(dirFd), error);
        if (error)
            return false;
        p = base / p;
    }
    const std::string normal = p.lexically_normal().string();
    return normal.size() > Root.size() && normal.compare(0, Root.size(), Root) == 0;
}

inline int Refuse()
{
    errno = EACCES;
    return -1;
}

} // namespace fence

// The wrapped calls. A mode argument is read only when the flags say one was
// passed, as the C library itself does.
extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_open64(const char* path, int flags, ...);
int __real_openat(int dirFd, const char* path, int flags, ...);
int __real_openat64(int dirFd, const char* path, int flags, ...);
int __real___open_2(const char* path, int flags);
int __real___open64_2(const char* path, int flags);
int __real___openat_2(int dirFd, const char* path, int flags);
int __real_creat(const char* path, mode_t mode);
int __real_mkstemp(char* pattern);
int __real_mkostemp(char* pattern, int flags);
int __real_rename(const char* from, const char* to);
int __real_renameat(int fromFd, const char* from, int toFd, const char* to);
int __real_renameat2(int fromFd, const char* from, int toFd, const char* to, unsigned flags);
int __real_link(const char* from, const char* to);
int __real_linkat(int fromFd, const char* from, int toFd, const char* to, int flags);
int __real_unlink(const char* path);
int __real_unlinkat(int dirFd, const char* path, int flags);
int __real_remove(const char* path);
int __real_truncate(const char* path, off_t length);

#define TG_FENCE_MODE(last)                                                                                     \
    mode_t mode = 0;                                                                                            \
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {                                                                 \
        va_list args;                                                                                           \
        va_start(args, last);                                                                                   \
        mode = static_cast<mode_t>(va_arg(args, int));                                                          \
        va_end(args);                                                                                           \
    }

int __wrap_open(const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags) && !fence::Inside(AT_FDCWD, path))
        return fence::Refuse();
    return __real_open(path, flags, mode);
}

int __wrap_open64(const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags) && !fence::Inside(AT_FDCWD, path))
        return fence::Refuse();
    return __real_open64(path, flags, mode);
}

int __wrap_openat(int dirFd, const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags) && !fence::Inside(dirFd, path))
        return fence::Refuse();
    return __real_openat(dirFd, path, flags, mode);
}

int __wrap_openat64(int dirFd, const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags) && !fence::Inside(dirFd, path))
        return fence::Refuse();
    return __real_openat64(dirFd, path, flags, mode);
}

#undef TG_FENCE_MODE

int __wrap___open_2(const char* path, int flags)
{
    return fence::Writes(flags) && !fence::Inside(AT_FDCWD, path) ? fence::Refuse() : __real___open_2(path, flags);
}

int __wrap___open64_2(const char* path, int flags)
{
    return fence::Writes(flags) && !fence::Inside(AT_FDCWD, path) ? fence::Refuse() : __real___open64_2(path, flags);
}

int __wrap___openat_2(int dirFd, const char* path, int flags)
{
    return fence::Writes(flags) && !fence::Inside(dirFd, path) ? fence::Refuse() : __real___openat_2(dirFd, path, flags);
}

int __wrap_creat(const char* path, mode_t mode)
{
    return fence::Inside(AT_FDCWD, path) ? __real_creat(path, mode) : fence::Refuse();
}

int __wrap_mkstemp(char* pattern)
{
    return fence::Inside(AT_FDCWD, pattern) ? __real_mkstemp(pattern) : fence::Refuse();
}

int __wrap_mkostemp(char* pattern, int flags)
{
    return fence::Inside(AT_FDCWD, pattern) ? __real_mkostemp(pattern, flags) : fence::Refuse();
}

int __wrap_rename(const char* from, const char* to)
{
    return fence::Inside(AT_FDCWD, from) && fence::Inside(AT_FDCWD, to) ? __real_rename(from, to) : fence::Refuse();
}

int __wrap_renameat(int fromFd, const char* from, int toFd, const char* to)
{
    return fence::Inside(fromFd, from) && fence::Inside(toFd, to) ? __real_renameat(fromFd, from, toFd, to)
                                                                  : fence::Refuse();
}

int __wrap_renameat2(int fromFd, const char* from, int toFd, const char* to, unsigned flags)
{
    return fence::Inside(fromFd, from) && fence::Inside(toFd, to) ? __real_renameat2(fromFd, from, toFd, to, flags)
                                                                  : fence::Refuse();
}

int __wrap_link(const char* from, const char* to)
{
    return fence::Inside(AT_FDCWD, to) ? __real_link(from, to) : fence::Refuse();
}

int __wrap_linkat(int fromFd, const char* from, int toFd, const char* to, int flags)
{
    return fence::Inside(toFd, to) ? __real_linkat(fromFd, from, toFd, to, flags) : fence::Refuse();
}

int __wrap_unlink(const char* path)
{
    return fence::Inside(AT_FDCWD, path) ? __real_unlink(path) : fence::Refuse();
}

int __wrap_unlinkat(int dirFd, const char* path, int flags)
{
    return fence::Inside(dirFd, path) ? __real_unlinkat(dirFd, path, flags) : fence::Refuse();
}

int __wrap_remove(const char* path)
{
    return fence::Inside(AT_FDCWD, path) ? __real_remove(path) : fence::Refuse();
}

int __wrap_truncate(const char* path, off_t length)
{
    return fence::Inside(AT_FDCWD, path) ? __real_truncate(path, length) : fence::Refuse();
}
} // extern "C"

// Every open replaces thousands of variable records and the fonts keep
// caches for the life of the process, so a leak scan after each input would
// report noise and take most of the time; the unit tests check the engine
// for leaks instead.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

// One engine for the whole run, as one window serves many games.
class TFuzzGame {
public:
    // Typed commands entered after a game has settled, at most.
    static constexpr int MaxTypedCommands = 8;

    TFuzzGame()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tgfuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        Dir = std::filesystem::canonical(pattern).string() + "/";
        // The folder goes with the run (a crash keeps it, with the input's
        // files, for a look).
        FolderToRemove() = Dir;
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(FolderToRemove(), error);
        });
        // *SAVE with a nonzero place falls back to the per-user data folder:
        // that folder is inside this one too.
        setenv("XDG_DATA_HOME", (Dir + "data").c_str(), 1);
        SetClockSource(&Clock);
        Engine = std::make_unique<TEngine>(Host, std::vector<std::string>{}, Dir);
        Engine->CreateScreenObjects();
        // Short slices: a looping script yields often and each input stays quick.
        Engine->SetRunSliceLines(500);
    }

    // Empties the folder: what the last game wrote (data files, saves) is
    // gone before the next one starts.
    void Clear()
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(Dir, error))
            std::filesystem::remove_all(entry.path(), error);
    }

    // Opens the file (in the folder) and plays it: a few seconds of ticks
    // with every key wait ended, then the typed commands the script itself
    // offers (see TypedCommands), each followed by its own ticks.
    void Play(const std::string& path)
    {
        fence::Root = Dir;
        TEngine& engine = *Engine;
        engine.OpenScenario(path);
        Ticks(16);
        const std::vector<std::string> typed = TypedCommands();
        for (const std::string& text : typed) {
            if (engine.Halted() || engine.State() != esCommandWait)
                break;
            engine.SubmitCommand(text);
            Ticks(4);
        }
        fence::Root.clear();
    }

    TFakeClock Clock{1000};
    TFakeEngineHost Host;
    std::string Dir;
    std::unique_ptr<TEngine> Engine;

private:
    static std::string& FolderToRemove()
    {
        static std::string folder;
        return folder;
    }

    void Ticks(int count)
    {
        TEngine& engine = *Engine;
        for (int tick = 0; tick < count && !engine.Halted(); ++tick) {
            Clock.Advance(100);
            engine.ApplicationEvents1Idle();
            if (engine.State() == esKeyWait)
                engine.EndKeyWait();
        }
    }

    // What a player would type at this script: the words of its pattern
    // lines (so that patterns are chosen and their lines run), and any line
    // that begins with "?" as it stands, which lets the input choose texts
    // that match nothing, or hold braces and brackets.
    std::vector<std::string> TypedCommands() const
    {
        std::vector<std::string> typed;
        const TStringList& script = Engine->Script();
        for (int i = 0; i < script.Count() && static_cast<int>(typed.size()) < MaxTypedCommands; ++i) {
            const std::string& line = script[i];
            if (line.size() > 1 && (line[0] == '>' || line[0] == '?'))
                typed.push_back(line.substr(1));
        }
        return typed;
    }
};
