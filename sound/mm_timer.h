#pragma once
// TMMTimer: calls OnTimer periodically on a thread of its own, which sleeps
// to absolute deadlines (so lateness never accumulates) and skips periods it
// missed rather than calling in a burst. GetElapsed measures the
// milliseconds between calls on the engine's clock.
//
// Disabling from another thread returns only after a call in flight has
// finished, so the owner may then touch what the callback touches.
// Disabling from inside the callback (a song that ends) cannot wait for
// itself: it only tells the thread to stop after the call. The timer itself
// must not be freed from its own callback.
//
// A timer paced by the audio output runs no thread: the audio thread calls
// it after every period of sound it renders, and GetElapsed measures on the
// output's clock, so what the callback starts sounds in step with it. It
// falls back to a thread of its own when no audio device is open.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "base/classes.h"
#include "base/exceptions.h"

class EMMTimerError : public Exception {
public:
    using Exception::Exception;
};

class TMMTimer : public TObject {
public:
    TMMTimer();
    ~TMMTimer() override;
    TMMTimer(const TMMTimer&) = delete;
    TMMTimer& operator=(const TMMTimer&) = delete;

    std::string ClassName() const override { return "TMMTimer"; }

    bool Enabled() const { return FEnabled; }
    // Always makes the next GetElapsed return 0; a change restarts the timer.
    void SetEnabled(bool value);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t value);
    // Assign while the timer is disabled; it runs on the timer's thread.
    TNotifyEvent OnTimer;

    // Stops a running timer, then starts one when enabled, the interval is
    // above 0 and OnTimer is assigned. Raises EMMTimerError "No timer
    // available" when no thread can be started.
    void UpdateTimer();
    // Paced by the shared audio output from the next start on.
    void SetAudioPaced(bool value) { FAudioPaced = value; }
    bool AudioPaced() const { return FAudioPaced; }
    // Whether the running timer is paced by the audio output.
    bool RunsOnAudio() const { return FOnAudio; }
    // Milliseconds since the previous call (0 on the first call after
    // Enabled was set), modulo 2^32 so that a wrap of the clock still gives
    // the true difference.
    uint32_t GetElapsed();
    // The running timer's id; 0 when none runs.
    uint32_t Id() const { return FId; }

protected:
    // One period: calls OnTimer unless a call is still running.
    virtual void Timer();

private:
    struct TRun;
    class TAudioPace;
    bool ShouldRun() const { return FEnabled && FInterval > 0 && OnTimer; }
    void KillTimer();
    static void ThreadProc(TMMTimer* self, TRun* run);
    bool StartOnAudio();
    void StopOnAudio();

    std::mutex FControl; // serialises starting and stopping
    std::atomic<bool> FEnabled{true};
    std::atomic<uint32_t> FInterval{1000};
    std::atomic<uint32_t> FId{0};
    std::atomic<bool> FBusy{false};
    std::atomic<bool> FFirstElapsed{true};
    uint32_t FLastTick = 0;
    // The timer thread; one told to stop from its own callback stays here
    // until the next change from another thread joins it.
    std::unique_ptr<TRun> FRun;
    std::atomic<bool> FAudioPaced{false};
    std::atomic<bool> FOnAudio{false};
    std::unique_ptr<TAudioPace> FPace;
};
