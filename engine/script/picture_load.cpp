#include "engine/script/picture_load.h"

#include <algorithm>
#include <limits>

#include "base/sjis.h"
#include "classlib/bitmap.h"
#include "classlib/jpeg_image.h"
#include "codec/zeb_png.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"
#include "graphics/bitmap32.h"

void ClearKeyColor(TBitmap32& Bitmap)
{
    if (Bitmap.Empty())
        return;
    TColor32* p = Bitmap.Bits();
    TColor32* const end = p + int64_t(Bitmap.Width()) * Bitmap.Height();
    for (; p != end; ++p) {
        if (*p == PictureKeyColor)
            *p = 0;
    }
    Bitmap.Changed();
}

std::unique_ptr<TBitmap32> DecodePicture(TStream& Data, std::string_view Ext, bool LoadTrans)
{
    auto picture = std::make_unique<TBitmap32>();
    const std::string ext = sjis::UpperCase(Ext);
    if (ext == ".BMP") {
        picture->LoadFromStream(Data);
        if (LoadTrans) {
            ClearKeyColor(*picture);
            picture->SetDrawMode(dmBlend);
        }
    } else if (ext == ".JPG" || ext == ".JPEG") {
        TJPEGImage jpeg;
        jpeg.LoadFromStream(Data);
        picture->Assign(&jpeg.Bitmap());
    } else if (ext == ".PNG") {
        TZEBPNG png;
        png.LoadFromStream(Data);
        picture->Assign(&png.Image());
        if (LoadTrans) {
            TBitmap alpha;
            if (png.GetAlphaBitmap(&alpha)) {
                // The alpha bitmap holds 255 minus the alpha.
                TBitmap32 mask;
                mask.Assign(&alpha);
                Invert(&mask, &mask);
                IntensityToAlpha(picture.get(), &mask);
            } else {
                ClearKeyColor(*picture);
            }
            picture->SetDrawMode(dmBlend);
        }
    } else {
        return nullptr;
    }
    return picture;
}

bool DrawPicture(TStream& Data, std::string_view Ext, bool LoadTrans, TBitmap32& Target, int X, int Y)
{
    const std::unique_ptr<TBitmap32> picture = DecodePicture(Data, Ext, LoadTrans);
    if (!picture || picture->Empty())
        return false;
    if (Target.Width() < picture->Width() || Target.Height() < picture->Height())
        Target.SetSize(std::max(Target.Width(), picture->Width()), std::max(Target.Height(), picture->Height()));
    Target.Draw(X, Y, picture.get());
    return true;
}

void ApplyPictureMask(TBitmap32& Picture, const TBitmap32& Mask)
{
    IntensityToAlpha(&Picture, &Mask);
    Picture.SetDrawMode(dmBlend);
}

std::string WithPictureExt(std::string_view Name)
{
    std::string name(Name);
    if (ExtractFileExt(name).empty())
        name += ".bmp";
    return name;
}

std::vector<std::unique_ptr<TBitmap32>> CutPictureCells(TBitmap32& Picture, int Size, int MaxCells)
{
    if (Size <= 0)
        throw EScriptError(SJ("LOADWAIT/LOADARROWのサイズが不正です"));
    const int columns = Picture.Width() / Size;
    const int rows = Picture.Height() / Size;
    const int64_t cells = std::min<int64_t>(int64_t(columns) * rows, std::max(MaxCells, 0));
    if (cells > MaxPictureCells)
        throw EScriptError(SJ("LOADWAIT/LOADARROWのサイズが不正です"));

    std::vector<std::unique_ptr<TBitmap32>> result;
    result.reserve(size_t(cells));
    for (int r = 0; r < rows && int64_t(result.size()) < cells; ++r) {
        for (int c = 0; c < columns && int64_t(result.size()) < cells; ++c) {
            auto cell = std::make_unique<TBitmap32>();
            cell->SetSize(Size, Size);
            cell->SetDrawMode(Picture.DrawMode());
            cell->Clear(0);
            cell->Draw(TRect{0, 0, Size, Size}, TRect{c * Size, r * Size, (c + 1) * Size, (r + 1) * Size}, &Picture);
            result.push_back(std::move(cell));
        }
    }
    return result;
}

int WaitFrameInterval(int32_t Time)
{
    return int(std::clamp<int64_t>(
        int64_t(Time) * 100, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
