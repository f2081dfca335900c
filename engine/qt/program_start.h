#pragma once
// The engine program: start-up marker, the association switches, the forms,
// the settings and the message loop.

#include <string>
#include <vector>

class TInstanceAtom;

// What the first argument asks of the program: "-u" removes the file
// association, "-i" registers it (both compared exactly, "-u" first), and
// anything else runs the engine.
enum class TStartAction { Run, Register, Unregister };
TStartAction ChooseStartAction(const std::vector<std::string>& args);

// The start-up marker: found, it is taken away and the start goes on;
// otherwise it is added. False only when it can be neither found nor added.
bool ClaimStartUpMarker(TInstanceAtom& atom);

// Runs the engine; returns the process exit code.
int TideglassMain(int argc, char** argv);
