#include "support/engine_driver.h"

#include "base/sjis.h"
#include "engine/screen/msg_log.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"

TEngineDriver::TEngineDriver()
{
    SetClockSource(&Clock);
}

TEngineDriver::~TEngineDriver()
{
    SetClockSource(nullptr);
}

int TEngineDriver::Tick(int count)
{
    int ran = 0;
    for (int i = 0; i < count && FEngine; ++i) {
        const auto at = FEngine->NextTickAt();
        if (!at || static_cast<int32_t>(Clock.NowMs() - *at) < 0)
            break;
        FEngine->ApplicationEvents1Idle();
        ++ran;
    }
    return ran;
}

void TEngineDriver::Advance(uint32_t ms)
{
    for (uint32_t i = 0; i < ms; ++i) {
        Clock.Advance(1);
        Tick();
    }
}

void TEngineDriver::Settle(int maxTicks)
{
    for (int i = 0; i < maxTicks && FEngine && FEngine->State() == esRun; ++i)
        if (Tick() == 0)
            break;
}

std::vector<std::string> TEngineDriver::Log() const
{
    std::vector<std::string> lines;
    if (!FLog)
        return lines;
    for (int i = 0; i < FLog->LineCount(); ++i)
        lines.push_back(sjis::ToUtf8(FLog->Line(i)));
    return lines;
}

std::string TEngineDriver::LastLog() const
{
    const std::vector<std::string> lines = Log();
    return lines.empty() ? std::string() : lines.back();
}

std::vector<std::string> TEngineDriver::Backlog() const
{
    std::vector<std::string> lines;
    if (!FEngine || !FEngine->Msg())
        return lines;
    for (const std::string& line : FEngine->Msg()->Backlog().Items())
        lines.push_back(sjis::ToUtf8(line));
    return lines;
}

std::vector<std::string> TEngineDriver::Errors() const
{
    std::vector<std::string> errors;
    for (const std::string& line : Log())
        if (line.rfind("Error", 0) == 0)
            errors.push_back(line);
    return errors;
}

int32_t TEngineDriver::Flag(int index) const
{
    return FEngine->Flags().GetItem(index)->Value;
}

std::string TEngineDriver::SVar(int index) const
{
    return sjis::ToUtf8(FEngine->SVars().GetItem(index)->Value);
}

TEngineState TEngineDriver::State() const
{
    return FEngine->State();
}
