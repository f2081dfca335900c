#pragma once
// The desktop as a fake: every question of the engine is answered at once
// from fields a test (or a fuzz target, or a benchmark) sets, and every
// request is recorded. No window, no event loop, no application object.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "classlib/message_flags.h"
#include "engine/screen/key_str_list.h"
#include "engine/screen/modal_result.h"
#include "engine/script/engine_host.h"
#include "platform/audio/midi_out_recorder.h"
#include "platform/audio/wave_out_fake.h"
#include "testkit/plain_msg_log.h"

class TEngine;
enum class TEngineState : uint8_t;

class TFakeEngineHost : public TEngineHost {
public:
    TFakeEngineHost();

    // ---- the main window
    int ClientWidth() const override { return Width; }
    int ClientHeight() const override { return Height; }
    void SetClientSize(int width, int height) override;
    void SetTitle(const std::string& title) override { Title = title; }
    void SetAboutTitle(const std::string& title) override { AboutTitle = title; }
    void SetAboutPicture(const TBitmap32& picture) override;
    void SetMenuBarVisible(bool visible) override { MenuBarVisible = visible; }
    bool MenuVisible(TMenuItem item) const override { return Menu(item).Visible; }
    void SetMenuVisible(TMenuItem item, bool visible) override { Menu(item).Visible = visible; }
    bool MenuEnabled(TMenuItem item) const override { return Menu(item).Enabled; }
    void SetMenuEnabled(TMenuItem item, bool enabled) override { Menu(item).Enabled = enabled; }
    bool MenuChecked(TMenuItem item) const override { return Menu(item).Checked; }
    void SetMenuChecked(TMenuItem item, bool checked) override { Menu(item).Checked = checked; }
    void HideAssociationOptions() override { AssociationHidden = true; }
    void RegisterFileTypes() override { ++Registered; }
    void CloseWindow() override { ++Closed; }
    bool ImeOpen() override { return WindowImeOpen; }
    void SetImeOpen(bool open) override { WindowImeOpen = open; }

    // ---- full screen
    void EnterFullScreen(int width, int height) override;
    void LeaveFullScreen() override;

    // ---- sound devices
    TWaveOut* WaveOutDevice() override { return HasWaveOut ? &WaveOut : nullptr; }
    TMidiOutDriver& MidiOutDriver() override { return Midi; }
    std::string AudioLibraryPath() const override { return AudioLibrary; }

    // ---- dialogs
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
    int AskInput(const std::string& prompt, std::string& text) override;
    int AskYesNo(const std::string& prompt) override;
    bool ChooseScenario(const std::string& filter, std::string& fileName) override;
    bool DialogShown() const override { return DialogUp; }
    void CloseDialogs() override;

    // ---- input and dialog commands
    TKeyStrList& KeyNames() override { return KeyNameTable; }
    void SetKeyLabel(int index, const std::string& text) override;
    void SetInputFontSize(int points) override { InputFontSize = points; }
    void SetLogFontSize(int points) override { LogFontSize = points; }
    void MoveInputs(int dy) override { InputsMoved += dy; }

    // ---- the message window's log
    TMsgLog* MessageLog() override { return &Log; }
    TMsgLog* SubLog() override { return &Sub; }
    void SetMessagePlace(bool onGameScreen) override
    {
        MessageOnGameScreen = onGameScreen;
        MessageWindowShown = !onGameScreen;
    }

    // ---- the small windows and the main window's place
    int WindowLeft() const override { return WindowPlace.Left; }
    int WindowTop() const override { return WindowPlace.Top; }
    TWindowBounds SubWindowPlace() const override { return SubPlace; }
    void ShowSubWindow(const TWindowBounds& place) override;
    void HideSubWindow() override { SubShown = false; }
    void SetSubWindowTitle(const std::string& title) override { SubTitle = title; }
    void SetSubWindowOnTop(bool onTop) override { SubOnTop = onTop; }
    void SetMessageWindowVisible(bool visible) override { MessageWindowShown = visible; }
    void ShowDebugWindow() override { ++DebugShown; }

