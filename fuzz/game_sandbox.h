#pragma once
// What the fuzz targets that play a whole game share: the engine with the
// fake desktop and the fake clock, in a folder of its own that is emptied
// before every input, played for a bounded number of ticks with its key
// waits ended and typed commands entered; and a fence that stops the run
// when the game writes a file outside the sandbox around that folder.
//
// Scripts name data files relative to their folder and may climb out of it
// ("..\..\x", a series of games sharing its data), with names built at run
// time too, so no look at the input can tell where a game will write. The
// game's folder therefore sits Depth folders below the fence's root, so that
// such climbs stay inside, and the fence stands at the calls themselves:
// these targets are linked with the calls that create, change or remove
// files wrapped (fuzz/CMakeLists.txt), and while a game plays, each such call
// resolves its path as the kernel will (symbolic links followed, "." and
// ".." taken on the folders they stand in). A call that would reach a file
// outside the root is a fault: the fence names it and aborts, and the fuzzer
// keeps the input.
//
// Include this header from exactly one source of a target.

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/clock.h"
#include "base/stringlist.h"
#include "engine/script/engine.h"
#include "testkit/fake_engine_host.h"

namespace fence {

// The root of what a game may write, canonical, with a trailing separator;
// empty while no game plays.
inline std::string Root;

// Whether the call follows a symbolic link that is the path's last part.
enum TLast { LinkFollowed, LinkItself };

inline bool Writes(int flags)
{
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0;
}

// How an open with these flags takes a last part that is a link.
inline TLast OpenLast(int flags)
{
    const bool exclusive = (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL);
    return (flags & O_NOFOLLOW) != 0 || exclusive ? LinkItself : LinkFollowed;
}

// The folder `dirFd` stands for, canonical; empty when it cannot be told.
inline std::string FolderOf(int dirFd)
{
    if (dirFd == AT_FDCWD) {
        std::error_code error;
        const std::filesystem::path cwd = std::filesystem::current_path(error);
        return error ? std::string() : cwd.string();
    }
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(dirFd);
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    return n <= 0 ? std::string() : std::string(target, static_cast<size_t>(n));
}

// The path of the file the call will reach, taken from `dirFd` part by part
// as the kernel walks it: a symbolic link is replaced by its target (the last
// part only when the call follows it), "." stays and ".." goes to the
// parent of the folder reached so far, which holds no link. Empty when the
// call cannot reach any file: a folder on the way is missing or no folder,
// links nest too deep, or `dirFd` is no folder; the call then fails by itself.
inline std::string Resolve(int dirFd, const char* path, TLast last)
{
    if (path == nullptr || path[0] == '\0')
        return {};
    std::string reached = path[0] == '/' ? std::string() : FolderOf(dirFd);
    if (path[0] != '/' && reached.empty())
        return {};
    if (reached == "/")
        reached.clear();
    std::deque<std::string> parts;
    auto push = [&parts](const std::string& text) {
        std::deque<std::string> split;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find('/', start), text.size());
            split.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        parts.insert(parts.begin(), split.begin(), split.end());
    };
    push(path);
    int links = 0;
    while (!parts.empty()) {
        const std::string part = parts.front();
        parts.pop_front();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            reached.erase(reached.rfind('/') == std::string::npos ? 0 : reached.rfind('/'));
            continue;
        }
        const std::string next = reached + "/" + part;
        bool isLast = true;
        for (const std::string& rest : parts)
            if (!rest.empty() && rest != ".")
                isLast = false;
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            if (!isLast)
                return {};
            reached = next;
            continue;
        }
        if (S_ISLNK(st.st_mode) && (!isLast || last == LinkFollowed)) {
            if (++links > 40)
                return {};
            char target[4096];
            const ssize_t n = ::readlink(next.c_str(), target, sizeof target - 1);
            if (n <= 0)
                return {};
            const std::string text(target, static_cast<size_t>(n));
            if (text[0] == '/')
                reached.clear();
            push(text);
            continue;
        }
        if (!isLast && !S_ISDIR(st.st_mode))
            return {};
        reached = next;
    }
    return reached.empty() ? std::string("/") : reached;
}

