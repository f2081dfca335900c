// What the mixer sends to the device, byte for byte: mixing, start flags,
// loops, remixing, notifications and freeing waves while they play.

#include "sound_test_util.h"

#include <algorithm>
#include <numeric>

namespace {

using SndMixPlay_ = SndMixFixture;

std::vector<uint8_t> Filled(size_t n, uint8_t v)
{
    return std::vector<uint8_t>(n, v);
}

// 1, 2, ... 100, 1, 2 ...: never silence, and every offset recognisable.
std::vector<uint8_t> Ramp(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(1 + i % 100);
    return v;
}

TEST_F(SndMixPlay_, SourcesAreCopiedOrSummedAroundSilenceAndClamped)
{
    struct Case {
        std::vector<uint8_t> Levels;
        uint8_t Mixed;
    };
    const Case cases[] = {
        {{77}, 77},
        {{200, 200}, 255},
        {{20, 20}, 0},
        {{100, 156}, 128},
        {{150, 140, 100}, 134},
    };
    for (const Case& c : cases) {
        StartMixer();
        // All but the last wait, so all start on the same byte.
        for (size_t i = 0; i < c.Levels.size(); ++i)
            Mixer->Play(static_cast<int>(i), Wave(Filled(1000, c.Levels[i])), 0,
                i + 1 < c.Levels.size() ? uint32_t{smpWait} : 0u, nullptr);
        Step(8192);
        const std::vector<uint8_t>& out = Device.Played();
        ASSERT_EQ(out.size(), 8192u);
        EXPECT_EQ(std::count(out.begin(), out.begin() + 999, c.Mixed), 999) << int(c.Mixed);
        EXPECT_TRUE(std::all_of(out.begin() + 999, out.end(), [](uint8_t b) { return b == 128; }));
        Mixer.reset();
        Device.ClearPlayed();
    }
}

TEST_F(SndMixPlay_, LoopsPlayOneByteShortOfTheirFullLengthAndForeverNeverEnds)
{
    struct Case {
        uint16_t Loops;
        size_t Bytes;
    };
    for (const Case& c : {Case{0, 99}, Case{2, 299}, Case{200, 20099}}) {
        StartMixer();
        TDoneRecorder done;
        Mixer->Play(0, Wave(Ramp(100)), c.Loops, 0, &done);
        Step(40000);
        const std::vector<uint8_t>& out = Device.Played();
        const std::vector<uint8_t> expected = Ramp(c.Bytes);
        ASSERT_GE(out.size(), c.Bytes + 1);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin())) << c.Loops;
        EXPECT_EQ(out[c.Bytes], 128);
        EXPECT_EQ(done.Done.size(), 1u);
        EXPECT_EQ(Mixer->GetBusyChannels(), 0);
        Mixer.reset();
        Device.ClearPlayed();
    }

    StartMixer();
    TWaveRecord* forever = Wave(Ramp(100));
    Mixer->Play(3, forever, SndMixLoopForever, 0, nullptr);
    Step(200000);
    EXPECT_EQ(Device.Played().size(), 200000u);
    EXPECT_EQ(Device.Played().back(), Ramp(200000).back());
    EXPECT_EQ(Mixer->GetBusyChannels(), 0x08);
    // Only freeing the wave ends it; what is still written plays out.
    Free(forever);
    EXPECT_EQ(Mixer->GetBusyChannels(), 0);
    Device.ClearPlayed();
    Step(100000);
    EXPECT_LE(Device.Played().size(), 3u * 8192);
}

