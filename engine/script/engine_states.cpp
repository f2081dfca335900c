// The row of every engine state (engine_states.h).

#include "engine/script/engine_states.h"

#include <array>

const TEngine::TStateTick& TEngine::StateTick(TEngineState state)
{
    using enum TBgTurn;
    constexpr auto always = [](const TEngine&, bool) { return true; };
    constexpr auto whenRunFree = [](const TEngine&, bool runFree) { return runFree; };
    // Takes the command line away while it is enabled.
    constexpr auto inputEnabled = [](const TEngine& e, bool) { return e.InputEnabled(); };
    constexpr auto disableInput = [](TEngine& e) {
        if (e.InputEnabled())
            e.SetInputEnabled(false);
    };

    static constexpr std::array<TStateTick, 13> rows{{
        // esIdle
        {.GameRunning = false},
        // esCommandWait
        {.Background = Always},
        // esRun: the main script runs. Kept back by the background's hold
        // on the sub window, it waits for the background's next interval,
        // which may end the hold; meanwhile the command that waits must not
        // be replaced by another, so only the command line is taken away.
        {.Background = WhileHeld,
            .Due =
                [](const TEngine& e, bool runFree) {
                    return e.FDisplay.FSubWinHolder == TSubWinHolder::Background ? e.InputEnabled() : runFree;
                },
            .Step =
                [](TEngine& e) {
                    if (e.FDisplay.FSubWinHolder == TSubWinHolder::Background) {
                        e.SetInputEnabled(false);
                        return;
                    }
                    e.FRunner.FRunYielded = false;
                    e.FRunner.SelectContext(false);
                    e.RunScript();
                    e.FRunner.SaveContext();
                    if (e.FRunner.FState == esRun && !e.FRunner.FRunYielded) {
                        e.FRunner.FState = esCommandWait;
                        e.FHost.CommandLine.SetInputText("");
                        e.FHost.CommandLine.FocusInput();
                        if (!e.FHost.CommandLine.InputImeOpen() && e.FHost.CommandLine.ImeOpenAtSubmit())
                            e.FHost.CommandLine.SetInputImeOpen(true);
                    }
                }},
        // esWait
        {.Timed = true, .Background = Always},
        // esGameEnd
        {.GameRunning = false, .Due = inputEnabled, .Step = disableInput},
        // esKeyWait: Space must end the wait, not start a conversion.
        {.Background = Always,
            .Due = [](const TEngine& e, bool) { return e.InputEnabled() || e.FHost.Window.ImeOpen(); },
            .Step =
                [](TEngine& e) {
                    if (e.FHost.Window.ImeOpen())
                        e.FHost.Window.SetImeOpen(false);
                    if (e.InputEnabled())
                        e.SetInputEnabled(false);
                }},
        // esClose
        {.GameRunning = false, .Due = always, .Step = [](TEngine& e) { e.FHost.Window.CloseWindow(); }},
        // esOpenThenIdle
        {.GameRunning = false,
            .Due = whenRunFree,
            .Step =
                [](TEngine& e) {
                    e.OpenScenario(e.FFiles.OpenFileName());
                    if (e.FRunner.FState == esOpenThenIdle)
                        e.FRunner.FState = esIdle;
                }},
        // esOpenThenBack: whether a game runs is the previous state's answer.
        {.Due = whenRunFree,
            .Step =
                [](TEngine& e) {
                    e.OpenScenario(e.FFiles.OpenFileName());
                    if (e.FRunner.FState == esOpenThenBack)
                        e.FRunner.FState = e.FRunner.FPrevState;
                }},
        // esStartUp
        {.GameRunning = false, .Due = whenRunFree, .Step = [](TEngine& e) { e.StartUp(); }},
        // esYesNo
        {.Background = Always},
        // esOpenDialog
        {},
        // esBgReturned
        {},
    }};
    static_assert(rows.size() == static_cast<size_t>(esBgReturned) + 1);
    // A state byte of no known state does nothing.
    static constexpr TStateTick unknown{};
    const auto index = static_cast<size_t>(state);
    return index < rows.size() ? rows[index] : unknown;
}
