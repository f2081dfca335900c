// The outside audio library: the binding against a stand-in that records
// calls, and our own build of the library, mixed by hand.

#include "sound/bass/bass_engine.h"
#include "sound/bass_binding.h"
#include "sound_test_util.h"

#include <dlfcn.h>
#include <sndfile.h>

#include <cmath>

namespace {

struct TFakeControl {
    explicit TFakeControl(const char* path) : Handle(dlopen(path, RTLD_NOW | RTLD_NOLOAD)) {}
    ~TFakeControl()
    {
        if (Handle != nullptr)
            dlclose(Handle);
    }
    void Set(uint32_t version, int32_t init)
    {
        reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(Handle, "FakeBass_Set"))(version, init);
    }
    std::string Log() { return reinterpret_cast<const char* (*)()>(dlsym(Handle, "FakeBass_Log"))(); }
    void* Handle;
};

TEST(BassBinding, UsedOnlyWhenWholeVersionTwoAndInitialised)
{
    struct Case {
        const char* Library;
        uint32_t Version;
        int32_t Init;
        bool Started;
        const char* Log;
    };
    const Case cases[] = {
        {TG_FAKE_BASS, 2, 1, true, "GetVersion;Init(1,44100,0,nil);"},
        {TG_FAKE_BASS, 0x10002, 1, false, "GetVersion;"},
        {TG_FAKE_BASS, 2, 0, false, "GetVersion;Init(1,44100,0,nil);"},
        {TG_FAKE_BASS_PARTIAL, 2, 1, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Library);
        TBass bass(c.Library);
        ASSERT_TRUE(bass.IsLoaded());
        TFakeControl fake(c.Library);
        fake.Set(c.Version, c.Init);
        EXPECT_EQ(bass.Start(nullptr), c.Started);
        EXPECT_EQ(fake.Log(), c.Log);
        bass.Stop();
        EXPECT_EQ(fake.Log(), std::string(c.Log) + (c.Started ? "Free;" : ""));
    }
    TBass partial(TG_FAKE_BASS_PARTIAL);
    EXPECT_FALSE(partial.HasEngineCalls());
    EXPECT_EQ(partial.BASS_SamplePlayEx, nullptr);

    TBass missing("/nonexistent/libbass.so");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_FALSE(missing.Start(nullptr));
}

TEST(BassBinding, OurLibraryExportsEveryNameAndPlays)
{
    TBass bass(TG_BASS_LIBRARY);
    for (int i = 0; i < TBass::EntryCount; ++i)
        EXPECT_NE(bass.Entry(i), nullptr) << TBass::EntryNames[static_cast<size_t>(i)];
    ASSERT_TRUE(bass.Start(nullptr));
    const std::string image = PcmWave(1, 44100, 16, Words(std::vector<int16_t>(44100, 8000)));
    const uint32_t sample =
        bass.BASS_SampleLoad(1, image.data(), 0, static_cast<uint32_t>(image.size()), 1, BASS_SAMPLE_OVER_POS);
    ASSERT_NE(sample, 0u);
    bass.BASS_SamplePlayEx(sample, 0, -1, -1, 0, 0);
    EXPECT_EQ(bass.BASS_ChannelIsActive(sample), BASS_ACTIVE_PLAYING);
    EXPECT_NE(bass.BASS_SampleFree(sample), 0);
    bass.Stop();
}

// The library's core, driven directly so the test decides when it mixes.
class BassLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Engine.Init()); }
    void TearDown() override { Engine.Free(); }
    std::vector<float> Mix(int frames)
    {
        std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);
        Engine.MixInto(out.data(), frames);
        return out;
    }
    uint32_t LoadSample(const std::string& image)
    {
        return Engine.SampleLoad(true, image.data(), 0, static_cast<uint32_t>(image.size()), 1, BASS_SAMPLE_OVER_POS);
    }
    TBassEngine& Engine = TBassEngine::Instance();
};

TEST_F(BassLibrary, ManyOverlappingSamplesPlayAtOnceAndEnd)
{
    // As many effects as the engine has sound slots, and one more.
    std::vector<uint32_t> samples;
    for (int i = 0; i < 130; ++i) {
        samples.push_back(LoadSample(PcmWave(1, 22050, 16, Words(std::vector<int16_t>(500, 100)))));
        ASSERT_NE(samples.back(), 0u);
        EXPECT_NE(Engine.SamplePlayEx(samples.back(), -1, 0, false), 0u);
    }
    for (uint32_t s : samples)
        EXPECT_EQ(Engine.ChannelIsActive(s), BASS_ACTIVE_PLAYING);
    const std::vector<float> out = Mix(999);
    EXPECT_NEAR(out[0], 130 * 100 / 32768.0, 1e-4);
    EXPECT_NEAR(out[1], out[0], 1e-6);
    EXPECT_NEAR(out[2 * 998], out[0], 1e-4); // 500 frames at 22050 are 1000 at 44100
    Mix(1);
    for (uint32_t s : samples)
        EXPECT_EQ(Engine.ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    // A sample may be played again once it has ended, and freed.
    EXPECT_NE(Engine.SamplePlayEx(samples[0], 50, 0, false), 0u);
    EXPECT_NEAR(Mix(1)[0], 50 / 32768.0, 1e-5);
    EXPECT_TRUE(Engine.SampleFree(samples[0]));
    EXPECT_FALSE(Engine.SampleFree(samples[0]));
    EXPECT_EQ(LoadSample("not a sound"), 0u);
}

std::string WriteSound(const std::string& path, int format, int rate, int channels, size_t frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* sf = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(sf, nullptr) << sf_strerror(nullptr);
    std::vector<float> data(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * static_cast<double>(i / channels) / rate));
    sf_writef_float(sf, data.data(), static_cast<sf_count_t>(frames));
    sf_close(sf);
    const std::vector<uint8_t> b = ReadFileBytes(path);
    return {b.begin(), b.end()};
}

