#pragma once
// The key events of one control, as the class library delivers them: a key
// down and a key up with the virtual-key code and the modifiers held, and
// between them a key press with the typed character. A handler that sets
// the key to 0 consumes it: the control does not act on it, and the
// character of that press is not typed either. A key press handler that
// sets the character to 0 drops it.
//
// Only characters of one Shift-JIS byte reach the key press handler; a
// double-byte character, as an input method commits it, goes to the
// control unseen. Auto-repeat sends further key downs and key presses but
// no key up until the key is released, as on Windows.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "platform/vk_keys.h"

class QWidget;

using TKeyEvent = std::function<void(uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(char& key)>;

class TKeyHook : public QObject {
public:
    // Watches `control` until this object goes; the control is not owned and
    // may go first.
    explicit TKeyHook(QWidget* control);
    ~TKeyHook() override;
    TKeyHook(const TKeyHook&) = delete;
    TKeyHook& operator=(const TKeyHook&) = delete;

    QWidget* Control() const { return FControl; }

    // The owner clears these before it goes away.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FControl;
};