// Lets the call through when it reaches a file inside the root (or none at
// all); stops the run otherwise.
inline void Check(const char* call, int dirFd, const char* path, TLast last)
{
    if (Root.empty())
        return;
    const std::string reached = Resolve(dirFd, path, last);
    if (reached.empty() || (reached.size() > Root.size() && reached.compare(0, Root.size(), Root) == 0))
        return;
    std::fprintf(stderr, "\n==fence== the game wrote outside its sandbox: %s(\"%s\") reaches %s, outside %s\n", call,
        path != nullptr ? path : "(null)", reached.c_str(), Root.c_str());
    std::abort();
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

#define TG_FENCE_MODE(last)                                                                                            \
    mode_t mode = 0;                                                                                                   \
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {                                                                        \
        va_list args;                                                                                                  \
        va_start(args, last);                                                                                          \
        mode = static_cast<mode_t>(va_arg(args, int));                                                                 \
        va_end(args);                                                                                                  \
    }

int __wrap_open(const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags))
        fence::Check("open", AT_FDCWD, path, fence::OpenLast(flags));
    return __real_open(path, flags, mode);
}

int __wrap_open64(const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags))
        fence::Check("open64", AT_FDCWD, path, fence::OpenLast(flags));
    return __real_open64(path, flags, mode);
}

int __wrap_openat(int dirFd, const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags))
        fence::Check("openat", dirFd, path, fence::OpenLast(flags));
    return __real_openat(dirFd, path, flags, mode);
}

int __wrap_openat64(int dirFd, const char* path, int flags, ...)
{
    TG_FENCE_MODE(flags)
    if (fence::Writes(flags))
        fence::Check("openat64", dirFd, path, fence::OpenLast(flags));
    return __real_openat64(dirFd, path, flags, mode);
}

#undef TG_FENCE_MODE

int __wrap___open_2(const char* path, int flags)
{
    if (fence::Writes(flags))
        fence::Check("open", AT_FDCWD, path, fence::OpenLast(flags));
    return __real___open_2(path, flags);
}

int __wrap___open64_2(const char* path, int flags)
{
    if (fence::Writes(flags))
        fence::Check("open64", AT_FDCWD, path, fence::OpenLast(flags));
    return __real___open64_2(path, flags);
}

int __wrap___openat_2(int dirFd, const char* path, int flags)
{
    if (fence::Writes(flags))
        fence::Check("openat", dirFd, path, fence::OpenLast(flags));
    return __real___openat_2(dirFd, path, flags);
}

int __wrap_creat(const char* path, mode_t mode)
{
    fence::Check("creat", AT_FDCWD, path, fence::LinkFollowed);
    return __real_creat(path, mode);
}

int __wrap_mkstemp(char* pattern)
{
    fence::Check("mkstemp", AT_FDCWD, pattern, fence::LinkItself);
    return __real_mkstemp(pattern);
}

int __wrap_mkostemp(char* pattern, int flags)
{
    fence::Check("mkostemp", AT_FDCWD, pattern, fence::LinkItself);
    return __real_mkostemp(pattern, flags);
}

int __wrap_rename(const char* from, const char* to)
{
    fence::Check("rename", AT_FDCWD, from, fence::LinkItself);
    fence::Check("rename", AT_FDCWD, to, fence::LinkItself);
    return __real_rename(from, to);
}

int __wrap_renameat(int fromFd, const char* from, int toFd, const char* to)
{
    fence::Check("renameat", fromFd, from, fence::LinkItself);
    fence::Check("renameat", toFd, to, fence::LinkItself);
    return __real_renameat(fromFd, from, toFd, to);
}

