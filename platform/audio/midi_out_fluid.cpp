#include "platform/audio/midi_out_fluid.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/audio_output.h"
#include "platform/audio/shared_library.h"

namespace {

// FluidSynth is opened when the first song needs it, not linked: with the
// libraries it pulls in, loading it took a tenth of the start-up of a
// program that may never play music.
// clang-format off
#define TG_FLUID_FUNCTIONS(X) \
    X(fluid_free) \
    X(fluid_set_log_function) \
    X(fluid_settings_dupstr) \
    X(fluid_settings_setint) \
    X(fluid_settings_setnum) \
    X(fluid_synth_cc) \
    X(fluid_synth_channel_pressure) \
    X(fluid_synth_get_active_voice_count) \
    X(fluid_synth_key_pressure) \
    X(fluid_synth_noteoff) \
    X(fluid_synth_noteon) \
    X(fluid_synth_pitch_bend) \
    X(fluid_synth_program_change) \
    X(fluid_synth_sfload) \
    X(fluid_synth_sysex) \
    X(fluid_synth_system_reset) \
    X(fluid_synth_write_float) \
    X(new_fluid_settings) \
    X(new_fluid_synth)
// clang-format on

struct TFluidApi {
#define TG_FLUID_DECLARE(name) decltype(&::name) name = nullptr;
    TG_FLUID_FUNCTIONS(TG_FLUID_DECLARE)
#undef TG_FLUID_DECLARE
    // Why the library could not be used; empty when it can.
    std::string Failure;
};

TFluidApi LoadFluidApi()
{
    TFluidApi api;
    TSharedLibrary library(TG_FLUIDSYNTH_SONAME);
#define TG_FLUID_FIND(name) library.Find(api.name, #name);
    TG_FLUID_FUNCTIONS(TG_FLUID_FIND)
#undef TG_FLUID_FIND
    api.Failure = library.Failure();
    return api;
}

const TFluidApi& FluidApi()
{
    static const TFluidApi api = LoadFluidApi();
    return api;
}

// Device id of the synth for system-exclusive messages: GS and XG resets
// are addressed to 10h.
constexpr int SysExDeviceId = 16;
// The synth renders in blocks of this many frames and hands the work that
// messages made to its voices at the start of each.
constexpr int BlockFrames = 64;
// Frames rendered in one call when no message waits.
constexpr int ScratchFrames = 1024;
// Messages applied before each block: whatever they are, the voice work
// they make fits the synth's queue (its size is 64 entries per voice of
// polyphony; a note-on takes about 50 per voice it starts, a controller
// one or two per sounding voice of its channel).
constexpr size_t MessagesPerBlock = 16;
// Messages waiting for the audio thread: above the first an output asks the
// sequencer to hold back; at the second, messages are dropped (only a
// device that renders nothing gets there).
constexpr size_t QueueHighWater = 512;
constexpr size_t QueueLimit = 65536;
// Lines the synth may write to standard error in a run.
constexpr int MaxSynthLogLines = 20;
// FluidSynth's own default (0.2) leaves a General MIDI song some 30 dB
// below the sound effects it is mixed with.
constexpr double SynthGain = 0.5;

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::string ChooseSoundFont(fluid_settings_t* settings)
{
    const TFluidApi& Fl = FluidApi();
    if (const char* env = std::getenv("TIDEGLASS_SOUNDFONT"); env && IsFile(env))
        return env;
    char* configured = nullptr;
    if (Fl.fluid_settings_dupstr(settings, "synth.default-soundfont", &configured) == FLUID_OK && configured) {
        const std::string path = configured;
        Fl.fluid_free(configured);
        if (IsFile(path))
            return path;
    }
    for (const char* path : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"})
        if (IsFile(path))
            return path;
    return {};
}

// The synth's warnings and errors, a few at most: a song can make it
// complain about every note.
void SynthLog(int, const char* message, void*)
{
    static std::atomic<int> lines{0};
    const int n = lines.fetch_add(1);
    if (n < MaxSynthLogLines)
        std::fprintf(stderr, "tideglass: MIDI synth: %s\n", message);
    else if (n == MaxSynthLogLines)
        std::fprintf(stderr, "tideglass: MIDI synth: further messages left out\n");
}

// A message for the synth, applied on the audio thread before a block.
struct TSynthMessage {
    enum TKind : uint8_t { smShort, smSysEx, smSystemReset };
    TKind Kind = smShort;
    uint32_t Short = 0;
    std::vector<uint8_t> SysEx; // without its F0h and F7h
    // The output's frame it sounds from: a tick's time, 0 for at once.
    uint64_t Frame = 0;
};

// The process's synth. Never freed: the audio thread may still render it
// while the program exits.
//
// It loads on a thread of its own (the library, the synth and its sound
// font take a fifth of a second or more), so that the first song does not
// stop the window: messages wait in the queue meanwhile, and an output says
// it is Loading, so that a song waits to start until it can sound.
//
// Every message goes through one queue that the audio thread applies, a
// few before each block it renders, so that the synth's own queue between
// its callers and its voices can never overflow, however many messages come
// at once, and the callers never wait for the synth.
class TFluidSynth : public TAudioSource {
public:
    static TFluidSynth& Instance()
    {
        static TFluidSynth* synth = new TFluidSynth;
        // The program does not end in the middle of the load.
        static const TJoinAtExit join(*synth);
        return *synth;
    }

    // Waits for the load; empty when no sound font could be loaded.
    const std::string& SoundFont()
    {
        WaitLoaded();
        return FSoundFont;
    }
    bool Loading() const { return !FLoaded.load(std::memory_order_acquire); }
    void WaitLoaded()
    {
        std::unique_lock<std::mutex> lock(FLoadLock);
        FLoadDone.wait(lock, [this] { return !Loading(); });
    }

    // The first open output puts the synth into the audio output, where it
    // stays: the notes a closed output released play out their release
    // there, instead of sounding again when the next output opens. While
    // no output is open and nothing sounds, it renders nothing.
    void Attach()
    {
        std::lock_guard<std::mutex> lock(FLock);
        ++FAttached;
        if (!FInOutput) {
            FInOutput = true;
            TAudioOutput::Instance().AddSource(this);
        }
    }
    void Detach()
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (FAttached > 0)
            --FAttached;
    }

    void Post(TSynthMessage message)
    {
        // Without a synth a song still runs its course, silently.
        if (!Loading() && FSynth == nullptr)
            return;
        message.Frame = TAudioOutput::TickFrame();
        {
            std::lock_guard<std::mutex> lock(FQueueLock);
            if (FQueue.size() >= QueueLimit)
                return;
            FQueue.push_back(std::move(message));
            FQueued = FQueue.size();
        }
        if (FAttached > 0)
            TAudioOutput::Instance().Wake();
    }
    bool Ready() const { return FQueued < QueueHighWater; }

    // Messages to apply or voices sounding; the reverb's tail after the
    // last voice keeps the output awake by the sound it makes. Messages that
    // wait for the load keep it awake too, so that they go out once it ends.
    bool Active() override
    {
        if (Loading())
            return FQueued > 0;
        return FSynth != nullptr && (FQueued > 0 || Fl().fluid_synth_get_active_voice_count(FSynth) > 0);
    }

    void MixInto(float* out, int frames) override
    {
        std::lock_guard<std::mutex> lock(FRenderLock);
        if (Loading() || FSynth == nullptr || (FAttached == 0 && !Active()))
            return;
        const uint64_t start = TAudioOutput::MixingFrame();
        for (int done = 0; done < frames;) {
            // Messages sound from their frame; a few at a time while more
            // are due, one block each; the rest of the block in one call up
            // to the next message's frame: each call has a cost of its own,
            // well beyond that of a block.
            const uint64_t at = start + static_cast<uint64_t>(done);
            const uint64_t next = ApplyMessages(at);
            int n = std::min(frames - done, ScratchFrames);
            if (next <= at)
                n = std::min(n, BlockFrames);
            else if (next - at < static_cast<uint64_t>(n))
                n = static_cast<int>(next - at);
            Fl().fluid_synth_write_float(FSynth, n, FScratch.data(), 0, 2, FScratch.data(), 1, 2);
            for (int i = 0; i < n * 2; ++i)
                out[i] += FScratch[static_cast<size_t>(i)];
            out += n * 2;
            done += n;
        }
    }

private:
    // Applies the next few messages due at frame `at`; returns the frame of
    // the first one left (at most `at` when more are due, the end of time
    // when none is left).
    uint64_t ApplyMessages(uint64_t at)
    {
        if (FQueued == 0)
            return UINT64_MAX;
        size_t taken = 0;
        uint64_t next = UINT64_MAX;
        {
            std::lock_guard<std::mutex> lock(FQueueLock);
            while (taken < MessagesPerBlock && !FQueue.empty() && FQueue.front().Frame <= at) {
                FApplying[taken++] = std::move(FQueue.front());
                FQueue.pop_front();
            }
            FQueued = FQueue.size();
            if (!FQueue.empty())
                next = FQueue.front().Frame;
        }
        for (size_t i = 0; i < taken; ++i)
            Apply(FApplying[i]);
        return next;
    }

    void Apply(const TSynthMessage& m)
    {
        fluid_synth_t* s = FSynth;
        if (m.Kind == TSynthMessage::smSystemReset) {
            Fl().fluid_synth_system_reset(s);
            return;
        }
        if (m.Kind == TSynthMessage::smSysEx) {
            Fl().fluid_synth_sysex(s, reinterpret_cast<const char*>(m.SysEx.data()), static_cast<int>(m.SysEx.size()),
                nullptr, nullptr, nullptr, 0);
            return;
        }
        const uint32_t message = m.Short;
        const int status = message & 0xFF;
        const int ch = status & 0x0F;
        const int d1 = (message >> 8) & 0x7F;
        const int d2 = (message >> 16) & 0x7F;
        switch (status & 0xF0) {
        case 0x80: Fl().fluid_synth_noteoff(s, ch, d1); break;
        case 0x90: d2 == 0 ? Fl().fluid_synth_noteoff(s, ch, d1) : Fl().fluid_synth_noteon(s, ch, d1, d2); break;
        case 0xA0: Fl().fluid_synth_key_pressure(s, ch, d1, d2); break;
        case 0xB0: Fl().fluid_synth_cc(s, ch, d1, d2); break;
        case 0xC0: Fl().fluid_synth_program_change(s, ch, d1); break;
        case 0xD0: Fl().fluid_synth_channel_pressure(s, ch, d1); break;
        case 0xE0: Fl().fluid_synth_pitch_bend(s, ch, d1 | d2 << 7); break;
        default: break;
        }
    }

    // Joins the loading thread when the program ends.
    class TJoinAtExit {
    public:
        explicit TJoinAtExit(TFluidSynth& synth) : FSynth(synth) {}
        ~TJoinAtExit()
        {
            if (FSynth.FLoader.joinable())
                FSynth.FLoader.join();
        }
        TJoinAtExit(const TJoinAtExit&) = delete;
        TJoinAtExit& operator=(const TJoinAtExit&) = delete;

    private:
        TFluidSynth& FSynth;
    };

    TFluidSynth()
    {
        FLoader = std::thread([this] {
            Load();
            {
                std::lock_guard<std::mutex> lock(FLoadLock);
                FLoaded.store(true, std::memory_order_release);
            }
            FLoadDone.notify_all();
        });
    }

    static const TFluidApi& Fl() { return FluidApi(); }

    void Load()
    {
        if (!Fl().Failure.empty()) {
            std::fprintf(stderr, "tideglass: no MIDI synth (%s); music plays silently\n", Fl().Failure.c_str());
            return;
        }
        Fl().fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        Fl().fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN})
            Fl().fluid_set_log_function(level, &SynthLog, nullptr);
        FSettings = Fl().new_fluid_settings();
        Fl().fluid_settings_setnum(FSettings, "synth.sample-rate", TAudioOutput::SampleRate);
        Fl().fluid_settings_setint(FSettings, "synth.device-id", SysExDeviceId);
        Fl().fluid_settings_setnum(FSettings, "synth.gain", SynthGain);
        FSynth = Fl().new_fluid_synth(FSettings);
        const std::string font = ChooseSoundFont(FSettings);
        if (!font.empty() && Fl().fluid_synth_sfload(FSynth, font.c_str(), 1) != FLUID_FAILED)
            FSoundFont = font;
        else
            std::fprintf(stderr, "tideglass: no General MIDI sound font; music plays silently\n");
    }

    // Set by the loading thread before FLoaded; read only once it is.
    fluid_settings_t* FSettings = nullptr;
    fluid_synth_t* FSynth = nullptr;
    std::string FSoundFont;
    std::thread FLoader;
    std::atomic<bool> FLoaded{false};
    std::mutex FLoadLock;
    std::condition_variable FLoadDone;
    std::mutex FLock; // attach count
    std::atomic<int> FAttached{0};
    bool FInOutput = false;
    std::mutex FRenderLock; // one scratch buffer
    std::array<float, ScratchFrames * 2> FScratch{};
    std::array<TSynthMessage, MessagesPerBlock> FApplying;
    std::mutex FQueueLock;
    std::deque<TSynthMessage> FQueue;
    std::atomic<size_t> FQueued{0};
};

