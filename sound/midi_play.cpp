// The player's life: devices, positioning, play and stop, the tick, loops
// and volume.

#include <algorithm>
#include <cstdio>
#include <exception>

#include "base/conv.h"
#include "sound/midi_play.h"

TMidiPlayV::TMidiPlayV(TMidiOutDriver& driver) : FDriver(driver)
{
    for (int id = 0, n = driver.DeviceCount(); id < n; ++id) {
        TMidiDevice device;
        device.Id = id;
        if (driver.DeviceCaps(id, device.Caps))
            FDevices.push_back(std::move(device));
    }
    FTimer.SetEnabled(false);
    FTimer.SetInterval(TickInterval);
    FTimer.OnTimer = [this](TObject* sender) { MMTimerTimer(sender); };
}

TMidiPlayV::~TMidiPlayV()
{
    FTimer.SetEnabled(false);
    CloseDevices();
    std::lock_guard<std::recursive_mutex> lock(FLock);
    ClearSong();
}

bool TMidiPlayV::OpenDevices()
{
    // Closing stops the timer, which waits for a tick: not under the lock.
    CloseDevices();
    std::lock_guard<std::recursive_mutex> lock(FLock);
    bool result = true;
    for (int i = 0; i < PlayDevices.Count(); ++i) {
        std::unique_ptr<TMidiOut> out = FDriver.CreateOut();
        const bool opened = out->Open(PlayDevices[i].DeviceId, [this](TMidiOut* o, TMidiHdr* h) {
            FWindow.Post({MM_MOM_DONE, o, h});
        });
        // A device that fails keeps its slot, so port p still means play
        // device p and its sends are skipped.
        if (!opened) {
            out.reset();
            result = false;
        }
        FOutputs.push_back(std::move(out));
    }
    // When every output sounds through the shared audio output, the tick
    // runs on its clock: events sound where they are due in the rendered
    // sound, and no thread wakes for the timer.
    bool paced = false;
    for (const auto& out : FOutputs)
        if (out) {
            paced = out->RendersOnAudioOutput();
            if (!paced)
                break;
        }
    FTimer.SetAudioPaced(paced);
    return result;
}

bool TMidiPlayV::CloseDevices()
{
    FTimer.SetEnabled(false);
    std::lock_guard<std::recursive_mutex> lock(FLock);
    for (auto& out : FOutputs)
        if (out) {
            out->Reset();
            out->Close();
        }
    // Every buffer came back with the reset; none is sent again.
    FreeBuffers();
    FOutputs.clear();
    StopClick();
    FreeDefaultRhythm();
    return true;
}

void TMidiPlayV::FreeDefaultRhythm()
{
    if (!FDefaultRhythm)
        return;
    FRhythms.erase(std::remove(FRhythms.begin(), FRhythms.end(), FDefaultRhythm.get()), FRhythms.end());
    if (FRhythm == FDefaultRhythm.get())
        FRhythm = nullptr;
    FDefaultRhythm.reset();
}

void TMidiPlayV::FreeBuffers()
{
    FWindow.Clear();
    FHeaders.clear();
    FHeaderOuts.clear();
}

void TMidiPlayV::ClearSong()
{
    FLoops.clear();
    FLoopCursor = 0;
    FTempos.clear();
    FBeats.clear();
    FRhythms.clear();
    FLyrics.clear();
    FMarkers.clear();
    FBeat = nullptr;
    FRhythm = nullptr;
    FDefaultRhythm.reset();
    FEvents.Clear();
    FTracks.clear();
    FPorts.Clear();
    FFormat = 0;
    FDivision = 480;
    FEndTick = 0;
    FEndTime = 0;
    FPosition = 0;
    FIndex = 0;
    FTick = 0;
    FWait = 0;
    FTempo = DefaultTempo;
    FLyric.clear();
}

void TMidiPlayV::AddLoop(int64_t fromMs, int64_t toMs, bool rewind)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    TMidiLoop loop;
    loop.From = IndexAtTime(fromMs);
    loop.To = IndexAtTime(toMs);
    loop.Armed = true;
    loop.Rewind = rewind;
    FLoops.push_back(loop);
}

void TMidiPlayV::SetPosition(int64_t ms)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    FPosition = std::clamp<int64_t>(ms, 0, FEndTime);
    RefreshPosition();
}

void TMidiPlayV::RefreshPosition()
{
    const int index = IndexAtTime(FPosition);
    // Past the last event (an empty song) the tick finds the song's end.
    FIndex = index < 0 ? FEvents.Count() : index;
    FTick = index < 0 ? FEndTick : FEvents[index]->Tick;
    FBeat = static_cast<TMidiEventItemVibrant*>(ItemAtTick(FBeats, FTick));
    FRhythm = static_cast<TMidiEventItemRhythm*>(ItemAtTick(FRhythms, FTick));
    const auto* tempo = static_cast<const TMidiEventItemTempo*>(ItemAtTick(FTempos, FTick));
    FTempo = tempo ? tempo->Tempo : DefaultTempo;
    const auto* lyric = static_cast<const TMidiEventItemLyric*>(LyricAtTick(FLyrics, FTick));
    FLyric = lyric ? lyric->Text : std::string();
}

