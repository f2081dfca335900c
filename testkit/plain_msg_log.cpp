#include "testkit/plain_msg_log.h"

#include <algorithm>

#include "base/sjis.h"

namespace {

constexpr std::string_view LineBreak = "\r\n";

} // namespace

void TPlainMsgLog::AddLine(std::string_view text)
{
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    FByteLength += static_cast<int64_t>(line.size() + LineBreak.size());
    FCharLength += static_cast<int64_t>(sjis::CharCount(line) + LineBreak.size());
    FLines.push_back(std::move(line));
}

void TPlainMsgLog::Clear()
{
    FLines.clear();
    FByteLength = FCharLength = FSelStart = FSelLength = 0;
}

std::string TPlainMsgLog::Text() const
{
    std::string text;
    for (const std::string& line : FLines) {
        text += line;
        text += LineBreak;
    }
    return text;
}

void TPlainMsgLog::SetText(const std::string& text)
{
    Clear();
    size_t start = 0;
    for (size_t at = text.find(LineBreak); at != std::string::npos; at = text.find(LineBreak, start)) {
        AddLine(std::string_view(text).substr(start, at - start));
        start = at + LineBreak.size();
    }
    if (start < text.size())
        AddLine(std::string_view(text).substr(start));
}

int64_t TPlainMsgLog::CharToBytePos(int64_t charPos) const
{
    const std::string text = Text();
    size_t i = 0;
    for (int64_t c = 0; c < charPos && i < text.size(); ++c)
        i = sjis::NextChar(text, i);
    return static_cast<int64_t>(i);
}

void TPlainMsgLog::SetSelStart(int64_t value)
{
    FSelStart = std::clamp<int64_t>(value, 0, FByteLength);
    FSelLength = 0;
}

void TPlainMsgLog::SetSelLength(int64_t value)
{
    FSelLength = std::clamp<int64_t>(value, 0, FByteLength - FSelStart);
}

void TPlainMsgLog::ClearSelection()
{
    if (FSelLength <= 0)
        return;
    std::string text = Text();
    text.erase(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength));
    const int64_t start = FSelStart;
    SetText(text);
    FSelStart = std::min(start, FByteLength);
}
