#pragma once
// The association of script (.tgs) and archive (.tgp) files with the
// engine, as the desktop keeps it: a shared-mime-info package that gives
// both extensions one type and its icon, a desktop entry that opens that
// type with the engine, and the icon itself in the hicolor theme. An
// installation puts these files in the system's data folders; Register
// writes them under $XDG_DATA_HOME for an engine that was not installed.
// Failures are not reported, as the registry writes they stand for were
// not.

#include <string>

namespace assoc {

// The type both extensions get.
constexpr const char* MimeType = "application/x-tideglass";

// The icon name the type and the desktop entry give.
constexpr const char* IconName = "tideglass";

// Files the association consists of under $XDG_DATA_HOME.
std::string MimePackagePath();
std::string DesktopEntryPath();
std::string IconPath();

// True when .tgs files have the engine's type, from the user's data folder
// or from the system's (an installed engine).
bool IsRegistered();
// Writes the association for the executable `exePath` unless it exists;
// true when it was written now.
bool Register(const std::string& exePath);
// Removes the association's own files and nothing else.
void Unregister();
// The command line the desktop runs to open a file (the user's entry before
// the system's), empty when there is none.
std::string OpenCommand();

// `arg` quoted for the Exec key of a desktop entry.
std::string QuoteExecArgument(const std::string& arg);

} // namespace assoc
