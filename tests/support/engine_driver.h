#pragma once
// Moves an engine through time by hand: the fake clock goes forward one
// millisecond at a time, and the engine gets a pass of its idle loop
// whenever the pass it asked for is due, as the window's timer would give
// it. Reads what the player would see (the message log) and what the game
// holds (variables, state).

#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
#include "support/test_folder.h"

class TEngine;
enum class TEngineState : uint8_t;
class TMsgLog;

class TEngineDriver : public TTestFolder {
public:
    TEngineDriver();
    ~TEngineDriver();

    // Passes due now, `count` times at most (each may ask for the next at
    // once). Returns how many ran.
    int Tick(int count = 1);
    // Moves the clock `ms` milliseconds, one at a time, with the pass that
    // falls due in each.
    void Advance(uint32_t ms);
    // Passes while the engine runs (state 2) and one is due now, at most
    // `maxTicks`.
    void Settle(int maxTicks = 10);

    // The message log, one UTF-8 string per line.
    std::vector<std::string> Log() const;
    std::string LastLog() const;
    // The message window's wrapped lines, UTF-8.
    std::vector<std::string> Backlog() const;
    // Lines of the log that are error reports.
    std::vector<std::string> Errors() const;

    int32_t Flag(int index) const;
    std::string SVar(int index) const; // UTF-8
    TEngineState State() const;

    TFakeClock Clock{1000000};

protected:
    // The engine being driven and the log it writes; the owner sets both.
    TEngine* FEngine = nullptr;
    TMsgLog* FLog = nullptr;
};
