// The sound commands as scripts use them: effects through the wave mixer on
// the hand-stepped device and through the recording stand-in of the outside
// audio library, music through the sequencer on the recording MIDI outputs,
// fades step by step, and the texts of files that cannot be read.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "engine/script/engine.h"
#include "platform/audio/ui_mailbox.h"
#include "sound/sndmix_internal.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"
#include "tools/pack/pack_builder.h"

namespace {

// 8-bit mono at the mixer's own rate, `bytes` samples long.
std::string Wave(uint32_t bytes)
{
    std::string s;
    const auto le = [&s](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            s += char(v >> (8 * i));
    };
    s += "RIFF";
    le(36 + bytes, 4);
    s += "WAVEfmt ";
    for (const auto& [v, n] : {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {44100u, 4}, {44100u, 4}, {1u, 2}, {8u, 2}})
        le(v, n);
    s += "data";
    le(bytes, 4);
    return s + std::string(bytes, '\xC0');
}

std::string DemoSong()
{
    const std::vector<uint8_t> bytes = ReadFileBytes(TG_SOURCE_DIR "/examples/demo/bgm/beach.mid");
    return {bytes.begin(), bytes.end()};
}

// The stand-in library, loaded for the test's life so that its log and
// answers carry over from engine to engine.
class TFakeBass {
public:
    TFakeBass() : FHandle(dlopen(TG_FAKE_BASS, RTLD_NOW)) { Set(); }
    ~TFakeBass() { dlclose(FHandle); }
    void Set() { reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(FHandle, "FakeBass_Set"))(2, 1); }
    void Play(uint32_t active, uint32_t volume)
    {
        reinterpret_cast<void (*)(uint32_t, uint32_t, int32_t)>(dlsym(FHandle, "FakeBass_SetPlay"))(active, volume, 0);
    }
    std::string Log() const { return reinterpret_cast<const char* (*)()>(dlsym(FHandle, "FakeBass_Log"))(); }
    int Count(const std::string& call) const
    {
        const std::string log = Log();
        int n = 0;
        for (size_t at = log.find(call); at != std::string::npos; at = log.find(call, at + 1))
            ++n;
        return n;
    }

private:
    void* FHandle;
};

uint8_t BusyChannels()
{
    return SndMixBusyChannels(SndMixUnit().Session);
}

} // namespace

TEST(SoundEffects, NinthOfNineOnTheMixerTakesChannelZero)
{
    TEngineHarness h;
    std::string script = "*SCENE s\n";
    for (int i = 1; i <= 9; ++i) {
        h.WriteBytes("s" + std::to_string(i) + ".wav", Wave(20000 + i));
        if (i <= 8)
            script += "*SE s" + std::to_string(i) + "\n";
    }
    TEngine& engine = h.Run(script + ">more\n*SE s9.wav\n*END\n*SCENEEND\n");
    TEngineProbe probe(engine);
    EXPECT_EQ(BusyChannels(), 0xFF);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(probe.Wave(c)->Length(), 20000u + c + 1) << c;

    engine.SubmitCommand("more");
    h.Settle();
    EXPECT_EQ(probe.Wave(0)->Length(), 20009u);
    EXPECT_EQ(probe.Wave(1)->Length(), 20002u);
    EXPECT_EQ(BusyChannels(), 0xFF);
    EXPECT_TRUE(h.Errors().empty());
}

TEST(SoundEffects, AChannelReusedBeforeItsNotificationKeepsTheNewEffect)
{
    TEngineHarness h;
    h.WriteBytes("short.wav", Wave(1000));
    h.WriteBytes("long.wav", Wave(30000));
    TEngine& engine = h.Run("*SCENE s\n*SE short\n>again\n*SE long\n*END\n*SCENEEND\n");
    TEngineProbe probe(engine);
    ASSERT_EQ(probe.Wave(0)->Length(), 1000u);

    // The short effect ends; the script plays again on the freed channel
    // before the engine has heard that it ended.
    h.Host.WaveOut.Consume(8192);
    bool ran = false;
    UiMailbox::Post(&h, [&] {
        ran = true;
        EXPECT_EQ(BusyChannels() & 1, 0);
        EXPECT_NE(probe.Wave(0), nullptr);
        engine.SubmitCommand("again");
        h.Settle();
    });
    UiMailbox::Drain();
    ASSERT_TRUE(ran);
    ASSERT_NE(probe.Wave(0), nullptr);
    EXPECT_EQ(probe.Wave(0)->Length(), 30000u);
    EXPECT_EQ(BusyChannels() & 1, 1);
}