bool TMidiPlayV::Play()
{
    try {
        {
            std::lock_guard<std::recursive_mutex> lock(FLock);
            for (auto& out : FOutputs)
                if (out)
                    out->Reset();
            FPlaying = true;
        }
        FTimer.SetEnabled(true);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TMidiPlayV::Stop()
{
    try {
        FTimer.SetEnabled(false);
        std::lock_guard<std::recursive_mutex> lock(FLock);
        FPlaying = false;
        for (auto& out : FOutputs)
            if (out)
                out->Reset();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TMidiPlayV::SetVolume(int v)
{
    {
        std::lock_guard<std::recursive_mutex> lock(FLock);
        FVolume = std::clamp(v, 0, 255);
        FPorts.SetControllerScaling(7, 1, v);
    }
    // Pausing waits for a tick in flight, which needs the lock: it must not
    // be held here.
    const bool enabled = FTimer.Enabled();
    FTimer.SetEnabled(false);
    {
        std::lock_guard<std::recursive_mutex> lock(FLock);
        ResendController(7);
    }
    FTimer.SetEnabled(enabled);
}

void TMidiPlayV::ResendController(int control)
{
    for (size_t port = 0; port < FOutputs.size(); ++port) {
        if (!FOutputs[port])
            continue;
        const TMidiPortConfig& config = FPorts.Ensure(int(port));
        for (int ch = 0; ch < 16; ++ch) {
            const uint8_t value = config.Scaled(ch, control);
            FOutputs[port]->ShortMsg(uint32_t(value) << 16 | uint32_t(control) << 8 | (0xB0u | uint32_t(ch)));
        }
    }
}

void TMidiPlayV::MMTimerTimer(TObject*)
{
    // The tick may run on the audio thread, which must not wait on the
    // owner: while the owner holds the lock the tick is left out, and the
    // next one takes the time it missed.
    std::unique_lock<std::recursive_mutex> lock(FLock, std::try_to_lock);
    if (lock.owns_lock())
        Tick(FTimer.GetElapsed());
}

void TMidiPlayV::Tick(int64_t elapsed)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    // A song starts once its outputs can sound: while one is still getting
    // ready (a synth loading), the song's time stands still.
    if (OutputsLoading())
        return;
    const int64_t step = Round(double(elapsed) * FSpeed);
    if (FWait > 0)
        FWait = int(std::max<int64_t>(0, FWait - step));
    FPosition += step;
    if (FIndex >= FEvents.Count()) {
        SongEnd();
        return;
    }
    // A bounded number of events per tick, and none while an output cannot
    // take more: what is left goes out on the next ticks, so that a song
    // packed with events cannot hold the timer, or the synth behind it.
    for (int sent = 0; FEvents[FIndex]->Time < FPosition && FWait == 0; ++sent) {
        if (sent == MaxEventsPerTick || !OutputsReady())
            break;
        const int target = CheckLoop(FIndex);
        if (target >= 0) {
            AllNotesOff();
            FIndex = target;
            FPosition = FEvents[target]->Time;
        }
        TMidiEventItemStanderd* e = FEvents[FIndex];
        FTick = e->Tick;
        e->Store();
        e->Send();
        if (++FIndex >= FEvents.Count()) {
            SongEnd();
            return;
        }
    }
    if (FPlaying)
        ServeMetronome(elapsed);
}

bool TMidiPlayV::OutputsLoading() const
{
    for (const auto& out : FOutputs)
        if (out && out->Loading())
            return true;
    return false;
}

bool TMidiPlayV::OutputsReady() const
{
    for (const auto& out : FOutputs)
        if (out && !out->Ready())
            return false;
    return true;
}

int TMidiPlayV::CheckLoop(int index)
{
    if (FLoopCursor >= int(FLoops.size()))
        return -1;
    TMidiLoop& loop = FLoops[size_t(FLoopCursor)];
    if (loop.From != index || !loop.Armed)
        return -1;
    const int target = loop.To;
    loop.Armed = false;
    if (loop.Rewind) {
        for (TMidiLoop& l : FLoops)
            l.Armed = true;
        FLoopCursor = 0;
    }
    if (++FLoopCursor >= int(FLoops.size()))
        FLoopCursor = 0;
    return target;
}

void TMidiPlayV::SongEnd()
{
    FPlaying = false;
    FPosition = FEndTime;
    DoStop();
    FTimer.SetEnabled(false);
}

void TMidiPlayV::DoStop()
{
    if (OnStop)
        OnStop(this);
}
