#pragma once
// A player on the recording driver whose timer never starts: the tests call
// the tick by hand and read what the outputs received.

#include <gtest/gtest.h>

#include "platform/audio/midi_out_recorder.h"
#include "smf_builder.h"
#include "sound/midi_play.h"

class MidiPlayerTest : public ::testing::Test {
protected:
    MidiPlayerTest()
    {
        Player.Timer().SetInterval(0);
        Player.PlayDevices.Add(MIDI_MAPPER, 1);
        Out.PositionSource = [this] { return Player.Position(); };
    }

    void Load(const smf::Bytes& file)
    {
        TMemoryStream stream(file.data(), file.size());
        Player.LoadFromStream(stream);
    }
    // As the engine starts a background music.
    void Start(const smf::Bytes& file, bool loop = false)
    {
        Load(file);
        ASSERT_TRUE(Player.OpenDevices());
        if (loop)
            Player.AddLoop(Player.GetEndTime(), 0, true);
        Player.SetPosition(0);
        ASSERT_TRUE(Player.Play());
        Out.Clear();
    }
    // Ticks of `step` ms until the song stops or `ms` have passed.
    void Run(int64_t ms, int step = 5)
    {
        for (int64_t t = 0; t < ms && Player.Playing(); t += step)
            Player.Tick(step);
    }
    std::vector<TMidiOutRecord> Shorts() const { return Out.Records(TMidiOutRecord::rkShort); }

    TMidiOutRecorder Out;
    TMidiPlayV Player{Out};
};
