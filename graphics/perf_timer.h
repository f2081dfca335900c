#pragma once
// Elapsed time for the repaint optimiser's adaptive mode.

#include <cstdint>

class TPerfTimer {
public:
    void Start();
    // Microseconds since Start, rounded.
    int64_t ReadValue();

private:
    int64_t FStart = 0;
    int64_t FStop = 0;
};

// Milliseconds of the engine's clock (the original's GetTickCount).
uint32_t GetTickCount();
