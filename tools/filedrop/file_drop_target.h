#pragma once
// The drop target the tools place on their windows: it takes dropped files
// (the "CF_HDROP" format) with the effects in DropEffects, keeps their paths
// in DroppedFiles and tells its owner through the file events, which fire
// only while a drag offers files with an allowed effect.

#include "base/classes.h"
#include "tools/filedrop/ole_drop_target.h"

#include <memory>

class TStringList;

class TFileDropTarget : public TCustomOleDropTarget {
public:
    explicit TFileDropTarget(QObject* Owner = nullptr);
    ~TFileDropTarget() override;
    std::string ClassName() const override { return "TFileDropTarget"; }

    // [ekCopy] at creation; setting it also sets the file item's effects.
    TDropEffects DropEffects() const { return FDropEffects; }
    void SetDropEffects(TDropEffects Effects);

    // The paths of the last drop (file-system bytes, in the drop's order),
    // kept until the next drop.
    TStringList& DroppedFiles() { return *FDroppedFiles; }

    TNotifyEvent OnFileDragEnter;
    TNotifyEvent OnFileDragOver;
    TNotifyEvent OnFileDragLeave;
    TOleDragEvent OnFileDrop;

private:
    TDFItem* FFileItem;
    TDropEffects FDropEffects{ekCopy};
    std::unique_ptr<TStringList> FDroppedFiles;

    void FileDrop(TDragContext& Context);
    void FileDragLeave();
};