int __wrap_renameat2(int fromFd, const char* from, int toFd, const char* to, unsigned flags)
{
    fence::Check("renameat2", fromFd, from, fence::LinkItself);
    fence::Check("renameat2", toFd, to, fence::LinkItself);
    return __real_renameat2(fromFd, from, toFd, to, flags);
}

int __wrap_link(const char* from, const char* to)
{
    fence::Check("link", AT_FDCWD, to, fence::LinkItself);
    return __real_link(from, to);
}

int __wrap_linkat(int fromFd, const char* from, int toFd, const char* to, int flags)
{
    fence::Check("linkat", toFd, to, fence::LinkItself);
    return __real_linkat(fromFd, from, toFd, to, flags);
}

int __wrap_unlink(const char* path)
{
    fence::Check("unlink", AT_FDCWD, path, fence::LinkItself);
    return __real_unlink(path);
}

int __wrap_unlinkat(int dirFd, const char* path, int flags)
{
    fence::Check("unlinkat", dirFd, path, fence::LinkItself);
    return __real_unlinkat(dirFd, path, flags);
}

int __wrap_remove(const char* path)
{
    fence::Check("remove", AT_FDCWD, path, fence::LinkItself);
    return __real_remove(path);
}

int __wrap_truncate(const char* path, off_t length)
{
    fence::Check("truncate", AT_FDCWD, path, fence::LinkFollowed);
    return __real_truncate(path, length);
}
} // extern "C"

// Leaks stop the run, as in every target. Fontconfig loses a few bytes once
// for the process while it reads its configuration (the first text drawn
// loads it); that loss is the system library's, and the scan leaves out what
// was allocated inside it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// One engine for the whole run, as one window serves many games.
class TFuzzGame {
public:
    // Typed commands entered after a game has settled, at most.
    static constexpr int MaxTypedCommands = 8;

    // How many folders the game's folder lies below the fence's root.
    static constexpr int Depth = 16;

    TFuzzGame()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tgfuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        Sandbox = std::filesystem::canonical(pattern).string() + "/";
        Dir = Sandbox;
        for (int level = 1; level <= Depth; ++level)
            Dir += "up" + std::to_string(level) + "/";
        std::filesystem::create_directories(Dir);
        // The folder goes with the run (a crash keeps it, with the input's
        // files, for a look).
        FolderToRemove() = Sandbox;
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(FolderToRemove(), error);
        });
        // *SAVE with a nonzero place falls back to the per-user data folder:
        // that folder is inside the sandbox too.
        setenv("XDG_DATA_HOME", (Sandbox + "data").c_str(), 1);
        SetClockSource(&Clock);
        Engine = std::make_unique<TEngine>(Host, std::vector<std::string>{}, Dir);
        Engine->CreateScreenObjects();
        // Short slices: a looping script yields often and each input stays quick.
        Engine->SetRunSliceLines(500);
    }

    // Empties the sandbox but for the game's folder: what the last game wrote
    // (data files, saves, in its folder or above it) is gone before the next
    // one starts.
    void Clear()
    {
        std::error_code error;
        std::string keep = Sandbox;
        for (int level = 0; level <= Depth; ++level) {
            const std::string next = level < Depth ? keep + "up" + std::to_string(level + 1) + "/" : std::string();
            for (const auto& entry : std::filesystem::directory_iterator(keep, error))
                if (entry.path().string() + "/" != next)
                    std::filesystem::remove_all(entry.path(), error);
            keep = next;
        }
        std::filesystem::create_directories(Dir, error);
    }

    // Opens the file (in the folder) and plays it: a few seconds of ticks
    // with every key wait ended, then the typed commands the script itself
    // offers (see TypedCommands), each followed by its own ticks.
    void Play(const std::string& path)
    {
        fence::Root = Sandbox;
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
    // The fence's root, and the game's folder below it; both end in "/".
    std::string Sandbox;
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
