#pragma once
// A file written under a temporary name in its own folder and renamed into
// place only when complete. Without Commit the temporary file is removed
// again, so a failed write leaves an existing file as it was and no partial
// file behind. Where the file system allows it the temporary has no name
// until it is committed, so not even a killed process leaves one; named
// temporaries an earlier save of the same file left behind are removed.

#include "base/streams.h"

#include <string>

class TSafeFileStream : public TStream {
public:
    // `fileName` is the final path. Raises EFCreateError when its folder
    // takes no new file, or when the file is there and marked read-only (or
    // not ours to write). A replaced file's mode is kept.
    explicit TSafeFileStream(const std::string& fileName);
    ~TSafeFileStream() override;
    TSafeFileStream(const TSafeFileStream&) = delete;
    TSafeFileStream& operator=(const TSafeFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    // Raises EWriteError, naming the file and the reason (a full disk, say).
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;

    // Flushes to disk and renames the file into place, replacing a file of
    // that name. Raises EWriteError or EFCreateError; the stream is closed
    // afterwards either way.
    void Commit();

    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    std::string FDir;
    std::string FBase;
    // The temporary's name; empty while the file has none (an unnamed
    // temporary, named only when it is committed).
    std::string FTempName;
    int FHandle = -1;

    [[noreturn]] void Fail(const char* what, int error);
    void Discard();
};
