#pragma once
// Runs a function when the scope ends, however it ends: the clean-up that a
// try/finally block held in the original. A clean-up that fails while an
// exception is already on its way out is dropped, so that the first failure
// is the one reported; otherwise its exception passes on.

#include <exception>
#include <utility>

template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F f) : FFunc(std::move(f)), FExceptions(std::uncaught_exceptions()) {}
    ~TScopeExit() noexcept(false)
    {
        if (std::uncaught_exceptions() == FExceptions) {
            FFunc();
            return;
        }
        try {
            FFunc();
        } catch (...) {
            // Unwinding already: the exception in flight is the one to report.
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FFunc;
    int FExceptions;
};
