#pragma once
// The script runner: the engine state byte, the loaded script with its
// labels, the two script contexts and the one the interpreter works on, the
// main script's *WAIT count, and the control of a run in progress. The
// interpreter and the command families (engine methods) drive it; it holds
// what they share about where the script is and what it waits for.

#include <cstdint>
#include <memory>
#include <optional>

#include "engine/script/script_context.h"

class TConnectNameList;
class TLabelList;
class TStringList;

// The engine state byte (FState). The values are the system's own: the
// small windows and save files see them.
enum class TEngineState : uint8_t {
    esIdle = 0,
    esCommandWait = 1, // waiting for a typed command
    esRun = 2,
    esWait = 3, // *WAIT
    esGameEnd = 4,
    esKeyWait = 5, // "HIT SPACE KEY!"
    esClose = 6,
    esOpenThenIdle = 7,
    esOpenThenBack = 8,
    esStartUp = 9,
    esYesNo = 10, // yes/no dialog up
    esOpenDialog = 11,
    esBgReturned = 12, // *BGRETURN from the background script
};
using enum TEngineState;

// The context that holds the sub window (*SUBWINSTART).
enum class TSubWinHolder : uint8_t { None = 0, Main = 1, Background = 2 };

class TScriptRunner {
public:
    TScriptRunner();
    ~TScriptRunner();
    // FCtx points into the runner itself.
    TScriptRunner(const TScriptRunner&) = delete;
    TScriptRunner& operator=(const TScriptRunner&) = delete;

    // How the run goes on after one command line.
    enum class TStep { Next, EndBlock, StopAfter, StopHere, StopFinish };

    // The main (false) or the background (true) context becomes current.
    void SelectContext(bool background);
    // After a run: the contexts keep their own lines; what remains is to
    // make the main one current again after a background run, so that
    // whatever reads the current line or scene between runs (a typed
    // command, a save) sees the main script's and not the background's.
    void SaveContext();
    // The main script's own context is current: the line of an inline
    // question belongs to it.
    bool MainCurrent() const { return FCtx == &FMain && !FBackground; }
    // A scenario opens: no script, no labels, no return points.
    void Clear();

    // No run is in progress: ticks from the nested loops of modal dialogs
    // that a command shows in the middle of a run never start another run
    // or an open.
    bool RunFree() const { return FRunDepth == 0; }

    // *WAIT of the main script: `steps` tick intervals from `now`.
    void StartWait(int steps, uint32_t now);
    // One tick interval of *WAIT has passed; at the end of the count the
    // script runs on.
    void GameTimerTimer();

    // Another program asks for an open: a second request before the first
    // was opened keeps the state to go back to.
    void RequestOpenThenBack();
    // ---- engine state
    TEngineState FState = esIdle;
    TEngineState FPrevState = esIdle;
    bool FHalted = false;

    // ---- script and contexts
    std::unique_ptr<TStringList> FScript;
    // The interpreter works on *FCtx: FMain or FBg (FLine, FScene and
    // FStack of the system are FCtx->Line, FCtx->Scene and FCtx->Stack;
    // FMainLine is FMain.Line, FBgLine FBg.Line ...). An event label runs
    // on a context of its own.
    TScriptContext FMain;
    TScriptContext FBg{-1, -1, {}};
    TScriptContext* FCtx = &FMain;
    bool FBackground = false;
    int FGlobalScene = -1;
    uint8_t FIfState = 0;
    bool FInEvent = false;
    std::unique_ptr<TLabelList> FLabels;
    std::unique_ptr<TConnectNameList> FConnectNames;

    // ---- the main script's *WAIT (ms of TimeGetTime)
    int FWaitCount = 0;
    uint32_t FTickLast = 0;
    int FTickInterval = 100;
    // The pass asked of the host.
    std::optional<uint32_t> FNextTickAt;

    // ---- run control
    // Lines one run executes before it gives the event loop a turn (it also
    // does after 100 ms); a script that loops without waiting then goes on in
    // the next tick instead of holding the window.
    int FRunSliceLines = 100000;
    // A run of the interpreter is in progress (counts nested event runs).
    int FRunDepth = 0;
    // The last run stopped only to let the event loop breathe; the next tick
    // goes on with it.
    bool FRunYielded = false;
    // How the current command line lets the run go on.
    TStep FRunStep = TStep::Next;
    // Counts the games loaded. A run, an event label or a background run
    // that finds it changed when its command returns keeps the loaded state
    // instead of going on with (or restoring) its own.
    uint32_t FLoadSerial = 0;
};