TEST(SoundEffects, AMachineWithoutSoundDevicesStillPlaysTheGame)
{
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        TEngineHarness h;
        // No wave-out device at all, or one the mixer cannot open; no MIDI
        // output either.
        h.Host.HasWaveOut = variant == 0;
        h.Host.WaveOut.Devices.clear();
        h.Host.Midi.FailingDevices = {MIDI_MAPPER};
        h.WriteBytes("a.wav", Wave(100));
        h.WriteBytes("town.mid", DemoSong());
        TEngine& engine = h.Run("*SCENE s\n*SE a\n*BGM town\nafter\n*SCENEEND\n");
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_EQ(h.LastLog(), "after");
        EXPECT_EQ(engine.BgmName(), "town.mid");
        EXPECT_EQ(SndMixUnit().Session, nullptr);
    }
}

// Opening the audio output and loading the synth take longer than showing
// the window: the devices open with the game's first effect or music, which
// plays as it always did, and a game without sound never opens them.
TEST(SoundDevices, OpenWithTheFirstEffectOrMusic)
{
    TFakeBass bass;
    const struct {
        const char* Lines;
        bool Opened;
        int Samples;
        bool Song;
    } cases[] = {
        {"text\n*BGMSTOP\n*BGMSTOP 10\n", false, 0, false},
        {"*SE a\n", true, 1, false},
        {"*BGM town\n", true, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Lines);
        TEngineHarness h;
        h.Host.AudioLibrary = TG_FAKE_BASS;
        h.WriteBytes("a.wav", Wave(100));
        h.WriteBytes("town.mid", DemoSong());
        const int inits = bass.Count("Init(");
        const int samples = bass.Count("SamplePlayEx(");
        h.Run(std::string("*SCENE s\n") + c.Lines + "after\n*SCENEEND\n");
        EXPECT_TRUE(h.Errors().empty());
        EXPECT_EQ(h.LastLog(), "after");
        EXPECT_EQ(bass.Count("Init(") - inits, c.Opened ? 1 : 0);
        EXPECT_EQ(SndMixUnit().Session != nullptr, c.Opened);
        EXPECT_EQ(bass.Count("SamplePlayEx(") - samples, c.Samples);
        EXPECT_EQ(!h.Host.Midi.Records(TMidiOutRecord::rkOpen).empty(), c.Song);
    }
}

TEST(SoundEffects, TheLibraryPlaysAHundredAndTwentyNineAtOnce)
{
    TFakeBass bass;
    TEngineHarness h;
    h.Host.AudioLibrary = TG_FAKE_BASS;
    h.WriteBytes("a.wav", Wave(100));
    std::string script = "*SCENE s\n";
    for (int i = 0; i < 130; ++i)
        script += "*SE a\n";
    TEngine& engine = h.Run(script + ">again\n*SE a\n*END\n*SCENEEND\n");
    EXPECT_EQ(bass.Count("SampleLoad(1,0,144,1,131072)="), 129);
    EXPECT_EQ(bass.Count("SamplePlayEx("), 129);
    EXPECT_EQ(bass.Count("SamplePlayEx(129,0,-1,-1,0,0)"), 1);

    // The first slot whose sample has ended is freed and used again.
    bass.Play(0, 100);
    engine.SubmitCommand("again");
    h.Settle();
    EXPECT_NE(bass.Log().find("SampleFree(1);SampleLoad(1,0,144,1,131072)=130;SamplePlayEx(130,"), std::string::npos);
    EXPECT_TRUE(h.Errors().empty());
    h.Close();
    // Shutdown frees every sample and the library.
    EXPECT_EQ(bass.Count("SampleFree("), 130);
    EXPECT_NE(bass.Log().find("Free;"), std::string::npos);
}

