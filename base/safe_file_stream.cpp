#include "base/safe_file_stream.h"

#include "base/exceptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TSafeFileStream::TSafeFileStream(const std::string& fileName) : FFileName(fileName)
{
    const size_t slash = fileName.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : fileName.substr(0, slash == 0 ? 1 : slash);
    const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    FTempName = dir + "/." + base + ".XXXXXX";
    FHandle = ::mkostemp(FTempName.data(), O_CLOEXEC);
    if (FHandle < 0)
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(FHandle, 0666 & ~mask);
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
        throw EFCreateError("Cannot create file \"" + FFileName + "\". " + std::strerror(error));
    }
}
