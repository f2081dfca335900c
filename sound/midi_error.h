#pragma once
// The failures a standard MIDI file can be refused with. They pass out of
// TMidiPlayV::LoadFromStream to the caller; the playing side reports by
// Boolean results as the player always has.

#include "base/exceptions.h"

class EMidiError : public Exception {
public:
    using Exception::Exception;
};
