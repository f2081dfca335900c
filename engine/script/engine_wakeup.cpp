// When the engine has something to do next. The original ran its tick a
// thousand times a second; here the engine works out when its next step is
// due and sleeps until then, so that a game waiting for the player costs no
// processor time. Each step happens at the same millisecond as before: a
// pass at any earlier time would have found nothing to do.

#include <algorithm>

#include "base/clock.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"

namespace {

constexpr int Now = 0;
constexpr int Never = -1;

// Milliseconds from `now` until `interval` has passed since `since`.
int64_t DelayUntil(uint32_t now, uint32_t since, int interval)
{
    const int64_t elapsed = static_cast<uint32_t>(now - since);
    return std::max<int64_t>(0, std::max(interval, 0) - elapsed);
}

void Earliest(int64_t& best, int64_t delay)
{
    if (best < 0 || delay < best)
        best = delay;
}

} // namespace

int TEngine::NextStepDelay(uint32_t now)
{
    int64_t best = Never;
    // These two go on while the engine is halted.
    if (FSound.FadeActive())
        Earliest(best, DelayUntil(now, FSound.FadeTickLast(), FSound.FadeInterval()));
    if (FBgRunning)
        Earliest(best, DelayUntil(now, FBgTickLast, FBgTickInterval));
    if (FHalted)
        return static_cast<int>(best);

    // The next frame of the wait mark comes once more than one interval
    // has passed.
    if (FGrp && FGrp->WaitOn())
        Earliest(best, DelayUntil(now, FGrp->WaitTick(), std::max(1, FGrp->FWaitInterval) + 1));
    if (FState == esWait)
        Earliest(best, DelayUntil(now, FTickLast, FTickInterval));

    // What a pass would act on at once. Inside a modal dialog of a run the
    // run and the opens wait for the run to end.
    const bool runFree = FRunDepth == 0;
    switch (FState) {
    case esRun:
        // Kept back by the background's hold on the sub window, the main
        // run waits for the background's next interval (above), which may
        // end the hold; only the pass that takes the command line away is
        // due at once.
        if (FSubWinHolder == 2 ? InputEnabled() : runFree)
            best = Now;
        break;
    case esKeyWait:
    case esGameEnd:
        // The pass that takes the command line away (and, in a key wait,
        // closes the input method).
        if (InputEnabled() || (FState == esKeyWait && FHost.Window.ImeOpen()))
            best = Now;
        break;
    case esClose:
        best = Now;
        break;
    case esOpenThenIdle:
    case esOpenThenBack:
    case esStartUp:
        if (runFree)
            best = Now;
        break;
    default:
        break;
    }
    return static_cast<int>(std::min<int64_t>(best, INT32_MAX));
}

void TEngine::ScheduleNextTick()
{
    const uint32_t now = TimeGetTime();
    const int delay = NextStepDelay(now);
    if (delay < 0)
        FNextTickAt.reset();
    else
        FNextTickAt = now + static_cast<uint32_t>(delay);
    FHost.Window.ScheduleTick(delay);
}
