#pragma once
// The wave-out device over the shared audio output: the mixer's 8-bit mono
// bytes are expanded to the output's 44100 Hz float stereo by repeating each
// byte exactly 1, 2 or 4 times, so no resampling touches the mixed sound.

#include "platform/audio/audio_output.h"
#include "platform/audio/wave_out.h"

#include <deque>
#include <mutex>

class TSdlWaveOut : public TWaveOut, public TAudioSource {
public:
    // `attach` false leaves the shared output alone: the owner calls MixInto
    // itself (tests step it by hand that way).
    explicit TSdlWaveOut(bool attach = true);
    ~TSdlWaveOut() override;

    int GetNumDevs() override;
    int GetDevCaps(int deviceId, TWaveOutCaps& caps) override;
    int QueryFormat(int deviceId, uint32_t samplesPerSec) override;
    int Open(int deviceId, uint32_t samplesPerSec, std::function<void()> onDone) override;
    int Write(TWaveHeader* header) override;
    int Reset() override;
    int Pause() override;
    int Restart() override;
    uint64_t GetPosition() override;
    int Close() override;

    void MixInto(float* out, int frames) override;
    bool Active() override;

private:
    void PostDone(int blocks);

    const bool FAttach;
    std::mutex FLock; // guards everything below against the audio thread
    bool FOpen = false;
    bool FPaused = false;
    int FRepeat = 1;      // output frames per byte
    int FRepeatDone = 0;  // frames already played of the current byte
    uint32_t FOffset = 0; // next byte of the head block
    uint64_t FPosition = 0;
    std::deque<TWaveHeader*> FQueue;
    std::function<void()> FOnDone;
};
