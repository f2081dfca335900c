#pragma once
// How an image control's logical screen is shown on a larger surface (full
// screen): scaled to the largest size that fits with its aspect kept,
// nearest neighbour, centred between black bars. The same integer mapping
// serves the picture and the mouse, so a click lands on the logical pixel
// that is shown under the pointer.

#include <cstdint>
#include <vector>

#include "classlib/image_surface.h"

struct TFitPlacement {
    int32_t SourceWidth = 0;
    int32_t SourceHeight = 0;
    // The scaled picture inside the target, in target pixels.
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    // The logical pixel shown at target pixel (x, y); false over the bars.
    bool ToLogical(int32_t x, int32_t y, int32_t& lx, int32_t& ly) const;
    // The same, with a point over the bars taken to the nearest edge pixel.
    void ToLogicalClamped(int32_t x, int32_t y, int32_t& lx, int32_t& ly) const;
};

// Where a sourceWidth x sourceHeight picture lands in a targetWidth x
// targetHeight surface. Empty when either is empty.
TFitPlacement FitPlacement(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth, int32_t targetHeight);

// Fills a target of the placement's surface size: the source scaled into
// the placement, black (opaque) everywhere else. Each source row is widened
// once; target rows that show the same source row are copies of it.
class TFitScaler {
public:
    void Present(const TSurfacePixels& source, const TFitPlacement& fit, uint32_t* target, int32_t targetWidth,
        int32_t targetHeight, int32_t targetStride);

private:
    std::vector<int32_t> FColumns;
    TFitPlacement FColumnsFor;
};
