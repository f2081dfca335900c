// The data-file commands: *DATOPEN, *DATCLOSE, *DATWRITE, *DATWRITES,
// *DATREAD, *DATREADS and *DATEXIST. The file state lives in FDatFile; the
// commands evaluate their arguments, turn script names into paths and report
// the refusals as "Error<line>:..." lines in the message window, which do not
// halt the game.

#include "base/conv.h"
#include "base/sjis.h"
#include "engine/script/data_messages.h"
#include "engine/script/expr.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"
#include "engine/script/engine.h"
#include "base/tokenizer.h"
#include "engine/script/variables.h"

namespace {

// The first of the consecutive variables that *DATWRITES and *DATREADS work on.
struct TDatVarRun {
    bool Strings = false; // string variables; flags otherwise
    int First = 0;
};

// The index of the variable a bare reference names, or -1 when it names
// none of that kind. A name is bound as the evaluator binds it (evaluating
// the reference has bound it already and checked the index).
int DatSVarIndex(TSVarList& vars, const TExprValue& ref)
{
    if (ref.Kind != ekSVar)
        return -1;
    int index = ref.IntValue;
    if (index < 0 && !ref.StrValue.empty())
        vars.IndexOfName(ref.StrValue, index);
    return index;
}

int DatFlagIndex(TFlagList& flags, const TExprValue& ref)
{
    if (ref.Kind != ekFlag)
        return -1;
    int index = ref.IntValue;
    if (index < 0 && !ref.StrValue.empty())
        flags.IndexOfName(ref.StrValue, index);
    return index;
}

// Evaluates the first-variable argument of *DATWRITES or *DATREADS. Only a
// bare F(...) or S(...) names a run of variables; a named one such as
// F(gold) starts at the number its name is bound to.
TDatVarRun DatVariables(TExprConv& expr, TFlagList& flags, TSVarList& vars, const std::string& term, TDatStatus refusal)
{
    expr.Evaluate(term);
    const TExprValue& ref = expr.RawResult;
    TDatVarRun run;
    if (ref.Kind == ekFlag) {
        run.First = DatFlagIndex(flags, ref);
    } else if (ref.Kind == ekSVar) {
        run.Strings = true;
        run.First = DatSVarIndex(vars, ref);
    } else {
        throw EScriptError(DatStatusText(refusal));
    }
    return run;
}

} // namespace

TCommandRows TEngine::DataCommands()
{
    using enum TCommandGroup;
    static constexpr TCommandRow rows[] = {
        {"*DATOPEN", cmDatOpen, cgFirst, &TEngine::CmdDatOpen},
        {"*DATWRITE", cmDatWrite, cgFirst, &TEngine::CmdDatWrite},
        {"*DATREAD", cmDatRead, cgFirst, &TEngine::CmdDatRead},
        {"*DATCLOSE", cmDatClose, cgFirst, &TEngine::CmdDatClose},
        {"*DATEXIST", cmDatExist, cgFirst, &TEngine::CmdDatExist},
        {"*DATWRITES", cmDatWriteS, cgFirst, &TEngine::CmdDatWriteS},
        {"*DATREADS", cmDatReadS, cgFirst, &TEngine::CmdDatReadS},
    };
    return rows;
}

std::string TEngine::DatPath(const std::string& token, std::string& shownPath)
{
    const std::string name = EvalName(token) + ".dat";
    shownPath = FFiles.ShownFolderPath(name);
    return FFiles.FolderPath(name);
}

void TEngine::DatMessage(TDatStatus status, const std::string& shownPath)
{
    if (status != TDatStatus::dsOk)
        AddMessage(DatErrorLine(FRunner.FCtx->Line + 1, DatStatusText(status, shownPath)));
}

void TEngine::CmdDatOpen(const std::string& line)
{
    // A file being written gets its checksum even when the arguments that
    // follow turn out to be wrong.
    FDatFile.Close();
    std::string shown;
    const std::string path = DatPath(GetToken(line, ' ', 1), shown);
    const int32_t mode = CountTokens(line, ' ') >= 3 ? EvalInteger(GetToken(line, ' ', 2)) : 0;
    // The parts of the name are the game's own; the scenario folder is the
    // player's and may be reached through links.
    DatMessage(FDatFile.Open(path, mode != 0, FFiles.ScenarioDir().size()), shown);
    // Data that cannot be read (missing or tampered with) ends the block as
    // *END does, so the game does not go on without its values.
    if (!FDatFile.IsOpen())
        EndBlockAfterCommand();
}

