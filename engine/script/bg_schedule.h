#pragma once
// The background script's schedule: which label it starts from, how often
// it runs, its own *WAIT, and whether a run is due in this tick. Its
// script context is the runner's FBg.

#include <cstdint>
#include <string>

class TBgSchedule {
public:
    // *BGEXEC, its label set: runs every `interval` ms from `now` on.
    void Start(int interval, uint32_t now);
    // *BGSTOP, *BGRETURN, an open: no more runs, and none due.
    void Stop();
    // An open: nothing of the previous game's background is left.
    void Reset();
    // The background's *WAIT: `steps` ticks of 100 ms.
    void StartWait(int steps);
    // One background interval has passed: a run is due unless the
    // background waits.
    void BGTimerTimer();
    // Whether a run was marked due; a due mark lives for one tick.
    bool TakeDue();

    int FBgLabelLine = -1;
    std::string FBgLabel;
    bool FBgRunning = false;
    bool FBgDue = false;
    int FBgExecInterval = 1000;
    int FBgWaitCount = 0;
    // The interval's timer (ms of TimeGetTime).
    uint32_t FBgTickLast = 0;
    int FBgTickInterval = 1000;
};
