#include "tools/pack/pack_builder.h"

#include "base/conv.h"
#include "base/file_lookup.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "base/stringlist.h"
#include "tools/pack/entry_pipeline.h"
#include "base/safe_file_stream.h"
#include "formats/pack/pack_archive.h"

namespace {

constexpr int MaxContinuationFiles = 100;

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

// Linux paths are UTF-8, whose multi-byte characters never hold a byte
// below 80h, so only the letters a-z are touched.
std::string AsciiUpperCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

std::string_view FileNameOf(std::string_view Path)
{
    const size_t slash = Path.rfind('/');
    return slash == std::string_view::npos ? Path : Path.substr(slash + 1);
}

// The continuation file of that name in the folder, found as the engine
// finds it when it loads the script; empty when there is none.
std::string FindScriptFile(const std::string& Folder, const std::string& Name)
{
    const std::string path = ResolveFileName(Folder, Name);
    return FileExists(path) ? path : std::string();
}

void CheckEntrySize(int64_t Size, std::string_view Before, const std::string& Path)
{
    if (Size > PackEntryMaxSize)
        throw EPackFileError(Before, Path, SJ("は大きすぎるため、アーカイブに格納できません。"));
}

EPackFileError NameError(const std::string& Path)
{
    return EPackFileError(SJ("データファイル"), Path,
        SJ("の名前にShift-JISで表せない文字が含まれているため、アーカイブに格納できません。"));
}

} // namespace

EPackFileError::EPackFileError(std::string_view Before, std::string Path, std::string_view After)
    : Exception(std::string(Before) + sjis::FromUtf8(Path) + std::string(After)),
      FBefore(Before),
      FPath(std::move(Path)),
      FAfter(After)
{
}

std::string EPackFileError::Utf8Text() const
{
    return sjis::ToUtf8(FBefore) + FPath + sjis::ToUtf8(FAfter);
}

std::string UpperFileExt(std::string_view FileName)
{
    const std::string_view name = FileNameOf(FileName);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : AsciiUpperCase(name.substr(dot));
}

bool DatExtCheck(std::string_view FileName)
{
    const std::string ext = UpperFileExt(FileName);
    for (std::string_view e : DatExtTable)
        if (e == ext)
            return true;
    return false;
}

bool DatCompressCheck(std::string_view FileName)
{
    const std::string ext = UpperFileExt(FileName);
    for (size_t i = 0; i < DatExtTable.size(); ++i)
        if (DatExtTable[i] == ext)
            return DatCompressFlags[i] != 0;
    return true;
}

bool PackNameFromPath(std::string_view Path, std::string& Name)
{
    std::string converted;
    if (!sjis::TryFromUtf8(FileNameOf(Path), converted))
        return false;
    Name = sjis::UpperCase(converted);
    return true;
}

std::string AssembleScript(const std::string& ScriptFile)
{
    TStringList lines;
    lines.LoadFromFile(ScriptFile);

    const size_t slash = ScriptFile.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : ScriptFile.substr(0, slash + 1);
    std::string base(FileNameOf(ScriptFile));
    if (const size_t dot = base.rfind('.'); dot != std::string::npos)
        base.erase(dot);

    if (!FindScriptFile(folder, base + "1.tgs").empty()) {
        TStringList part;
        for (int n = 1; n <= MaxContinuationFiles; ++n) {
            const std::string path = FindScriptFile(folder, base + IntToStr(n) + ".tgs");
            if (path.empty())
                continue;
            part.LoadFromFile(path);
            for (const std::string& line : part.Items())
                lines.Add(line);
        }
    }
    return lines.Text();
}

std::unique_ptr<TMemoryStream> MakeDataEntry(const std::string& FileName, TkvCompress& Coder)
{
    std::string name;
    if (!PackNameFromPath(FileName, name))
        throw NameError(FileName);
    TMemoryStream data;
    data.LoadFromFile(FileName);
    CheckEntrySize(data.Size(), SJ("データファイル"), FileName);
    auto entry = MakePackEntry(name, data, data.Size(), DatCompressCheck(FileName), Coder);
    // A coded entry can outgrow its file by an eighth.
    CheckEntrySize(entry->Size(), SJ("データファイル"), FileName);
    return entry;
}

// ---------------------------------------------------------------------------

TPackBuilder::TPackBuilder(const std::string& Target, TkvCompressClass CompressClass)
    : FTarget(std::make_unique<TSafeFileStream>(Target)),
      FWriter(std::make_unique<TPackWriter>(*FTarget)),
      FCompressClass(CompressClass),
      FCoder(CompressClass())
{
}

TPackBuilder::~TPackBuilder() = default;

void TPackBuilder::CheckNames(const std::vector<std::string>& DataFiles)
{
    std::string name;
    for (const std::string& file : DataFiles)
        if (!PackNameFromPath(file, name))
            throw NameError(file);
}

void TPackBuilder::AddScript(const std::string& ScriptFile)
{
    const std::string text = AssembleScript(ScriptFile);
    CheckEntrySize(int64_t(text.size()), SJ("スクリプトファイル"), ScriptFile);
    TMemoryStream source(text.data(), text.size());
    auto entry = MakePackEntry(PackScriptName, source, source.Size(), true, *FCoder);
    CheckEntrySize(entry->Size(), SJ("スクリプトファイル"), ScriptFile);
    FWriter->Add(*entry);
}

void TPackBuilder::AddDataFile(const std::string& FileName)
{
    FWriter->Add(*MakeDataEntry(FileName, *FCoder));
}

void TPackBuilder::AddDataFiles(
    const std::vector<std::string>& FileNames, const std::function<void(size_t Done)>& Progress)
{
    MakeEntriesInOrder(
        FileNames.size(), FCompressClass,
        [&](size_t i, TkvCompress& Coder) { return MakeDataEntry(FileNames[i], Coder); },
        [&](size_t i, std::unique_ptr<TMemoryStream> Entry) {
            FWriter->Add(*Entry);
            Entry.reset();
            if (Progress)
                Progress(i + 1);
        });
}

void TPackBuilder::Commit()
{
    FWriter->Finish();
    FTarget->Commit();
}

void BuildPackArchive(
    const std::string& ScriptFile, const std::vector<std::string>& DataFiles, const std::string& Target)
{
    TPackBuilder::CheckNames(DataFiles);
    TPackBuilder builder(Target);
    builder.AddScript(ScriptFile);
    builder.AddDataFiles(DataFiles);
    builder.Commit();
}
