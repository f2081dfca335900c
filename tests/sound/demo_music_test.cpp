// The demo game's music: each song ends on a bar line and loops.
#include "base/streams.h"
#include "midi_fixture.h"

namespace {

using DemoMusic = MidiPlayerTest;

TEST_F(DemoMusic, EachSongEndsOnABarLineAndLoops)
{
    for (const char* name : {"beach.mid", "lighthouse.mid"}) {
        SCOPED_TRACE(name);
        const smf::Bytes file = ReadFileBytes(std::string(TG_TESTDATA_DIR "/../../examples/demo/bgm/") + name);
        Start(file, true);
        const auto* rhythm = static_cast<TMidiEventItemRhythm*>(Player.Rhythms()[0]);
        EXPECT_EQ(Player.EndTick() % (rhythm->Numerator * Player.Division()), 0);
        EXPECT_EQ(Player.Beats().size(), size_t(8 * rhythm->Numerator));
        Run(2 * Player.GetEndTime() + 500, 10);
        EXPECT_TRUE(Player.Playing());
        int jumps = 0;
        for (const TMidiOutRecord& r : Shorts())
            jumps += r.Bytes == smf::Bytes{0xB0, 123, 0};
        EXPECT_EQ(jumps, 2);
    }
}

} // namespace
