#pragma once
// The engine's start-up marker, standing in for a global atom named after
// the executable: a file of that name in the per-user runtime folder.
// Program start looks for it, deletes it when found and otherwise adds it;
// exit deletes it again.

#include <string>

class TInstanceAtom {
public:
    // `name`: the executable's file name without folder.
    explicit TInstanceAtom(const std::string& name);

    bool Find() const;
    // False when the marker cannot be created (it exists, or the folder is
    // not writable).
    bool Add();
    void Delete();

    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
};
