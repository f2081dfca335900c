// What the tick performs: channel and long messages on the track's output,
// the returned long-message buffers, the reports of tempo, beat, time
// signature, lyric and display, and the metronome.

#include <algorithm>
#include <cstdio>
#include <exception>

#include "sound/midi_play.h"

TMidiOut* TMidiPlayV::OutputOfTrack(int track) const
{
    const int port = track >= 0 && track < int(FTracks.size()) ? FTracks[size_t(track)]->Port : 0;
    return port < int(FOutputs.size()) ? FOutputs[size_t(port)].get() : nullptr;
}

void TMidiPlayV::WriteShortMsg(TMidiOut* out, uint32_t message, int wait)
{
    out->ShortMsg(message);
    if (wait > 0)
        FWait = wait;
}

void TMidiPlayV::SendShortMsg(int track, TMidiEventItemShort* event)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    if (TMidiOut* out = OutputOfTrack(track))
        WriteShortMsg(out, event->Msg, event->Wait);
}

void TMidiPlayV::SendLongMsg(int track, TMidiEventItemLong* event)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    TMidiOut* out = OutputOfTrack(track);
    if (!out)
        return;
    auto header = std::make_unique<TMidiHdr>();
    header->Data = event->Bytes;
    TMidiHdr* sent = header.get();
    FHeaders.push_back(std::move(header));
    FHeaderOuts.push_back(out);
    out->LongMsg(sent);
    FWait = event->Wait;
}

void TMidiPlayV::SendControlChange(int track, uint8_t status, uint8_t value, uint8_t controller)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    const int port = track >= 0 && track < int(FTracks.size()) ? FTracks[size_t(track)]->Port : 0;
    TMidiPortConfigControl& control = FPorts.Ensure(port).Channel(status & 0x0F).Controls[controller];
    control.Value = value;
    if (TMidiOut* out = OutputOfTrack(track))
        out->ShortMsg(uint32_t(control.Scaled()) << 16 | uint32_t(controller) << 8 | status);
}

int TMidiPlayV::ProcessMessages()
{
    return FWindow.Drain([this](const TMidiWindowMessage& m) { WndProc(m); });
}

int TMidiPlayV::PendingBuffers() const
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    return int(FHeaders.size());
}

void TMidiPlayV::WndProc(const TMidiWindowMessage& message)
{
    try {
        if (message.Msg == MM_MOM_DONE)
            MMMomDone(message.Out, message.Header);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tideglass: MIDI message failed: %s\n", e.what());
    }
}

void TMidiPlayV::MMMomDone(TMidiOut* out, TMidiHdr* header)
{
    std::lock_guard<std::recursive_mutex> lock(FLock);
    // Compared by address only: a header not in the list is no longer ours.
    for (size_t i = 0; i < FHeaders.size(); ++i)
        if (FHeaders[i].get() == header && FHeaderOuts[i] == out) {
            FHeaders.erase(FHeaders.begin() + std::ptrdiff_t(i));
            FHeaderOuts.erase(FHeaderOuts.begin() + std::ptrdiff_t(i));
            return;
        }
}

void TMidiPlayV::AllNotesOff()
{
    for (auto& out : FOutputs)
        if (out)
            for (uint32_t ch = 0; ch < 16; ++ch)
                out->ShortMsg(123u << 8 | 0xB0u | ch);
}

void TMidiPlayV::DoTempo(uint32_t tempo)
{
    FTempo = tempo;
    if (OnTempo)
        OnTempo(this, tempo == 0 ? 0.0 : 60000000.0 / tempo);
}

void TMidiPlayV::DoLyric(const std::string& text)
{
    FLyric = text;
    if (OnLyric)
        OnLyric(this, text);
}

void TMidiPlayV::DoLcdStr(const std::string& text)
{
    FLcdStr = text;
    if (OnLcdStr)
        OnLcdStr(this, text);
}

void TMidiPlayV::DoLcdDot(const TMidiLcdDots& dots)
{
    FLcdDot = dots;
    if (OnLcdDot)
        OnLcdDot(this, dots);
}

void TMidiPlayV::DoRhythm(TMidiEventItemRhythm* rhythm)
{
    FRhythm = rhythm;
    if (OnRhythm)
        OnRhythm(this, rhythm->Numerator, rhythm->Denominator, rhythm->Third);
}

void TMidiPlayV::DoVibrant(TMidiEventItemVibrant* mark)
{
    FBeat = mark;
    if (OnVibrant)
        OnVibrant(this, mark->Bar, mark->Beat);
    if (!Metronome.Enabled || !FPlaying || FWait != 0)
        return;
    const int port = Metronome.Port;
    TMidiOut* out = port >= 0 && port < int(FOutputs.size()) ? FOutputs[size_t(port)].get() : nullptr;
    if (!out)
        return;
    StopClick();
    FClick = Metronome.Sounds[mark->Beat == 0 ? 0 : 1];
    FClickChannel = Metronome.Channel & 0x0F;
    FClickLeft = FClick.Duration;
    FClickOn = true;
    out->ShortMsg(uint32_t(FClick.Velocity) << 16 | uint32_t(FClick.Note) << 8 | 0x90u | uint32_t(FClickChannel));
}

void TMidiPlayV::ServeMetronome(int64_t elapsed)
{
    if (!FClickOn)
        return;
    if (!Metronome.Enabled) {
        StopClick();
        return;
    }
    FClickLeft -= elapsed;
    if (FClickLeft < 0)
        StopClick();
}

void TMidiPlayV::StopClick()
{
    if (!FClickOn)
        return;
    FClickOn = false;
    const int port = Metronome.Port;
    if (port >= 0 && port < int(FOutputs.size()) && FOutputs[size_t(port)])
        FOutputs[size_t(port)]->ShortMsg(
            uint32_t(FClick.Velocity) << 16 | uint32_t(FClick.Note) << 8 | 0x80u | uint32_t(FClickChannel));
}
