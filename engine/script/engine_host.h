#pragma once
// TEngineHost: everything of the desktop that the engine asks for, as a few
// services by what it asks: the main window and its menus, the dialogs, the
// command line, the small windows and the sound devices. The main window
// implements them with Qt; tests and fuzzing use fakes that answer at once.
// The services outlive the engine.

#include "engine/script/host_command_line.h"
#include "engine/script/host_dialogs.h"
#include "engine/script/host_small_windows.h"
#include "engine/script/host_sound.h"
#include "engine/script/host_window.h"

struct TEngineHost {
    THostWindow& Window;
    THostDialogs& Dialogs;
    THostCommandLine& CommandLine;
    THostSmallWindows& SmallWindows;
    THostSound& Sound;
};
