#pragma once
// A game screen for tests: an image control with the screen layers and a
// message window over a fake main window, box glyphs for exact pixels and a
// fake clock.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/sjis.h"
#include "engine/screen/builtin_pictures.h"
#include "engine/qt/rich_edit_log.h"
#include "engine/screen/screen_host.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"
#include "graphics/layers.h"
#include "classlib/font.h"
#include "classlib/glyph_source.h"
#include "platform/rich_edit.h"

class TFakeScreenHost : public TScreenHost {
public:
    TFakeScreenHost()
    {
        LoadBuiltInPictures(List1);
        for (size_t i = 0; i < Labels.size(); ++i)
            Labels[i] = "F" + std::to_string(i + 1);
    }

    TBitmap32List& Bitmap32List1() override { return List1; }
    TBitmap32List& WaitGrpList() override { return WaitList; }
    bool MsgInGame() const override { return MsgInGameFlag; }
    bool FullScreen() const override { return FullScreenFlag; }
    bool FuncBarShown() const override { return BarShown; }
    bool FuncBarShifted() const override { return Shifted; }
    int FuncKeyCount() const override { return KeyCount; }
    std::string GetKeyLabel(int index) const override
    {
        LabelsRead.push_back(index);
        return Labels.at(static_cast<size_t>(index));
    }
    int SubWinMode() const override { return SubWin; }
    TMsgLog* SubLog() override { return &SubView; }

    TBitmap32List List1;
    TBitmap32List WaitList;
    bool MsgInGameFlag = true;
    bool FullScreenFlag = false;
    bool BarShown = false;
    bool Shifted = false;
    int KeyCount = 12;
    std::array<std::string, 25> Labels;
    mutable std::vector<int> LabelsRead;
    int SubWin = 0;
    TRichEdit Sub;
    TRichEditLog SubView{Sub};
};

inline TFont MessageFont(int height = 12)
{
    TFont font;
    font.SetName(SJ("ＭＳゴシック"));
    font.SetHeight(-height);
    font.SetColor(clWhite);
    return font;
}

class TScreenTest : public testing::Test {
protected:
    static constexpr int ScreenW = 640;
    static constexpr int ScreenH = 480;

    void SetUp() override
    {
        SetClockSource(&Clock);
        Image.SetBounds(0, 0, ScreenW, ScreenH);
        Grp = std::make_unique<TTGGrp>(Host, Image, ScreenW, ScreenH);
    }

    // The message window as the main window makes it, but shown on the screen.
    void MakeMsg(bool onScreen = true, int maxLines = 1000)
    {
        Msg = std::make_unique<TTGMsg>(
            Host, maxLines, onScreen, &LogView, *Grp, 26, 304, 588, 120, MessageFont(), Host.List1.Bitmap(biMsgSkin));
    }

    void TearDown() override
    {
        Msg.reset();
        Grp.reset();
        SetClockSource(nullptr);
    }

    TBitmap32& Text() { return *Grp->GetTextBitmap(); }

    gdi::TGlyphSourceScope Glyphs{gdi::CreateBoxGlyphSource()};
    TFakeClock Clock{100000};
    TFakeScreenHost Host;
    TImage32 Image;
    std::unique_ptr<TTGGrp> Grp;
    TRichEdit Log;
    TRichEditLog LogView{Log};
    std::unique_ptr<TTGMsg> Msg;
};
