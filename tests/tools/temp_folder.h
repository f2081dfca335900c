#pragma once
// A temporary folder for the tools' tests: files put in and read back as
// bytes, paths as the file system takes them.

#include "base/streams.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <string_view>
#include <vector>

class TTempFolder {
public:
    std::string Path(const std::string& Name) const { return FDir.path().toStdString() + "/" + Name; }

    void Put(const std::string& Name, std::string_view Bytes) const
    {
        WriteFileAtomically(Path(Name), Bytes.data(), Bytes.size());
    }
    std::string Get(const std::string& Name) const
    {
        const std::vector<uint8_t> b = ReadFileBytes(Path(Name));
        return std::string(b.begin(), b.end());
    }
    bool Exists(const std::string& Name) const { return QFileInfo::exists(QString::fromStdString(Path(Name))); }
    void MakeFolder(const std::string& Name) const { QDir().mkpath(QString::fromStdString(Path(Name))); }
    // Every entry of the folder, hidden ones included.
    std::vector<std::string> List() const
    {
        std::vector<std::string> names;
        for (const QString& n : QDir(FDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            names.push_back(n.toStdString());
        return names;
    }

private:
    QTemporaryDir FDir;
};

// Bytes that code neither trivially nor not at all.
inline std::string SampleBytes(size_t Size, unsigned Seed = 1)
{
    std::string s(Size, '\0');
    unsigned x = Seed;
    for (size_t i = 0; i < Size; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = char((i % 64 < 40) ? 'a' + (i / 64) % 7 : (x >> 16) & 0xFF);
    }
    return s;
}
