#pragma once
// A message log without a window: the lines and the selection as a
// rich-edit box keeps them, formatting accepted and dropped. The engine's
// fake host gives it to the message window.

#include <string>
#include <vector>

#include "engine/screen/msg_log.h"

class TPlainMsgLog : public TMsgLog {
public:
    int LineCount() const override { return static_cast<int>(FLines.size()); }
    const std::string& Line(int index) const override { return FLines.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Lines() const { return FLines; }
    void AddLine(std::string_view text) override;
    void Clear() override;
    int64_t TextByteLength() const override { return FByteLength; }
    int64_t TextCharLength() const override { return FCharLength; }
    int64_t CharToBytePos(int64_t charPos) const override;
    void SetSelStart(int64_t value) override;
    void SetSelLength(int64_t value) override;
    void SetSelColor(TColor) override {}
    void SetSelBold(bool) override {}
    void ClearSelection() override;
    void SetReadOnly(bool) override {}
    void ScrollCaret() override {}
    void HideCaret() override {}

private:
    std::string Text() const;
    void SetText(const std::string& text);

    std::vector<std::string> FLines;
    int64_t FByteLength = 0;
    int64_t FCharLength = 0;
    int64_t FSelStart = 0;
    int64_t FSelLength = 0;
};
