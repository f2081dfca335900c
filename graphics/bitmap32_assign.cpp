// TBitmap32 and the class library's pictures: Assign/AssignTo, Windows
// bitmap files through TBitmap, the canvas on the pixels, the form data test.

#include "graphics/bitmap32.h"
#include "base/scope_exit.h"
#include "classlib/graphic.h"

namespace {

gdi::TDIB32 DibOf(const TBitmap32& b)
{
    if (b.Empty())
        return gdi::TDIB32{};
    return gdi::TDIB32{reinterpret_cast<uint8_t*>(b.Bits()), b.Width(), b.Height(), b.Width() * 4};
}

} // namespace

void TBitmap32::SetFont(const TFont& value)
{
    FFont->Assign(&value);
}

TCanvas& TBitmap32::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TCanvas>();
        FCanvas->SetHandle(DibOf(*this));
        FCanvas->OnChange = [this](TObject*) { Changed(); };
    }
    return *FCanvas;
}

void TBitmap32::PointCanvasAtPixels()
{
    FCanvas->SetHandle(DibOf(*this));
}

void TBitmap32::AssignFromTBitmap(const TBitmap& bitmap)
{
    SetSize(bitmap.Width(), bitmap.Height());
    if (Empty())
        return;
    bitmap.CopyToDIB32(reinterpret_cast<uint8_t*>(Bits()), FWidth * 4);
    if (bitmap.PixelFormat() != pf32bit)
        ResetAlpha(255);
    // A transparent colour that names a palette entry keys that entry's
    // pixels, not pixels whose red happens to equal the index.
    if (bitmap.Transparent())
        bitmap.ClearTransparentAlpha(reinterpret_cast<uint8_t*>(Bits()), FWidth * 4);
    // The canvas is made on first use even on a const bitmap, as the class
    // library does; only its font is read.
    FFont->Assign(&const_cast<TBitmap&>(bitmap).Canvas()->Font());
}

void TBitmap32::AssignFromGraphic(const TGraphic& graphic)
{
    SetSize(graphic.Width(), graphic.Height());
    if (Empty())
        return;
    TCanvas canvas;
    canvas.SetHandle(DibOf(*this));
    graphic.Draw(canvas, BoundsRect());
    ResetAlpha(255);
}

void TBitmap32::Assign(const TPersistent* source)
{
    BeginUpdate();
    const TScopeExit done([this] {
        EndUpdate();
        Changed();
    });
    if (!source) {
        SetSize(0, 0);
    } else if (auto* b32 = dynamic_cast<const TBitmap32*>(source)) {
        AssignFromBitmap32(*b32);
    } else if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        AssignFromTBitmap(*bitmap);
    } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        AssignFromGraphic(*graphic);
    } else if (auto* picture = dynamic_cast<const TPicture*>(source)) {
        const TGraphic* g = picture->Graphic();
        if (!g)
            SetSize(0, 0);
        else if (auto* pb = dynamic_cast<const TBitmap*>(g))
            AssignFromTBitmap(*pb);
        else
            AssignFromGraphic(*g);
    } else {
        TCustomMap::Assign(source);
    }
}

void TBitmap32::AssignToBitmap(TBitmap& bitmap) const
{
    bitmap.SetHandleType(bmDIB);
    bitmap.SetPixelFormat(pf32bit);
    bitmap.Canvas()->Font().Assign(FFont.get());
    bitmap.SetSize(FWidth, FHeight);
    if (Empty())
        return;
    for (int32_t y = 0; y < FHeight; ++y)
        MoveLongword(ScanLine(y), reinterpret_cast<uint32_t*>(bitmap.ScanLine(y)), FWidth);
    bitmap.Changed(&bitmap);
}

void TBitmap32::AssignTo(TPersistent* dest) const
{
    if (auto* picture = dynamic_cast<TPicture*>(dest)) {
        AssignToBitmap(*picture->Bitmap());
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        AssignToBitmap(*bitmap);
    } else {
        TCustomMap::AssignTo(dest);
    }
}

void TBitmap32::LoadFromStream(TStream& stream)
{
    const TScopeExit done([this] { Changed(); });
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    Assign(&bitmap);
}

void TBitmap32::SaveToStream(TStream& stream) const
{
    TBitmap bitmap;
    AssignTo(&bitmap);
    bitmap.SaveToStream(stream);
}

bool TBitmap32::DataNeedsWriting(const TPersistent* ancestor) const
{
    if (!ancestor)
        return !Empty();
    auto* other = dynamic_cast<const TBitmap32*>(ancestor);
    if (!other)
        return true;
    if (Empty() && other->Empty())
        return false;
    if (other->ClassName() != ClassName())
        return true;
    TMemoryStream mine;
    TMemoryStream theirs;
    SaveToStream(mine);
    other->SaveToStream(theirs);
    return mine.Bytes() != theirs.Bytes();
}
