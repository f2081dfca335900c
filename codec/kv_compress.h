#pragma once
// The stream compressors. A coded LZSS stream has no header and no length:
// the caller keeps the uncompressed size and hands it back to Decompress.
//
// Callers do not name the coder at the call; they hold a class reference:
//     TkvCompressClass CompressClass = TkvCompress::Create<TkvLZSSCompress>;
//     std::unique_ptr<TkvCompress> Coder = CompressClass();
//     Coder->Decompress(Src, Dst, Size);

#include "base/classes.h"
#include "codec/kv_error.h"

#include <cstdint>
#include <memory>

class TStream;
class TkvCompress;

using TkvCompressClass = std::unique_ptr<TkvCompress> (*)();

class TkvCompress : public TObject {
public:
    std::string ClassName() const override { return "TkvCompress"; }

    // Codes Size bytes from Src's position, appending at Dst's position.
    // Returns Size.
    virtual int32_t Compress(TStream& Src, TStream& Dst, int32_t Size) = 0;
    // Decodes from Src's position until Size bytes are written at Dst's
    // position (Dst is not cleared first). Returns Size.
    virtual int32_t Decompress(TStream& Src, TStream& Dst, int32_t Size) = 0;

    // The virtual constructor; &TkvCompress::Create<T> is the class reference to T.
    template <class T>
    static std::unique_ptr<TkvCompress> Create()
    {
        return std::make_unique<T>();
    }
};

// 4096-byte blocks coded on their own (matches reach back only into the same
// block, by absolute position), as one bit stream running on across blocks.
class TkvLZSSCompress : public TkvCompress {
public:
    std::string ClassName() const override { return "TkvLZSSCompress"; }

    // Reads exactly Size bytes; a source that holds fewer raises EReadError
    // rather than coding a stream that could not give Size bytes back.
    int32_t Compress(TStream& Src, TStream& Dst, int32_t Size) override;
    // Raises EkvCompressError when the source ends before Size bytes are
    // decoded or a match reaches outside what its block has decoded so far.
    // A last match running past Size is cut at Size. The reader takes its
    // source in 4096-byte chunks, so Src's position ends up to one chunk past
    // the coded data.
    int32_t Decompress(TStream& Src, TStream& Dst, int32_t Size) override;
};
