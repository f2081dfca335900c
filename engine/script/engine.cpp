// The engine's life: the values FormCreate gives every field, the screen
// objects, the settings it keeps, and the helpers the families share.

#include "engine/script/engine.h"

#include "base/conv.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "base/stringlist.h"
#include "classlib/font.h"
#include "engine/screen/builtin_pictures.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/expr.h"
#include "engine/script/variables.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"

#include <cstdio>

TEngine::TEngine(const TEngineHost& host, const std::vector<std::string>& args, std::string exeDir)
    : FHost(host), FFiles(std::move(exeDir))
{
    FScreen.FGameImg->OnMouseMove = [this](TObject*, TShiftState, int32_t x, int32_t y, TCustomLayer*) {
        GameImgMouseMove(x, y);
    };
    FScreen.FGameImg->OnMouseDown = [this](TObject*, TMouseButton button, TShiftState, int32_t, int32_t,
                                        TCustomLayer*) { GameImgMouseDown(button); };
    FScreen.FGameImg->OnMouseUp = [this](TObject*, TMouseButton button, TShiftState, int32_t, int32_t, TCustomLayer*) {
        GameImgMouseUp(button);
    };

    FRandom.seed(std::random_device{}());
    FDisplay.FScreenWidth = FHost.Window.ClientWidth();
    FDisplay.FScreenHeight = FHost.Window.ClientHeight();

    FExpr = std::make_unique<TExprConv>();
    FExpr->SetLists(&FGame.Items(), &FGame.Flags(), &FGame.SVars());
    FExpr->OnRandom = [this] { return static_cast<uint32_t>(FRandom()); };
    FExpr->OnLastInput = [this] { return FCmdInput.FLastInput; };
    FGame.Flags().OnWarning = [this](const std::string& text) { ShowWarning(text); };
    FGame.SVars().OnWarning = [this](const std::string& text) { ShowWarning(text); };

    // The wave mixer, the outside audio library and the MIDI sequencer open
    // with the first effect or music; a machine without sound still runs
    // the game.
    FSound.UseDevicesOf(FHost.Sound);

    if (!args.empty() && !args[0].empty()) {
        FFiles.SetOpenFileName(args[0]);
        FRunner.FState = esOpenThenIdle;
    } else {
        FRunner.FState = esStartUp;
    }
}

TEngine::~TEngine()
{
    try {
        // A data file the script left open for writing is finished and put
        // in place, or the values written would be lost.
        FDatFile.Close();
    } catch (const std::exception& e) {
        // The old file stays as it was; the window has gone.
        std::fprintf(stderr, "tideglass: data file not written: %s\n", e.what());
    }
    FSound.CloseDevices();
    FGame.Flags().OnWarning = nullptr;
    FGame.SVars().OnWarning = nullptr;
    FExpr->OnRandom = nullptr;
    FExpr->OnLastInput = nullptr;
    FScreen.FGameImg->OnMouseMove = nullptr;
    FScreen.FGameImg->OnMouseDown = nullptr;
    FScreen.FGameImg->OnMouseUp = nullptr;
    // The message window draws on the screen layers, which leave the image
    // with the screen object.
    FScreen.FMsg.reset();
    FScreen.FGrp.reset();
}

void TEngine::CreateScreenObjects()
{
    // The screen layers, then the message window, which keeps its own copy
    // of the font.
    FScreen.FGrp =
        std::make_unique<TTGGrp>(*this, *FScreen.FGameImg, FHost.Window.ClientWidth(), FHost.Window.ClientHeight());
    TFont font;
    font.SetName(SJ("ＭＳゴシック"));
    font.SetHeight(-12);
    font.SetColor(clWhite);
    FOptions.FFontColor = clWhite;
    FScreen.FMsg = std::make_unique<TTGMsg>(*this, 1000, false, FHost.SmallWindows.MessageLog(), *FScreen.FGrp, 26, 304,
        588, 120, font, FScreen.FBuiltInPictures->Bitmap(biMsgSkin));
}

TBitmap32List& TEngine::Bitmap32List1()
{
    return *FScreen.FBuiltInPictures;
}

TBitmap32List& TEngine::WaitGrpList()
{
    return *FScreen.FWaitFrames;
}

std::string TEngine::GetKeyLabel(int index) const
{
    return FHost.CommandLine.GetKeyLabel(index);
}

TMsgLog* TEngine::SubLog()
{
    return FHost.SmallWindows.SubLog();
}

TExprValue TEngine::EvaluateExpr(const std::string& expr)
{
    FExpr->Evaluate(expr);
    return FExpr->Result;
}

int32_t TEngine::EvalInteger(const std::string& expression)
{
    return StrToInt(FExpr->Evaluate(expression));
}

int32_t TEngine::Random(int32_t n)
{
    if (n <= 0)
        return 0;
    // The run-time's scaling of a 32-bit word to 0..n-1, as the evaluator's R(n).
    return static_cast<int32_t>(
        (static_cast<uint64_t>(static_cast<uint32_t>(FRandom())) * static_cast<uint32_t>(n)) >> 32);
}

int TEngine::HaltedMessageBox(const std::string& text, const std::string& caption, int flags)
{
    FRunner.FHalted = true;
    ScheduleNextTick();
    const int result = FHost.Dialogs.MessageBox(text, caption, flags);
    FRunner.FHalted = false;
    return result;
}

bool TEngine::ChooseScenario(const std::string& filter, std::string& fileName)
{
    ScheduleNextTick();
    return FHost.Dialogs.ChooseScenario(filter, fileName);
}