class TFluidSynthOut : public TMidiOut {
public:
    explicit TFluidSynthOut(bool toAudioOutput) : FToAudioOutput(toAudioOutput) {}
    ~TFluidSynthOut() override { Close(); }

    bool Open(int deviceId, TMidiOutDone done) override
    {
        if (deviceId != MIDI_MAPPER && deviceId != 0)
            return false;
        Close();
        TFluidSynth& synth = TFluidSynth::Instance();
        synth.Post({TSynthMessage::smSystemReset, 0, {}});
        FDone = std::move(done);
        FOpen = true;
        if (FToAudioOutput)
            synth.Attach();
        return true;
    }

    void ShortMsg(uint32_t message) override
    {
        if (FOpen)
            TFluidSynth::Instance().Post({TSynthMessage::smShort, message, {}});
    }

    void LongMsg(TMidiHdr* header) override
    {
        const std::vector<uint8_t>& d = header->Data;
        // Only complete system-exclusive messages mean anything to a synth;
        // the synth takes them without their F0h and F7h.
        if (FOpen && d.size() >= 2 && d.front() == 0xF0 && d.back() == 0xF7)
            TFluidSynth::Instance().Post({TSynthMessage::smSysEx, 0, {d.begin() + 1, d.end() - 1}});
        if (FDone)
            FDone(this, header);
    }

