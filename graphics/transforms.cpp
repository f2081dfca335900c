#include "graphics/transforms.h"

void TNestedSampler::AssignTo(TPersistent* dest) const
{
    if (auto* nested = dynamic_cast<TNestedSampler*>(dest)) {
        nested->SetSampler(FSampler);
        return;
    }
    TCustomSampler::AssignTo(dest);
}

TCustomSampler& TNestedSampler::Wrapped() const
{
    if (!FSampler)
        throw ENestedException("Nested sampler is nil");
    return *FSampler;
}

void TNestedSampler::PrepareSampling()
{
    Wrapped().PrepareSampling();
}
void TNestedSampler::FinalizeSampling()
{
    Wrapped().FinalizeSampling();
}
bool TNestedSampler::HasBounds() const
{
    return Wrapped().HasBounds();
}
TFloatRect TNestedSampler::GetSampleBounds() const
{
    return Wrapped().GetSampleBounds();
}

// --- TTransformation --------------------------------------------------------

void TTransformation::Changed()
{
    TransformValid = false;
    TNotifiablePersistent::Changed();
}

void TTransformation::ReverseTransformInt(int32_t dstX, int32_t dstY, int32_t& srcX, int32_t& srcY)
{
    TFixed x, y;
    ReverseTransformFixed(Fixed(dstX), Fixed(dstY), x, y);
    srcX = FixedRound(x);
    srcY = FixedRound(y);
}

void TTransformation::ReverseTransformFixed(TFixed dstX, TFixed dstY, TFixed& srcX, TFixed& srcY)
{
    float x, y;
    ReverseTransformFloat(dstX / 65536.0f, dstY / 65536.0f, x, y);
    srcX = TFixed(RoundEven(x * 65536.0L));
    srcY = TFixed(RoundEven(y * 65536.0L));
}

void TTransformation::ReverseTransformFloat(float, float, float&, float&)
{
    throw ETransformNotImplemented("Reverse transformation is not implemented in " + ClassName() + ".");
}

void TTransformation::TransformInt(int32_t srcX, int32_t srcY, int32_t& dstX, int32_t& dstY)
{
    TFixed x, y;
    TransformFixed(Fixed(srcX), Fixed(srcY), x, y);
    dstX = FixedRound(x);
    dstY = FixedRound(y);
}

void TTransformation::TransformFixed(TFixed srcX, TFixed srcY, TFixed& dstX, TFixed& dstY)
{
    float x, y;
    TransformFloat(srcX / 65536.0f, srcY / 65536.0f, x, y);
    dstX = TFixed(RoundEven(x * 65536.0L));
    dstY = TFixed(RoundEven(y * 65536.0L));
}

void TTransformation::TransformFloat(float, float, float&, float&)
{
    throw ETransformNotImplemented("Forward transformation is not implemented in " + ClassName() + ".");
}

TRect TTransformation::GetTransformedBounds(const TFloatRect& srcRect)
{
    return MakeRect(srcRect, rrClosest);
}

void TTransformation::EnsurePrepared()
{
    if (!TransformValid)
        PrepareTransform();
}

TPoint TTransformation::ReverseTransform(const TPoint& p)
{
    EnsurePrepared();
    TPoint r;
    ReverseTransformInt(p.X, p.Y, r.X, r.Y);
    return r;
}

TFixedPoint TTransformation::ReverseTransform(const TFixedPoint& p)
{
    EnsurePrepared();
    TFixedPoint r;
    ReverseTransformFixed(p.X, p.Y, r.X, r.Y);
    return r;
}

TFloatPoint TTransformation::ReverseTransform(const TFloatPoint& p)
{
    EnsurePrepared();
    TFloatPoint r;
    ReverseTransformFloat(p.X, p.Y, r.X, r.Y);
    return r;
}

TPoint TTransformation::Transform(const TPoint& p)
{
    EnsurePrepared();
    TPoint r;
    TransformInt(p.X, p.Y, r.X, r.Y);
    return r;
}

TFixedPoint TTransformation::Transform(const TFixedPoint& p)
{
    EnsurePrepared();
    TFixedPoint r;
    TransformFixed(p.X, p.Y, r.X, r.Y);
    return r;
}

TFloatPoint TTransformation::Transform(const TFloatPoint& p)
{
    EnsurePrepared();
    TFloatPoint r;
    TransformFloat(p.X, p.Y, r.X, r.Y);
    return r;
}

// --- TTransformer -----------------------------------------------------------

TTransformation& TTransformer::Transform() const
{
    if (!FTransformation)
        throw ENestedException("Transformation is nil");
    return *FTransformation;
}

TColor32 TTransformer::GetSampleInt(int32_t x, int32_t y)
{
    TFixed u, v;
    Transform().ReverseTransformFixed(Fixed(x), Fixed(y), u, v);
    return Wrapped().GetSampleFixed(u, v);
}

TColor32 TTransformer::GetSampleFixed(TFixed x, TFixed y)
{
    TFixed u, v;
    Transform().ReverseTransformFixed(x, y, u, v);
    return Wrapped().GetSampleFixed(u, v);
}

TColor32 TTransformer::GetSampleFloat(float x, float y)
{
    float u, v;
    Transform().ReverseTransformFloat(x, y, u, v);
    return Wrapped().GetSampleFloat(u, v);
}

void TTransformer::PrepareSampling()
{
    Wrapped().PrepareSampling();
    if (!Transform().TransformValid)
        Transform().PrepareTransform();
}

bool TTransformer::HasBounds() const
{
    return Transform().HasTransformedBounds() && Wrapped().HasBounds();
}

TFloatRect TTransformer::GetSampleBounds() const
{
    return FloatRect(Transform().GetTransformedBounds(Wrapped().GetSampleBounds()));
}

// --- TNearestTransformer ----------------------------------------------------

TColor32 TNearestTransformer::GetSampleInt(int32_t x, int32_t y)
{
    int32_t u, v;
    Transform().ReverseTransformInt(x, y, u, v);
    return Wrapped().GetSampleInt(u, v);
}

TColor32 TNearestTransformer::GetSampleFixed(TFixed x, TFixed y)
{
    TFixed u, v;
    Transform().ReverseTransformFixed(x, y, u, v);
    // Floor, not the original's unsigned shift, so that positions left of
    // the origin stay left of it.
    return Wrapped().GetSampleInt(FixedFloor(u), FixedFloor(v));
}

TColor32 TNearestTransformer::GetSampleFloat(float x, float y)
{
    float u, v;
    Transform().ReverseTransformFloat(x, y, u, v);
    return Wrapped().GetSampleInt(int32_t(RoundEven(u)), int32_t(RoundEven(v)));
}
