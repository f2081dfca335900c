#include "engine/qt/rich_edit_log.h"

#include "platform/rich_edit.h"

int TRichEditLog::LineCount() const
{
    return FBox.LineCount();
}
const std::string& TRichEditLog::Line(int index) const
{
    return FBox.Line(index);
}
void TRichEditLog::AddLine(std::string_view text)
{
    FBox.AddLine(text);
}
void TRichEditLog::Clear()
{
    FBox.Clear();
}
int64_t TRichEditLog::TextByteLength() const
{
    return FBox.TextByteLength();
}
int64_t TRichEditLog::TextCharLength() const
{
    return FBox.TextCharLength();
}
int64_t TRichEditLog::CharToBytePos(int64_t charPos) const
{
    return FBox.CharToBytePos(charPos);
}
void TRichEditLog::SetSelStart(int64_t value)
{
    FBox.SetSelStart(value);
}
void TRichEditLog::SetSelLength(int64_t value)
{
    FBox.SetSelLength(value);
}
void TRichEditLog::SetSelColor(TColor color)
{
    FBox.SetSelColor(color);
}
void TRichEditLog::SetSelBold(bool bold)
{
    FBox.SetSelBold(bold);
}
void TRichEditLog::ClearSelection()
{
    FBox.ClearSelection();
}
void TRichEditLog::SetReadOnly(bool value)
{
    FBox.SetReadOnly(value);
}
void TRichEditLog::ScrollCaret()
{
    FBox.ScrollCaret();
}
void TRichEditLog::HideCaret()
{
    FBox.HideCaret();
}
