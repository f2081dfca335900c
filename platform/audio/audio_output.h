#pragma once
// The process's one audio output: a single SDL2 audio device (44100 Hz,
// float, stereo) whose callback adds every registered source into the block
// and clamps the sum. The wave-out device, the MIDI synth and the outside
// audio library's streams are its sources, so everything shares one clock
// and one level. SDL's dummy driver allows only one device, which is also
// why there is only one.
//
// When no real device opens, the output falls back to the dummy driver with
// one warning line on stderr; it never fails the program.
//
// While nothing plays, the output sleeps: after a callback that produced
// silence with every source idle, the audio thread waits inside the next
// callback until a source calls Wake() (SDL's own pause would still wake
// the thread every period to play silence). The device keeps the silence
// it was given last. Wake() is cheap when the output is not asleep, so a
// source calls it whenever it may have started to sound.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class TAudioSource {
public:
    virtual ~TAudioSource() = default;
    // Adds `frames` interleaved stereo frames (left, right) at the output's
    // rate into `out`. Runs on the audio thread: no blocking, no allocation
    // that can wait on a lock the UI thread holds for long.
    virtual void MixInto(float* out, int frames) = 0;
    // Whether the source may still sound in the next callbacks; asked on
    // the audio thread after MixInto. A source that answers false calls
    // TAudioOutput::Wake() when it starts again.
    virtual bool Active() { return true; }
};

// Something the audio thread calls at a fixed period of the sound it
// renders: a clock in step with the samples, which costs no thread of its
// own. The ticks due within a block run before the block is mixed, each
// knowing its own time (ClockMs, TickFrame).
class TAudioTicker {
public:
    virtual ~TAudioTicker() = default;
    virtual void AudioTick() = 0;
};

class TAudioOutput {
public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 2;

    // The process's output; the device opens on first use.
    static TAudioOutput& Instance();

    // Starts feeding `source` into the output from the next callback.
    void AddSource(TAudioSource* source);
    // Stops feeding it; when this returns, no callback runs it any more.
    void RemoveSource(TAudioSource* source);

    // Makes a sleeping output play again from its next callback: call it
    // after anything that may make a source sound (any thread, no lock held
    // that the audio thread takes).
    void Wake();
    // Whether the audio thread is waiting for Wake().
    bool Asleep() const { return FAsleep; }

    // Frames the device asks for per callback (0 when no device opened).
    int PeriodFrames() const { return FPeriodFrames; }
    // The driver that plays ("dummy" when no real device opened).
    const std::string& DriverName() const { return FDriverName; }
    bool IsOpen() const { return FDevice != 0; }

    // Calls `ticker` on the audio thread after every `periodMs` of sound
    // rendered, the first one period from now, and keeps the output awake
    // meanwhile. False (and no call) when no device is open.
    bool AddTicker(TAudioTicker* ticker, uint32_t periodMs);
    // When this returns, no call of `ticker` runs or follows. From inside a
    // tick it returns at once; the ticker is not called again.
    void RemoveTicker(TAudioTicker* ticker);
    // Milliseconds of sound rendered since the device opened; during a tick,
    // the tick's own time.
    uint32_t ClockMs() const;
    // On the audio thread during a tick: the frame it is due at, counted
    // from the device's opening; 0 anywhere else.
    static uint64_t TickFrame();
    // On the audio thread while sources mix: the frame the block starts at;
    // 0 anywhere else. A source that keeps what a tick sent until its frame
    // compares the two.
    static uint64_t MixingFrame();

    TAudioOutput(const TAudioOutput&) = delete;
    TAudioOutput& operator=(const TAudioOutput&) = delete;

private:
    TAudioOutput();
    ~TAudioOutput();
    bool OpenDevice();
    static void Callback(void* self, uint8_t* stream, int len);
    void Fill(float* out, int frames);
    void SleepUntilWoken(uint64_t wakes);
    bool MixSources(float* out, int frames);
    // Runs every tick due before frame `end`, in order of time.
    void RunTicksBefore(uint64_t end);

    struct TTickerEntry {
        TAudioTicker* Ticker = nullptr;
        uint32_t PeriodMs = 0;
        uint64_t DueMs = 0;
        bool Removed = false;
    };

    uint32_t FDevice = 0;
    int FPeriodFrames = 0;
    std::string FDriverName;
    std::mutex FLock; // guards FSources against the callback
    std::vector<TAudioSource*> FSources;

    // The audio thread's own: the count of Wake() calls read at the start of
    // the previous callback, and whether that callback ended silent with
    // every source idle.
    uint64_t FWakesSeen = 0;
    bool FQuiet = false;

    std::atomic<uint64_t> FWakes{0};
    std::atomic<bool> FAsleep{false};
    std::atomic<bool> FClosing{false};
    // Guards FTickers, and is held while ticks run.
    std::mutex FTickLock;
    std::vector<TTickerEntry> FTickers;
    std::atomic<bool> FHasTickers{false};
    // Frames rendered since the device opened, and the frame of the tick
    // that runs.
    std::atomic<uint64_t> FClockFrames{0};
    uint64_t FTickFrame = 0;
    std::mutex FSleepLock;
    std::condition_variable FWoken;
};
