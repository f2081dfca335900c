// When the engine has something to do next. The original ran its tick a
// thousand times a second; here the engine works out when its next step is
// due and sleeps until then, so that a game waiting for the player costs no
// processor time. Each step happens at the same millisecond as before: a
// pass at any earlier time would have found nothing to do.

#include <algorithm>

#include "base/clock.h"
#include "engine/screen/tggrp.h"
#include "engine/script/engine.h"
#include "engine/script/engine_states.h"

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
    if (FBgSchedule.FBgRunning)
        Earliest(best, DelayUntil(now, FBgSchedule.FBgTickLast, FBgSchedule.FBgTickInterval));
    if (FRunner.FHalted)
        return static_cast<int>(best);

    // The next frame of the wait mark comes once more than one interval
    // has passed.
    if (FScreen.FGrp && FScreen.FGrp->WaitOn())
        Earliest(best, DelayUntil(now, FScreen.FGrp->WaitTick(), std::max(1, FScreen.FGrp->FWaitInterval) + 1));
    const TStateTick& state = StateTick(FRunner.FState);
    if (state.Timed)
        Earliest(best, DelayUntil(now, FRunner.FTickLast, FRunner.FTickInterval));
    // What a pass would act on at once.
    if (state.Due && state.Due(*this, FRunner.RunFree()))
        best = Now;
    return static_cast<int>(std::min<int64_t>(best, INT32_MAX));
}

void TEngine::ScheduleNextTick()
{
    const uint32_t now = TimeGetTime();
    const int delay = NextStepDelay(now);
    if (delay < 0)
        FRunner.FNextTickAt.reset();
    else
        FRunner.FNextTickAt = now + static_cast<uint32_t>(delay);
    FHost.Window.ScheduleTick(delay);
}
