// The message window's creation, geometry and frame, colours and visibility.

#include "engine/screen/tgmsg.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "engine/screen/msg_colors.h"
#include "engine/screen/tggrp.h"
#include "graphics/bitmap32.h"
#include "graphics/layers.h"
#include "classlib/font.h"

namespace {

// The font's pixel size as the layout counts it: at least 2, so that the
// row count and the half-width units of a line stay countable.
int LayoutHeightOf(const TFont& font)
{
    return std::max(2, std::abs(font.Height()));
}

// ceil(value / step) for a positive step; a negative value gives 0.
int CeilDiv(int value, int step)
{
    return value <= 0 ? 0 : (value + step - 1) / step;
}

} // namespace

TTGMsg::TTGMsg(TScreenHost& host, int maxLines, bool onScreen, TMsgLog* log, TTGGrp& screen, int left, int top,
    int width, int height, const TFont& font, const TBitmap32& skin)
    : FHost(host), FScreen(screen)
{
    FLineRate = 1.0f;
    const int h = LayoutHeightOf(font);
    FRows = std::max(1, CeilDiv(height, h));
    const int roundedWidth = CeilDiv(width, h) * h;
    const int roundedHeight = FRows * h;
    FLog = log;
    FOnScreen = onScreen;
    FMaxLines = std::max(0, maxLines);
    FLineRuns.resize(static_cast<size_t>(std::max(1, FMaxLines)));
    FScrolled = false;
    FSkin = std::make_unique<TBitmap32>();
    FSkin->Assign(&skin);
    FFrameLayer = FScreen.WindowLayer();
    FFrameLayer->Bitmap().SetDrawMode(dmBlend);
    FFrameLayer->SetVisible(onScreen);
    if (TBitmapLayer* textLayer = FScreen.TextLayer())
        textLayer->SetVisible(onScreen);
    FTextBitmap = FScreen.GetTextBitmap();
    FFont = &FTextBitmap->Font();
    InitMsgColors();
    FCurColor = 0;
    FCurBold = false;
    SetBounds(left, top, roundedWidth, roundedHeight, font);
    FFirstLine = 0;
}

TTGMsg::~TTGMsg() = default;

bool TTGMsg::BoundsFit(int left, int top, int width, int height, int fontHeight)
{
    // As SetBounds lays the area out, in 64 bits.
    const int64_t h = std::max<int64_t>(2, std::abs(int64_t(fontHeight)));
    const auto ceilDiv = [h](int64_t value) { return value <= 0 ? 0 : (value + h - 1) / h; };
    const int64_t w = ceilDiv(width) * h;
    const int64_t hh = std::max<int64_t>(1, ceilDiv(height)) * h;
    const int64_t frameWidth = w + 2 * h;
    const int64_t frameHeight = hh + 2 * h;
    if (frameWidth > MaxBitmap32Pixels || frameHeight > MaxBitmap32Pixels)
        return false;
    if (frameWidth * frameHeight > MaxBitmap32Pixels || 9 * h * h > MaxBitmap32Pixels)
        return false;
    constexpr int64_t lowest = std::numeric_limits<int>::min();
    constexpr int64_t highest = std::numeric_limits<int>::max();
    return int64_t(left) - h >= lowest && int64_t(left) + w + h <= highest && int64_t(top) - h >= lowest &&
           int64_t(top) + hh + h <= highest;
}

int TTGMsg::LineHeight() const
{
    return -FFont->Height();
}

int TTGMsg::LayoutHeight() const
{
    return LayoutHeightOf(*FFont);
}

int TTGMsg::RowPitch() const
{
    // At least one pixel: a pitch of 0 (or less) would draw every row over
    // the first. No bitmap is taller than the upper bound.
    const float pitch = static_cast<float>(LayoutHeight()) * FLineRate;
    if (!(pitch >= 1.0f))
        return 1;
    return pitch < static_cast<float>(MaxBitmap32Pixels) ? static_cast<int>(pitch) : int(MaxBitmap32Pixels);
}

const TTagInfoList& TTGMsg::LineRuns(int index) const
{
    static const TTagInfoList none;
    if (index < 0 || static_cast<size_t>(index) >= FLineRuns.size())
        return none;
    return FLineRuns[static_cast<size_t>(index)];
}

