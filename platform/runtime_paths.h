#pragma once
// Where the engine keeps its per-user files on the Linux desktop.

#include <string>

// The per-user runtime folder ($XDG_RUNTIME_DIR, or Qt's fallback), without
// a trailing separator.
std::string RuntimeFolder();

// The settings file of the executable `exePath`: its name with the extension
// replaced by ".ini", beside the executable when that place can be written,
// otherwise in $XDG_CONFIG_HOME/tideglass/.
std::string SettingsFilePath(const std::string& exePath);
