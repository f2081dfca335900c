#pragma once
// A file or folder made read-only for one test, as shipped data may be.
// Permissions do not bind the superuser, so there the path is also made
// immutable where the file system allows it; ReadOnly() tells whether the
// path really takes no writes. The old state comes back at destruction.

#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

class TReadOnlyPath {
public:
    TReadOnlyPath(const std::string& Path, mode_t Mode) : FPath(Path)
    {
        struct stat st {};
        if (::stat(Path.c_str(), &st) == 0)
            FOldMode = st.st_mode & 07777;
        ::chmod(Path.c_str(), Mode);
        if (::geteuid() != 0) {
            FReadOnly = true;
            return;
        }
        FImmutable = SetImmutable(true);
        FReadOnly = FImmutable;
    }
    ~TReadOnlyPath()
    {
        if (FImmutable)
            SetImmutable(false);
        // The temporary folder must be able to remove what it holds.
        ::chmod(FPath.c_str(), FOldMode);
    }
    TReadOnlyPath(const TReadOnlyPath&) = delete;
    TReadOnlyPath& operator=(const TReadOnlyPath&) = delete;

    bool ReadOnly() const { return FReadOnly; }

private:
    bool SetImmutable(bool On) const
    {
        const int fd = ::open(FPath.c_str(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = On ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    std::string FPath;
    mode_t FOldMode = 0700;
    bool FReadOnly = false;
    bool FImmutable = false;
};
