#include "tools/filedrop/ole_drop_target.h"

#include "tools/filedrop/data_object_reader.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QWidget>

namespace {

// Kept on the hooked widget itself, so they go with it: how many components
// hook it, and whether it took drops before the first one came.
constexpr const char* HookCountProperty = "tgDropTargetCount";
constexpr const char* AcceptedBeforeProperty = "tgAcceptDropsBefore";

uint32_t EffectsFromActions(Qt::DropActions Actions)
{
    uint32_t bits = DROPEFFECT_NONE;
    if (Actions & Qt::CopyAction)
        bits |= DROPEFFECT_COPY;
    if (Actions & Qt::MoveAction)
        bits |= DROPEFFECT_MOVE;
    if (Actions & Qt::LinkAction)
        bits |= DROPEFFECT_LINK;
    return bits;
}

Qt::DropAction ActionFromEffect(uint32_t Effect)
{
    const TDropEffects e = DropEffectsFromOle(Effect);
    if (e.Contains(ekCopy))
        return Qt::CopyAction;
    if (e.Contains(ekMove))
        return Qt::MoveAction;
    if (e.Contains(ekLink))
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

uint32_t KeyStateOf(const QDropEvent& Event)
{
    uint32_t state = 0;
    const Qt::MouseButtons buttons = Event.buttons();
    const Qt::KeyboardModifiers keys = Event.modifiers();
    if (buttons & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= MK_MBUTTON;
    if (keys & Qt::ShiftModifier)
        state |= MK_SHIFT;
    if (keys & Qt::ControlModifier)
        state |= MK_CONTROL;
    if (keys & Qt::AltModifier)
        state |= MK_ALT;
    return state;
}

} // namespace

void TDFItem::SetFormatName(std::string Name)
{
    FFormatName = std::move(Name);
    FFormatId = ClipboardFormatFromName(FFormatName);
}

std::string TDFItem::GetDisplayName() const
{
    return FFormatName.empty() ? ClassName() : FFormatName;
}

TDFItem* TDFItems::Add()
{
    FItems.push_back(std::make_unique<TDFItem>());
    return FItems.back().get();
}

// ---------------------------------------------------------------------------

TCustomOleDropTarget::TCustomOleDropTarget(QObject* Owner) : QObject(Owner), FItems(this)
{
}

TCustomOleDropTarget::~TCustomOleDropTarget()
{
    Unhook();
}

void TCustomOleDropTarget::SetWinControl(QWidget* Control)
{
    if (Control == FControl)
        return;
    Unhook();
    if (Control)
        Hook(Control);
}

void TCustomOleDropTarget::Hook(QWidget* Control)
{
    QWidget* target = Control;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(Control))
        target = area->viewport();
    FControl = Control;
    FHooked = target;

    const int count = target->property(HookCountProperty).toInt();
    if (count == 0)
        target->setProperty(AcceptedBeforeProperty, target->acceptDrops());
    target->setProperty(HookCountProperty, count + 1);
    target->setAcceptDrops(true);
    target->installEventFilter(this);
    // A viewport replaced or freed on its own unhooks as well.
    FDestroyedConnection = connect(target, &QObject::destroyed, this, [this] {
        FControl = nullptr;
        FHooked = nullptr;
        FMatchedItem = nullptr;
    });
}

void TCustomOleDropTarget::Unhook()
{
    QObject::disconnect(FDestroyedConnection);
    if (QWidget* target = FHooked) {
        target->removeEventFilter(this);
        const int count = target->property(HookCountProperty).toInt() - 1;
        if (count <= 0) {
            target->setAcceptDrops(target->property(AcceptedBeforeProperty).toBool());
            target->setProperty(HookCountProperty, QVariant());
            target->setProperty(AcceptedBeforeProperty, QVariant());
        } else {
            target->setProperty(HookCountProperty, count);
        }
    }
    FControl = nullptr;
    FHooked = nullptr;
    FMatchedItem = nullptr;
}

TDropEffect TCustomOleDropTarget::ChooseDropEffect(const QMimeData* DataObject, uint32_t KeyState, uint32_t Allowed)
{
    FMatchedItem = nullptr;
    const TDropEffects allowed = DropEffectsFromOle(Allowed);
    const TDataObjectReader reader(DataObject);
    for (int i = 0; i < FItems.Count(); ++i) {
        TDFItem* item = FItems[i];
        const TDropEffects shared = item->DropEffects * allowed;
        if (shared.Empty() || !reader.HasFormat(item->FormatId()))
            continue;
        FMatchedItem = item;
        const TDropEffect wanted = DropEffectFromKeyState(KeyState);
        if (shared.Contains(wanted))
            return wanted;
        for (TDropEffect e : {ekCopy, ekMove, ekLink})
            if (shared.Contains(e))
                return e;
    }
    return ekNone;
}

int32_t TCustomOleDropTarget::Step(
    TDragStep Kind, const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect)
{
    const TDropEffect chosen = ChooseDropEffect(DataObject, KeyState, Effect);

    TDragContext context;
    context.DataObject = DataObject;
    context.KeyState = KeyState;
    context.Point = Point;
    context.Effect = chosen == ekNone ? DROPEFFECT_NONE : DropEffectsToOle({chosen});
    context.Result = S_OK;

    // The item's handler may be the very thing that frees it (a drop that
    // rebuilds the items), so it is taken before the call.
    TDFItem* item = FMatchedItem;
    switch (Kind) {
    case TDragStep::Enter:
        if (item && item->OnDragEnter)
            item->OnDragEnter(item, context);
        if (OnDragEnter)
            OnDragEnter(this, context);
        break;
    case TDragStep::Over:
        if (item && item->OnDragOver)
            item->OnDragOver(item, context);
        if (OnDragOver)
            OnDragOver(this, context);
        break;
    case TDragStep::Drop:
        if (item && item->OnDrop)
            item->OnDrop(item, context);
        if (OnDrop)
            OnDrop(this, context);
        break;
    }
    Effect = context.Effect;
    return context.Result;
}

int32_t TCustomOleDropTarget::DragEnter(const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect)
{
    return Step(TDragStep::Enter, DataObject, KeyState, Point, Effect);
}

int32_t TCustomOleDropTarget::DragOver(const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect)
{
    return Step(TDragStep::Over, DataObject, KeyState, Point, Effect);
}

int32_t TCustomOleDropTarget::DragLeave()
{
    int32_t result = S_OK;
    if (OnDragLeave)
        OnDragLeave(this, result);
    return result;
}

// The effect is chosen again for the drop, so the source learns what was
// done with its data (a move source deletes its files only when told "move").
int32_t TCustomOleDropTarget::Drop(const QMimeData* DataObject, uint32_t KeyState, TPoint Point, uint32_t& Effect)
{
    return Step(TDragStep::Drop, DataObject, KeyState, Point, Effect);
}

bool TCustomOleDropTarget::Answer(QDropEvent* Event, TDragStep Kind)
{
    uint32_t effect = EffectsFromActions(Event->possibleActions());
    const TPoint point{Event->position().toPoint().x(), Event->position().toPoint().y()};
    switch (Kind) {
    case TDragStep::Enter: DragEnter(Event->mimeData(), KeyStateOf(*Event), point, effect); break;
    case TDragStep::Over: DragOver(Event->mimeData(), KeyStateOf(*Event), point, effect); break;
    case TDragStep::Drop: Drop(Event->mimeData(), KeyStateOf(*Event), point, effect); break;
    }
    const Qt::DropAction action = ActionFromEffect(effect);
    if (action == Qt::IgnoreAction) {
        // Not ours: an older component on the control, or the control, may take it.
        Event->ignore();
        return false;
    }
    Event->setDropAction(action);
    Event->accept();
    return true;
}

bool TCustomOleDropTarget::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != FHooked)
        return false;
    switch (Event->type()) {
    case QEvent::DragEnter: return Answer(static_cast<QDropEvent*>(Event), TDragStep::Enter);
    case QEvent::DragMove: return Answer(static_cast<QDropEvent*>(Event), TDragStep::Over);
    case QEvent::Drop: return Answer(static_cast<QDropEvent*>(Event), TDragStep::Drop);
    case QEvent::DragLeave: DragLeave(); return false;
    default: return false;
    }
}
