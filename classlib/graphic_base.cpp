#include "classlib/graphic_base.h"

void TGraphic::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    Changed(this);
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    TMemoryStream stream;
    SaveToStream(stream);
    WriteFileAtomically(fileName, stream.Memory(), stream.Bytes().size());
}

bool TGraphic::Equals(TGraphic* other)
{
    if (other == nullptr || other->ClassName() != ClassName())
        return false;
    if (Empty() || other->Empty())
        return Empty() && other->Empty();
    TMemoryStream mine;
    TMemoryStream theirs;
    SaveToStream(mine);
    other->SaveToStream(theirs);
    return mine.Bytes() == theirs.Bytes();
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject*)
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::Progress(
    TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r, const std::string& msg)
{
    if (OnProgress)
        OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}
