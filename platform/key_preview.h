#pragma once
// Keys seen before the focused control gets them, in the class library's
// order: first the application-wide hooks (every key of every window), then
// the preview of the form the key was typed in, then the control's own
// handlers (TKeyHook), then the control itself. Setting the key to 0 at any
// stage consumes the key press: later stages and the control never see it.
//
// Keys are taken wherever Qt delivers them first, so a key posted to a
// window and one sent straight to a widget are seen once each. Key ups of
// auto-repeat are not reported, as on Windows.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/key_hook.h"

// The key preview of one form (a top-level widget).
class TKeyPreview {
public:
    explicit TKeyPreview(QWidget* form);
    ~TKeyPreview();
    TKeyPreview(const TKeyPreview&) = delete;
    TKeyPreview& operator=(const TKeyPreview&) = delete;

    QWidget* Form() const { return FForm; }

    // The owner clears these before it goes away.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;

    // Tab and Shift+Tab move the focus among the form's controls. Off, they
    // reach the hooks and this preview and then go no further, so the
    // focused control keeps the focus.
    bool TabTraversal = true;

    // Where a key goes that this preview has let pass: given the object Qt
    // is about to hand it to (the form itself when no control has the
    // focus), answers the control that is to have it instead, or nullptr to
    // leave it be. The control gets the key as if typed into it, with its
    // own handlers, even when it lies on another form.
    std::function<QWidget*(QObject* heading)> KeyTarget;

private:
    QPointer<QWidget> FForm;
};

// Every key down and key up of the application, before any form sees it.
class TAppKeyHook {
public:
    TAppKeyHook();
    ~TAppKeyHook();
    TAppKeyHook(const TAppKeyHook&) = delete;
    TAppKeyHook& operator=(const TAppKeyHook&) = delete;

    // The owner clears these before it goes away.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
};
