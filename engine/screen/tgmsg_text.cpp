// Text arriving in the message window: tags, the log, word wrap, the backlog
// with its runs, and the trims that keep the backlog and the log bounded.

#include <algorithm>

#include "base/conv.h"
#include "engine/screen/msg_log.h"
#include "engine/screen/msg_wrap.h"
#include "engine/screen/screen_host.h"
#include "engine/screen/tgmsg.h"

namespace {

// Splits a text at CR LF, LF or a lone CR as a string list does; a final
// line break adds no empty line, and an empty text is one empty line.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size() || lines.empty())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace

void TTGMsg::AddText(std::string_view text)
{
    // A text with line breaks is a text per line, each starting in the tag
    // state the previous one left.
    for (std::string_view line : SplitLines(text))
        AddOneText(line);
}

void TTGMsg::AddToSubWindow(std::string_view text)
{
    TMsgLog* sub = FHost.SubLog();
    if (!sub)
        return;
    FCurRuns.Clear();
    FDrawRuns = &FCurRuns;
    std::string visible;
    SplitTags(text, visible, FCurRuns, sub->TextByteLength(), 0, FCurColor, FCurBold);
    sub->AddLine(visible);
    FCurRuns.ApplyTo(*sub);
    sub->SetSelStart(sub->TextByteLength());
    sub->ScrollCaret();
    sub->HideCaret();
}

void TTGMsg::AddOneText(std::string_view text)
{
    if (!FLog)
        return;
    if (FHost.SubWinMode() == 1) {
        AddToSubWindow(text);
        return;
    }

    const int64_t byteBase = FLog->TextByteLength();
    FCurRuns.Clear();
    FDrawRuns = &FCurRuns;
    // Without tags the text is shown as it stands.
    std::string tagged;
    std::string_view visible = text;
    if (FTagMode) {
        std::string prefixed = "<COL " + IntToStr(FCurColor) + ">";
        if (FCurBold)
            prefixed += "<B>";
        prefixed += text;
        SplitTags(prefixed, tagged, FCurRuns, byteBase, 0, FCurColor, FCurBold);
        visible = tagged;
    }

    FLog->AddLine(visible);
    FCurRuns.ApplyTo(*FLog);
    TrimLog();
    if (!FOnScreen) {
        FLog->SetSelStart(FLog->TextByteLength() - 1);
        FLog->ScrollCaret();
        FLog->HideCaret();
    }

    TrimBacklog();

    const int capacity = WrapCapacity(FRight - FLeft, LayoutHeight());
    // The characters are decoded a chunk at a time, and those of lines
    // already stored are let go: a line of any length holds only a chunk of
    // them at once. A line takes at most capacity + 1 of them, and the one
    // after it is looked at.
    TCharReader reader(visible);
    std::vector<TTextChar> chars;
    size_t base = 0; // index in the whole text of chars[0]
    const size_t lookahead = static_cast<size_t>(std::max(capacity, 1)) + 2;
    constexpr size_t DropAfter = 1 << 16;
    // Each wrapped line takes the runs that reach into it, counted from its
    // own start, so that a long text with many runs costs no more than its
    // length; the last line takes every run that is left.
    const std::vector<TTagInfo> runs = FCurRuns.Items();
    size_t firstRun = 0;
    size_t begin = 0;
    for (;;) {
        while (base + chars.size() - begin < lookahead && reader.ReadPiece(chars)) {}
        if (begin >= base + chars.size())
            break;
        bool full = false;
        const size_t end = base + NextLineEnd(chars, begin - base, capacity, full);
        while (firstRun < runs.size() && runs[firstRun].EndChar < static_cast<int>(begin))
            ++firstRun;
        FCurRuns.Clear();
        for (size_t r = firstRun; r < runs.size() && (!full || runs[r].StartChar < static_cast<int>(end)); ++r) {
            TTagInfo info = runs[r];
            info.StartChar = std::max(0, info.StartChar - static_cast<int>(begin));
            info.EndChar -= static_cast<int>(begin);
            FCurRuns.Add(info);
        }
        const size_t from = chars[begin - base].Pos;
        const size_t to = end < base + chars.size() ? chars[end - base].Pos : visible.size();
        StoreLine(std::string(visible.substr(from, to - from)));
        if (!full)
            break;
        TrimBacklog();
        begin = end;
        if (begin - base >= DropAfter) {
            chars.erase(chars.begin(), chars.begin() + static_cast<std::ptrdiff_t>(begin - base));
            base = begin;
        }
    }
}

void TTGMsg::StoreLine(std::string line)
{
    // The slot of the line about to be added is its backlog index, whether
    // or not the window is scrolled back.
    const size_t slot = static_cast<size_t>(FBacklog.Count());
    if (slot >= FLineRuns.size())
        FLineRuns.resize(slot + 1);
    CopyTagInfoList(FLineRuns[slot], FCurRuns);
    AddLine(std::move(line), FOnScreen);
}

void TTGMsg::AddLine(std::string line, bool draw)
{
    const size_t index = static_cast<size_t>(FBacklog.Add(std::move(line)));
    // A scrolled-back view stays as the player left it; ScrollToEnd or
    // scrolling down brings the new lines.
    if (FScrolled)
        return;
    while (FRow >= FRows) {
        ++FFirstLine;
        if (draw)
            ShiftRowsUp(1);
        --FRow;
    }
    if (draw) {
        FDrawRuns = &FLineRuns[index];
        DrawLine(FRow, FBacklog[static_cast<int>(index)]);
    }
    ++FRow;
}

bool TTGMsg::TrimBacklog()
{
    int count = FBacklog.Count();
    if (count + 50 <= FMaxLines)
        return false;
    const int keep = std::max(0, FMaxLines - FMaxLines / 4 - 1);
    const int d = count - keep;
    if (d <= 0)
        return false;

    std::vector<std::string> rest(FBacklog.Items().begin() + d, FBacklog.Items().end());
    FBacklog.Clear();
    for (std::string& line : rest)
        FBacklog.Add(std::move(line));
    std::move(FLineRuns.begin() + std::min<size_t>(static_cast<size_t>(d), FLineRuns.size()), FLineRuns.end(),
        FLineRuns.begin());
    for (size_t i = FLineRuns.size() - std::min<size_t>(static_cast<size_t>(d), FLineRuns.size()); i < FLineRuns.size();
         ++i)
        FLineRuns[i].Clear();
    count -= d;

    const int oldFirst = FFirstLine;
    if (FScrolled) {
        // The view keeps its lines where they survive.
        FFirstLine = std::max(0, oldFirst - d);
        FScrolled = FFirstLine < count - FRows;
        if (oldFirst < d && FOnScreen)
            DrawLines();
        return true;
    }
    FFirstLine = std::max(0, count - FRows);
    FRow = std::min(FRows, count - FFirstLine);
    // Only when the shown lines are not the ones that were shown (an area of
    // more rows than the backlog keeps) does the screen need them again.
    if (FFirstLine != oldFirst - d && FOnScreen)
        DrawLines();
    return true;
}

void TTGMsg::TrimLog()
{
    if (FLog->LineCount() <= FMaxLines)
        return;
    const int64_t n = FLog->TextCharLength();
    const int64_t cut = FLog->CharToBytePos(n / 4);
    FLog->SetReadOnly(false);
    FLog->SetSelStart(0);
    FLog->SetSelLength(cut);
    FLog->ClearSelection();
    FLog->SetReadOnly(true);
}

void TTGMsg::Clear()
{
    if (FHost.SubWinMode() == 1) {
        if (TMsgLog* sub = FHost.SubLog())
            sub->Clear();
        return;
    }
    if (FLog)
        FLog->Clear();
    FBacklog.Clear();
    FCurRuns.Clear();
    for (TTagInfoList& runs : FLineRuns)
        runs.Clear();
    FDrawRuns = &FCurRuns;
    FFirstLine = 0;
    FRow = 0;
    FScrolled = false;
    if (FOnScreen)
        ScrollToEnd();
}