TEST_F(SndMixPlay_, StartFlagsPlaceThePlayAndARemixNeverTouchesOwnedBlocks)
{
    StartMixer();
    Mixer->Play(0, Wave(Filled(30000, 138)), 0, 0, nullptr);
    EXPECT_EQ(Device.QueuedBlocks(), 3u);
    EXPECT_EQ(Session().MixPosition, 3 * 8192);

    // Flags 0: after what is already written.
    Mixer->Play(1, Wave(Filled(100, 148)), 0, 0, nullptr);
    EXPECT_EQ(Session().Queue[1]->Start, 3 * 8192);
    EXPECT_EQ(Device.Resets(), 0);

    // Start now, 100 ms on: the written blocks are taken back and mixed again.
    Clock.Advance(100);
    Step(4410);
    Mixer->Play(2, Wave(Filled(100, 158)), 0, smpStartNow, nullptr);
    EXPECT_EQ(Session().Queue[2]->Start, 4410);
    EXPECT_EQ(Device.Resets(), 1);
    Step(1000);
    const std::vector<uint8_t>& out = Device.Played();
    EXPECT_EQ(out[4409], 138);
    EXPECT_EQ(out[4410], 128 + 10 + 30);
    EXPECT_EQ(out[4410 + 98], 128 + 10 + 30);
    EXPECT_EQ(out[4410 + 99], 138);
    Step(40000);
    EXPECT_EQ(Device.Tampered(), 0);
    // The flags-0 play still starts where it was placed.
    EXPECT_EQ(Device.Played()[3 * 8192], 128 + 10 + 20);
}

TEST_F(SndMixPlay_, PositionsKeepCountingPastThirtyTwoBits)
{
    WriteIni("[default]\nGoodWavePos=0\n");
    StartMixer();
    Mixer->Play(0, Wave(Filled(100, 138)), SndMixLoopForever, 0, nullptr);
    // 200 s at 44100 bytes per second: milliseconds times bytes per second
    // passes 2^32, and the play position must still be right.
    Clock.Advance(200000);
    Step(200 * 44100);
    Mixer->Play(1, Wave(Filled(100, 148)), 0, smpStartNow, nullptr);
    EXPECT_EQ(Session().Queue[1]->Start, 200 * 44100);
    Device.ClearPlayed();
    Step(200);
    EXPECT_EQ(Device.Played()[0], 128 + 10 + 20);
    EXPECT_EQ(Device.Played()[99], 138);
}

TEST_F(SndMixPlay_, EveryFinishedPlayIsNotifiedOnceWithItsChannelAndWave)
{
    StartMixer();
    TDoneRecorder done;
    TWaveRecord* a = Wave(Filled(500, 140));
    TWaveRecord* b = Wave(Filled(9000, 150));
    TWaveRecord* c = Wave(Filled(20, 160));
    Mixer->Play(0, a, 0, 0, &done);
    Mixer->Play(5, b, 0, 0, &done);
    Mixer->Play(5, c, 1, 0, &done); // queued behind b on the same channel
    Step(8192);
    ASSERT_EQ(done.Done.size(), 1u);
    EXPECT_EQ(done.Done[0], std::make_pair(0, a));
    EXPECT_EQ(Mixer->GetBusyChannels(), 0x20);
    Step(60000);
    const std::vector<std::pair<int, TWaveRecord*>> expected = {{0, a}, {5, b}, {5, c}};
    EXPECT_EQ(done.Done, expected);
    EXPECT_EQ(Mixer->GetBusyChannels(), 0);
}

TEST_F(SndMixPlay_, TheHundredthQueuedPlayFindsNoNode)
{
    StartMixer();
    TWaveRecord* w = Wave(Filled(10, 140));
    for (int i = 0; i < SndMixPoolSize; ++i)
        Mixer->Play(i % 8, w, 0, 0, nullptr);
    try {
        Mixer->Play(0, w, 0, 0, nullptr);
        ADD_FAILURE() << "the pool did not run out";
    } catch (const ESndMixError& e) {
        EXPECT_EQ(e.Message(), "Not enough memory");
    }
    // Finished plays give their nodes back.
    Step(16384);
    Mixer->Play(0, w, 0, 0, nullptr);
}

TEST_F(SndMixPlay_, FreeingAWavePurgesItsQueuedAndWaitingPlays)
{
    StartMixer();
    TDoneRecorder done;
    TWaveRecord* a = Wave(Filled(5000, 140));
    TWaveRecord* b = Wave(Filled(100, 150));
    Mixer->Play(0, a, 0, smpWait, &done);
    Free(a);
    Mixer->Play(1, b, 0, 0, &done);
    EXPECT_EQ(Mixer->GetBusyChannels(), 0x02);
    Step(8192);
    EXPECT_EQ(Device.Played()[0], 150);
    EXPECT_EQ(done.Done, (std::vector<std::pair<int, TWaveRecord*>>{{1, b}}));
}

