// The game screen's layers: creation, sizes, scale and centring, and the
// placement of the wait mark and the scroll marks.

#include "engine/screen/tggrp.h"

#include <cmath>

#include "base/clock.h"
#include "engine/screen/builtin_pictures.h"
#include "engine/screen/screen_host.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"
#include "graphics/layers.h"

namespace {

// Item `index` of the list, or nullptr when the list is shorter.
const TBitmap32* ListBitmap(const TBitmap32List& list, int index)
{
    return index < list.Bitmaps().Count() ? &list.Bitmap(index) : nullptr;
}

float Width(const TFloatRect& r)
{
    return r.Right - r.Left;
}
float Height(const TFloatRect& r)
{
    return r.Bottom - r.Top;
}

} // namespace

TTGGrp::TTGGrp(TScreenHost& host, TImage32& image, int width, int height) : FHost(host), FImage(image)
{
    FScreenWidth = FPictureWidth = width;
    FScreenHeight = FPictureHeight = height;
    FImage.Bitmap().SetSize(width, height);
    FImage.Bitmap().Clear(Color32(128, 128, 128, 255));
    TLayerCollection& layers = FImage.Layers();

    FPictureLayer = layers.Add<TBitmapLayer>();
    FPictureLayer->SetLocation(FloatRect(0, 0, float(width), float(height)));
    FPictureLayer->Bitmap().SetSize(width, height);
    FPictureLayer->Bitmap().Clear(Color32(255, 255, 255, 255));
    FPictureLayer->SetVisible(true);

    FWindowLayer = layers.Add<TBitmapLayer>();

    FTextLayer = layers.Add<TBitmapLayer>();
    // A new bitmap is transparent already.
    FTextLayer->Bitmap().SetSize(width, height);
    FTextLayer->SetLocation(FloatRect(0, 0, float(width), float(height)));
    FTextLayer->Bitmap().SetDrawMode(dmBlend);
    FTextLayer->SetVisible(true);

    FFuncBarLayer = layers.Add<TBitmapLayer>();
    FFuncBarLayer->Bitmap().SetDrawMode(dmBlend);
    FFuncBarLayer->SetVisible(false);

    TBitmap32List& frames = FHost.WaitGrpList();
    const TBitmap32List& builtIn = FHost.Bitmap32List1();
    for (int i = 0; i < 2; ++i) {
        if (frames.Bitmaps().Count() <= i)
            frames.Bitmaps().Add();
        if (const TBitmap32* picture = ListBitmap(builtIn, biWaitFrame0 + i))
            frames.SetBitmap(i, *picture);
    }
    FWaitFrame = 0;
    FWaitCount = 2;
    FWaitInterval = 500;
    FWaitLayer = layers.Add<TBitmapLayer>();
    FWaitLayer->SetBitmap(frames.Bitmap(0));
    FWaitLayer->SetVisible(false);

    FUpMarkLayer = layers.Add<TBitmapLayer>();
    FUpMarkLayer->SetVisible(false);
    if (const TBitmap32* mark = ListBitmap(builtIn, biUpMark))
        FUpMarkLayer->SetBitmap(*mark);
    FUpMarkLayer->SetLocation(
        FloatRect(0, 0, float(FUpMarkLayer->Bitmap().Width()), float(FUpMarkLayer->Bitmap().Height())));

    FDownMarkLayer = layers.Add<TBitmapLayer>();
    FDownMarkLayer->SetVisible(false);
    if (const TBitmap32* mark = ListBitmap(builtIn, biDownMark))
        FDownMarkLayer->SetBitmap(*mark);
    FDownMarkLayer->SetLocation(
        FloatRect(32, 0, float(32 + FDownMarkLayer->Bitmap().Width()), float(FDownMarkLayer->Bitmap().Height())));

    for (auto& buffer : FBuffers)
        buffer = std::make_unique<TBitmap32>();
    FBufferUsed.fill(false);
    PlaceWaitMark();
    FWaitTick = TimeGetTime();
}

TTGGrp::~TTGGrp()
{
    // Top first, as the collection frees its layers; each leaves the image.
    for (TBitmapLayer* layer :
        {FDownMarkLayer, FUpMarkLayer, FWaitLayer, FFuncBarLayer, FTextLayer, FWindowLayer, FPictureLayer})
        delete layer;
}

