#pragma once
// The message log kept in a window's rich-edit box.

#include "engine/screen/msg_log.h"

class TRichEdit;

class TRichEditLog : public TMsgLog {
public:
    // `box` is not owned and must outlive this object.
    explicit TRichEditLog(TRichEdit& box) : FBox(box) {}

    TRichEdit& Box() const { return FBox; }

    int LineCount() const override;
    const std::string& Line(int index) const override;
    void AddLine(std::string_view text) override;
    void Clear() override;
    int64_t TextByteLength() const override;
    int64_t TextCharLength() const override;
    int64_t CharToBytePos(int64_t charPos) const override;
    void SetSelStart(int64_t value) override;
    void SetSelLength(int64_t value) override;
    void SetSelColor(TColor color) override;
    void SetSelBold(bool bold) override;
    void ClearSelection() override;
    void SetReadOnly(bool value) override;
    void ScrollCaret() override;
    void HideCaret() override;

private:
    TRichEdit& FBox;
};
