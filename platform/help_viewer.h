#pragma once
// The help viewer for the engine's compiled HTML help files. Linux has none
// built in, so an outside viewer program is looked for; without one the help
// items stay disabled.

#include <string>
#include <vector>

class THelpViewer {
public:
    // Looks for the first of `programs` on the search path; the default list
    // holds the common viewers of such files.
    THelpViewer();
    explicit THelpViewer(const std::vector<std::string>& programs);

    bool Available() const { return !FProgram.empty(); }
    const std::string& Program() const { return FProgram; }
    // Starts the viewer on `helpFile` and returns at once; false when there
    // is no viewer or it could not be started.
    bool Show(const std::string& helpFile) const;

private:
    std::string FProgram;
};
