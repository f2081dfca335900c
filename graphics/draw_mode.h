#pragma once
// How a bitmap's pixels are combined into another bitmap, and the events that
// drawing reports through.

#include <functional>

#include "base/classes.h"
#include "base/types.h"
#include "graphics/color32.h"

enum TDrawMode { dmOpaque, dmBlend, dmCustom, dmTransparent };

// Called per pixel for dmCustom with the source pixel, the destination pixel
// (read and written) and the source's master alpha. Unassigned when empty.
using TPixelCombineEvent = std::function<void(TColor32 f, TColor32& b, TColor32 m)>;

// A plain rectangle; with bit $40000000 the area is a line whose width is in
// the low 24 bits.
constexpr uint32_t AREAINFO_RECT = 0x80000000;
constexpr uint32_t AREAINFO_LINE = 0x40000000;

using TAreaChangedEvent = std::function<void(TObject* sender, const TRect& area, uint32_t info)>;
