#include "sound/midi_port_configs.h"

#include <algorithm>

uint8_t TMidiPortConfigControl::Scaled() const
{
    if (Mode != 1)
        return Value;
    // 64-bit so that no factor can overflow; the result is clamped to a
    // data byte, since a factor above 127 raises levels past the range.
    const int64_t v = int64_t(Value) * Factor / 127;
    return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 127));
}

TMidiPortConfigChannel& TMidiPortConfig::Channel(int ch)
{
    if (!FChannels) {
        FChannels = std::make_unique<std::array<TMidiPortConfigChannel, 16>>();
        for (TMidiPortConfigChannel& c : *FChannels)
            FOwner->ApplyScaling(c);
    }
    return (*FChannels)[static_cast<size_t>(ch & 15)];
}

uint8_t TMidiPortConfig::Scaled(int ch, int control) const
{
    if (FChannels)
        return (*FChannels)[static_cast<size_t>(ch & 15)].Controls[static_cast<size_t>(control & 255)].Scaled();
    TMidiPortConfigChannel fresh;
    FOwner->ApplyScaling(fresh);
    return fresh.Controls[static_cast<size_t>(control & 255)].Scaled();
}

TMidiPortConfigs::TMidiPortConfigs()
{
    Clear();
}

TMidiPortConfig& TMidiPortConfigs::Ensure(int port)
{
    while (Count() <= port) {
        FPorts.push_back(std::make_unique<TMidiPortConfig>());
        FPorts.back()->FOwner = this;
    }
    return *FPorts[static_cast<size_t>(port)];
}

void TMidiPortConfigs::Clear()
{
    FPorts.clear();
    FScalings.clear();
    Ensure(0);
}

void TMidiPortConfigs::Reset(int port)
{
    TMidiPortConfig& config = Ensure(port);
    for (int ch = 0; ch < 16; ++ch) {
        TMidiPortConfigChannel& channel = config.Channel(ch);
        for (TMidiPortConfigControl& control : channel.Controls)
            control.Value = 0;
        channel.Controls[7].Value = 100;
        channel.Controls[10].Value = 64;
        channel.Controls[11].Value = 127;
        channel.Tone = TMidiPortConfigTone{};
    }
}

void TMidiPortConfigs::SetControllerScaling(int control, uint8_t mode, int factor)
{
    control &= 255;
    auto it = std::find_if(FScalings.begin(), FScalings.end(), [&](const TScaling& s) { return s.Control == control; });
    if (it == FScalings.end())
        FScalings.push_back({control, mode, factor});
    else
        *it = {control, mode, factor};
    for (auto& port : FPorts)
        if (port->Allocated())
            for (int ch = 0; ch < 16; ++ch) {
                TMidiPortConfigControl& c = port->Channel(ch).Controls[static_cast<size_t>(control)];
                c.Mode = mode;
                c.Factor = factor;
            }
}

void TMidiPortConfigs::ApplyScaling(TMidiPortConfigChannel& channel) const
{
    for (const TScaling& s : FScalings) {
        channel.Controls[static_cast<size_t>(s.Control)].Mode = s.Mode;
        channel.Controls[static_cast<size_t>(s.Control)].Factor = s.Factor;
    }
}