TEST(Music, NamesLoopsAndWhereEachKindPlays)
{
    const struct {
        const char* Line;
        bool Library;
        const char* Name;
        bool Sequencer;  // the sequencer plays
        size_t Loops;    // its loops
        const char* Log; // what the library was asked
    } cases[] = {
        {"*BGM town", false, "town.mid", true, 1, ""},
        {"*BGM town.mid 0", false, "", true, 0, ""},
        {"*BGM town 256", false, "town.mid", true, 1, ""},
        {"*BGM town.MID", true, "town.MID", false, 0, "StreamCreateFile(0,@town.MID,0,"},
        {"*BGM town.MID 0", true, "town.MID", false, 0, ",4)=1;StreamPlay(1,0,0);"},
        // Without the library other music is silent, but the old music stops.
        {"*BGM town.MID", false, "town.MID", false, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        TFakeBass bass;
        TEngineHarness h;
        if (c.Library)
            h.Host.AudioLibrary = TG_FAKE_BASS;
        h.WriteBytes("town.mid", DemoSong());
        h.WriteBytes("town.MID", DemoSong());
        h.WriteBytes("other.mid", DemoSong());
        TEngine& engine = h.Run(std::string("*SCENE s\n*BGM other\n") + c.Line + "\n*SCENEEND\n");
        TEngineProbe probe(engine);
        EXPECT_TRUE(engine.BgmPlaying());
        EXPECT_EQ(engine.BgmName(), c.Name);
        EXPECT_EQ(probe.Midi().Playing(), c.Sequencer);
        if (c.Sequencer) {
            EXPECT_EQ(probe.Midi().Loops().size(), c.Loops);
        }
        std::string log = c.Log;
        if (const size_t at = log.find('@'); at != std::string::npos)
            log.replace(at, 1, h.Dir());
        EXPECT_NE(bass.Log().find(log), std::string::npos) << bass.Log();
        EXPECT_TRUE(h.Errors().empty());
    }
}

TEST(Music, TheSameMusicGoesOnUnlessItFadesAndAFadeStepsDownThenStops)
{
    TFakeBass bass;
    TEngineHarness h;
    h.Host.AudioLibrary = TG_FAKE_BASS;
    h.WriteBytes("town.mid", DemoSong());
    h.WriteBytes("theme.ogg", "OggS");
    TEngine& engine = h.Run("*SCENE s\n*BGM theme.ogg 1\n*BGM theme.ogg 1\n*BGM theme.ogg 0\n*BGM theme.ogg 0\n"
                            ">midi\n*BGM town\n*BGMSTOP 30\n*END\n>ogg\n*BGM theme.ogg\n*BGMSTOP 30\n*END\n"
                            ">long\n*BGM town\n*BGMSTOP 20000000\n*END\n>zero\n*BGM town\n*BGMSTOP 0\n*END\n"
                            ">negative\n*BGM town\n*BGMSTOP -5\n*END\n>again\n*BGM town\n*END\n*SCENEEND\n");
    // The same looping music again goes on; music that plays once restarts.
    EXPECT_EQ(bass.Count("StreamCreateFile("), 3);
    EXPECT_EQ(bass.Count("StreamFree("), 2);
    TEngineProbe probe(engine);
    engine.SubmitCommand("midi");
    h.Settle();
    for (int step = 0; step < 30; ++step) {
        h.Advance(100);
        EXPECT_EQ(probe.Midi().Volume(), (30 - step) * 127 / 30) << step;
        EXPECT_EQ(engine.BgmPlaying(), step < 29) << step;
    }
    EXPECT_FALSE(probe.Midi().Playing());

    bass.Play(1, 90);
    engine.SubmitCommand("ogg");
    h.Settle();
    h.Advance(3000);
    std::string expected = "ChannelGetAttributes(4);";
    for (int step = 0; step < 30; ++step)
        expected += "ChannelSetAttributes(4,0," + std::to_string(90 * (30 - step) / 30) + ",0);";
    EXPECT_NE(bass.Log().find(expected + "StreamFree(4);"), std::string::npos) << bass.Log();
    EXPECT_FALSE(engine.BgmPlaying());

    engine.SubmitCommand("long");
    h.Settle();
    h.Advance(100);
    EXPECT_EQ(probe.Midi().Volume(), 127);
    // Asked for again while it fades, the music starts afresh and stays.
    engine.SubmitCommand("again");
    h.Settle();
    EXPECT_FALSE(engine.FadeActive());
    h.Advance(5000);
    EXPECT_TRUE(engine.BgmPlaying());
    EXPECT_TRUE(probe.Midi().Playing());

    for (const char* command : {"zero", "negative"}) {
        engine.SubmitCommand(command);
        h.Settle();
        EXPECT_FALSE(engine.BgmPlaying()) << command;
        EXPECT_FALSE(engine.FadeActive()) << command;
        EXPECT_FALSE(probe.Midi().Playing()) << command;
    }
}

TEST(SoundFiles, WhatCannotBeReadIsReported)
{
    const struct {
        const char* Line;
        bool Archive;
        bool Library;
        const char* Error; // the error report's text ("@": the scenario folder)
        const char* Box;   // or the message box shown while the script goes on
    } cases[] = {
        {"*SE nope", false, false, "データ@nope.wavの読み込みに失敗しました", ""},
        {"*SE nope", false, true, "データ@nope.wavの読み込みに失敗しました", ""},
        {"*BGM nope", false, false, "ファイル@nope.midが開けません", ""},
        {"*BGM nope.ogg", false, true, "", "ファイルnope.oggが開けません"},
        {"*SE nope", true, false, "データnope.wavの読み込みに失敗しました", ""},
        {"*SE nope", true, true, "データnope.wavの読み込みに失敗しました", ""},
        {"*BGM nope", true, false, "データnope.midの読み込みに失敗しました", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Line) + (c.Archive ? " archive" : "") + (c.Library ? " library" : ""));
        TFakeBass bass;
        TEngineHarness h;
        if (c.Library)
            h.Host.AudioLibrary = TG_FAKE_BASS;
        const std::string script = std::string("*SCENE s\n") + c.Line + "\nafter\n*SCENEEND\n";
        TEngine* engine = nullptr;
        if (c.Archive) {
            h.MakeFolder("src");
            h.WriteScript("src/game.tgs", script);
            BuildPackArchive(h.Dir() + "src/game.tgs", {}, h.Dir() + "game.tgp");
            engine = &h.Open("game.tgp");
            h.Settle();
        } else {
            engine = &h.Run(script);
        }
        auto shown = [&](std::string text) {
            if (const size_t at = text.find('@'); at != std::string::npos)
                text.replace(at, 1, h.Dir());
            return text;
        };
        if (*c.Error) {
            ASSERT_EQ(h.Errors().size(), 1u);
            EXPECT_TRUE(h.Errors()[0].ends_with(shown(c.Error))) << h.Errors()[0];
            EXPECT_TRUE(engine->Halted());
        } else {
            ASSERT_EQ(h.Host.Boxes.size(), 1u);
            EXPECT_EQ(h.Host.Boxes[0].Text, c.Box);
            EXPECT_TRUE(h.Host.Boxes[0].Halted);
            EXPECT_FALSE(engine->Halted());
            EXPECT_EQ(h.LastLog(), "after");
            EXPECT_FALSE(engine->BgmPlaying());
        }
    }
}

