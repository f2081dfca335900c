#include "platform/instance_atom.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime_paths.h"

TInstanceAtom::TInstanceAtom(const std::string& name) : FFileName(RuntimeFolder() + "/" + name + ".atom")
{
}

bool TInstanceAtom::Find() const
{
    struct stat st {};
    return ::lstat(FFileName.c_str(), &st) == 0;
}

bool TInstanceAtom::Add()
{
    const int fd = ::open(FFileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void TInstanceAtom::Delete()
{
    ::unlink(FFileName.c_str());
}
