// The data-file commands: *DATOPEN, *DATCLOSE, *DATWRITE, *DATWRITES,
// *DATREAD, *DATREADS and *DATEXIST. The file state lives in FDatFile; the
// commands evaluate their arguments, turn script names into paths and report
// the refusals as "Error<line>:..." lines in the message window, which do not
// halt the game.

#include "base/conv.h"
#include "base/sjis.h"
#include "engine/script/data_file.h"
#include "engine/script/expr.h"
#include "engine/script/scenario_files.h"
#include "engine/script/script_error.h"
#include "engine/script/tideglass_form.h"
#include "engine/script/tokenizer.h"
#include "engine/script/variables.h"

namespace {

// The first of the consecutive variables that *DATWRITES and *DATREADS work on.
struct TDatVarRun {
    bool Strings = false;  // string variables; flags otherwise
    int First = 0;
};

// The path of a data-file argument, and the same path in Shift-JIS as the
// missing-file message shows it.
std::string DatPath(TTideglassForm& form, const std::string& token, std::string& shownPath)
{
    const std::string name = form.EvalName(token) + ".dat";
    shownPath = sjis::FromUtf8(form.FScenarioDir) + name;
    return ScriptNameToPath(form.FScenarioDir, name);
}

void DatMessage(TTideglassForm& form, TDatStatus status, const std::string& shownPath = {})
{
    if (status != TDatStatus::dsOk)
        form.AddMessage(DatErrorLine(form.FLine + 1, DatStatusText(status, shownPath)));
}

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
TDatVarRun DatVariables(TTideglassForm& form, const std::string& term, TDatStatus refusal)
{
    form.FExpr->Evaluate(term);
    const TExprValue& ref = form.FExpr->RawResult;
    TDatVarRun run;
    if (ref.Kind == ekFlag) {
        run.First = DatFlagIndex(*form.FFlags, ref);
    } else if (ref.Kind == ekSVar) {
        run.Strings = true;
        run.First = DatSVarIndex(*form.FSVars, ref);
    } else {
        throw EScriptError(DatStatusText(refusal));
    }
    return run;
}

} // namespace

void TTideglassForm::CmdDatOpen(const std::string& line)
{
    // A file being written gets its checksum even when the arguments that
    // follow turn out to be wrong.
    FDatFile.Close();
    std::string shown;
    const std::string path = DatPath(*this, GetToken(line, ' ', 1), shown);
    const int32_t mode = CountTokens(line, ' ') >= 3 ? EvalInteger(GetToken(line, ' ', 2)) : 0;
    DatMessage(*this, FDatFile.Open(path, mode != 0), shown);
}

void TTideglassForm::CmdDatClose(const std::string&)
{
    FDatFile.Close();
}

void TTideglassForm::CmdDatWrite(const std::string& line)
{
    const TDatStatus status = FDatFile.CanWrite();
    if (status != TDatStatus::dsOk) {
        DatMessage(*this, status);
        return;
    }
    FExpr->Evaluate(GetToken(line, ' ', 1));
    const TExprValue& value = FExpr->Result;
    FDatFile.Write({value.Kind == ekString ? DatString(value.StrValue) : DatInteger(value.IntValue)});
}

void TTideglassForm::CmdDatWriteS(const std::string& line)
{
    const TDatStatus status = FDatFile.CanWrite();
    if (status != TDatStatus::dsOk) {
        DatMessage(*this, status);
        return;
    }
    const int32_t count = EvalInteger(GetToken(line, ' ', 2));
    const TDatVarRun run = DatVariables(*this, GetToken(line, ' ', 1), TDatStatus::dsWritesTarget);
    std::vector<TDatRecord> records;
    for (int32_t i = 0; i < count; ++i) {
        // An index past the end of the list raises before anything is
        // written, so the file never gets half of the run.
        const int index = run.First + i;
        if (run.Strings)
            records.push_back(DatString(FSVars->GetItem(index)->Value));
        else
            records.push_back(DatInteger(FFlags->GetItem(index)->Value));
    }
    FDatFile.Write(records);
}

void TTideglassForm::CmdDatRead(const std::string& line)
{
    TDatStatus status = FDatFile.CanRead();
    if (status != TDatStatus::dsOk) {
        DatMessage(*this, status);
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
            index = DatSVarIndex(*FSVars, FExpr->RawResult);
        }
        if (index < 0) {
            notAString = true;
            return;
        }
        FSVars->GetItem(index)->Value = record.Text;
    });
    if (status == TDatStatus::dsOk && notAString)
        status = TDatStatus::dsStringToNonString;
    DatMessage(*this, status);
}

void TTideglassForm::CmdDatReadS(const std::string& line)
{
    TDatStatus status = FDatFile.CanRead();
    if (status != TDatStatus::dsOk) {
        DatMessage(*this, status);
        return;
    }
    const int32_t count = EvalInteger(GetToken(line, ' ', 2));
    const TDatVarRun run = DatVariables(*this, GetToken(line, ' ', 1), TDatStatus::dsReadsTarget);
    status = FDatFile.ReadRecords(count, [&](int32_t i, const TDatRecord& record) {
        const int index = run.First + i;
        if (run.Strings) {
            if (!record.IsString())
                throw EScriptError(DatStatusText(TDatStatus::dsIntegerForString));
            FSVars->GetItem(index)->Value = record.Text;
        } else {
            if (record.IsString())
                throw EScriptError(DatStatusText(TDatStatus::dsStringForInteger));
            FFlags->GetItem(index)->Value = record.Value;
        }
    });
    DatMessage(*this, status);
}

void TTideglassForm::CmdDatExist(const std::string& line)
{
    std::string shown;
    const std::string path = DatPath(*this, GetToken(line, ' ', 1), shown);
    FExpr->Evaluate(GetToken(line, ' ', 2) + (DatFileExists(path) ? "=1" : "=0"));
}
