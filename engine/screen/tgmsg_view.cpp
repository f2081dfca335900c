// What the message window shows on the game screen: drawing rows of the
// backlog, moving rows, and scrolling through the backlog.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/sjis.h"
#include "engine/screen/msg_colors.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "graphics/bitmap32.h"
#include "graphics/layers.h"
#include "classlib/font.h"

void TTGMsg::DrawLine(int row, std::string_view text)
{
    const TColor32 fontColor = Color32FromWinColor(FFont->Color()) | 0xFF000000u;
    TColor32 color = fontColor;
    bool bold = false;
    // A row of a tall pitch that begins below the bitmap shows nothing (and
    // its place may lie beyond what a position can hold).
    const int64_t top = int64_t(FTop) + int64_t(row) * RowPitch();
    if (top >= FTextBitmap->Height())
        return;
    const int Y = static_cast<int>(top);
    const bool plain = FLineRate == 1.0f;
    const std::vector<TTagInfo>& runs = FDrawRuns->Items();
    size_t next = 0;
    int x = 0;
    int k = 0;
    std::string c;
    for (size_t i = 0; i < text.size(); i = sjis::NextChar(text, i), ++k) {
        // Runs are in order of their start; each one reached sets the state.
        for (; next < runs.size() && runs[next].StartChar <= k; ++next) {
            const int index = runs[next].ColorIndex;
            color = index == 0 || !IsMsgColorIndex(index)
                        ? fontColor
                        : Color32FromWinColor(MsgColors[static_cast<size_t>(index)]) | 0xFF000000u;
            bold = runs[next].Bold != 0;
        }
        c.assign(text.substr(i, sjis::CharLen(text, i)));
        const int X = FLeft + x;
        if (plain) {
            FTextBitmap->RenderText(X, Y, c, 0, color);
            if (bold)
                FTextBitmap->RenderText(X + 1, Y, c, 0, color);
        } else {
            const TColor32 shadow = color ^ 0x00FFFFFFu;
            FTextBitmap->RenderText(X + 1, Y + 1, c, 1, shadow);
            FTextBitmap->RenderText(X + 2, Y + 2, c, 1, shadow);
            FTextBitmap->RenderText(X, Y, c, 0, color);
            if (bold)
                FTextBitmap->RenderText(X + 1, Y, c, 0, color);
        }
        x += FTextBitmap->TextExtent(c).cx;
    }
}

void TTGMsg::DrawLines()
{
    FTextBitmap->Clear(0);
    FRow = 0;
    for (int i = FFirstLine; FRow < FRows && i < FBacklog.Count(); ++i) {
        FDrawRuns = &FLineRuns[static_cast<size_t>(i)];
        DrawLine(FRow, FBacklog[i]);
        ++FRow;
    }
}

void TTGMsg::ShiftRowsUp(int n)
{
    ShiftRows(n);
}

void TTGMsg::ShiftRowsDown(int n)
{
    ShiftRows(-n);
}

void TTGMsg::ShiftRows(int n)
{
    // Rows lie a pitch apart, so they move by the pitch; at a line rate of 1
    // that is the line height.
    const int pitch = RowPitch();
    if (n == 0 || pitch <= 0)
        return;
    TBitmap32& b = *FTextBitmap;
    const int left = std::clamp(FLeft, 0, b.Width());
    const int right = std::clamp(FRight, 0, b.Width());
    const int top = std::clamp(FTop, 0, b.Height());
    const int bottom = static_cast<int>(std::clamp<int64_t>(int64_t(FTop) + int64_t(FRows) * pitch, 0, b.Height()));
    if (left >= right || top >= bottom)
        return;
    const int64_t distance = std::min<int64_t>(int64_t(std::abs(n)) * pitch, bottom - top);
    const int kept = bottom - top - static_cast<int>(distance);
    const size_t rowBytes = static_cast<size_t>(right - left) * sizeof(TColor32);
    if (n > 0) {
        for (int y = top; y < top + kept; ++y)
            std::memmove(b.PixelPtr(left, y), b.PixelPtr(left, y + static_cast<int>(distance)), rowBytes);
        for (int y = top + kept; y < bottom; ++y)
            std::memset(b.PixelPtr(left, y), 0, rowBytes);
    } else {
        for (int y = bottom - 1; y >= bottom - kept; --y)
            std::memmove(b.PixelPtr(left, y), b.PixelPtr(left, y - static_cast<int>(distance)), rowBytes);
        for (int y = top; y < bottom - kept; ++y)
            std::memset(b.PixelPtr(left, y), 0, rowBytes);
    }
    b.AreaChanged(TRect{left, top, right, bottom});
}

void TTGMsg::ScrollToEnd()
{
    FFirstLine = std::max(0, FBacklog.Count() - FRows);
    FScrolled = false;
    if (TBitmapLayer* up = FScreen.GetOverlay(1))
        up->SetVisible(false);
    if (TBitmapLayer* down = FScreen.GetOverlay(2))
        down->SetVisible(false);
    DrawLines();
}

void TTGMsg::MoveView(int oldFirstLine)
{
    const int delta = FFirstLine - oldFirstLine;
    if (delta == 0)
        return;
    const int count = FBacklog.Count();
    if (std::abs(delta) >= FRows) {
        DrawLines();
        return;
    }
    int firstLine = 0;
    int firstRow = 0;
    if (delta > 0) {
        ShiftRowsUp(delta);
        firstLine = oldFirstLine + FRows;
        firstRow = FRows - delta;
    } else {
        ShiftRowsDown(-delta);
        firstLine = FFirstLine;
        firstRow = 0;
    }
    for (int i = 0; i < std::abs(delta) && firstLine + i < count; ++i) {
        FDrawRuns = &FLineRuns[static_cast<size_t>(firstLine + i)];
        DrawLine(firstRow + i, FBacklog[firstLine + i]);
    }
}

uint8_t TTGMsg::ScrollUp(int n)
{
    uint8_t result = 0;
    const int count = FBacklog.Count();
    const int old = FFirstLine;
    FFirstLine = std::max(0, old - std::max(0, n));
    if (FFirstLine > 0)
        result |= 1;
    if (count - 1 >= FFirstLine + FRows)
        result |= 2;
    MoveView(old);
    FScrolled = FFirstLine < count - FRows;
    return result;
}

uint8_t TTGMsg::ScrollDown(int n)
{
    uint8_t result = 0;
    n = std::max(0, n);
    const int count = FBacklog.Count();
    const int old = FFirstLine;
    FFirstLine = std::max(0, std::min(old + n, count - FRows));
    if (FFirstLine > 0)
        result |= 1;
    const int first = std::min(old + FRows, count);
    const int last = first + n - 1;
    if (last < count - 1)
        result |= 2;
    else
        result &= static_cast<uint8_t>(~1u);
    MoveView(old);
    FScrolled = FFirstLine < count - FRows;
    return result;
}