TEST(SoundFiles, ArchiveMusicStreamsOutOfTheArchiveAsItWasOpened)
{
    TFakeBass bass;
    TEngineHarness h;
    h.Host.AudioLibrary = TG_FAKE_BASS;
    h.MakeFolder("src");
    h.WriteScript("src/game.tgs", "*SCENE s\n*BGM shore.ogg\n*SE knock\n*SCENEEND\n");
    const std::string ogg(5000, 'o');
    h.WriteBytes("src/shore.ogg", ogg);
    h.WriteBytes("src/knock.wav", Wave(100));
    BuildPackArchive(
        h.Dir() + "src/game.tgs", {h.Dir() + "src/shore.ogg", h.Dir() + "src/knock.wav"}, h.Dir() + "Game.TGP");
    TEngine& engine = h.Open("Game.TGP");
    h.Settle();
    EXPECT_TRUE(h.Errors().empty());
    EXPECT_EQ(engine.BgmName(), "shore.ogg");
    const std::string call = "StreamCreateFile(0," + h.Dir() + "Game.TGP,";
    const std::string log = bass.Log();
    const size_t at = log.find(call);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_NE(log.find(",5000,4)=1;StreamPlay(1,0,4);", at), std::string::npos) << log;
    EXPECT_NE(log.find("SampleLoad(1,0,144,1,131072)=2;SamplePlayEx(2,"), std::string::npos) << log;
}
