#pragma once
// The resamplers of TBitmap32: how a bitmap is stretched when drawn into a
// rectangle of another size, and point samples of it at integer, 16.16 and
// float positions. Classes are registered by name so that a bitmap's
// ResamplerClassName (and a kernel resampler's KernelClassName) can be given
// as text.

#include <memory>
#include <string>
#include <string_view>

#include "graphics/bitmap32.h"
#include "graphics/kernels.h"
#include "graphics/ordinal_maps.h"
#include "graphics/sampler.h"

enum TPixelAccessMode { pamUnsafe, pamSafe, pamWrap, pamTransparentEdge };

class TBitmap32Resampler;

// A resampler class: its name and its constructor Create(Bitmap), which
// installs the new resampler as the bitmap's own.
struct TResamplerClass {
    std::string ClassName;
    TBitmap32Resampler* (*Create)(TBitmap32& bitmap);
};

// A kernel class: its name and its constructor.
struct TKernelClass {
    std::string ClassName;
    std::unique_ptr<TCustomKernel> (*Create)();
};

// Appends to the registry (search order is registration order). The built-in
// classes are registered when the library loads.
void RegisterResampler(const TResamplerClass& cls);
void RegisterKernel(const TKernelClass& cls);
// The first class of exactly that name (case-sensitive), or nullptr.
const TResamplerClass* FindResamplerClass(std::string_view name);
const TKernelClass* FindKernelClass(std::string_view name);

class TBitmap32Resampler : public TCustomResampler {
public:
    std::string ClassName() const override { return "TBitmap32Resampler"; }

    // A resampler of class T for `bitmap`, installed as its resampler (the
    // bitmap owns it and frees the previous one).
    template <class T>
    static T* Create(TBitmap32& bitmap)
    {
        auto resampler = std::make_unique<T>();
        T* result = resampler.get();
        result->FBitmap = &bitmap;
        bitmap.InstallResampler(std::move(resampler));
        return result;
    }

    TBitmap32* Bitmap() const { return FBitmap; }
    TPixelAccessMode PixelAccessMode() const { return FPixelAccessMode; }
    void SetPixelAccessMode(TPixelAccessMode value);

    // Calls the bitmap's Changed.
    void Changed() override;
    // Into another bitmap resampler: its published properties.
    void AssignTo(TPersistent* dest) const override;
    bool HasBounds() const override { return true; }
    // The bitmap's clip rectangle, one pixel larger with pamTransparentEdge.
    TFloatRect GetSampleBounds() const override;

protected:
    virtual void CopyPropertiesTo(TBitmap32Resampler& dst) const;

    TBitmap32* FBitmap = nullptr;
    TRect FClipRect;
    TPixelAccessMode FPixelAccessMode = pamSafe;
};

class TNearestResampler : public TBitmap32Resampler {
public:
    std::string ClassName() const override { return "TNearestResampler"; }

    TColor32 GetSampleInt(int32_t x, int32_t y) override;
    // An exact half rounds down: (x + $7FFF) sar 16.
    TColor32 GetSampleFixed(TFixed x, TFixed y) override;
    // Ties to even.
    TColor32 GetSampleFloat(float x, float y) override;
    void PrepareSampling() override;
    float GetWidth() const override { return 1; }
    void Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
        TDrawMode combineOp, const TPixelCombineEvent& combineCallBack) override;

private:
    TColor32 Get(int32_t x, int32_t y) const;
    TColor32 GetTransparentEdge(int32_t x, int32_t y) const;
    TPixelAccessMode FBoundMode = pamSafe;
};

class TLinearResampler : public TBitmap32Resampler {
public:
    TLinearResampler();
    ~TLinearResampler() override;
    std::string ClassName() const override { return "TLinearResampler"; }

    TColor32 GetSampleFixed(TFixed x, TFixed y) override;
    TColor32 GetSampleFloat(float x, float y) override;
    void PrepareSampling() override;
    float GetWidth() const override { return 1; }
    void Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
        TDrawMode combineOp, const TPixelCombineEvent& combineCallBack) override;

protected:
    TColor32 GetTransparentEdge(TFixed x, TFixed y) const;
    std::unique_ptr<TLinearKernel> FLinearKernel;
    TPixelAccessMode FBoundMode = pamSafe;
};

class TDraftResampler : public TLinearResampler {
public:
    std::string ClassName() const override { return "TDraftResampler"; }
    void Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
        TDrawMode combineOp, const TPixelCombineEvent& combineCallBack) override;
};

enum TKernelMode { kmDynamic, kmTableNearest, kmTableLinear };

class TKernelResampler : public TBitmap32Resampler {
public:
    TKernelResampler();
    ~TKernelResampler() override;
    std::string ClassName() const override { return "TKernelResampler"; }

    TCustomKernel* Kernel() const { return FKernel.get(); }
    // Null or the current kernel is ignored; otherwise the old one is freed.
    void SetKernel(std::unique_ptr<TCustomKernel> value);
    std::string KernelClassName() const { return FKernel->ClassName(); }
    // An empty or unregistered name changes nothing.
    void SetKernelClassName(const std::string& value);
    TKernelMode KernelMode() const { return FKernelMode; }
    void SetKernelMode(TKernelMode value);
    int32_t TableSize() const { return FTableSize; }
    // Below 2 is stored as 2.
    void SetTableSize(int32_t value);

    TColor32 GetSampleFloat(float x, float y) override;
    void PrepareSampling() override;
    void FinalizeSampling() override;
    float GetWidth() const override { return FKernel->GetWidth(); }
    void Resample(TBitmap32& dst, const TRect& dstRect, TRect dstClip, TBitmap32& src, const TRect& srcRect,
        TDrawMode combineOp, const TPixelCombineEvent& combineCallBack) override;

protected:
    void CopyPropertiesTo(TBitmap32Resampler& dst) const override;

private:
    // The 2R + 1 weights (in 1/256) of the taps around a position whose
    // distance to the next whole pixel is `frac`.
    void TapWeights(float frac, int32_t radius, int32_t* weights) const;

    std::unique_ptr<TCustomKernel> FKernel;
    TKernelMode FKernelMode = kmDynamic;
    int32_t FTableSize = 32;
    std::unique_ptr<TIntegerMap> FWeightTable;
    TColor32 FOuterColor = 0;
};
