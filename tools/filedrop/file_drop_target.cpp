#include "tools/filedrop/file_drop_target.h"

#include "base/stringlist.h"
#include "tools/filedrop/data_object_reader.h"

TFileDropTarget::TFileDropTarget(QObject* Owner)
    : TCustomOleDropTarget(Owner), FDroppedFiles(std::make_unique<TStringList>())
{
    FFileItem = Items().Add();
    FFileItem->DropEffects = FDropEffects;
    FFileItem->SetFormatName("CF_HDROP");
    FFileItem->OnDragEnter = [this](TDFItem*, TDragContext&) {
        if (OnFileDragEnter)
            OnFileDragEnter(this);
    };
    FFileItem->OnDragOver = [this](TDFItem*, TDragContext&) {
        if (OnFileDragOver)
            OnFileDragOver(this);
    };
    FFileItem->OnDrop = [this](TDFItem*, TDragContext& Context) { FileDrop(Context); };
    OnDragLeave = [this](TObject*, int32_t&) { FileDragLeave(); };
}

TFileDropTarget::~TFileDropTarget()
{
    SetWinControl(nullptr);
    OnDragLeave = nullptr;
}

void TFileDropTarget::SetDropEffects(TDropEffects Effects)
{
    FDropEffects = Effects;
    FFileItem->DropEffects = Effects;
}

void TFileDropTarget::FileDrop(TDragContext& Context)
{
    FDroppedFiles->Clear();
    TDataObjectReader(Context.DataObject).GetFileNames(*FDroppedFiles);
    if (OnFileDrop)
        OnFileDrop(this, Context);
}

void TFileDropTarget::FileDragLeave()
{
    if (MatchedItem() && OnFileDragLeave)
        OnFileDragLeave(this);
}
