#pragma once
// The main window as a fake: its size, caption, about box, menus, full
// screen and place are fields a test sets and reads; requests are recorded.

#include <array>
#include <cstdint>
#include <string>

#include "engine/script/host_small_windows.h"
#include "engine/script/host_window.h"

class TFakeHostWindow : public THostWindow {
public:
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
    void EnterFullScreen(int width, int height) override;
    void LeaveFullScreen() override { FullScreen = false; }
    int WindowLeft() const override { return WindowPlace.Left; }
    int WindowTop() const override { return WindowPlace.Top; }
    void CloseWindow() override { ++Closed; }
    bool ImeOpen() override { return WindowImeOpen; }
    void SetImeOpen(bool open) override { WindowImeOpen = open; }
    void ScheduleTick(int delayMs) override { TickDelay = delayMs; }

    struct TMenuState {
        bool Visible = true;
        bool Enabled = true;
        bool Checked = false;
    };

    int Width = 640;
    int Height = 480;
    std::string Title;      // Shift-JIS
    std::string AboutTitle; // Shift-JIS
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
    // The main window's frame (left and top only).
    TWindowBounds WindowPlace{100, 50, 0, 0};
    // The last request of ScheduleTick: a delay in ms, or -1 for none.
    int TickDelay = -1;

private:
    TMenuState& Menu(TMenuItem item) { return Menus[static_cast<size_t>(item)]; }
    const TMenuState& Menu(TMenuItem item) const { return Menus[static_cast<size_t>(item)]; }
};
