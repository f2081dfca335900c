// The wait mark of a key wait: frames of WaitGrpList stepped on the engine
// clock, so that the animation keeps its pace whatever the tick rate.

#include <algorithm>

#include "base/clock.h"
#include "engine/screen/screen_host.h"
#include "engine/screen/tggrp.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"
#include "graphics/layers.h"

namespace {

// An interval of 0 or less would never let the clock catch up.
uint32_t StepInterval(int interval)
{
    return static_cast<uint32_t>(std::max(1, interval));
}

} // namespace

int TTGGrp::UsableWaitFrames()
{
    return std::clamp(FWaitCount, 0, FHost.WaitGrpList().Bitmaps().Count());
}

void TTGGrp::SetWaitAnim(bool on)
{
    if (on) {
        FWaitTick = TimeGetTime() - StepInterval(FWaitInterval) - 10;
        FWaitOn = true;
        const int count = UsableWaitFrames();
        if (FWaitFrame < count)
            FWaitLayer->SetBitmap(FHost.WaitGrpList().Bitmap(FWaitFrame));
        else if (count == 0)
            FWaitLayer->Bitmap().SetSize(0, 0);
        FWaitLayer->SetVisible(true);
    } else {
        FWaitOn = false;
        FWaitLayer->SetVisible(false);
        FImage.Invalidate();
    }
}

void TTGGrp::UpdateWaitAnim()
{
    if (!FWaitOn)
        return;
    const uint32_t now = TimeGetTime();
    const uint32_t interval = StepInterval(FWaitInterval);
    const uint32_t elapsed = now - FWaitTick;
    if (elapsed <= interval)
        return;
    // The steps the original loop takes one by one (each while more than an
    // interval is left), counted at once: missed steps are skipped through.
    const uint32_t steps = (elapsed - 1) / interval;
    FWaitTick += steps * interval;

    const int count = UsableWaitFrames();
    if (count == 0) {
        // No frames: the mark shows nothing.
        if (!FWaitLayer->Bitmap().Empty())
            FWaitLayer->Bitmap().SetSize(0, 0);
        FWaitFrame = 0;
        return;
    }
    if (FWaitFrame < 0 || FWaitFrame >= count)
        FWaitFrame = 0;
    const int64_t last = (int64_t(FWaitFrame) + steps - 1) % count;
    FWaitFrame = static_cast<int>((int64_t(FWaitFrame) + steps) % count);
    FWaitLayer->SetBitmap(FHost.WaitGrpList().Bitmap(static_cast<int>(last)));
}

void TTGGrp::ShowWaitFrame()
{
    const int count = UsableWaitFrames();
    if (FWaitFrame < 0 || FWaitFrame >= count)
        FWaitFrame = 0;
    if (count > 0)
        FWaitLayer->SetBitmap(FHost.WaitGrpList().Bitmap(FWaitFrame));
    else
        FWaitLayer->Bitmap().SetSize(0, 0);
    PlaceWaitMark();
}