TEST_F(BassLibrary, StreamsPlayFromAnArchiveEntryLoopAndFollowTheirVolume)
{
    char tmpl[] = "/tmp/tgbassXXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string wav = WriteSound(dir + "/loop.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 1000);
    const std::string ogg = WriteSound(dir + "/theme.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 48000, 2, 48000);
    // An archive: other bytes around each entry.
    const std::string archive = std::string(700, 'x') + wav + std::string(300, 'y') + ogg + "zz";
    const std::string path = dir + "/game.tgp";
    std::ofstream(path, std::ios::binary) << archive;
    const auto wavAt = static_cast<uint32_t>(700);
    const auto oggAt = static_cast<uint32_t>(700 + wav.size() + 300);

    const uint32_t loop = Engine.StreamCreateFile(false, path.c_str(), wavAt, static_cast<uint32_t>(wav.size()), 4);
    ASSERT_NE(loop, 0u);
    ASSERT_TRUE(Engine.StreamPlay(loop, false, 4));
    const std::vector<float> first = Mix(2500);
    EXPECT_EQ(Engine.ChannelIsActive(loop), BASS_ACTIVE_PLAYING);
    EXPECT_NEAR(first[2 * 1000 + 2 * 10], first[2 * 10], 1e-6); // the loop starts again
    uint32_t freq = 0;
    uint32_t volume = 0;
    int32_t pan = 1;
    ASSERT_TRUE(Engine.GetAttributes(loop, &freq, &volume, &pan));
    EXPECT_EQ(volume, 100u);
    EXPECT_EQ(freq, 44100u);
    EXPECT_TRUE(Engine.SetAttributes(loop, 0, 25, 0));
    const std::vector<float> quiet = Mix(500);
    EXPECT_NEAR(quiet[2 * 10], 0.25f * first[2 * 10 + 2 * 500], 1e-4);
    EXPECT_TRUE(Engine.StreamFree(loop));
    EXPECT_EQ(Engine.ChannelIsActive(loop), BASS_ACTIVE_STOPPED);

    // Ogg Vorbis at 48 kHz, played once: about a second at 44100 Hz.
    const uint32_t theme = Engine.StreamCreateFile(false, path.c_str(), oggAt, static_cast<uint32_t>(ogg.size()), 4);
    ASSERT_NE(theme, 0u);
    ASSERT_TRUE(Engine.StreamPlay(theme, false, 0));
    const std::vector<float> music = Mix(44000);
    float peak = 0;
    for (float v : music)
        peak = std::max(peak, std::abs(v));
    EXPECT_NEAR(peak, 0.5f, 0.05f);
    EXPECT_EQ(Engine.ChannelIsActive(theme), BASS_ACTIVE_PLAYING);
    Mix(200);
    EXPECT_EQ(Engine.ChannelIsActive(theme), BASS_ACTIVE_STOPPED);

    // The archive itself is no sound; a missing file neither.
    EXPECT_EQ(Engine.StreamCreateFile(false, path.c_str(), 0, 0, 4), 0u);
    EXPECT_EQ(Engine.StreamCreateFile(false, (dir + "/none.ogg").c_str(), 0, 0, 4), 0u);
    std::filesystem::remove_all(dir);
}

} // namespace

namespace {

using DemoSounds = SndMixFixture;

TEST_F(DemoSounds, EffectsLoadIntoTheMixerAndTheMusicStreamsThroughTheLibrary)
{
    const std::string demo = std::string(TG_TESTDATA_DIR) + "/../../examples/demo/";
    StartMixer();
    for (const char* name : {"waves", "door", "chime", "knock"}) {
        const std::vector<uint8_t> image = ReadFileBytes(demo + "se/" + name + ".wav");
        TMMIOInfo info;
        info.fccIOProc = FOURCC_MEM;
        info.pchBuffer = image.data();
        info.cchBuffer = static_cast<int32_t>(image.size());
        TWaveRecord* w = Mixer->OpenWaveFromMemory(info);
        EXPECT_GE(w->Length(), 44100u) << name; // each lasts a second or more
        Mixer->FreeWave(w);
    }
    TBassEngine& engine = TBassEngine::Instance();
    ASSERT_TRUE(engine.Init());
    const uint32_t music = engine.StreamCreateFile(false, (demo + "bgm/shore.ogg").c_str(), 0, 0, 4);
    EXPECT_NE(music, 0u);
    EXPECT_TRUE(engine.StreamPlay(music, false, 4));
    std::vector<float> out(2 * 4096, 0.0f);
    engine.MixInto(out.data(), 4096);
    EXPECT_GT(*std::max_element(out.begin(), out.end()), 0.05f);
    engine.Free();
}

} // namespace
