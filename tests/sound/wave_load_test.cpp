// Loading waves: the RIFF reader's refusals, the conversion vectors, the
// compressed formats decoded through libsndfile, and the three sources.

#include "sound_test_util.h"
#include "sound/bass/bass_engine.h"
#include "sound/wave_convert.h"
#include "sound/wave_read.h"

#include "base/streams.h"

#include <sndfile.h>

#include <cmath>
#include <functional>

namespace {

std::string Raise(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ESndMixError& e) {
        return e.Message();
    }
    return "(no error)";
}

TWaveData Load(const std::string& image, uint32_t rate)
{
    TWaveData w = ReadWaveImage(Bytes(image));
    SndMixConvertFormat(w, rate);
    return w;
}

TEST(WaveRead, BadImagesAreRefusedWithTheReadersTexts)
{
    const std::string fmt8 = Chunk("fmt ", FmtBody(1, 1, 11025, 8));
    std::string beyondBody = fmt8 + "data";
    PutLe(beyondBody, 1000000, 4);
    const std::string beyond = Riff(beyondBody + "abcd");
    struct Case {
        std::string Image;
        const char* Text;
    };
    const Case cases[] = {
        {"", "This is not a WAVE file"},
        {"RIFF\x04\0\0\0AVI ", "This is not a WAVE file"},
        {Riff(Chunk("data", "abc")), "WAVE file is corrupted"},
        {Riff(Chunk("fmt ", FmtBody(1, 1, 11025, 8, 14)) + Chunk("data", "abc")), "WAVE file is corrupted"},
        {Riff(fmt8), "WAVE file has no data chunk"},
        {Riff(fmt8 + Chunk("data", "")), "The data chunk has no data"},
        {beyond, "Failed to read data chunk"},
        {PcmWave(1, 11025, 24, "abcdef"), "File format not supported"},
        {PcmWave(0, 11025, 8, "abcdef"), "File format not supported"},
        {PcmWave(2, 11025, 16, "abc"), "The data chunk has no data"},
        {PcmWave(1, 44100, 8, "abc"), "The data chunk has no data"}, // to 11025: not one sample
        {Riff(Chunk("fmt ", FmtBody(0x11, 1, 11025, 4)) + Chunk("data", "abcd")), "File format not supported"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Raise([&] { Load(c.Image, 11025); }), c.Text) << c.Text;

    // A longer "fmt " chunk and chunks before it are passed over.
    const std::string ok =
        Riff(Chunk("LIST", "xyz") + Chunk("fmt ", FmtBody(1, 1, 11025, 8, 18)) + Chunk("data", "\x10\x20\x30"));
    EXPECT_EQ(Load(ok, 11025).Data, (std::vector<uint8_t>{0x10, 0x20, 0x30}));
}

TEST(WaveConvert, BitsChannelsAndIntegerRatiosMatchTheSystemByteForByte)
{
    EXPECT_EQ(SndMixConvertBits(Bytes(Words({0, -32768, 32767, 256, -1, 255})), 16),
        (std::vector<uint8_t>{128, 0, 255, 129, 127, 128}));
    EXPECT_EQ(SndMixConvertChannels({10, 20, 255, 0, 7, 8}, 2), (std::vector<uint8_t>{15, 127, 7}));
    EXPECT_EQ(SndMixConvertChannels({3, 6, 9, 0, 0, 2}, 3), (std::vector<uint8_t>{6, 0}));

    struct Case {
        std::vector<uint8_t> In;
        uint32_t From, To;
        std::vector<uint8_t> Out;
    };
    const Case cases[] = {
        {{0, 100}, 11025, 44100, {0, 25, 50, 75, 100, 100, 100, 100}},
        {{100, 97}, 22050, 44100, {100, 99, 97, 97}}, // the step truncates toward zero
        {{132, 136, 128, 128, 127, 126, 128, 128, 10, 20, 30, 40}, 44100, 11025, {131, 128, 10}},
        {{140, 150, 160, 170, 180}, 22050, 11025, {145, 160}},
        {{1, 2, 3}, 11025, 11025, {1, 2, 3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SndMixConvertRate(c.In, c.From, c.To), c.Out) << c.From << "->" << c.To;

    // 22050 Hz 16-bit stereo to 44100 8-bit mono: high bytes, pair
    // averages, then each sample stepped into two.
    const std::string image = PcmWave(2, 22050, 16, Words({0x1000, 0x3000, -0x4000, -0x2000, 0x7F00, 0x7F00}));
    const TWaveData w = Load(image, 44100);
    EXPECT_EQ(w.Data, (std::vector<uint8_t>{160, 120, 80, 167, 255, 255}));
    EXPECT_EQ(w.Format.SamplesPerSec, 44100u);
    EXPECT_EQ(w.Format.BitsPerSample, 8);
}

TEST(WaveConvert, RatesNoSoundCardPlaysAndOverlongResultsAreRefusedByBothPlayers)
{
    TBassEngine& library = TBassEngine::Instance();
    ASSERT_TRUE(library.Init());
    struct Case {
        uint32_t Rate;
        size_t Bytes;
        const char* Text;
    };
    const Case cases[] = {
        {1, 4096, "File format not supported"},
        {999, 4096, "File format not supported"},
        {192001, 4096, "File format not supported"},
        {1000, 4096, "(no error)"},
        {192000, 4096, "(no error)"},
        // Ten minutes and a second at 1000 Hz would become more than ten
        // minutes at 44100.
        {1000, 601000,
            "Unable to allocate memory for waveform data.  Try making more memory available by closing "
            "other applications."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rate);
        const std::string image = PcmWave(1, c.Rate, 8, std::string(c.Bytes, '\x90'));
        EXPECT_EQ(Raise([&] { Load(image, 44100); }), c.Text);
        if (c.Bytes > 4096)
            continue;
        const uint32_t sample =
            library.SampleLoad(true, image.data(), 0, static_cast<uint32_t>(image.size()), 1, BASS_SAMPLE_OVER_POS);
        EXPECT_EQ(sample != 0, std::string(c.Text) == "(no error)");
        if (sample != 0)
            library.SampleFree(sample);
    }
    library.Free();
}

double Frequency(const std::vector<uint8_t>& s, uint32_t rate)
{
    int rising = 0;
    size_t first = 0;
    size_t last = 0;
    for (size_t i = 1; i < s.size(); ++i)
        if (s[i - 1] < 128 && s[i] >= 128) {
            if (rising++ == 0)
                first = i;
            last = i;
        }
    return (rising - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

TEST(WaveConvert, OtherRatiosKeepLengthAndPitch)
{
    for (uint32_t from : {48000u, 8000u, 32000u, 96000u}) {
        for (uint32_t to : {11025u, 22050u, 44100u}) {
            const size_t n = from; // one second
            std::vector<uint8_t> sine(n);
            for (size_t i = 0; i < n; ++i)
                sine[i] = static_cast<uint8_t>(std::lround(128 + 100 * std::sin(2 * M_PI * 440.0 * i / from)));
            const std::vector<uint8_t> out = SndMixConvertRate(sine, from, to);
            const double expectedLength = static_cast<double>(n) * to / from;
            EXPECT_NEAR(static_cast<double>(out.size()), expectedLength, 1.0) << from << "->" << to;
            EXPECT_NEAR(Frequency(out, to), 440.0, 440.0 * 0.005) << from << "->" << to;
        }
    }
}

// Fades in, so that the adaptive coders have time to find their step.
std::vector<int16_t> Sine(size_t n, double hz, uint32_t rate)
{
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(std::lround(std::min(1.0, i / 400.0) * 12000 * std::sin(2 * M_PI * hz * i / rate)));
    return s;
}

std::string WriteWithSndfile(const std::string& path, int subformat, const std::vector<int16_t>& samples)
{
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | subformat;
    SNDFILE* sf = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(sf, nullptr) << sf_strerror(nullptr);
    sf_writef_short(sf, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(sf);
    const std::vector<uint8_t> b = ReadFileBytes(path);
    return {b.begin(), b.end()};
}

using WaveLoad = SndMixFixture;

TEST_F(WaveLoad, CompressedFormatsDecodeWithinOneStepOfTheirSource)
{
    WriteIni("[default]\nSamplesPerSec=22\n");
    const std::vector<int16_t> source = Sine(2205, 300, 22050);
    const std::vector<uint8_t> expected = SndMixConvertBits(Bytes(Words(source)), 16);
    struct Case {
        const char* Name;
        int Subformat;
    };
    const Case cases[] = {
        {"ima-adpcm", SF_FORMAT_IMA_ADPCM},
        {"ms-adpcm", SF_FORMAT_MS_ADPCM},
        {"mu-law", SF_FORMAT_ULAW},
        {"a-law", SF_FORMAT_ALAW},
        {"float", SF_FORMAT_FLOAT},
    };
    for (const Case& c : cases) {
        const std::string image = WriteWithSndfile(TempPath(std::string(c.Name) + ".wav"), c.Subformat, source);
        const TWaveData w = Load(image, 22050);
        ASSERT_GE(w.Data.size(), expected.size()) << c.Name;
        int worst = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            worst = std::max(worst, std::abs(int(w.Data[i]) - int(expected[i])));
        EXPECT_LE(worst, 1) << c.Name;
    }
}

TEST_F(WaveLoad, FileResourceAndMemorySourcesGiveTheSameWave)
{
    StartMixer();
    const std::string image = PcmWave(1, 44100, 8, "\x10\x20\x30\x40");
    const std::string file = TempPath("chime.wav");
    std::ofstream(file, std::ios::binary) << image;
    TWaveModule module;
    module.Named["CHIME"] = Bytes(image);
    module.Numbered[7] = Bytes(image);
    TMMIOInfo memory;
    memory.fccIOProc = FOURCC_MEM;
    memory.pchBuffer = reinterpret_cast<const uint8_t*>(image.data());
    memory.cchBuffer = static_cast<int32_t>(image.size());

    // The source's parts stand in the table as they are and make their
    // argument in the loop: a nested string member in a table of cases
    // trips a false uninitialised-use warning of GCC 12 at -O2 and above.
    struct Case {
        std::string SourceName;
        int ResourceId;
        const TMMIOInfo* Memory;
        uint32_t Flags;
        std::string Name;
    };
    const Case cases[] = {
        {file, -1, nullptr, 0, file.substr(0, 15)},
        {"chime", -1, nullptr, smwResource, "chime"},
        {"", 7, nullptr, smwResource, "res#7"},
        {"", -1, &memory, smwMemory, ""},
    };
    for (const Case& c : cases) {
        const TWaveSourceArg source{c.SourceName, c.ResourceId, c.Memory};
        TWaveRecord* w = SndMixOpenWave(Mixer->Session(), source, &module, c.Flags);
        EXPECT_EQ(w->Data, (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x40}));
        EXPECT_EQ(std::string(w->Name), c.Name);
        Mixer->FreeWave(w);
    }

    TMMIOInfo bad = memory;
    bad.fccIOProc = 0;
    const HSNDMIX h = Mixer->Session();
    EXPECT_EQ(Raise([&] {
        SndMixOpenWave(h, {TempPath("none.wav"), -1, nullptr}, nullptr, 0);
    }),
        "Failed to open wave file " + TempPath("none.wav"));
    EXPECT_EQ(Raise([&] {
        SndMixOpenWave(h, {"GONG", -1, nullptr}, &module, smwResource);
    }),
        "Failed to open \"WAVE\" resource GONG");
    EXPECT_EQ(Raise([&] {
        SndMixOpenWave(h, {"", 9, nullptr}, &module, smwResource);
    }),
        "Failed to open \"WAVE\" resource 9");
    EXPECT_EQ(Raise([&] { Mixer->OpenWaveFromMemory(bad); }),
        "Failed to open memory file, mmioOpen error=259.\rMay need to make sure memory is read-write");
}

} // namespace
