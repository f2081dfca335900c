#pragma once
// The desktop as a fake: every question of the engine is answered at once
// from fields a test (or a fuzz target, or a benchmark) sets, and every
// request is recorded. No window, no event loop, no application object.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "classlib/message_flags.h"
#include "engine/screen/key_str_list.h"
#include "engine/screen/modal_result.h"
#include "engine/script/engine_host.h"
#include "platform/midi_out_recorder.h"
#include "platform/wave_out_fake.h"
#include "testkit/plain_msg_log.h"

class TEngine;

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

    // ---- the message window's log
    TMsgLog* MessageLog() override { return &Log; }
    TMsgLog* SubLog() override { return &Sub; }
    void SetMessagePlace(bool onGameScreen) override { MessageOnGameScreen = onGameScreen; }

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
    int InputResult = mrOk;
    std::string InputAnswer;
    int YesNoResult = mrYes;
    // The file the open dialog chooses; none cancels it.
    std::optional<std::string> ScenarioChoice;
    std::string OpenFilter;
    bool DialogUp = false;

    TPlainMsgLog Log;
    TPlainMsgLog Sub;
    bool MessageOnGameScreen = false;

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
