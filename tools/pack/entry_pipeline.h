#pragma once
// Archive entries are coded on worker threads and written in list order by
// the caller's thread: LZSS coding is the slow part of packing and each entry
// codes on its own, while the file must be written front to back.

#include "codec/kv_compress.h"

#include <cstddef>
#include <functional>
#include <memory>

class TMemoryStream;

using TMakeEntry = std::function<std::unique_ptr<TMemoryStream>(size_t Index, TkvCompress& Coder)>;
using TConsumeEntry = std::function<void(size_t Index, std::unique_ptr<TMemoryStream> Entry)>;

// Calls Make(i, coder) for i = 0 .. Count - 1 on up to Threads worker threads
// (0: one per processor), each with a coder of its own, and Consume(i, entry)
// on the calling thread in index order as the entries become ready. At most
// two entries per worker are held at a time. An error from Make(i) is raised
// on the calling thread once entries 0 .. i - 1 are consumed; an error from
// Consume is raised as it is. Either way the workers are stopped first.
void MakeEntriesInOrder(size_t Count, TkvCompressClass CompressClass, const TMakeEntry& Make,
    const TConsumeEntry& Consume, unsigned Threads = 0);