void TEngine::CmdDatClose(const std::string&)
{
    FDatFile.Close();
}

void TEngine::CmdDatWrite(const std::string& line)
{
    const TDatStatus status = FDatFile.CanWrite();
    if (status != TDatStatus::dsOk) {
        DatMessage(status);
        return;
    }
    FExpr->Evaluate(GetToken(line, ' ', 1));
    const TExprValue& value = FExpr->Result;
    FDatFile.Write({value.Kind == ekString ? DatString(value.StrValue) : DatInteger(value.IntValue)});
}

void TEngine::CmdDatWriteS(const std::string& line)
{
    const TDatStatus status = FDatFile.CanWrite();
    if (status != TDatStatus::dsOk) {
        DatMessage(status);
        return;
    }
    const int32_t count = EvalInteger(GetToken(line, ' ', 2));
    const TDatVarRun run =
        DatVariables(*FExpr, FGame.Flags(), FGame.SVars(), GetToken(line, ' ', 1), TDatStatus::dsWritesTarget);
    std::vector<TDatRecord> records;
    for (int32_t i = 0; i < count; ++i) {
        // An index past the end of the list raises before anything is
        // written, so the file never gets half of the run.
        const int index = run.First + i;
        if (run.Strings)
            records.push_back(DatString(FGame.SVars().GetItem(index)->Value));
        else
            records.push_back(DatInteger(FGame.Flags().GetItem(index)->Value));
    }
    FDatFile.Write(records);
}

void TEngine::CmdDatRead(const std::string& line)
{
    TDatStatus status = FDatFile.CanRead();
    if (status != TDatStatus::dsOk) {
        DatMessage(status);
        return;
    }
    const std::string target = GetToken(line, ' ', 1);
    bool notAString = false;
    status = FDatFile.Read([&](int32_t, const TDatRecord& record) {
        if (!record.IsString()) {
            FExpr->Evaluate(target + "=" + IntToStr(record.Value));
            return;
        }
        // Texts go straight into the variable: as an assignment they would
        // be parsed, and an apostrophe or a brace in them would break it.
        int index = -1;
        if (!target.empty() && target[0] == 'S') {
            FExpr->Evaluate(target);
            index = DatSVarIndex(FGame.SVars(), FExpr->RawResult);
        }
        if (index < 0) {
            notAString = true;
            return;
        }
        FGame.SVars().GetItem(index)->Value = record.Text;
    });
    if (status == TDatStatus::dsOk && notAString)
        status = TDatStatus::dsStringToNonString;
    DatMessage(status);
}

void TEngine::CmdDatReadS(const std::string& line)
{
    TDatStatus status = FDatFile.CanRead();
    if (status != TDatStatus::dsOk) {
        DatMessage(status);
        return;
    }
    const int32_t count = EvalInteger(GetToken(line, ' ', 2));
    const TDatVarRun run =
        DatVariables(*FExpr, FGame.Flags(), FGame.SVars(), GetToken(line, ' ', 1), TDatStatus::dsReadsTarget);
    status = FDatFile.ReadRecords(count, [&](int32_t i, const TDatRecord& record) {
        const int index = run.First + i;
        if (run.Strings) {
            if (!record.IsString())
                throw EScriptError(DatStatusText(TDatStatus::dsIntegerForString));
            FGame.SVars().GetItem(index)->Value = record.Text;
        } else {
            if (record.IsString())
                throw EScriptError(DatStatusText(TDatStatus::dsStringForInteger));
            FGame.Flags().GetItem(index)->Value = record.Value;
        }
    });
    DatMessage(status);
}

void TEngine::CmdDatExist(const std::string& line)
{
    std::string shown;
    const std::string path = DatPath(GetToken(line, ' ', 1), shown);
    // The file being written is there, though it takes its place only at
    // *DATCLOSE.
    const bool writing = FDatFile.WriteMode() == 1 && FDatFile.FileName() == path;
    FExpr->Evaluate(GetToken(line, ' ', 2) + (writing || FileExists(path) ? "=1" : "=0"));
}
