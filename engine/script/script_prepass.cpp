// The pre-pass over a freshly loaded script: scenes, labels, the GLOBAL
// scene and the item block, with *SCREEN and *TITLE applied at once.

#include <QMenu>

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"
#include "base/stringlist.h"
#include "engine/screen/tggrp.h"
#include "engine/script/command_table.h"
#include "engine/script/script_error.h"
#include "engine/script/tideglass_form.h"
#include "engine/script/tokenizer.h"
#include "engine/script/variables.h"
#include "platform/qt_sjis.h"

#include <QDialog>

namespace {

// *SCREEN sizes are kept within what a window and its layers can hold.
constexpr int MinScreenSide = 1;
constexpr int MaxScreenSide = 2048;

int ClampScreenSide(int value)
{
    return std::clamp(value, MinScreenSide, MaxScreenSide);
}

} // namespace

int TTideglassForm::FirstScene() const
{
    for (int i = 0; i < FLabels->Count(); ++i) {
        const TLabelRec& rec = FLabels->GetItem(i);
        if (rec.Line == rec.SceneLine)
            return rec.Line;
    }
    return -1;
}

void TTideglassForm::AddLabel(const std::string& name, int line, int sceneLine)
{
    if (FLabels->Find(name))
        throw EScriptError(SJ("!ラベル名の多重定義です ") + name);
    FLabels->Add(name, line, sceneLine);
}

void TTideglassForm::PrepareScript(TStringList& lines)
{
    int scene = 0;
    bool inItems = false;
    int index = 0;
    try {
        for (; index < lines.Count(); ++index) {
            const std::string& line = lines[index];
            const bool command = !line.empty() && line[0] == '*';
            if (inItems) {
                if (command) {
                    if (LookupCommand(line) == cmItemEnd)
                        inItems = false;
                    continue;
                }
                auto item = std::make_unique<TItemRec>();
                item->Name = GetToken(line, ' ', 0);
                if (CountTokens(line, ' ') > 1)
                    item->Count = StrToInt(GetToken(line, ' ', 1));
                item->InitialCount = item->Count;
                FItems->Add(std::move(item));
                continue;
            }
            if (!command)
                continue;
            switch (LookupCommand(line)) {
            case cmScene: {
                scene = index + 1;
                const std::string name = GetToken(line, ' ', 1);
                AddLabel(name, scene, scene);
                if (name == "GLOBAL")
                    FGlobalScene = scene;
                break;
            }
            case cmLabel:
                AddLabel(GetToken(line, ' ', 1), index + 1, scene);
                break;
            case cmItem:
                inItems = true;
                break;
            case cmScreen:
                CmdScreen(line);
                break;
            case cmTitle:
                CmdTitle(line);
                break;
            default:
                break;
            }
        }
    } catch (const EConvertError&) {
        // Reported at the line of the pre-pass, not wherever the last game
        // stopped.
        FLine = index;
        ShowScriptError(SJ("文字列を数字に変換出来ませんでした。"));
    } catch (const Exception& e) {
        FLine = index;
        ShowScriptError(e.Message());
    }
}

void TTideglassForm::CmdScreen(const std::string& line)
{
    FBaseWidth = ClampScreenSide(StrToInt(GetToken(line, ' ', 1)));
    FBaseHeight = ClampScreenSide(StrToInt(GetToken(line, ' ', 2)));
    const int k = D1->isChecked() ? 2 : 1;
    if (!FFullScreen)
        SetClientSize(k * FBaseWidth, k * FBaseHeight);
    if (FScreenWidth < k * FBaseWidth || FScreenHeight < k * FBaseHeight) {
        FScreenWidth = k * FBaseWidth;
        FScreenHeight = k * FBaseHeight;
    }
    if (FGrp) {
        FGrp->SetScreenSize(FScreenWidth, FScreenHeight);
        FGrp->SetPictureSize(FBaseWidth, FBaseHeight);
        FGrp->SetScale(static_cast<float>(k));
    }
}

void TTideglassForm::CmdTitle(const std::string& line)
{
    // The command and one blank are skipped.
    constexpr size_t TextStart = 7;
    const std::string title = sjis::TrimLeft(line.size() > TextStart ? line.substr(TextStart) : std::string());
    setWindowTitle(SjisToQString(title));
    if (!F1->isVisible() && AboutDlg)
        AboutDlg->setWindowTitle(SjisToQString(title + SJ(" について")));
}
