// The mixer's set-up from SNDMIX.INI, its refusals and the component's
// channel and activation properties.

#include "sound_test_util.h"

#include <functional>

namespace {

using SndMixSession = SndMixFixture;

TEST_F(SndMixSession, IniSettingsAreReadAndClamped)
{
    struct Case {
        const char* Ini;
        int Blocks;
        uint32_t BlockLength;
        uint32_t Rate;
        bool Shift;
        bool GoodWavePos;
    };
    const Case cases[] = {
        {"", 3, 8192, 44100, false, false},
        {"[default]\nWaveBlocks=9\n", 6, 8192, 44100, false, false},
        {"[default]\nWaveBlocks=1\n", 2, 8192, 44100, false, false},
        {"[default]\nWaveBlockLen=100\n", 3, 2048, 44100, false, false},
        {"[default]\nWaveBlockLen=20000\n", 3, 16384, 44100, false, false},
        {"[default]\nWaveBlockLen=4099\n", 3, 4096, 44100, false, false},
        {"[default]\nSamplesPerSec=22\n", 3, 4096, 22050, false, false},
        {"[default]\nSamplesPerSec=11\n", 3, 2048, 11025, false, false},
        {"[default]\nSamplesPerSec=7\nRemix=2\n", 3, 2048, 11025, true, false},
        // The device's own section wins over the defaults.
        {"[default]\nWaveBlocks=5\nSamplesPerSec=11\n[Fake Wave Out]\nWaveBlocks=4\nRemix=2\nGoodWavePos=1\n"
         "SamplesPerSec=22\nWaveBlockLen=3001\n",
            4, 3001, 22050, true, true},
        {"[Fake Wave Out]\nWaveBlockLen=1\n", 3, 2048, 44100, false, false},
        // A zero in the device's section leaves the length to the defaults.
        {"[default]\nWaveBlockLen=4096\n[Fake Wave Out]\nWaveBlockLen=0\n", 3, 4096, 44100, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Ini);
        WriteIni(c.Ini);
        HSNDMIX h = SndMixInit();
        EXPECT_EQ(h->Blocks, c.Blocks);
        EXPECT_EQ(h->BlockLength, c.BlockLength);
        EXPECT_EQ(h->Format.SamplesPerSec, c.Rate);
        EXPECT_EQ(h->Format.AvgBytesPerSec, c.Rate);
        EXPECT_EQ(h->Remix == &SndMixShiftPlay, c.Shift);
        EXPECT_EQ(h->GoodWavePos, c.GoodWavePos);
        SndMixCloseSession(h);
    }
}

TEST_F(SndMixSession, DeviceChoiceAndDeviceRefusals)
{
    Device.Devices = {{"First", 0}, {"A very long product name of a sound card", 0}};
    WriteIni("[general]\nWaveOutDevice=1\n");
    HSNDMIX h = SndMixInit();
    EXPECT_EQ(h->DeviceId, 1);
    EXPECT_EQ(h->DeviceName, "A very long product name of a s");
    SndMixCloseSession(h);

    WriteIni("[general]\nWaveOutDevice=2\n");
    h = SndMixInit();
    EXPECT_EQ(h->DeviceId, WAVE_MAPPER);
    SndMixCloseSession(h);

    struct Case {
        std::vector<TWaveOutCaps> Devices;
        const char* Ini;
        const char* Text;
    };
    const Case refusals[] = {
        {{}, "", "No wave output devices available"},
        {{{"Blocker", WAVECAPS_SYNC}}, "",
            "Blocker is a syncronous (blocking) wave output device.  This will not permit audio to play while other "
            "applications are running"},
        {{{"Old Card", 0}}, "[not compatible]\nOld Card=1\n", "Old Card is not compatible with the realtime sndmixer"},
    };
    for (const Case& c : refusals) {
        Device.Devices = c.Devices;
        WriteIni(c.Ini);
        try {
            SndMixInit();
            ADD_FAILURE() << "no refusal: " << c.Text;
        } catch (const ESndMixError& e) {
            EXPECT_EQ(e.Message(), c.Text);
        }
        // A refused set-up leaves no session behind.
        EXPECT_EQ(SndMixUnit().Session, nullptr);
    }
}

TEST_F(SndMixSession, RefusalsCarryTheMixersTexts)
{
    TSndMix& mix = StartMixer();
    HSNDMIX h = mix.Session();
    TWaveRecord* wave = Wave({1, 2, 3});
    TSndMixPlayRecord play;
    play.Session = h;
    play.Wave = wave;
    int stray = 0;
    struct Case {
        std::function<void()> Call;
        const char* Text;
    };
    const Case cases[] = {
        {[] { SndMixInit(); }, "Session already initialized"},
        {[&] { SndMixCheckSession(reinterpret_cast<HSNDMIX>(&stray)); }, "Invalid Session handle"},
        {[&] { SndMixOpenChannel(h, 0, 3); }, "Invalid Flags"},
        {[&] { SndMixOpenChannel(h, 8, 0); }, "Invalid channel number"},
        {[&] { SndMixOpenChannel(h, 9, 2); }, "Invalid number of channels"},
        {[&] { SndMixOpenChannel(h, 3, 0); }, "The channel has already been opened"},
        {[&] { SndMixCloseChannel(h, 9, 0); }, "Invalid channel number"},
        {[&] { SndMixFlushChannel(h, -1, 0); }, "Invalid channel number"},
        {[&] { SndMixPlay(nullptr); }, "nil parameters pointer passed to SndMixPlay"},
        {[&] {
             TSndMixPlayRecord p = play;
             p.Wave = nullptr;
             SndMixPlay(&p);
         },
            "nil wave pointer passed to SndMixPlay!"},
        {[&] {
             TSndMixPlayRecord p = play;
             p.Channel = 8;
             SndMixPlay(&p);
         },
            "Invalid channel number"},
        {[&] { SndMixFreeWave(h, nullptr); }, "The given pointer was not valid"},
        {[&] {
             mix.SetChannels(0x7F);
             TSndMixPlayRecord p = play;
             p.Channel = 7;
             SndMixPlay(&p);
         },
            "The specified channel was not open"},
        {[&] { SndMixCloseChannel(h, 7, 0); }, "The specified channel was not open"},
        {[&] {
             mix.SetChannels(0);
             SndMixPlay(&play);
         },
            "You must open a channel before you can play a wave"},
        {[&] {
             mix.SetActivated(false);
             SndMixPlay(&play);
         },
            "Wave device not allocated, call SndMixActivate(hMixSession,TRUE)"},
    };
    for (const Case& c : cases) {
        try {
            c.Call();
            ADD_FAILURE() << "no refusal: " << c.Text;
        } catch (const ESndMixError& e) {
            EXPECT_EQ(e.Message(), c.Text);
        }
    }
}

TEST_F(SndMixSession, ChannelMaskOpensAndClosesChannelByChannel)
{
    TSndMix& mix = StartMixer();
    EXPECT_EQ(Session().OpenChannels, 8);
    mix.SetChannels(5);
    const bool expected[8] = {true, false, true, false, false, false, false, false};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(Session().ChannelOpen[c], expected[c]) << c;
    EXPECT_EQ(Session().OpenChannels, 2);
    mix.SetChannels(6);
    EXPECT_EQ(Session().OpenChannels, 2);
    EXPECT_TRUE(Session().ChannelOpen[1]);
    EXPECT_FALSE(Session().ChannelOpen[0]);

    // Setting the same activation twice neither reopens nor refuses.
    mix.SetActivated(true);
    EXPECT_TRUE(Device.IsOpen());
    mix.SetActivated(false);
    mix.SetActivated(false);
    EXPECT_FALSE(Device.IsOpen());
    EXPECT_FALSE(Session().Active);
}

TEST_F(SndMixSession, ActivationWithNothingQueuedLeavesTheDeviceIdle)
{
    StartMixer();
    EXPECT_TRUE(Device.IsOpen());
    EXPECT_EQ(Device.SamplesPerSec(), 44100u);
    EXPECT_EQ(Device.Writes(), 0);
}

} // namespace
