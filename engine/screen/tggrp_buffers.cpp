// The 33 picture buffers of the script (*GGET, *GPUT and the buffers of
// save files) and the picture's loading.

#include <algorithm>
#include <string>

#include "base/exceptions.h"
#include "engine/screen/tggrp.h"
#include "graphics/layers.h"
#include "graphics/transfer.h"

namespace {

bool IsBuffer(int n)
{
    return n >= 0 && n < PictureBufferCount;
}

} // namespace

TBitmap32* TTGGrp::BufferOrPicture(int n)
{
    if (n == -1)
        return &FPictureLayer->Bitmap();
    return IsBuffer(n) ? FBuffers[static_cast<size_t>(n)].get() : nullptr;
}

TBitmap32& TTGGrp::GetBuffer(int n)
{
    if (!IsBuffer(n))
        throw EListError("List index out of bounds (" + std::to_string(n) + ")");
    return *FBuffers[static_cast<size_t>(n)];
}

bool TTGGrp::GetBufferUsed(int n) const
{
    return IsBuffer(n) && FBufferUsed[static_cast<size_t>(n)];
}

void TTGGrp::SetBufferUsed(int n, bool used)
{
    if (IsBuffer(n))
        FBufferUsed[static_cast<size_t>(n)] = used;
}

void TTGGrp::CopyToBuffer(int n, int x, int y, int w, int h, int src)
{
    TBitmap32* source = BufferOrPicture(src);
    if (!IsBuffer(n) || !source)
        return;
    TBitmap32& dest = *FBuffers[static_cast<size_t>(n)];
    w = std::max(0, w);
    h = std::max(0, h);
    // Only the destination takes the new size; a buffer copied onto itself
    // is read from a copy, as sizing it would blank what is to be read.
    TBitmap32 copy;
    if (source == &dest) {
        copy.Assign(source);
        source = &copy;
    }
    dest.SetSize(w, h);
    // The rectangle keeps its size, so this is a block copy; parts of it that lie
    // outside the source are left empty.
    BlockTransfer(
        &dest, 0, 0, dest.ClipRect(), source, TRect{x, y, x + w, y + h}, source->DrawMode(), source->OnPixelCombine);
}

void TTGGrp::DrawBuffer(int n, int x, int y, int dst)
{
    TBitmap32* target = BufferOrPicture(dst);
    if (!IsBuffer(n) || !target)
        return;
    TBitmap32* source = FBuffers[static_cast<size_t>(n)].get();
    TBitmap32 copy;
    if (source == target) {
        copy.Assign(source);
        source = &copy;
    }
    target->Draw(x, y, source);
}

void TTGGrp::LoadPicture(TStream& stream)
{
    FPictureLayer->Bitmap().LoadFromStream(stream);
}

void TTGGrp::AssignPicture(const TPersistent* graphic)
{
    FPictureLayer->Bitmap().Assign(graphic);
}
