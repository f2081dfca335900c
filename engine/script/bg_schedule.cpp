#include "engine/script/bg_schedule.h"

void TBgSchedule::Start(int interval, uint32_t now)
{
    FBgExecInterval = interval;
    FBgTickInterval = interval;
    FBgRunning = true;
    FBgTickLast = now;
    FBgDue = false;
    FBgWaitCount = 0;
}

void TBgSchedule::Stop()
{
    FBgDue = false;
    FBgRunning = false;
}

void TBgSchedule::Reset()
{
    FBgLabelLine = -1;
    FBgLabel.clear();
    FBgDue = false;
    FBgExecInterval = 1000;
    FBgWaitCount = 0;
}

void TBgSchedule::StartWait(int steps)
{
    FBgWaitCount = steps;
    FBgTickInterval = 100;
}

void TBgSchedule::BGTimerTimer()
{
    if (FBgWaitCount <= 0) {
        FBgDue = true;
        return;
    }
    --FBgWaitCount;
    // The background *WAIT is over; the script goes on one full interval
    // later, not on this tick.
    if (FBgWaitCount == 0)
        FBgTickInterval = FBgExecInterval;
}

bool TBgSchedule::TakeDue()
{
    const bool due = FBgDue;
    FBgDue = false;
    return due;
}
