#pragma once
// The abstract samplers: something that answers a colour at a position, and
// a resampler, which also stretches its bitmap when it is drawn.

#include "graphics/draw_mode.h"
#include "graphics/notifiable.h"
#include "graphics/rects.h"

class TBitmap32;

class TCustomSampler : public TNotifiablePersistent {
public:
    std::string ClassName() const override { return "TCustomSampler"; }

    // The three precisions default to one another (integer to fixed, fixed to
    // float, float to fixed); a concrete sampler overrides at least one.
    virtual TColor32 GetSampleInt(int32_t x, int32_t y);
    virtual TColor32 GetSampleFixed(TFixed x, TFixed y);
    virtual TColor32 GetSampleFloat(float x, float y);
    virtual void PrepareSampling() {}
    virtual void FinalizeSampling() {}
    virtual bool HasBounds() const { return false; }
    virtual TFloatRect GetSampleBounds() const;
};

class TCustomResampler : public TCustomSampler {
public:
    std::string ClassName() const override { return "TCustomResampler"; }

    // The support radius in source pixels.
    virtual float GetWidth() const = 0;
    // Stretches srcRect of src into dstRect of dst within dstClip.
    virtual void Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
        TDrawMode combineOp, const TPixelCombineEvent& combineCallBack) = 0;
};
