// Settings files of arbitrary bytes: the INI reader takes them as the engine
// does at start-up, and whatever they hold, the values the engine goes on
// with stay inside their bounds and every window stays on a screen.

#include "base/inifile.h"
#include "base/streams.h"
#include "platform/engine_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        char name[] = "/tmp/fuzz_ini_read.XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0)
            std::abort();
        ::close(fd);
        return std::string(name);
    }();
    return path;
}

bool Meets(const TWindowPlace& a, const TWindowPlace& b)
{
    return int64_t(a.Left) < int64_t(b.Left) + b.Width && int64_t(b.Left) < int64_t(a.Left) + a.Width &&
           int64_t(a.Top) < int64_t(b.Top) + b.Height && int64_t(b.Top) < int64_t(a.Top) + a.Height;
}

void CheckPlace(
    const TWindowPlace& p, const TWindowPlace& current, const std::vector<TWindowPlace>& screens, bool sized)
{
    if (sized &&
        (p.Width < MinWindowSide || p.Width > MaxWindowSide || p.Height < MinWindowSide || p.Height > MaxWindowSide))
        std::abort();
    const bool atCurrent = p.Left == current.Left && p.Top == current.Top;
    if (!atCurrent && !Meets(p, screens[0]) && !Meets(p, screens[1]))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream(data, size).SaveToFile(ScratchFile());
    const TIniFile ini(ScratchFile());
    TSettingsValues current;
    current.Main = {100, 80, 660, 540};
    current.Msg = {229, 376, 433, 182};
    current.Sub = {252, 313, 201, 149};
    const std::vector<TWindowPlace> screens = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};

    const TSettingsValues s = BoundEngineSettings(ReadEngineSettings(ini, current), current, screens);
    if (s.ScalePercent < MinScalePercent || s.ScalePercent > MaxScalePercent)
        std::abort();
    if (s.BaseWidth < MinBaseSide || s.BaseWidth > MaxBaseSide || s.BaseHeight < MinBaseSide ||
        s.BaseHeight > MaxBaseSide)
        std::abort();
    const float scale = float(s.ScalePercent) / 100.0f;
    if (float(s.BaseWidth) * scale > float(MaxWindowSide) || float(s.BaseHeight) * scale > float(MaxWindowSide))
        std::abort();
    CheckPlace(s.Main, current.Main, screens, false);
    CheckPlace(s.Msg, current.Msg, screens, true);
    CheckPlace(s.Sub, current.Sub, screens, true);

    // The rest of the reader: every section and key the bytes hold.
    for (const char* section : {"WINDOW", "MODE"})
        for (const std::string& key : ini.ReadSection(section))
            (void)ini.ReadString(section, key, "");
    return 0;
}
