#include "graphics/kernels.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

double SinC(double x)
{
    if (x == 0)
        return 1;
    return std::sin(kPi * x) / (kPi * x);
}

} // namespace

void TCustomKernel::AssignTo(TPersistent* dest) const
{
    auto* kernel = dynamic_cast<TCustomKernel*>(dest);
    if (kernel && kernel->ClassName() == ClassName()) {
        CopyPropertiesTo(*kernel);
        return;
    }
    TPersistent::AssignTo(dest);
}

void TCustomKernel::Changed()
{
    if (FObserver)
        FObserver->Changed();
}

float TBoxKernel::Filter(float value) const
{
    return (value >= -0.5f && value <= 0.5f) ? 1.0f : 0.0f;
}

float TLinearKernel::Filter(float value) const
{
    return (value >= -1.0f && value < 1.0f) ? float(1.0 - std::fabs(double(value))) : 0.0f;
}

float TCosineKernel::Filter(float value) const
{
    if (std::fabs(value) < 1.0f)
        return float((std::cos(kPi * value) + 1) / 2);
    return 0;
}

float TSplineKernel::Filter(float value) const
{
    const double a = std::fabs(double(value));
    if (a < 1)
        return float(a * a * a / 2 - a * a + 2.0 / 3.0);
    if (a < 2) {
        const double t = 2 - a;
        return float(t * t * t / 6);
    }
    return 0;
}

float TMitchellKernel::Filter(float value) const
{
    const double a = std::fabs(double(value));
    const double a2 = a * a;
    const double a3 = a2 * a;
    if (a < 1)
        return float((7 * a3 - 12 * a2 + 16.0 / 3.0) / 6);
    if (a < 2)
        return float((-7.0 / 3.0 * a3 + 12 * a2 - 20 * a + 32.0 / 3.0) / 6);
    return 0;
}

float TCubicKernel::Filter(float value) const
{
    const double k = FCoeff;
    const double a = std::fabs(double(value));
    const double a2 = a * a;
    const double a3 = a2 * a;
    if (a < 1)
        return float((k + 2) * a3 - (k + 3) * a2 + 1);
    if (a < 2)
        return float(k * (a3 - 5 * a2 + 8 * a - 4));
    return 0;
}

void TCubicKernel::CopyPropertiesTo(TCustomKernel& dst) const
{
    static_cast<TCubicKernel&>(dst).SetCoeff(FCoeff);
}

float THermiteKernel::Filter(float value) const
{
    const double x = value;
    if (x < -2 || x >= 2)
        return 0;
    const double fl = std::floor(x);
    const double t = std::fabs(fl - x);
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double tt = (1 - double(FTension)) * 0.5;
    const double tp = tt * (1 + double(FBias));
    const double tm = tt * (1 - double(FBias));
    const double p = t3 - 2 * t2 + t;
    const double q = t3 - t2;
    const double h = 3 * t2 - 2 * t3;
    switch (int(fl)) {
    case -2: return float(q * tm);
    case -1: return float(h + tm * p + (tp - tm) * q);
    case 0: return float((tp - tm) * p + (1 - h) - q * tp);
    case 1: return float(-p * tp);
    default: return 0;
    }
}

void THermiteKernel::CopyPropertiesTo(TCustomKernel& dst) const
{
    auto& k = static_cast<THermiteKernel&>(dst);
    k.SetBias(FBias);
    k.SetTension(FTension);
}

float TWindowedSincKernel::Filter(float value) const
{
    const float a = std::fabs(value);
    if (!(a < FWidth))
        return 0;
    return float(SinC(value) * double(Window(a)));
}

void TWindowedSincKernel::SetWidth(float value)
{
    if (value > 4)
        value = 4;
    SetProperty(FWidth, value);
}

void TWindowedSincKernel::CopyPropertiesTo(TCustomKernel& dst) const
{
    static_cast<TWindowedSincKernel&>(dst).SetWidth(FWidth);
}

float TLanczosKernel::Window(float value) const
{
    return FWidth == 0 ? 0.0f : float(SinC(double(value) / FWidth));
}

float TGaussianKernel::Window(float value) const
{
    if (FSigma == 0)
        return 0;
    return float(std::exp2(-double(value) * value / FSigma));
}

void TGaussianKernel::CopyPropertiesTo(TCustomKernel& dst) const
{
    TWindowedSincKernel::CopyPropertiesTo(dst);
    static_cast<TGaussianKernel&>(dst).SetSigma(FSigma);
}

float TBlackmanKernel::Window(float value) const
{
    if (FWidth == 0)
        return 0;
    const double x = kPi * value / FWidth;
    return float(0.42 + 0.5 * std::cos(x) + 0.08 * std::cos(2 * x));
}

float THannKernel::Window(float value) const
{
    return FWidth == 0 ? 0.0f : float(0.5 + 0.5 * std::cos(kPi * value / FWidth));
}

float THammingKernel::Window(float value) const
{
    return FWidth == 0 ? 0.0f : float(0.54 + 0.46 * std::cos(kPi * value / FWidth));
}

float TSinshKernel::Filter(float value) const
{
    if (value == 0)
        return 1;
    if (FCoeff == 0)
        return 0;
    const double x = value;
    return float(FCoeff * std::sin(kPi * x) / std::sinh(kPi * FCoeff * x));
}

void TSinshKernel::CopyPropertiesTo(TCustomKernel& dst) const
{
    auto& k = static_cast<TSinshKernel&>(dst);
    k.SetWidth(FWidth);
    k.SetCoeff(FCoeff);
}
