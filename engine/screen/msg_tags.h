#pragma once
// Colour and bold runs of message text, and the inline tags that make them:
// <COL n> chooses colour n of the message colour table, <B> and </B> turn
// bold on and off. A run applies from its start up to the next run's start.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TMsgLog;

// Entries of the message colour table.
constexpr int MsgColorCount = 16;

struct TTagInfo {
    // Byte position (Shift-JIS) where the run starts in the log box's text,
    // and where it ends.
    int64_t StartPos = 0;
    int64_t EndPos = -1;
    // Character position where the run starts in the visible text (later: in
    // the line), and where it ends.
    int StartChar = 0;
    int EndChar = -1;
    int ColorIndex = 0;
    // 1 bold, 0 plain.
    uint8_t Bold = 0;
    friend bool operator==(const TTagInfo&, const TTagInfo&) = default;
};

class TTagInfoList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TTagInfo& GetInfo(int i) const { return FItems[static_cast<size_t>(i)]; }
    TTagInfo& GetInfo(int i) { return FItems[static_cast<size_t>(i)]; }
    const std::vector<TTagInfo>& Items() const { return FItems; }
    void Add(const TTagInfo& info) { FItems.push_back(info); }
    void Clear() { FItems.clear(); }

    // Moves every run by the deltas. A run that now lies wholly before the
    // start (start and end below 0) is dropped; one that begins before it
    // starts at 0.
    void Shift(int64_t posDelta, int charDelta);
    // Colours the runs in the box: colour from the message colour table
    // (index 0 is black there), bold or plain. Leaves nothing selected.
    void ApplyTo(TMsgLog& richEdit) const;

private:
    std::vector<TTagInfo> FItems;
};

// Dest becomes a copy of Source.
void CopyTagInfoList(TTagInfoList& dest, const TTagInfoList& source);

// Splits `text` into its visible characters and the runs its tags make.
// Run positions count from byteBase (bytes) and charBase (characters).
// curColor and curBold are the state of the last tags seen, which carries
// over from one text to the next. A tag that is never closed hides the rest
// of the text. Raises EConvertError when a colour tag's number is no integer.
void SplitTags(std::string_view text, std::string& visible, TTagInfoList& list, int64_t byteBase, int charBase,
    int& curColor, bool& curBold);

// Acts on one tag's text found at `pos` / `charPos`. Unknown words, an empty
// tag and a colour number outside the table are dropped without a trace.
void ParseTag(std::string_view tag, TTagInfoList& list, int64_t pos, int charPos, int& curColor, bool& curBold);