    // ---- the command line
    void SetInputEnabled(bool enabled) override { InputOn = enabled; }
    bool InputEnabled() const override { return InputOn; }
    void SetShownInputEnabled(bool enabled) override { InputOn = enabled; }
    void SetInputText(const std::string& text) override { InputText = text; }
    void FocusInput() override;
    bool InputFocused() const override { return InputHasFocus; }
    void SetInputVisible(bool visible) override { InputShown = visible; }
    bool InputImeOpen() override { return InputIme; }
    void SetInputImeOpen(bool open) override { InputIme = open; }
    bool ImeOpenAtSubmit() const override { return InputImeAtSubmit; }
    void SetQuestionMode(bool on) override { QuestionMode = on; }
    void AddKeyword(const std::string& word) override;
    void ClearKeywords() override { Keywords.clear(); }
    std::vector<std::string> KeywordList() const override { return Keywords; }
    TKeyStrList& KeyMacros() override { return Macros; }
    std::string GetKeyLabel(int index) const override;
    void MoveMainInput(int dy) override { MainInputTop += dy; }

    // ---- the idle loop
    void ScheduleTick(int delayMs) override { TickDelay = delayMs; }

    struct TMenuState {
        bool Visible = true;
        bool Enabled = true;
        bool Checked = false;
    };
    struct TShownBox {
        std::string Text;     // UTF-8
        std::string Caption;  // UTF-8
        int Flags = 0;
        bool Halted = false;  // the engine's halted flag while it was up
    };

    // The engine whose halted flag the message boxes record.
    const TEngine* Engine = nullptr;

    int Width = 640;
    int Height = 480;
    std::string Title;       // Shift-JIS
    std::string AboutTitle;  // Shift-JIS
    // The about box's picture: its size and its top-left pixel.
    int AboutWidth = 0;
    int AboutHeight = 0;
    uint32_t AboutCorner = 0;
    bool MenuBarVisible = true;
    std::array<TMenuState, 7> Menus{};
    bool AssociationHidden = false;
    int Registered = 0;
    int Closed = 0;
    bool WindowImeOpen = false;
    // The window system's full screen, and the logical screen it shows.
    bool FullScreen = false;
    int FullScreenWidth = 0;
    int FullScreenHeight = 0;

    std::vector<TShownBox> Boxes;
    int BoxAnswer = IDYES;
    std::vector<std::string> Prompts;  // Shift-JIS, input and yes/no dialogs
    // The input dialog's answers, one per showing, first first; once they
    // are used up the dialog is abandoned (mrAbort), so that no script asks
    // for ever.
    std::deque<std::string> InputAnswers;
    // The engine's state while each input or yes/no dialog was up.
    std::vector<TEngineState> DialogStates;
    int YesNoResult = mrYes;
    // The file the open dialog chooses; none cancels it.
    std::optional<std::string> ScenarioChoice;
    std::string OpenFilter;
    bool DialogUp = false;

    TPlainMsgLog Log;
    TPlainMsgLog Sub;
    bool MessageOnGameScreen = false;

    // The main window's frame (left and top only), the sub window, the
    // message-and-input window and the number of times the debug window
    // was asked for.
    TWindowBounds WindowPlace{100, 50, 0, 0};
    TWindowBounds SubPlace{252, 313, 201, 149};
    bool SubShown = false;
    std::string SubTitle = "Sub Window";  // Shift-JIS
    bool SubOnTop = true;
    bool MessageWindowShown = false;
    int DebugShown = 0;

    bool InputOn = true;
    std::string InputText;  // Shift-JIS
    bool InputHasFocus = false;
    bool InputShown = true;
    bool InputIme = false;
    bool InputImeAtSubmit = false;
    bool QuestionMode = false;
    std::vector<std::string> Keywords;  // Shift-JIS, oldest first
    TKeyStrList Macros;
    std::array<std::string, 25> KeyLabels{};
    // Where the main window's own command line stands, moved by the bar.
    int MainInputTop = 0;
    TKeyStrList KeyNameTable;
    // The command lines' and the message log's font sizes (points), and how
    // far the command lines have moved down.
    int InputFontSize = 9;
    int LogFontSize = 9;
    int InputsMoved = 0;

    // The last request of ScheduleTick: a delay in ms, or -1 for none.
    int TickDelay = -1;

    // The wave mixer's device, stepped by hand (none when HasWaveOut is
    // off); the MIDI outputs, recorded; the outside audio library to load
    // (none when empty).
    TFakeWaveOut WaveOut;
    bool HasWaveOut = true;
    TMidiOutRecorder Midi;
    std::string AudioLibrary;

private:
    TMenuState& Menu(TMenuItem item) { return Menus[static_cast<size_t>(item)]; }
    const TMenuState& Menu(TMenuItem item) const { return Menus[static_cast<size_t>(item)]; }
};
