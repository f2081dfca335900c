#pragma once
// Filter kernels of the kernel resampler: a weight for a distance in source
// pixels. Results are single precision, as the original computed them.

#include <memory>
#include <string>

#include "graphics/notifiable.h"

class TCustomKernel : public TPersistent {
public:
    std::string ClassName() const override { return "TCustomKernel"; }

    // Into another kernel of the same class: its published properties.
    void AssignTo(TPersistent* dest) const override;
    // Whether results must be clamped to 0..255.
    virtual bool RangeCheck() const { return false; }
    virtual float Filter(float value) const = 0;
    virtual float GetWidth() const = 0;
    // A fresh kernel of the same class with default properties.
    virtual std::unique_ptr<TCustomKernel> CreateSame() const = 0;

    // The object told of property changes (the kernel resampler); not owned.
    void SetObserver(TNotifiablePersistent* observer) { FObserver = observer; }

protected:
    void Changed();
    // Copies the published properties into a kernel of the same class.
    virtual void CopyPropertiesTo(TCustomKernel&) const {}
    template <class T>
    void SetProperty(T& field, T value)
    {
        if (field != value) {
            field = value;
            Changed();
        }
    }

private:
    TNotifiablePersistent* FObserver = nullptr;
};

#define TG_KERNEL_CLASS(NAME)                                                                                          \
    std::string ClassName() const override                                                                             \
    {                                                                                                                  \
        return #NAME;                                                                                                  \
    }                                                                                                                  \
    std::unique_ptr<TCustomKernel> CreateSame() const override                                                         \
    {                                                                                                                  \
        return std::make_unique<NAME>();                                                                               \
    }

class TBoxKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TBoxKernel)
    float Filter(float value) const override;
    float GetWidth() const override { return 1; }
};

class TLinearKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TLinearKernel)
    float Filter(float value) const override;
    float GetWidth() const override { return 1; }
};

class TCosineKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TCosineKernel)
    float Filter(float value) const override;
    float GetWidth() const override { return 1; }
};

class TSplineKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TSplineKernel)
    bool RangeCheck() const override { return true; }
    float Filter(float value) const override;
    float GetWidth() const override { return 2; }
};

class TMitchellKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TMitchellKernel)
    bool RangeCheck() const override { return true; }
    float Filter(float value) const override;
    float GetWidth() const override { return 2; }
};

class TCubicKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TCubicKernel)
    bool RangeCheck() const override { return true; }
    float Filter(float value) const override;
    float GetWidth() const override { return 2; }
    float Coeff() const { return FCoeff; }
    void SetCoeff(float value) { SetProperty(FCoeff, value); }

protected:
    void CopyPropertiesTo(TCustomKernel& dst) const override;

private:
    float FCoeff = -0.5f;
};

class THermiteKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(THermiteKernel)
    bool RangeCheck() const override { return true; }
    float Filter(float value) const override;
    float GetWidth() const override { return 2; }
    float Bias() const { return FBias; }
    void SetBias(float value) { SetProperty(FBias, value); }
    float Tension() const { return FTension; }
    void SetTension(float value) { SetProperty(FTension, value); }

protected:
    void CopyPropertiesTo(TCustomKernel& dst) const override;

private:
    float FBias = 0;
    float FTension = 0;
};

class TWindowedSincKernel : public TCustomKernel {
public:
    std::string ClassName() const override { return "TWindowedSincKernel"; }
    bool RangeCheck() const override { return true; }
    float Filter(float value) const override;
    float GetWidth() const override { return FWidth; }
    // Values above 4 are stored as 4.
    void SetWidth(float value);
    virtual float Window(float value) const = 0;

protected:
    void CopyPropertiesTo(TCustomKernel& dst) const override;

    float FWidth = 3;
};

class TLanczosKernel : public TWindowedSincKernel {
public:
    TG_KERNEL_CLASS(TLanczosKernel)
    float Window(float value) const override;
};

class TGaussianKernel : public TWindowedSincKernel {
public:
    TG_KERNEL_CLASS(TGaussianKernel)
    // A zero Sigma gives a window of 0 instead of a division by zero.
    float Window(float value) const override;
    float Sigma() const { return FSigma; }
    void SetSigma(float value) { SetProperty(FSigma, value); }

protected:
    void CopyPropertiesTo(TCustomKernel& dst) const override;

private:
    float FSigma = 1.33f;
};

class TBlackmanKernel : public TWindowedSincKernel {
public:
    TG_KERNEL_CLASS(TBlackmanKernel)
    float Window(float value) const override;
};

class THannKernel : public TWindowedSincKernel {
public:
    TG_KERNEL_CLASS(THannKernel)
    float Window(float value) const override;
};

class THammingKernel : public TWindowedSincKernel {
public:
    TG_KERNEL_CLASS(THammingKernel)
    float Window(float value) const override;
};

class TSinshKernel : public TCustomKernel {
public:
    TG_KERNEL_CLASS(TSinshKernel)
    bool RangeCheck() const override { return true; }
    // A zero Coeff gives 0 (away from x = 0) instead of a division by zero.
    float Filter(float value) const override;
    float GetWidth() const override { return FWidth; }
    void SetWidth(float value) { SetProperty(FWidth, value); }
    float Coeff() const { return FCoeff; }
    void SetCoeff(float value) { SetProperty(FCoeff, value); }

protected:
    void CopyPropertiesTo(TCustomKernel& dst) const override;

private:
    float FWidth = 3;
    float FCoeff = 0.5f;
};

#undef TG_KERNEL_CLASS
