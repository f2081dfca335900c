#pragma once
// Chained samplers: a nested sampler wraps another, and a transformer maps
// each requested position through a geometric transformation first.

#include "base/exceptions.h"
#include "graphics/sampler.h"

class ENestedException : public Exception {
public:
    using Exception::Exception;
};

class ETransformNotImplemented : public Exception {
public:
    using Exception::Exception;
};

class TNestedSampler : public TCustomSampler {
public:
    explicit TNestedSampler(TCustomSampler* sampler = nullptr) { SetSampler(sampler); }
    std::string ClassName() const override { return "TNestedSampler"; }

    // The wrapped sampler; not owned.
    TCustomSampler* Sampler() const { return FSampler; }
    void SetSampler(TCustomSampler* value) { FSampler = value; }

    // Into another nested sampler: the wrapped sampler.
    void AssignTo(TPersistent* dest) const override;
    // Forwarded to the wrapped sampler; raise ENestedException "Nested
    // sampler is nil" without one.
    void PrepareSampling() override;
    void FinalizeSampling() override;
    bool HasBounds() const override;
    TFloatRect GetSampleBounds() const override;

protected:
    TCustomSampler& Wrapped() const;

    TCustomSampler* FSampler = nullptr;
};

class TTransformation : public TNotifiablePersistent {
public:
    std::string ClassName() const override { return "TTransformation"; }

    // Clears TransformValid before the notification.
    void Changed() override;

    virtual void PrepareTransform() {}
    // Integer and fixed forms default to the next finer precision; the float
    // forms raise ETransformNotImplemented naming the class.
    virtual void ReverseTransformInt(int32_t dstX, int32_t dstY, int32_t& srcX, int32_t& srcY);
    virtual void ReverseTransformFixed(TFixed dstX, TFixed dstY, TFixed& srcX, TFixed& srcY);
    virtual void ReverseTransformFloat(float dstX, float dstY, float& srcX, float& srcY);
    virtual void TransformInt(int32_t srcX, int32_t srcY, int32_t& dstX, int32_t& dstY);
    virtual void TransformFixed(TFixed srcX, TFixed srcY, TFixed& dstX, TFixed& dstY);
    virtual void TransformFloat(float srcX, float srcY, float& dstX, float& dstY);
    virtual bool HasTransformedBounds() const { return true; }
    // Each coordinate rounded to the nearest integer, ties to even.
    virtual TRect GetTransformedBounds(const TFloatRect& srcRect);

    // Prepare first when needed, then the matching precision.
    TPoint ReverseTransform(const TPoint& p);
    TFixedPoint ReverseTransform(const TFixedPoint& p);
    TFloatPoint ReverseTransform(const TFloatPoint& p);
    TPoint Transform(const TPoint& p);
    TFixedPoint Transform(const TFixedPoint& p);
    TFloatPoint Transform(const TFloatPoint& p);

    TFloatRect SrcRect;
    bool TransformValid = false;

private:
    void EnsurePrepared();
};

class TTransformer : public TNestedSampler {
public:
    TTransformer(TCustomSampler* sampler = nullptr, TTransformation* transformation = nullptr)
        : TNestedSampler(sampler), FTransformation(transformation)
    {
    }
    std::string ClassName() const override { return "TTransformer"; }

    // Not owned.
    TTransformation* Transformation() const { return FTransformation; }
    void SetTransformation(TTransformation* value) { FTransformation = value; }

    TColor32 GetSampleInt(int32_t x, int32_t y) override;
    TColor32 GetSampleFixed(TFixed x, TFixed y) override;
    TColor32 GetSampleFloat(float x, float y) override;
    void PrepareSampling() override;
    bool HasBounds() const override;
    TFloatRect GetSampleBounds() const override;

protected:
    TTransformation& Transform() const;

    TTransformation* FTransformation = nullptr;
};

class TNearestTransformer : public TTransformer {
public:
    using TTransformer::TTransformer;
    std::string ClassName() const override { return "TNearestTransformer"; }

    TColor32 GetSampleInt(int32_t x, int32_t y) override;
    TColor32 GetSampleFixed(TFixed x, TFixed y) override;
    TColor32 GetSampleFloat(float x, float y) override;
};
