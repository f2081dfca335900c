#pragma once
// What the engine does in each of its states, one row per state. The pass
// of the idle loop (MainTick), the time of the next pass (NextStepDelay)
// and IsGameRunning all read these rows, so they cannot disagree: a pass
// makes a state's step exactly when NextStepDelay asks for a pass at once.

#include "engine/script/engine.h"

// When the background script gets its turn in a state: it runs only while
// the main script waits.
enum class TBgTurn : uint8_t {
    Never,
    Always,
    // Only while the background holds the sub window: the main script is
    // due to run but kept back by that hold, and the background goes on to
    // its *SUBWINEND, or neither script would ever run again.
    WhileHeld,
};

struct TEngine::TStateTick {
    // A game is running (an open asks before it leaves one).
    bool GameRunning = true;
    // The main script's *WAIT counts down one step every tick interval.
    bool Timed = false;
    TBgTurn Background = TBgTurn::Never;
    // Whether a pass has the state's own step to make now (none when null);
    // `runFree` is false inside a run that a modal dialog holds open.
    bool (*Due)(const TEngine& engine, bool runFree) = nullptr;
    // The step.
    void (*Step)(TEngine& engine) = nullptr;
};
