#pragma once
// Controller state per output port: what the song has set on each channel,
// kept so that a volume change can be applied to the song's own levels.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct TMidiPortConfigControl {
    uint8_t Value = 127;
    int Factor = 0;   // scale factor (mode 1)
    uint8_t Mode = 0; // 0: value as it is, 1: value × factor / 127
    // The value sent for the control, always a data byte (0..127).
    uint8_t Scaled() const;
};

struct TMidiPortConfigTone {
    uint8_t BankMSB = 0; // controller 0
    uint8_t BankLSB = 0; // controller 32
    uint8_t Program = 0;
};

struct TMidiPortConfigControlData {
    uint16_t Bend = 0x2000;
};

struct TMidiPortConfigChannel {
    std::array<TMidiPortConfigControl, 256> Controls{};
    TMidiPortConfigTone Tone;
    TMidiPortConfigControlData Data;
};

class TMidiPortConfig {
public:
    // The channels' records, made on first use: a file may name port 255
    // without ever sending to it.
    TMidiPortConfigChannel& Channel(int ch);
    bool Allocated() const { return FChannels != nullptr; }
    // The scaled value of a control; one never set reads as a fresh record.
    uint8_t Scaled(int ch, int control) const;

private:
    friend class TMidiPortConfigs;
    const class TMidiPortConfigs* FOwner = nullptr;
    std::unique_ptr<std::array<TMidiPortConfigChannel, 16>> FChannels;
};

class TMidiPortConfigs {
public:
    TMidiPortConfigs();

    int Count() const { return static_cast<int>(FPorts.size()); }
    TMidiPortConfig& operator[](int port) { return *FPorts[static_cast<size_t>(port)]; }
    const TMidiPortConfig& operator[](int port) const { return *FPorts[static_cast<size_t>(port)]; }
    // Port records are added until `port` exists.
    TMidiPortConfig& Ensure(int port);
    // Back to one port record.
    void Clear();

    // The reset of a GS or XG reset message on all channels of a port: every
    // control 0 except volume 100, pan 64 and expression 127; bank and
    // program cleared; the bend kept.
    void Reset(int port);
    // Gives one controller of every channel of every port a scale mode and
    // factor; ports whose records are made later get it too.
    void SetControllerScaling(int control, uint8_t mode, int factor);

private:
    friend class TMidiPortConfig;
    void ApplyScaling(TMidiPortConfigChannel& channel) const;

    std::vector<std::unique_ptr<TMidiPortConfig>> FPorts;
    struct TScaling {
        int Control;
        uint8_t Mode;
        int Factor;
    };
    std::vector<TScaling> FScalings;
};
