#include "platform/key_hook.h"

#include <QKeyEvent>
#include <QWidget>

#include "base/sjis.h"

namespace {

// The character a key press types, when it is one Shift-JIS byte.
bool SingleByteChar(const QKeyEvent& event, char& ch)
{
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    std::string bytes;
    if (!sjis::TryFromUtf8(text.toStdString(), bytes) || bytes.size() != 1)
        return false;
    ch = bytes[0];
    return true;
}

} // namespace

TKeyHook::TKeyHook(QWidget* control) : FControl(control)
{
    if (control)
        control->installEventFilter(this);
}

TKeyHook::~TKeyHook()
{
    OnKeyDown = nullptr;
    OnKeyUp = nullptr;
    OnKeyPress = nullptr;
    if (FControl)
        FControl->removeEventFilter(this);
}

bool TKeyHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FControl || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QObject::eventFilter(watched, event);
    auto& keyEvent = *static_cast<QKeyEvent*>(event);
    uint16_t key = VirtualKeyOf(keyEvent);
    const TShiftState shift = ShiftStateOf(keyEvent);

    if (event->type() == QEvent::KeyRelease) {
        // Windows sends no key up while a held key repeats.
        if (keyEvent.isAutoRepeat() || key == 0 || !OnKeyUp)
            return false;
        const TKeyEvent handler = OnKeyUp;
        handler(key, shift);
        return key == 0;
    }

    // A handler may free the control or this hook (switching to another
    // control); handlers are called through copies and the decision is kept
    // in locals.
    QPointer<TKeyHook> self = this;
    QPointer<QWidget> control = FControl;
    bool consumed = false;
    if (key != 0 && OnKeyDown) {
        const TKeyEvent handler = OnKeyDown;
        handler(key, shift);
        consumed = key == 0;
    }
    char ch = 0;
    if (self && control && OnKeyPress && SingleByteChar(keyEvent, ch)) {
        const TKeyPressEvent handler = OnKeyPress;
        handler(ch);
        consumed = consumed || ch == 0;
    }
    return consumed || !control;
}
