#pragma once
// The drop-target component: hooked to a control (WinControl), it answers
// the drags over that control. A list of format items says which data it
// takes and with which effects; the first item whose format the drag offers,
// with an effect both sides allow, is the drag's matched item, and the effect
// is the one the keys ask for when allowed, else the first allowed of copy,
// move, link. Handlers see each step through a TDragContext and may change
// its effect and result.
//
// The control's drag events reach the component through a Qt event filter.
// Several components on one control see each drag newest first; one that
// matches nothing passes the drag on to the older ones and then the control.

#include "base/classes.h"
#include "base/types.h"
#include "tools/filedrop/drop_effects.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMimeData;
class QEvent;
class QDropEvent;
class TCustomOleDropTarget;

inline constexpr int32_t S_OK = 0;

struct TDragContext {
    const QMimeData* DataObject = nullptr; // the drag's data; valid during the call
    uint32_t KeyState = 0;                 // MK_* bits
    TPoint Point;                          // in the control's client coordinates
    uint32_t Effect = DROPEFFECT_NONE;     // DROPEFFECT_* bits, in and out
    int32_t Result = S_OK;                 // in and out
};

using TOleDragEvent = std::function<void(TObject* Sender, TDragContext& Context)>;
using TOleDragLeaveEvent = std::function<void(TObject* Sender, int32_t& Result)>;

class TDFItem : public TObject {
public:
    using TDFItemEvent = std::function<void(TDFItem* Item, TDragContext& Context)>;

    std::string ClassName() const override { return "TDFItem"; }

    TDropEffects DropEffects{ekCopy};
    int32_t Tag = 0;
    TDFItemEvent OnDragEnter;
    TDFItemEvent OnDragOver;
    TDFItemEvent OnDrop;

    const std::string& FormatName() const { return FFormatName; }
    // Also resolves the clipboard-format id (ClipboardFormatFromName).
    void SetFormatName(std::string Name);
    uint16_t FormatId() const { return FFormatId; }
    // FormatName when set, else the class name.
    std::string GetDisplayName() const;

private:
    std::string FFormatName;
    uint16_t FFormatId = 0;
};

class TDFItems {
public:
    explicit TDFItems(TCustomOleDropTarget* Owner) : FOwner(Owner) {}

    TDFItem* Add();
    int Count() const { return int(FItems.size()); }
    TDFItem* operator[](int Index) const { return FItems.at(size_t(Index)).get(); }
    TCustomOleDropTarget* GetOwner() const { return FOwner; }

private:
    TCustomOleDropTarget* FOwner;
    std::vector<std::unique_ptr<TDFItem>> FItems;
};

class TCustomOleDropTarget : public QObject, public TObject {
public:
    explicit TCustomOleDropTarget(QObject* Owner = nullptr);
    ~TCustomOleDropTarget() override;
    TCustomOleDropTarget(const TCustomOleDropTarget&) = delete;
    TCustomOleDropTarget& operator=(const TCustomOleDropTarget&) = delete;
    std::string ClassName() const override { return "TCustomOleDropTarget"; }

    // The control whose drops this component takes; nil unhooks. A scroll
    // area (list box, memo) is hooked on its viewport, where drags arrive.
    // A control that is destroyed unhooks itself.
    QWidget* WinControl() const { return FControl; }
    void SetWinControl(QWidget* Control);

    TDFItems& Items() { return FItems; }
    // The item matched at the last drag enter, drag over or drop; nil if none.
    TDFItem* MatchedItem() const { return FMatchedItem; }

    TOleDragEvent OnDragEnter;
    TOleDragEvent OnDragOver;
    TOleDragLeaveEvent OnDragLeave;
    TOleDragEvent OnDrop;

    // The matched item and the effect for a drag offering DataObject with the
    // source's Allowed effect bits; ekNone and no item when nothing matches.
    TDropEffect ChooseDropEffect(const QMimeData* DataObject, uint32_t KeyState, uint32_t Allowed);

    // The steps of a drag over the control. Effect comes in as the effects
    // the source allows and goes out as the one chosen (0 to refuse); the
    // result is the handlers' (S_OK unless they change it).
    int32_t DragEnter(const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect);
    int32_t DragOver(const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect);
    int32_t DragLeave();
    int32_t Drop(const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    enum class TDragStep { Enter, Over, Drop };

    TDFItems FItems;
    TDFItem* FMatchedItem = nullptr;
    QPointer<QWidget> FControl;
    QPointer<QWidget> FHooked; // FControl or its viewport
    QMetaObject::Connection FDestroyedConnection;

    int32_t Step(TDragStep Kind, const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect);
    bool Answer(QDropEvent* Event, TDragStep Kind);
    void Hook(QWidget* Control);
    void Unhook();
};
