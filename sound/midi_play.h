#pragma once
// TMidiPlayV: the sequencer that plays background music. It loads a
// standard MIDI file into one time-sorted event list (midi_load.cpp),
// and a 5 ms multimedia timer drives its tick, which sends the events that
// have come due to the play devices, honouring waits, loops and the song's
// end (midi_play.cpp, midi_send.cpp). A tick sends a bounded number of
// events; a burst beyond it follows on the next ticks.
//
// Threads: the tick and everything it calls (sends, the port state, the
// buffer list, OnStop and the other events) run on the timer's thread, which
// is the audio thread when every output sounds through the shared audio
// output; the rest is called on the owner's thread. One lock guards what
// both touch, and the tick holds it throughout, so loading, positioning and
// closing never overlap a tick; a tick that finds it taken is left out.
// Long-message buffers come back through a callback
// window that the owner drains with ProcessMessages.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/classes.h"
#include "base/streams.h"
#include "platform/audio/midi_out.h"
#include "sound/midi_events.h"
#include "sound/midi_port_configs.h"
#include "sound/midi_wait_items.h"
#include "sound/midi_window.h"
#include "sound/mm_timer.h"

struct TMidiDevice {
    int Id = 0;
    TMidiOutCaps Caps;
};
using TMidiDevices = std::vector<TMidiDevice>;

struct TMidiPlayDevice {
    int DeviceId = MIDI_MAPPER;
    uint8_t Flag = 0;
};

class TMidiPlayDevices {
public:
    void Clear() { FItems.clear(); }
    void Add(int deviceId, uint8_t flag) { FItems.push_back({deviceId, flag}); }
    int Count() const { return static_cast<int>(FItems.size()); }
    const TMidiPlayDevice& operator[](int i) const { return FItems[static_cast<size_t>(i)]; }

private:
    std::vector<TMidiPlayDevice> FItems;
};

struct TMidiLoop {
    int From = -1; // event indexes
    int To = -1;
    bool Armed = true;
    bool Rewind = false;
};
using TMidiLoops = std::vector<TMidiLoop>;

struct TMidiMetronomeSound {
    uint8_t Note = 33;
    uint8_t Velocity = 127;
    int Duration = 100; // ms
};

struct TMidiMetronome {
    int Port = 0;
    int Channel = 9;
    bool Enabled = false;
    TMidiMetronomeSound Sounds[2] = {{34, 127, 100}, {33, 127, 100}}; // beat 0, the others
};

class TMidiPlayV : public TObject {
public:
    static constexpr uint32_t DefaultTempo = 500000; // µs per quarter note without a tempo event
    static constexpr uint32_t TickInterval = 5;      // ms
    // Events a tick sends at most; a burst beyond it goes out on the next
    // ticks.
    static constexpr int MaxEventsPerTick = 64;

    // Plays on the outputs of `driver`, which must outlive the player.
    explicit TMidiPlayV(TMidiOutDriver& driver);
    ~TMidiPlayV() override;
    TMidiPlayV(const TMidiPlayV&) = delete;
    TMidiPlayV& operator=(const TMidiPlayV&) = delete;

    std::string ClassName() const override { return "TMidiPlayV"; }

    // Its own virtual operations, in the order the original declares them.
    virtual void Tick(int64_t elapsed);
    virtual void DoStop();
    virtual void SendShortMsg(int track, TMidiEventItemShort* event);
    virtual void SendLongMsg(int track, TMidiEventItemLong* event);
    virtual void SendControlChange(int track, uint8_t status, uint8_t value, uint8_t controller);
    virtual void DoVibrant(TMidiEventItemVibrant* mark);
    virtual void DoTempo(uint32_t tempo);
    virtual void DoLyric(const std::string& text);
    virtual void DoLcdStr(const std::string& text);
    virtual void DoLcdDot(const TMidiLcdDots& dots);
    void DoRhythm(TMidiEventItemRhythm* rhythm);

    // Device catalogue, taken from the driver when the player is made.
    const TMidiDevices& Devices() const { return FDevices; }
    // Port p of a track plays on play device p.
    TMidiPlayDevices PlayDevices;
    // Opens every play device; false when one failed (the others still open).
    bool OpenDevices();
    // Timer off, every output reset and closed; the default time signature freed.
    bool CloseDevices();

    // Builds the song from a standard MIDI file. Raises EMidiError for data
    // that holds no event, a division of 0 or an SMPTE division.
    bool LoadFromStream(TStream& stream);
    // A loop from the event at `fromMs` back to the event at `toMs`, armed.
    void AddLoop(int64_t fromMs, int64_t toMs, bool rewind);
    // Clamped to 0..song length.
    void SetPosition(int64_t ms);
    bool Play();
    bool Stop();
    // 0..255 is stored; controller 7 of every channel is scaled by v / 127
    // and sent again.
    void SetVolume(int v);
    int Volume() const { return FVolume; }
    double Speed() const { return FSpeed; }
    void SetSpeed(double speed) { FSpeed = speed; }
    int64_t GetEndTime() const { return FEndTime; }
    int64_t EndTick() const { return FEndTick; }
    bool Playing() const { return FPlaying; }