    bool Ready() const override { return TFluidSynth::Instance().Ready(); }
    bool Loading() const override { return FOpen && TFluidSynth::Instance().Loading(); }
    bool RendersOnAudioOutput() const override { return FOpen && FToAudioOutput; }

    void Reset() override
    {
        if (!FOpen)
            return;
        TFluidSynth& synth = TFluidSynth::Instance();
        for (uint32_t ch = 0; ch < 16; ++ch) {
            synth.Post({TSynthMessage::smShort, 64u << 8 | 0xB0u | ch, {}});
            synth.Post({TSynthMessage::smShort, 123u << 8 | 0xB0u | ch, {}});
        }
    }

    void Close() override
    {
        if (!FOpen)
            return;
        Reset();
        FOpen = false;
        if (FToAudioOutput)
            TFluidSynth::Instance().Detach();
    }

private:
    bool FToAudioOutput;
    bool FOpen = false;
    TMidiOutDone FDone;
};

} // namespace

bool TFluidSynthDriver::DeviceCaps(int deviceId, TMidiOutCaps& caps)
{
    if (deviceId != 0)
        return false;
    caps = TMidiOutCaps{};
    caps.Name = "FluidSynth";
    caps.DriverMajor = FLUIDSYNTH_VERSION_MAJOR;
    caps.DriverMinor = FLUIDSYNTH_VERSION_MINOR;
    caps.Technology = MOD_SWSYNTH;
    caps.Voices = 256;
    caps.Notes = 256;
    caps.ChannelMask = 0xFFFF;
    return true;
}

std::unique_ptr<TMidiOut> TFluidSynthDriver::CreateOut()
{
    return std::make_unique<TFluidSynthOut>(FToAudioOutput);
}

void TFluidSynthDriver::Render(float* out, int frames)
{
    // Offline, nothing is late: the synth is waited for.
    TFluidSynth::Instance().WaitLoaded();
    TFluidSynth::Instance().MixInto(out, frames);
}

std::string TFluidSynthDriver::SoundFont()
{
    return TFluidSynth::Instance().SoundFont();
}