TBitmap32& TTGGrp::GetPicture()
{
    return FPictureLayer->Bitmap();
}

TBitmap32* TTGGrp::GetTextBitmap()
{
    return FTextLayer ? &FTextLayer->Bitmap() : nullptr;
}

TBitmapLayer* TTGGrp::GetOverlay(int index) const
{
    switch (index) {
    case 0: return FFuncBarLayer;
    case 1: return FUpMarkLayer;
    case 2: return FDownMarkLayer;
    default: return nullptr;
    }
}

void TTGGrp::SetScreenSize(int width, int height)
{
    FScreenWidth = width;
    FScreenHeight = height;
    FImage.SetWidth(width);
    FImage.SetHeight(height);
    FImage.Bitmap().SetSize(width, height);
    TBitmap32& text = FTextLayer->Bitmap();
    if (text.Width() < width) {
        text.SetSize(width, height);
        FTextLayer->SetLocation(FloatRect(0, 0, float(width), float(height)));
    }
    CenterPicture();
}

void TTGGrp::SetPictureSize(int width, int height)
{
    FPictureWidth = width;
    FPictureHeight = height;
    if (FScreenWidth < width || FScreenHeight < height)
        SetScreenSize(width, height);
    FPictureLayer->Bitmap().SetSize(width, height);
    PlaceWaitMark();
}

void TTGGrp::SetScale(float scale)
{
    FScale = scale;
    FPictureLayer->SetLocation(FloatRect(0, 0, float(FPictureWidth) * scale, float(FPictureHeight) * scale));
    CenterPicture();
    PlaceWaitMark();
}

void TTGGrp::CenterPicture()
{
    const TFloatRect location = FPictureLayer->Location();
    const float w = Width(location);
    const float h = Height(location);
    const float x = (float(FScreenWidth) - w) / 2;
    const float y = (float(FScreenHeight) - h) / 2;
    FPictureLayer->SetLocation(FloatRect(x, y, x + w, y + h));
    DrawFuncBar(FHost.FuncKeyCount());
}

void TTGGrp::PlaceWaitMark()
{
    if (!FWaitLayer)
        return;
    const int w = FWaitLayer->Bitmap().Width();
    const int h = FWaitLayer->Bitmap().Height();
    if (FHost.MsgInGame()) {
        const TFloatRect frame = FWindowLayer->Location();
        FWaitX = static_cast<int>(std::trunc(frame.Right)) - w;
        FWaitY = static_cast<int>(std::trunc(frame.Bottom)) - h;
    } else {
        FWaitX = FImage.Width() - w;
        FWaitY = FImage.Height() - h;
    }
    FWaitLayer->SetLocation(FloatRect(float(FWaitX), float(FWaitY), float(FWaitX + w), float(FWaitY + h)));
}

void TTGGrp::PlaceScrollMarks()
{
    if (!FHost.MsgInGame()) {
        FUpMarkLayer->SetLocation(FloatRect(0, 0, 0, 0));
        FDownMarkLayer->SetLocation(FloatRect(0, 0, 0, 0));
        return;
    }
    const TFloatRect frame = FWindowLayer->Location();
    const float upW = float(FUpMarkLayer->Bitmap().Width());
    const float upH = float(FUpMarkLayer->Bitmap().Height());
    FUpMarkLayer->SetLocation(FloatRect(frame.Right - upW, frame.Top, frame.Right, frame.Top + upH));
    const float downW = float(FDownMarkLayer->Bitmap().Width());
    const float downH = float(FDownMarkLayer->Bitmap().Height());
    FDownMarkLayer->SetLocation(FloatRect(frame.Right - downW, frame.Bottom - downH, frame.Right, frame.Bottom));
}

void TTGGrp::UpdateLayout()
{
    PlaceWaitMark();
    PlaceScrollMarks();
    FImage.Invalidate();
}

void TTGGrp::ClearScreen()
{
    const TColor32 black = Color32(0, 0, 0, 255);
    FPictureLayer->Bitmap().Clear(black);
    FWaitLayer->Bitmap().Clear(black);
    FTextLayer->Bitmap().Clear(black);
}
