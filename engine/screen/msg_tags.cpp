#include "engine/screen/msg_tags.h"

#include <algorithm>

#include "base/conv.h"
#include "base/sjis.h"
#include "engine/screen/msg_colors.h"
#include "base/tokenizer.h"
#include "engine/screen/msg_log.h"

std::array<TColor, MsgColorCount> MsgColors{};

void InitMsgColors()
{
    MsgColors = {clBlack, clBlue, clRed, clPurple, clGreen, clAqua, clYellow, clWhite};
}

void TTagInfoList::Shift(int64_t posDelta, int charDelta)
{
    for (TTagInfo& info : FItems) {
        info.StartPos += posDelta;
        info.EndPos += posDelta;
        info.StartChar += charDelta;
        info.EndChar += charDelta;
    }
    std::erase_if(FItems, [](const TTagInfo& info) { return info.StartChar < 0 && info.EndChar < 0; });
    for (TTagInfo& info : FItems)
        if (info.StartChar < 0)
            info.StartChar = 0;
}

void TTagInfoList::ApplyTo(TMsgLog& richEdit) const
{
    for (const TTagInfo& info : FItems) {
        richEdit.SetSelStart(info.StartPos);
        richEdit.SetSelLength(info.EndPos - info.StartPos);
        richEdit.SetSelColor(
            IsMsgColorIndex(info.ColorIndex) ? MsgColors[static_cast<size_t>(info.ColorIndex)] : clBlack);
        richEdit.SetSelBold(info.Bold != 0);
    }
    richEdit.SetSelLength(0);
}

void CopyTagInfoList(TTagInfoList& dest, const TTagInfoList& source)
{
    if (&dest == &source)
        return;
    dest.Clear();
    for (const TTagInfo& info : source.Items())
        dest.Add(info);
}

void ParseTag(std::string_view tag, TTagInfoList& list, int64_t pos, int charPos, int& curColor, bool& curBold)
{
    const std::string word = sjis::UpperCase(GetToken(tag, ' ', 0));
    TTagInfo info;
    info.StartPos = pos;
    info.StartChar = charPos;
    if (word == "COL") {
        const int index = StrToInt(GetToken(tag, ' ', 1));
        // A colour the table does not have would draw from outside it.
        if (!IsMsgColorIndex(index))
            return;
        info.ColorIndex = index;
        info.Bold = curBold ? 1 : 0;
        list.Add(info);
        curColor = index;
    } else if (word == "B" || word == "/B") {
        const bool bold = word == "B";
        info.ColorIndex = curColor;
        info.Bold = bold ? 1 : 0;
        list.Add(info);
        curBold = bold;
    }
}

void SplitTags(std::string_view text, std::string& visible, TTagInfoList& list, int64_t byteBase, int charBase,
    int& curColor, bool& curBold)
{
    visible.clear();
    visible.reserve(text.size());
    const int first = list.Count();
    bool inTag = false;
    std::string tag;
    int64_t bytes = 0;
    int chars = 0;
    for (size_t i = 0; i < text.size(); i = sjis::NextChar(text, i)) {
        const std::string_view c = text.substr(i, sjis::CharLen(text, i));
        if (c == "<") {
            inTag = true;
        } else if (c == ">" && inTag) {
            ParseTag(tag, list, byteBase + bytes, charBase + chars, curColor, curBold);
            tag.clear();
            inTag = false;
        } else if (inTag) {
            tag += c;
        } else {
            visible += c;
            bytes += static_cast<int64_t>(c.size());
            ++chars;
        }
    }
    for (int i = first; i < list.Count(); ++i) {
        TTagInfo& info = list.GetInfo(i);
        if (i + 1 < list.Count()) {
            info.EndPos = list.GetInfo(i + 1).StartPos;
            info.EndChar = list.GetInfo(i + 1).StartChar;
        } else {
            info.EndPos = byteBase + bytes;
            info.EndChar = charBase + chars + 1;
        }
    }
}
