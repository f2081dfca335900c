#pragma once
// The whole desktop as a fake: every question of the engine is answered at
// once from fields a test (or a fuzz target, or a benchmark) sets, and every
// request is recorded. No window, no event loop, no application object. It
// is the fakes of the single services in one object; it hands itself to the
// engine as its host.

#include "engine/script/engine_host.h"
#include "testkit/fake_host_command_line.h"
#include "testkit/fake_host_dialogs.h"
#include "testkit/fake_host_small_windows.h"
#include "testkit/fake_host_sound.h"
#include "testkit/fake_host_window.h"

class TFakeEngineHost : public TFakeHostWindow,
                        public TFakeHostDialogs,
                        public TFakeHostCommandLine,
                        public TFakeHostSmallWindows,
                        public TFakeHostSound {
public:
    TFakeEngineHost() = default;
    TFakeEngineHost(const TFakeEngineHost&) = delete;
    TFakeEngineHost& operator=(const TFakeEngineHost&) = delete;

    operator TEngineHost() { return {*this, *this, *this, *this, *this}; }
};
