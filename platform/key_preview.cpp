#include "platform/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace {

// Sees every key event of the application first. Qt hands a key event on
// from the window to the focused control and from a control that ignores
// it to its parent, each time through the application's filters; the
// dispatcher therefore delivers the event itself, once, and lets the nested
// deliveries of that same event pass untouched.
class TKeyDispatcher : public QObject {
public:
    static TKeyDispatcher* Instance()
    {
        static QPointer<TKeyDispatcher> instance;
        if (!instance && QCoreApplication::instance()) {
            instance = new TKeyDispatcher(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(instance);
        }
        return instance;
    }

    std::vector<TKeyPreview*> Previews;
    std::vector<TAppKeyHook*> AppHooks;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    explicit TKeyDispatcher(QObject* parent) : QObject(parent) {}

    bool IsRegistered(const TKeyPreview* preview) const
    {
        return std::find(Previews.begin(), Previews.end(), preview) != Previews.end();
    }
    bool IsRegistered(const TAppKeyHook* hook) const
    {
        return std::find(AppHooks.begin(), AppHooks.end(), hook) != AppHooks.end();
    }
    TKeyPreview* PreviewOf(QObject* receiver) const;
    // Runs the hooks and the preview; true when one of them consumed the key
    // or the form keeps Tab from moving the focus.
    bool Preview(QObject* receiver, QKeyEvent& event);
    // The control the form's preview sends the key to instead of where it
    // is heading, or nullptr.
    QWidget* Redirect(QObject* receiver) const;

    std::vector<const QEvent*> FInFlight;
};

TKeyPreview* TKeyDispatcher::PreviewOf(QObject* receiver) const
{
    if (receiver->isWidgetType()) {
        const QWidget* form = static_cast<QWidget*>(receiver)->window();
        for (TKeyPreview* preview : Previews)
            if (preview->Form() == form)
                return preview;
    } else if (receiver->isWindowType()) {
        for (TKeyPreview* preview : Previews)
            if (preview->Form() && preview->Form()->windowHandle() == receiver)
                return preview;
    }
    return nullptr;
}

bool TKeyDispatcher::Preview(QObject* receiver, QKeyEvent& event)
{
    const bool down = event.type() == QEvent::KeyPress;
    uint16_t key = VirtualKeyOf(event);
    const TShiftState shift = ShiftStateOf(event);
    if (key == 0 || (!down && event.isAutoRepeat()))
        return false;

    // Handlers may unregister themselves or others; work on a copy and skip
    // whatever is gone by the time its turn comes.
    const std::vector<TAppKeyHook*> hooks = AppHooks;
    for (TAppKeyHook* hook : hooks) {
        if (!IsRegistered(hook))
            continue;
        const TKeyEvent handler = down ? hook->OnKeyDown : hook->OnKeyUp;
        if (handler)
            handler(key, shift);
        if (key == 0)
            return true;
    }

    TKeyPreview* preview = PreviewOf(receiver);
    if (!preview)
        return false;
    const TKeyEvent handler = down ? preview->OnKeyDown : preview->OnKeyUp;
    if (handler)
        handler(key, shift);
    if (key == 0)
        return true;
    return key == VK_TAB && IsRegistered(preview) && !preview->TabTraversal;
}

QWidget* TKeyDispatcher::Redirect(QObject* receiver) const
{
    TKeyPreview* preview = PreviewOf(receiver);
    if (!preview || !preview->KeyTarget)
        return nullptr;
    // A key sent to a window goes on to the window's focus object.
    QObject* heading = receiver;
    if (receiver->isWindowType())
        if (QObject* focus = static_cast<QWindow*>(receiver)->focusObject())
            heading = focus;
    QWidget* target = preview->KeyTarget(heading);
    // A control that cannot take keys now would only drop them.
    if (!target || target == heading || !target->isEnabled() || !target->isVisible())
        return nullptr;
    return target;
}

bool TKeyDispatcher::eventFilter(QObject* receiver, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    if (std::find(FInFlight.begin(), FInFlight.end(), event) != FInFlight.end())
        return false;
    if (AppHooks.empty() && !PreviewOf(receiver))
        return false;

    const bool toWindow = receiver->isWindowType();
    QPointer<QObject> target = receiver;
    if (Preview(receiver, *static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    if (!target)
        return true;
    bool redirected = false;
    if (QWidget* other = Redirect(target)) {
        target = other;
        redirected = true;
    }

    FInFlight.push_back(event);
    QCoreApplication::instance()->notify(target, event);
    FInFlight.erase(std::find(FInFlight.begin(), FInFlight.end(), event));
    // The nested delivery has passed the event up the parents already;
    // accepting it keeps Qt from passing it up a second time. A window
    // keeps the answer of its controls, unless the key went elsewhere.
    if (!toWindow || redirected)
        event->accept();
    return true;
}

} // namespace

TKeyPreview::TKeyPreview(QWidget* form) : FForm(form)
{
    if (TKeyDispatcher* dispatcher = TKeyDispatcher::Instance())
        dispatcher->Previews.push_back(this);
}

TKeyPreview::~TKeyPreview()
{
    OnKeyDown = nullptr;
    OnKeyUp = nullptr;
    if (TKeyDispatcher* dispatcher = TKeyDispatcher::Instance())
        std::erase(dispatcher->Previews, this);
}

TAppKeyHook::TAppKeyHook()
{
    if (TKeyDispatcher* dispatcher = TKeyDispatcher::Instance())
        dispatcher->AppHooks.push_back(this);
}

TAppKeyHook::~TAppKeyHook()
{
    OnKeyDown = nullptr;
    OnKeyUp = nullptr;
    if (TKeyDispatcher* dispatcher = TKeyDispatcher::Instance())
        std::erase(dispatcher->AppHooks, this);
}
