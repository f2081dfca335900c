// The message window's AddText with a 48-character Japanese line (one full
// wrapped line, drawn on the screen and added to the log), with a nearly
// empty and a nearly full backlog. A full backlog must cost no more per line
// than an empty one. The reference is the drawing alone: the same 48
// characters rendered one by one onto the text bitmap.
//
// Then one line of 1 MB: a single word without any break, against words of
// eight letters and a blank. The word may cost at most about twice the words.

#include <QApplication>
#include <QTextEdit>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "base/sjis.h"
#include "engine/screen/builtin_pictures.h"
#include "engine/qt/rich_edit_log.h"
#include "engine/screen/screen_host.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"
#include "classlib/font.h"
#include "platform/rich_edit.h"

namespace {

// The rich log is a widget; widgets want an application object.
void EnsureApplication()
{
    static std::unique_ptr<QApplication> app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "bench_message";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
}

class THost : public TScreenHost {
public:
    THost() { LoadBuiltInPictures(FList1); }
    TBitmap32List& Bitmap32List1() override { return FList1; }
    TBitmap32List& WaitGrpList() override { return FWait; }
    bool MsgInGame() const override { return true; }
    bool FullScreen() const override { return false; }
    bool FuncBarShown() const override { return false; }
    bool FuncBarShifted() const override { return false; }
    int FuncKeyCount() const override { return 12; }
    std::string GetKeyLabel(int) const override { return {}; }
    int SubWinMode() const override { return 0; }
    TMsgLog* SubLog() override { return nullptr; }

private:
    TBitmap32List FList1;
    TBitmap32List FWait;
};

const std::string& JapaneseLine()
{
    static const std::string line = SJ("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"
                                       "何でも薄暗いじめじめした所で泣");
    return line;
}

// Constructed first, before any widget of the screen.
struct TApplicationGuard {
    TApplicationGuard() { EnsureApplication(); }
};

struct TScreen {
    TScreen()
    {
        Image.SetBounds(0, 0, 640, 480);
        Grp = std::make_unique<TTGGrp>(Host, Image, 640, 480);
        TFont font;
        font.SetName(SJ("ＭＳゴシック"));
        font.SetHeight(-12);
        font.SetColor(clWhite);
        Msg = std::make_unique<TTGMsg>(
            Host, 1000, true, &LogAdapter, *Grp, 26, 304, 588, 120, font, Host.Bitmap32List1().Bitmap(biMsgSkin));
    }
    ~TScreen()
    {
        Msg.reset();
        Grp.reset();
    }

    void Refill(int lines)
    {
        Msg->Clear();
        for (int i = 0; i < lines; ++i)
            Msg->AddText(JapaneseLine());
    }

    TApplicationGuard Guard;
    THost Host;
    TImage32 Image;
    std::unique_ptr<TTGGrp> Grp;
    TRichEdit Log;
    TRichEditLog LogAdapter{Log};
    std::unique_ptr<TTGMsg> Msg;
};

// Lines are added in runs of 40 from the given backlog fill; between runs the
// window is emptied and filled again, untimed.
void BM_AddText(benchmark::State& state)
{
    TScreen screen;
    const int fill = int(state.range(0));
    constexpr int RunLength = 40;
    screen.Refill(fill);
    int inRun = 0;
    for (auto _ : state) {
        if (inRun == RunLength) {
            state.PauseTiming();
            screen.Refill(fill);
            inRun = 0;
            state.ResumeTiming();
        }
        screen.Msg->AddText(JapaneseLine());
        ++inRun;
    }
    state.counters["backlog"] = screen.Msg->Backlog().Count();
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_AddText)->ArgName("fill")->Arg(0)->Arg(900)->Unit(benchmark::kMicrosecond);

void BM_DrawCharactersReference(benchmark::State& state)
{
    TScreen screen;
    TBitmap32& text = *screen.Grp->GetTextBitmap();
    const std::string& line = JapaneseLine();
    std::string c;
    for (auto _ : state) {
        int x = 26;
        for (size_t i = 0; i < line.size(); i = sjis::NextChar(line, i)) {
            c.assign(line, i, sjis::CharLen(line, i));
            text.RenderText(x, 304, c, 0, 0xFFFFFFFF);
            x += text.TextExtent(c).cx;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_DrawCharactersReference)->Unit(benchmark::kMicrosecond);

constexpr size_t LongLineBytes = 1 << 20;

void AddLongLine(benchmark::State& state, const std::string& line)
{
    TScreen screen;
    // A log on show lays its lines out, as the player's does.
    QWidget* box = screen.Log.Widget();
    box->resize(300, 200);
    box->show();
    for (auto _ : state) {
        state.PauseTiming();
        screen.Msg->Clear();
        state.ResumeTiming();
        screen.Msg->AddText(line);
    }
    if (screen.LogAdapter.LineCount() != 1 || screen.Log.Line(0).size() != line.size())
        state.SkipWithError("the line did not reach the log whole");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(line.size()));
}

void BM_AddTextLongWord(benchmark::State& state)
{
    AddLongLine(state, std::string(LongLineBytes, 'x'));
}
BENCHMARK(BM_AddTextLongWord)->Unit(benchmark::kMillisecond);

// Reference: a line of the same length made of words.
void BM_AddTextLongLineOfWords(benchmark::State& state)
{
    std::string line;
    line.reserve(LongLineBytes);
    while (line.size() < LongLineBytes)
        line += "abcdefgh ";
    line.resize(LongLineBytes, 'x');
    AddLongLine(state, line);
}
BENCHMARK(BM_AddTextLongLineOfWords)->Unit(benchmark::kMillisecond);

} // namespace
