#pragma once
// THostWindow: the main window as the engine asks for it: its client size,
// caption, about box, menus, full screen, place on the desktop, input
// method, closing, and the idle loop that calls the engine back. Texts are
// Shift-JIS.

#include <cstdint>
#include <string>

class TBitmap32;

// The main menu's items that the engine shows, hides, checks or enables.
enum class TMenuItem : uint8_t {
    F1,          // "シナリオを開く(&O)"
    Help1,       // the engine's help
    TIDEGLASSC1, // the authoring manual
    Edit1,       // the edit menu as a whole
    N3,          // scale 100 %
    D1,          // scale 200 %
    F3,          // full screen
};

class THostWindow {
public:
    virtual ~THostWindow() = default;

    // Size of the client area that holds the game screen.
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Gives the client area that size; the window follows it.
    virtual void SetClientSize(int width, int height) = 0;
    // The window's caption and the application's title.
    virtual void SetTitle(const std::string& title) = 0;
    // The about box's caption.
    virtual void SetAboutTitle(const std::string& title) = 0;
    // The about box's picture (*LOADABOUT), shown opaque; the box's client
    // area takes its size.
    virtual void SetAboutPicture(const TBitmap32& picture) = 0;

    // ---- the menus
    // Shows or removes the menu bar (full screen has none).
    virtual void SetMenuBarVisible(bool visible) = 0;
    virtual bool MenuVisible(TMenuItem item) const = 0;
    virtual void SetMenuVisible(TMenuItem item, bool visible) = 0;
    virtual bool MenuEnabled(TMenuItem item) const = 0;
    virtual void SetMenuEnabled(TMenuItem item, bool enabled) = 0;
    virtual bool MenuChecked(TMenuItem item) const = 0;
    virtual void SetMenuChecked(TMenuItem item, bool checked) = 0;
    // Player mode: the options dialog no longer offers the file association.
    virtual void HideAssociationOptions() = 0;
    // Makes the desktop open script and archive files with the engine.
    virtual void RegisterFileTypes() = 0;

    // ---- full screen
    // The window fills the monitor without frame or menu bar and shows the
    // game screen (width x height logical pixels) scaled to fit; its
    // windowed place and size are remembered, and the main window's own
    // command line is shown in front. The display mode is never changed.
    virtual void EnterFullScreen(int width, int height) = 0;
    // The window back at its remembered place with frame and menu bar; the
    // client size then follows SetClientSize again.
    virtual void LeaveFullScreen() = 0;

    // Where the main window stands: the left and top of its frame.
    virtual int WindowLeft() const = 0;
    virtual int WindowTop() const = 0;
    // Closes the main window, which ends the program.
    virtual void CloseWindow() = 0;
    // Whether the main window's input method (Japanese conversion) is open;
    // opens or closes it.
    virtual bool ImeOpen() = 0;
    virtual void SetImeOpen(bool open) = 0;

    // ---- the idle loop
    // Calls the engine's ApplicationEvents1Idle once, `delayMs` from now
    // (0: as soon as the event loop is free), replacing any earlier request;
    // -1 cancels it. The call must also come while a modal dialog is up.
    virtual void ScheduleTick(int delayMs) = 0;
};
