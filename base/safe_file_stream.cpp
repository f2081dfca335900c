#include "base/safe_file_stream.h"

#include "base/exceptions.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t TempSuffixLength = 6; // mkostemp's XXXXXX

// A hidden temporary of `base` as the named fallback makes them:
// "." + base + "." + six letters or digits.
bool IsTemporaryOf(const std::string& name, const std::string& base)
{
    const std::string prefix = "." + base + ".";
    if (name.size() != prefix.size() + TempSuffixLength || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// Removes what an earlier save of that file left behind when its process
// was killed before it could clean up.
void RemoveStaleTemporaries(const std::string& dir, const std::string& base)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    const uid_t self = ::geteuid();
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (!IsTemporaryOf(name, base))
            continue;
        const std::string path = dir + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == self)
            ::unlink(path.c_str());
    }
    ::closedir(d);
}

[[noreturn]] void CannotCreate(const std::string& fileName, int error)
{
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(error));
}

} // namespace

TSafeFileStream::TSafeFileStream(const std::string& fileName) : FFileName(fileName)
{
    const size_t slash = fileName.rfind('/');
    FDir = slash == std::string::npos ? std::string(".") : fileName.substr(0, slash == 0 ? 1 : slash);
    FBase = slash == std::string::npos ? fileName : fileName.substr(slash + 1);

    // A file that is there keeps its mode; one marked read-only (or that we
    // may not write) is not replaced.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if ((st.st_mode & S_IWUSR) == 0 || ::access(fileName.c_str(), W_OK) != 0)
            CannotCreate(fileName, EACCES);
        mode = st.st_mode & 07777;
    }

    RemoveStaleTemporaries(FDir, FBase);
    // Preferably a file without a name until it is complete: a process
    // killed while writing leaves nothing behind.
    // It is named through /proc when it is committed.
    if (::access("/proc/self/fd", X_OK) == 0)
        FHandle = ::open(FDir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (FHandle < 0) {
        FTempName = FDir + "/." + FBase + ".XXXXXX";
        FHandle = ::mkostemp(FTempName.data(), O_CLOEXEC);
        if (FHandle < 0)
            CannotCreate(fileName, errno);
    }
    ::fchmod(FHandle, mode);
}

TSafeFileStream::~TSafeFileStream()
{
    Discard();
}

void TSafeFileStream::Discard()
{
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
        if (!FTempName.empty())
            ::unlink(FTempName.c_str());
    }
}

void TSafeFileStream::Fail(const char* what, int error)
{
    throw EWriteError(std::string(what) + " \"" + FFileName + "\". " + std::strerror(error));
}

int64_t TSafeFileStream::Read(void* buffer, int64_t count)
{
    return FHandle < 0 ? 0 : ReadFromHandle(FHandle, buffer, count);
}

int64_t TSafeFileStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    if (FHandle < 0)
        throw EWriteError("Cannot write file \"" + FFileName + "\". The file is closed");
    const auto* p = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(FHandle, p + done, size_t(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot write file", errno);
        }
        done += n;
    }
    return done;
}

int64_t TSafeFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t pos = FHandle < 0 ? -1 : ::lseek(FHandle, off_t(offset), whence);
    if (pos < 0)
        throw EStreamError("Stream seek error");
    return pos;
}

void TSafeFileStream::SetSize(int64_t newSize)
{
    if (FHandle < 0 || ::ftruncate(FHandle, off_t(newSize)) != 0)
        throw EStreamError("Stream size cannot be changed");
}

void TSafeFileStream::Commit()
{
    if (FHandle < 0)
        throw EWriteError("Cannot write file \"" + FFileName + "\". The file is closed");
    if (::fsync(FHandle) != 0) {
        const int error = errno;
        Discard();
        Fail("Cannot write file", error);
    }
    // An unnamed file gets its name only now, as a temporary beside the
    // target that the rename below replaces it with.
    if (FTempName.empty()) {
        const std::string procPath = "/proc/self/fd/" + std::to_string(FHandle);
        std::random_device seed;
        std::mt19937 random(seed());
        static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        std::uniform_int_distribution<size_t> letter(0, sizeof(Letters) - 2);
        for (int attempt = 0; FTempName.empty(); ++attempt) {
            std::string name = FDir + "/." + FBase + ".";
            for (size_t i = 0; i < TempSuffixLength; ++i)
                name += Letters[letter(random)];
            if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                FTempName = name;
            else if (errno != EEXIST || attempt >= 100) {
                const int error = errno;
                Discard();
                CannotCreate(FFileName, error);
            }
        }
    }
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0) {
        const int error = errno;
        ::unlink(FTempName.c_str());
        Fail("Cannot write file", error);
    }
    if (::rename(FTempName.c_str(), FFileName.c_str()) != 0) {
        const int error = errno;
        ::unlink(FTempName.c_str());
        CannotCreate(FFileName, error);
    }
}
