#pragma once
// TEngineHost: everything of the desktop that the engine asks for. The main
// window implements it with Qt; tests and fuzzing use a fake that answers
// at once. Texts are Shift-JIS unless a method says otherwise; calls that
// show a modal dialog return when the player has answered.

#include <cstdint>
#include <string>
#include <vector>

class TBitmap32;
class TKeyStrList;
class TMidiOutDriver;
class TMsgLog;
class TWaveOut;

// The main menu's items that the engine shows, hides, checks or enables.
enum class TMenuItem : uint8_t {
    F1,           // "シナリオを開く(&O)"
    Help1,        // the engine's help
    TIDEGLASSC1,  // the authoring manual
    Edit1,        // the edit menu as a whole
    N3,           // scale 100 %
    D1,           // scale 200 %
    F3,           // full screen
};

// A window's place on the desktop (the left and top of its frame) and its
// size.
struct TWindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TWindowBounds&, const TWindowBounds&) = default;
};

class TEngineHost {
public:
    virtual ~TEngineHost() = default;

    // ---- the main window
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
    // Closes the main window, which ends the program.
    virtual void CloseWindow() = 0;
    // Whether the main window's input method (Japanese conversion) is open;
    // opens or closes it.
    virtual bool ImeOpen() = 0;
    virtual void SetImeOpen(bool open) = 0;

    // ---- full screen
    // The window fills the monitor without frame or menu bar and shows the
    // game screen (width x height logical pixels) scaled to fit; its
    // windowed place and size are remembered, and the main window's own
    // command line is shown in front. The display mode is never changed.
    virtual void EnterFullScreen(int width, int height) = 0;
    // The window back at its remembered place with frame and menu bar; the
    // client size then follows SetClientSize again.
    virtual void LeaveFullScreen() = 0;

    // ---- sound devices
    // The wave-out device the wave mixer plays sound effects through;
    // nullptr when there is none (effects without the outside audio library
    // are then silent). Its done notifications reach the engine on the
    // thread that drains the UI mailbox.
    virtual TWaveOut* WaveOutDevice() = 0;
    // The MIDI outputs the music sequencer plays on; it outlives the engine.
    virtual TMidiOutDriver& MidiOutDriver() = 0;
    // Where the outside audio library is loaded from; empty for none.
    virtual std::string AudioLibraryPath() const = 0;

    // ---- dialogs (modal; the engine sets FHalted around the message boxes)
    // A message box with the Windows flags (MB_*); answers IDOK, IDYES ...
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
    // The input dialog with `prompt`, its edit emptied: answers the modal
    // result (mrOk, or mrAbort when an open closed it) and the typed text.
    virtual int AskInput(const std::string& prompt, std::string& text) = 0;
    // The yes/no dialog with `prompt`: mrYes for yes, anything else for no.
    virtual int AskYesNo(const std::string& prompt) = 0;
    // The open dialog with the original's filter notation; true when a file
    // was chosen (`fileName` then holds its file-system path).
    virtual bool ChooseScenario(const std::string& filter, std::string& fileName) = 0;
    // The input dialog or the about box is up.
    virtual bool DialogShown() const = 0;
    // Ends the input dialog with mrAbort and the about box with mrOk, if up.
    virtual void CloseDialogs() = 0;

    // ---- input and dialog commands
    // AskInput answers mrAbort, and AskYesNo mrAbort, without asking once
    // the program is closing (and when it began to close during the dialog).
    // The names of the keys scripts may bind, with their key codes.
    virtual TKeyStrList& KeyNames() = 0;
    // Function-key label 0..24; other indices are ignored.
    virtual void SetKeyLabel(int index, const std::string& text) = 0;
    // Font size in points of both command-line boxes, and of the message
    // log of the message-and-input window.
    virtual void SetInputFontSize(int points) = 0;
    virtual void SetLogFontSize(int points) = 0;
    // Moves both command-line boxes `dy` pixels down (up when negative),
    // their bottom edge staying: a box moved up grows by as much, for the
    // larger font, and keeps that height when the window is laid out again.
    virtual void MoveInputs(int dy) = 0;

    // ---- the message window's log
    // The log of the message-and-input window, and the sub window's text
    // box; nullptr when there is none. Both live as long as the host.
    virtual TMsgLog* MessageLog() = 0;
    virtual TMsgLog* SubLog() = 0;
    // The message goes to the game screen (true) or to the message-and-input
    // window (false): the command line moves to that place's box, and the
    // message-and-input window is hidden, or shown with its log scrolled to
    // the end.
    virtual void SetMessagePlace(bool onGameScreen) = 0;

    // ---- the small windows and the main window's place
    // Where the main window stands: the left and top of its frame.
    virtual int WindowLeft() const = 0;
    virtual int WindowTop() const = 0;
    // The sub window's place and size, as last set or as the window system
    // left it.
    virtual TWindowBounds SubWindowPlace() const = 0;
    // Places the sub window (left, top, width, height, in that order) and
    // shows it. A window system that places windows itself may ignore the
    // place.
    virtual void ShowSubWindow(const TWindowBounds& place) = 0;
    // Hides it; its place and size stay.
    virtual void HideSubWindow() = 0;
    virtual void SetSubWindowTitle(const std::string& title) = 0;
    // Kept above the other windows, or a normal window; it keeps its place
    // and whether it is shown.
    virtual void SetSubWindowOnTop(bool onTop) = 0;
    // Shows or hides the message-and-input window.
    virtual void SetMessageWindowVisible(bool visible) = 0;
    // Shows the debug window without holding the game (modeless).
    virtual void ShowDebugWindow() = 0;

    // ---- the command line (the box in use: the game screen's or the
    // message-and-input window's)
    // Enables or disables both boxes, and whether the one in use is enabled.
    virtual void SetInputEnabled(bool enabled) = 0;
    virtual bool InputEnabled() const = 0;
    // Enables or disables only the box in use.
    virtual void SetShownInputEnabled(bool enabled) = 0;
    virtual void SetInputText(const std::string& text) = 0;
    // Focus and caret at the end, when the box is visible and enabled.
    virtual void FocusInput() = 0;
    virtual bool InputFocused() const = 0;
    // Shows or hides the box in use (Tab held hides it with the message).
    virtual void SetInputVisible(bool visible) = 0;
    // The input method of the box (focusing it first); opens or closes it.
    virtual bool InputImeOpen() = 0;
    virtual void SetInputImeOpen(bool open) = 0;
    // The input method's state when the player last entered a line.
    virtual bool ImeOpenAtSubmit() const = 0;
    // The box waits for an answer typed into it (it turns light blue).
    virtual void SetQuestionMode(bool on) = 0;
    // The keyword menu: adds a word unless it holds it, or empties it.
    virtual void AddKeyword(const std::string& word) = 0;
    virtual void ClearKeywords() = 0;
    // The keyword menu's words, oldest first (a save keeps them).
    virtual std::vector<std::string> KeywordList() const = 0;
    // Key codes and the macro texts bound to them.
    virtual TKeyStrList& KeyMacros() = 0;
    // Function-key label 0..24.
    virtual std::string GetKeyLabel(int index) const = 0;
    // Moves the main window's own command line `dy` pixels down (up when
    // negative): the function-key bar takes the room below it.
    virtual void MoveMainInput(int dy) = 0;

    // ---- the idle loop
    // Calls the engine's ApplicationEvents1Idle once, `delayMs` from now
    // (0: as soon as the event loop is free), replacing any earlier request;
    // -1 cancels it. The call must also come while a modal dialog is up.
    virtual void ScheduleTick(int delayMs) = 0;
};
