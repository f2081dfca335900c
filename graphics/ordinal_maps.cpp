#include "graphics/ordinal_maps.h"

void TIntegerMap::ChangeSize(int32_t& width, int32_t& height, int32_t newWidth, int32_t newHeight)
{
    FBits.resize(size_t(int64_t(newWidth) * newHeight));
    width = newWidth;
    height = newHeight;
}