    // Handles the messages the outputs posted (returned long-message
    // buffers); call it on the owner's thread now and then. Returns how
    // many were handled.
    int ProcessMessages();
    // Long-message buffers the outputs have not returned yet.
    int PendingBuffers() const;

    // Lookups over the song.
    int IndexAtTime(int64_t ms) const;
    static TMidiEventItemStanderd* ItemAtTick(const TMidiEventExclusiveItems& list, int64_t tick);
    static TMidiEventItemStanderd* LyricAtTick(const TMidiEventExclusiveItems& list, int64_t tick);

    // The loaded song.
    const TMidiEventItems& Events() const { return FEvents; }
    TMidiEventItemTracks& Tracks() { return FTracks; }
    TMidiEventExclusiveItems& Tempos() { return FTempos; }
    TMidiEventExclusiveItems& Beats() { return FBeats; }
    TMidiEventExclusiveItems& Rhythms() { return FRhythms; }
    TMidiEventExclusiveItems& Lyrics() { return FLyrics; }
    TMidiEventExclusiveItems& Markers() { return FMarkers; }
    TMidiPortConfigs& PortConfigs() { return FPorts; }
    const TMidiWaitItems& WaitItems() const { return FWaitItems; }
    int Format() const { return FFormat; }
    int Division() const { return FDivision; }
    const TMidiLoops& Loops() const { return FLoops; }

    // Where the song is.
    int64_t Position() const { return FPosition; }
    int CurrentIndex() const { return FIndex; }
    int64_t CurrentTick() const { return FTick; }
    int WaitRemaining() const { return FWait; }
    uint32_t Tempo() const { return FTempo; }
    TMidiEventItemVibrant* CurrentBeat() const { return FBeat; }
    TMidiEventItemRhythm* CurrentRhythm() const { return FRhythm; }
    const std::string& Lyric() const { return FLyric; }
    const std::string& LcdText() const { return FLcdStr; }
    const TMidiLcdDots& LcdDots() const { return FLcdDot; }

    TMMTimer& Timer() { return FTimer; }
    TMidiMetronome Metronome;

    std::function<void(TObject* sender, int bar, int beat)> OnVibrant;
    std::function<void(TObject* sender, int numerator, int denominator, int third)> OnRhythm;
    std::function<void(TObject* sender, double bpm)> OnTempo;
    std::function<void(TObject* sender, const std::string& text)> OnLyric;
    std::function<void(TObject* sender, const TMidiLcdDots& dots)> OnLcdDot;
    std::function<void(TObject* sender, const std::string& text)> OnLcdStr;
    TNotifyEvent OnStop;

private:
    friend class TMidiEventItemStanderd;

    void MMTimerTimer(TObject* sender);
    void WndProc(const TMidiWindowMessage& message);
    void MMMomDone(TMidiOut* out, TMidiHdr* header);
    TMidiOut* OutputOfTrack(int track) const;
    void WriteShortMsg(TMidiOut* out, uint32_t message, int wait);
    void AllNotesOff();
    bool OutputsReady() const;
    bool OutputsLoading() const;
    int CheckLoop(int index);
    void SongEnd();
    void ServeMetronome(int64_t elapsed);
    void StopClick();
    void ResendController(int control);
    void RefreshPosition();
    void ClearSong();
    void FreeDefaultRhythm();
    void FreeBuffers();
    // Loading steps (midi_load.cpp).
    void ReadTracks(class TMidiFileStream& stream, int trackCount);
    void ReadTrack(class TMidiFileStream& stream, int track);
    void AddBeatMarks();
    void ComputeTimes();

    mutable std::recursive_mutex FLock;
    TMidiOutDriver& FDriver;
    TMidiWindow FWindow;
    TMidiDevices FDevices;
    std::vector<std::unique_ptr<TMidiOut>> FOutputs; // one slot per play device; null where it failed
    TMMTimer FTimer;

    TMidiEventItems FEvents{this};
    TMidiEventItemTracks FTracks;
    TMidiEventExclusiveItems FTempos, FBeats, FRhythms, FLyrics, FMarkers;
    std::unique_ptr<TMidiEventItemRhythm> FDefaultRhythm;
    TMidiPortConfigs FPorts;
    TMidiWaitItems FWaitItems;
    int FFormat = 0;
    int FDivision = 480;
    int64_t FEndTick = 0;
    int64_t FEndTime = 0;

    TMidiLoops FLoops;
    int FLoopCursor = 0;

    std::atomic<int64_t> FPosition{0};
    int FIndex = 0;
    int64_t FTick = 0;
    TMidiEventItemVibrant* FBeat = nullptr;
    TMidiEventItemRhythm* FRhythm = nullptr;
    uint32_t FTempo = DefaultTempo;
    std::string FLyric, FLcdStr;
    TMidiLcdDots FLcdDot{};
    int FWait = 0;
    int FVolume = 128;
    double FSpeed = 1.0;
    std::atomic<bool> FPlaying{false};

    // Long-message buffers sent, and the output each went to.
    std::vector<std::unique_ptr<TMidiHdr>> FHeaders;
    std::vector<TMidiOut*> FHeaderOuts;

    // The sounding metronome click.
    bool FClickOn = false;
    TMidiMetronomeSound FClick;
    int FClickChannel = 9;
    int64_t FClickLeft = 0;
};