TEST_F(SndMixPlay_, NinePlaysInARowReuseChannelZeroAfterFreeingItsWave)
{
    // As the engine plays effects: the lowest free channel, and with all
    // eight busy, channel 0 after its wave is freed.
    StartMixer();
    TDoneRecorder done;
    std::vector<TWaveRecord*> waves;
    for (int i = 0; i < 9; ++i) {
        const uint8_t busy = Mixer->GetBusyChannels();
        int channel = 0;
        while (channel < 8 && (busy >> channel & 1))
            ++channel;
        if (channel == 8) {
            Free(waves[0]);
            channel = 0;
        }
        EXPECT_EQ(channel, i % 8);
        waves.push_back(Wave(Filled(20000, static_cast<uint8_t>(129 + i))));
        Mixer->Play(channel, waves.back(), 0, 0, &done);
    }
    EXPECT_EQ(Mixer->GetBusyChannels(), 0xFF);
    EXPECT_EQ(Session().Queue[0]->Wave, waves[8]);
    Step(100000);
    std::vector<std::pair<int, TWaveRecord*>> expected;
    for (int i = 1; i < 9; ++i)
        expected.emplace_back(i % 8, waves[static_cast<size_t>(i)]);
    std::sort(expected.begin(), expected.end());
    std::sort(done.Done.begin(), done.Done.end());
    EXPECT_EQ(done.Done, expected);
}

TEST_F(SndMixPlay_, AChannelReusedBeforeItsNotificationKeepsItsNewSound)
{
    StartMixer();
    TDoneRecorder done;
    TWaveRecord* first = Wave(Filled(100, 140));
    Mixer->Play(0, first, 0, 0, &done);
    Device.Consume(8192); // the block is back, the pump has not run yet
    TWaveRecord* second = Wave(Filled(9000, 150));
    Mixer->Play(0, second, 0, 0, &done);
    UiMailbox::Drain();
    // The notification names the wave that ended, so the owner frees that
    // one, and the channel's new play goes on.
    ASSERT_EQ(done.Done, (std::vector<std::pair<int, TWaveRecord*>>{{0, first}}));
    Free(done.Done[0].second);
    EXPECT_EQ(Mixer->GetBusyChannels(), 0x01);
    Device.ClearPlayed();
    Step(9000);
    EXPECT_EQ(std::count(Device.Played().begin(), Device.Played().end(), 150), 8999);
}

TEST_F(SndMixPlay_, AWaveFreedBeforeItsNotificationArrivesIsNeverNamedAgain)
{
    StartMixer();
    TDoneRecorder done;
    TWaveRecord* first = Wave(Filled(100, 140));
    Mixer->Play(0, first, 0, 0, &done);
    Device.Consume(8192);
    // The owner frees the wave after the mixer has posted its notification
    // and before it arrives; a new wave may take the freed record's place.
    UiMailbox::Post(this, [&] { Free(first); });
    UiMailbox::Drain();
    EXPECT_TRUE(done.Done.empty());
}

TEST_F(SndMixPlay_, LeastRecentlyUsedChoiceSkipsClosedChannels)
{
    StartMixer();
    Mixer->SetChannels(0xF0);
    TSndMixPlayRecord play;
    play.Session = Mixer->Session();
    play.Wave = Wave(Filled(20000, 140));
    play.Flags = smpLeastRecent;
    std::vector<int> chosen;
    for (int i = 0; i < 6; ++i) {
        SndMixPlay(&play);
        chosen.push_back(play.Channel);
    }
    EXPECT_EQ(chosen, (std::vector<int>{4, 5, 6, 7, 4, 5}));
}

TEST_F(SndMixPlay_, ShiftRemixMovesALatePlayToTheMixPosition)
{
    WriteIni("[default]\nRemix=2\n");
    StartMixer();
    Mixer->Play(0, Wave(Filled(30000, 138)), 0, 0, nullptr);
    Mixer->Play(1, Wave(Filled(100, 148)), 0, smpStartNow, nullptr);
    EXPECT_EQ(Device.Resets(), 0);
    EXPECT_EQ(Session().Queue[1]->Start, 3 * 8192);
    EXPECT_EQ(Session().Queue[1]->End, 3 * 8192 + 99);
}

} // namespace
