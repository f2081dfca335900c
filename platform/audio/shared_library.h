#pragma once
// A shared library opened by its file name on first use rather than linked,
// for the libraries that only sound needs: loaded at start-up, they and what
// they pull in cost every start of a program that may never play a note.
// Opened once and never closed.

#include <string>

class TSharedLibrary {
public:
    explicit TSharedLibrary(const char* fileName);

    // Sets `function` to the library's function of that name; null (and a
    // failure noted) when it has none.
    template <class F>
    void Find(F& function, const char* name)
    {
        function = reinterpret_cast<F>(Symbol(name));
    }
    // Why the library or one of the functions asked for could not be had;
    // empty when all is well.
    const std::string& Failure() const { return FFailure; }

private:
    void* Symbol(const char* name);

    std::string FFileName;
    void* FHandle = nullptr;
    std::string FFailure;
};
