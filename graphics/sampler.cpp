#include "graphics/sampler.h"

TColor32 TCustomSampler::GetSampleInt(int32_t x, int32_t y)
{
    return GetSampleFixed(Fixed(x), Fixed(y));
}

TColor32 TCustomSampler::GetSampleFixed(TFixed x, TFixed y)
{
    return GetSampleFloat(x / 65536.0f, y / 65536.0f);
}

TColor32 TCustomSampler::GetSampleFloat(float x, float y)
{
    return GetSampleFixed(Fixed(x), Fixed(y));
}

TFloatRect TCustomSampler::GetSampleBounds() const
{
    return FloatRect(-2147483648.0f, -2147483648.0f, 2147483647.0f, 2147483647.0f);
}
