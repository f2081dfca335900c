#pragma once
// What the sound tests share: RIFF WAVE images built in memory, and a
// mixer fixture on the hand-stepped device, a fake clock and a private
// SNDMIX.INI.

#include "base/clock.h"
#include "base/streams.h"
#include "platform/audio/ui_mailbox.h"
#include "platform/audio/wave_out_fake.h"
#include "sound/sndmix_component.h"
#include "sound/sndmix_internal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline void PutLe(std::string& s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline std::string Chunk(const std::string& id, const std::string& body)
{
    std::string s = id;
    PutLe(s, static_cast<uint32_t>(body.size()), 4);
    s += body;
    if (body.size() & 1)
        s.push_back('\0');
    return s;
}

inline std::string FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t size = 16)
{
    std::string f;
    const uint16_t align = static_cast<uint16_t>(channels * (bits / 8));
    PutLe(f, tag, 2);
    PutLe(f, channels, 2);
    PutLe(f, rate, 4);
    PutLe(f, rate * align, 4);
    PutLe(f, align, 2);
    PutLe(f, bits, 2);
    f.resize(size, '\0');
    return f;
}

inline std::string Riff(const std::string& chunks)
{
    return Chunk("RIFF", "WAVE" + chunks);
}

// A PCM image of the given samples (bytes for 8 bits, little-endian words for 16).
inline std::string PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& data)
{
    return Riff(Chunk("fmt ", FmtBody(1, channels, rate, bits)) + Chunk("data", data));
}

inline std::string Words(const std::vector<int16_t>& samples)
{
    std::string s;
    for (int16_t v : samples)
        PutLe(s, static_cast<uint16_t>(v), 2);
    return s;
}

inline std::vector<uint8_t> Bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

// Receives the mixer's MM_WOM_DONE notifications.
class TDoneRecorder : public TSndMixNotify {
public:
    ~TDoneRecorder() override { UiMailbox::Cancel(this); }
    void MMWomDone(int channel, TWaveRecord* wave) override { Done.emplace_back(channel, wave); }
    std::vector<std::pair<int, TWaveRecord*>> Done;
};

class SndMixFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tgsndmixXXXXXX";
        FDir = mkdtemp(tmpl);
        SndMixSetIniFileName((FDir / "SNDMIX.INI").string());
        SndMixSetDevice(&Device);
        SetClockSource(&Clock);
    }
    void TearDown() override
    {
        Mixer.reset();
        for (TWaveRecord* w : FLoose)
            delete w;
        if (SndMixUnit().Session != nullptr)
            SndMixCloseSession(SndMixUnit().Session);
        UiMailbox::Drain();
        SndMixSetDevice(nullptr);
        SetClockSource(nullptr);
        SndMixSetIniFileName("SNDMIX.INI");
        std::filesystem::remove_all(FDir);
    }
    void WriteIni(const std::string& text) { std::ofstream((FDir / "SNDMIX.INI").string()) << text; }
    std::string TempPath(const std::string& name) const { return (FDir / name).string(); }

    // The component as the main window holds it: activated, all channels open.
    TSndMix& StartMixer()
    {
        Mixer = std::make_unique<TSndMix>();
        Mixer->SetActivated(true);
        Mixer->SetChannels(255);
        return *Mixer;
    }
    // A wave record holding `data` as it stands (already in the session's format).
    TWaveRecord* Wave(std::vector<uint8_t> data)
    {
        auto* w = new TWaveRecord;
        w->Format = {WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8};
        w->Data = std::move(data);
        FLoose.push_back(w);
        return w;
    }
    // Frees a wave through the mixer, as the engine does.
    void Free(TWaveRecord* w)
    {
        std::erase(FLoose, w);
        Mixer->FreeWave(w);
    }
    // Plays up to `bytes` bytes on the device, delivering what it posts as
    // blocks come back (so the mixer refills), until the device starves.
    void Step(uint32_t bytes)
    {
        while (bytes > 0) {
            const uint32_t played = Device.Consume(bytes);
            UiMailbox::Drain();
            if (played == 0)
                break;
            bytes -= played;
        }
    }
    TSndMixSession& Session() { return *SndMixUnit().Session; }

    TFakeWaveOut Device;
    TFakeClock Clock{1000};
    std::unique_ptr<TSndMix> Mixer;

private:
    std::filesystem::path FDir;
    std::vector<TWaveRecord*> FLoose; // waves not freed through the mixer
};