void TTGMsg::SetBounds(int left, int top, int width, int height, const TFont& font)
{
    FTextBitmap->Clear(0);
    const int h = LayoutHeightOf(font);
    FRows = std::max(1, CeilDiv(height, h));
    const int w = CeilDiv(width, h) * h;
    const int hh = FRows * h;
    FLeft = left;
    FTop = top;
    FRight = left + w;
    FBottom = top + hh;

    BuildFrame(w, hh, h);
    FFrameLayer->SetLocation(FloatRect(float(left - h), float(top - h), float(left + w + h), float(top + hh + h)));

    FTextBitmap->SetFont(font);
    FTextBitmap->Font().SetPitch(fpFixed);
    FFont = &FTextBitmap->Font();
    ScrollToEnd();
}

TBitmap32& TTGMsg::CellSkin(int h)
{
    const int side = 3 * h;
    // A skin of three cells each way is used as it is; one that is taller
    // than that only has its top cells read. Any other is stretched, so that
    // every cell lies inside it.
    if (FSkin->Width() == side && FSkin->Height() >= side)
        return *FSkin;
    if (!FScaledSkin || FScaledSkin->Width() != side || FScaledSkin->Height() != side) {
        FScaledSkin = std::make_unique<TBitmap32>();
        FScaledSkin->SetSize(side, side);
    }
    FScaledSkin->Clear(0);
    FScaledSkin->SetDrawMode(dmOpaque);
    // The copy keeps the skin's drawing properties, pixels come through a
    // plain nearest-neighbour stretch.
    const TDrawMode mode = FSkin->DrawMode();
    FSkin->SetDrawMode(dmOpaque);
    FScaledSkin->Draw(FScaledSkin->BoundsRect(), FSkin->BoundsRect(), FSkin.get());
    FSkin->SetDrawMode(mode);
    FScaledSkin->SetDrawMode(mode);
    FScaledSkin->SetMasterAlpha(FSkin->MasterAlpha());
    FScaledSkin->SetCombineMode(FSkin->CombineMode());
    return *FScaledSkin;
}

void TTGMsg::BuildFrame(int w, int hh, int h)
{
    TBitmap32* skin = &CellSkin(h);
    TBitmap32& frame = FFrameLayer->Bitmap();
    frame.SetSize(w + 2 * h, hh + 2 * h);
    frame.Clear(0);

    auto cell = [&](int cx, int cy, int x, int y) {
        frame.Draw(TRect{x, y, x + h, y + h}, TRect{cx * h, cy * h, (cx + 1) * h, (cy + 1) * h}, skin);
    };
    const int across = w / h;
    const int down = hh / h;
    cell(0, 0, 0, 0);
    for (int i = 1; i <= across; ++i)
        cell(1, 0, i * h, 0);
    cell(2, 0, w + h, 0);
    for (int j = 1; j <= down; ++j)
        cell(0, 1, 0, j * h);
    for (int j = 1; j <= down; ++j)
        cell(2, 1, w + h, j * h);
    cell(0, 2, 0, hh + h);
    for (int i = 1; i <= across; ++i)
        cell(1, 2, i * h, hh + h);
    cell(2, 2, w + h, hh + h);
    for (int i = 1; i <= across; ++i)
        for (int j = 1; j <= down; ++j)
            cell(1, 1, i * h, j * h);
    frame.SetDrawMode(dmBlend);
}

void TTGMsg::SetSkin(const TBitmap32& bitmap)
{
    FSkin->Assign(&bitmap);
}

void TTGMsg::SetLineRate(float rate)
{
    FLineRate = rate;
}

void TTGMsg::SetColor(int index, TColor color)
{
    if (IsMsgColorIndex(index))
        MsgColors[static_cast<size_t>(index)] = color;
}

TColor TTGMsg::GetColor(int index) const
{
    return IsMsgColorIndex(index) ? MsgColors[static_cast<size_t>(index)] : clBlack;
}

void TTGMsg::SetVisible(bool value)
{
    if (FFrameLayer->Visible() == value)
        return;
    FFrameLayer->SetVisible(value);
    if (TBitmapLayer* textLayer = FScreen.TextLayer())
        textLayer->SetVisible(value);
    FOnScreen = value;
    if (value)
        ScrollToEnd();
}

bool TTGMsg::GetVisible() const
{
    return FFrameLayer->Visible();
}

void TTGMsg::SetActive(bool value)
{
    FOnScreen = value;
    SetVisible(value);
}
