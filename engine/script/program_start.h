#pragma once
// The engine program: start-up marker, the association switches, the forms,
// the settings and the message loop.

// Runs the engine; returns the process exit code.
int TideglassMain(int argc, char** argv);
