#pragma once
// TTideglassForm: the engine's main window. A thin Qt adapter: it owns the
// engine (TEngine) and implements the desktop services it asks for (menus, dialogs, the command
// line and its two edit boxes, the small windows, the settings file, the
// idle timer), hands the engine the player's keys, menu clicks and open
// requests, and shows the engine's game screen.

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/screen/input_host.h"
#include "engine/script/engine.h"
#include "engine/script/engine_host.h"
#include "platform/open_dialog.h"

class QAction;
class QLineEdit;
class QMenu;
class TAboutDlg;
class TAppKeyHook;
class TDebugForm;
class TFramePlace;
class THelpViewer;
class TImageWidget;
class TInputDlg;
class TKeyPreview;
class TMidiForm;
class TMsgForm;
class TRichEditLog;
class TSubForm;
class TTGInput;
class TYesNoDlg;

class TTideglassForm : public QMainWindow,
                       public THostWindow,
                       public THostDialogs,
                       public THostCommandLine,
                       public THostSmallWindows,
                       public THostSound,
                       public TInputHost {
    Q_OBJECT

public:
    // FormCreate. `args` are the program's arguments after its name; the
    // first one names a scenario to open.
    explicit TTideglassForm(const std::vector<std::string>& args);
    // FormDestroy: the settings are written, then everything goes.
    ~TTideglassForm() override;

    // ---- program start (tideglass_form.cpp, form_settings.cpp)
    // The other seven forms, in the order the engine creates them.
    void CreateForms();
    void ReadSettings();
    void WriteSettings();
    // The command line, then the engine's screen layers and message window.
    void CreateScreenObjects();
    // Shows the window and starts the idle timer.
    void StartEngine();
    // The idle timer runs the engine's passes when they are due; without it
    // (tests) the caller drives them.
    void SetTimerActive(bool active);
    void SetIniFileName(const std::string& fileName) { FIniFileName = fileName; }

    TEngine& Engine() { return *FEngine; }

    // ---- the engine's host services (form_host.cpp)
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientSize(int width, int height) override;
    void SetTitle(const std::string& title) override;
    void SetAboutTitle(const std::string& title) override;
    void SetAboutPicture(const TBitmap32& picture) override;
    void SetMenuBarVisible(bool visible) override;
    bool MenuVisible(TMenuItem item) const override;
    void SetMenuVisible(TMenuItem item, bool visible) override;
    bool MenuEnabled(TMenuItem item) const override;
    void SetMenuEnabled(TMenuItem item, bool enabled) override;
    bool MenuChecked(TMenuItem item) const override;
    void SetMenuChecked(TMenuItem item, bool checked) override;
    void HideAssociationOptions() override;
    void RegisterFileTypes() override;
    void CloseWindow() override;
    bool ImeOpen() override;
    void SetImeOpen(bool open) override;
    void EnterFullScreen(int width, int height) override;
    void LeaveFullScreen() override;
    TWaveOut* WaveOutDevice() override;
    TMidiOutDriver& MidiOutDriver() override;
    std::string AudioLibraryPath() const override;
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
    int AskInput(const std::string& prompt, std::string& text) override;
    int AskYesNo(const std::string& prompt) override;
    bool ChooseScenario(const std::string& filter, std::string& fileName) override;
    bool DialogShown() const override;
    void CloseDialogs() override;
    TKeyStrList& KeyNames() override;
    void SetKeyLabel(int index, const std::string& text) override;
    void SetInputFontSize(int points) override;
    void SetLogFontSize(int points) override;
    void GrowInputs(int pixels) override;
    TMsgLog* MessageLog() override;
    TMsgLog* SubLog() override;
    void SetMessagePlace(bool onGameScreen) override;
    int WindowLeft() const override;
    int WindowTop() const override;
    TWindowBounds SubWindowPlace() const override;
    void ShowSubWindow(const TWindowBounds& place) override;
    void HideSubWindow() override;
    void SetSubWindowTitle(const std::string& title) override;
    void SetSubWindowOnTop(bool onTop) override;
    void SetMessageWindowVisible(bool visible) override;
    void ShowDebugWindow() override;
    void SetInputEnabled(bool enabled) override;
    bool InputEnabled() const override;
    void SetShownInputEnabled(bool enabled) override;
    void SetInputText(const std::string& text) override;
    void FocusInput() override;
    bool InputFocused() const override;
    void SetInputVisible(bool visible) override;
    bool InputImeOpen() override;
    void SetInputImeOpen(bool open) override;
    bool ImeOpenAtSubmit() const override;
    void SetQuestionMode(bool on) override;
    std::string GetKeyLabel(int index) const override;
    void LiftMainInput(int pixels) override;
    void ScheduleTick(int delayMs) override;

    // ---- TInputHost: what the command line and the small windows ask
    uint8_t State() const override;
    void SubmitCommand(const std::string& text) override;
    bool FuncBarShown() const override;
    bool FuncBarShifted() const override;
    void SetFuncBarShifted(bool shifted) override;
    TExprValue EvaluateExpr(const std::string& expr) override;
    bool IsAssociated(std::string& openCommand) override;
    void UnregisterFileTypes() override;
    const std::vector<std::string>& Keywords() const override;
    const TKeyStrList& KeyMacros() const override;

    // Replace the input and yes/no dialogs (tests): same arguments and
    // answers as AskInput and AskYesNo.
    std::function<int(const std::string& prompt, std::string& text)> OnAskInput;
    std::function<int(const std::string& prompt)> OnAskYesNo;

    // ================= forms and components =================
    // The dialogs a game may never show are made when first asked for.
    TAboutDlg& AboutDlg();
    TInputDlg& InputDlg();
    TMidiForm& MidiForm();
    TYesNoDlg& YesNoDlg();
    TDebugForm& DebugForm();
    std::unique_ptr<TMsgForm> MsgForm;
    std::unique_ptr<TSubForm> SubForm;

    QMenu* File1 = nullptr;
    QAction* F1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* F2 = nullptr;
    QAction* A1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* TIDEGLASSC1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* MessageInput1 = nullptr;
    QAction* MIDI1 = nullptr;
    QMenu* Show1 = nullptr;
    QAction* N3 = nullptr;
    QAction* D1 = nullptr;
    QAction* F3 = nullptr;
    TOpenDialog OpenDialog1;
    // The widget that shows the engine's game screen.
    TImageWidget* GameImgView = nullptr;
    // The main window's own command line, used while the message window is
    // on the game screen.
    QLineEdit* CmdEdit = nullptr;
    // The command line; it drives the message-and-input window's CmdEdit or
    // the main window's.
    std::unique_ptr<TTGInput> FInput;

    // The window system's full screen is on (form_fullscreen.cpp).
    bool InFullScreen() const { return FInFullScreen; }
    // The frame's place the window has outside full screen: what the
    // settings file records.
    QPoint WindowedPlace() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<TAboutDlg> FAboutDlg;
    std::unique_ptr<TInputDlg> FInputDlg;
    std::unique_ptr<TMidiForm> FMidiForm;
    std::unique_ptr<TYesNoDlg> FYesNoDlg;
    std::unique_ptr<TDebugForm> FDebugForm;
    // What the engine set on dialogs not made yet.
    std::optional<QString> FAboutTitle;
    std::optional<QPixmap> FAboutPicture;
    bool FAssociationOptionsHidden = false;
    void BuildMainMenu();
    void ResizeGameImage();
    // After a modal dialog of the main window's has closed.
    void TakeActivationBack();
    QAction* MenuAction(TMenuItem item) const;
    // Full screen: the game screen fills the window and the command line
    // sits where the logical screen puts it, scaled with the picture; the
    // menu bar, when the pointer brings it, lies over the picture.
    void LayoutFullScreen();
    // The pointer at window row `y` in full screen: the menu bar shows in
    // the top rows only.
    void FullScreenPointerAt(int y);

    // The sequencer's MIDI outputs (FluidSynth) and our outside audio
    // library beside the program: the engine's sound devices, made before it.
    std::unique_ptr<TMidiOutDriver> FMidiDriver;
    std::string FAudioLibraryPath;
    std::unique_ptr<TEngine> FEngine;
    std::unique_ptr<TRichEditLog> FMessageLog;
    std::unique_ptr<TRichEditLog> FSubLog;
    std::unique_ptr<TKeyPreview> FKeyPreview;
    std::unique_ptr<TAppKeyHook> FAppKeyHook;
    std::unique_ptr<THelpViewer> FHelpViewer;
    QTimer FTickTimer;
    bool FTimerActive = false;
    std::string FIniFileName;
    // Height of the main window's own command line, in logical pixels.
    static constexpr int MainInputHeight = 20;
    // The main window's own command line stands this many pixels above the
    // bottom of the game screen (the function-key bar takes the room).
    int FMainInputLift = 0;
    // The command lines have grown upwards by this many pixels for a larger
    // font (*INPUTSIZE); their bottom edge stays.
    int FInputGrowth = 0;
    // The window has begun to close: dialogs are no longer asked.
    bool FClosing = false;
    bool FInFullScreen = false;
    // The frame's place before full screen, and the window's place when it
    // closed from full screen: the settings file records these.
    QPoint FWindowedPlace;
    // The window had a frame when full screen began: a window manager frames it.
    bool FFramedBeforeFullScreen = false;
    bool FClosedFromFullScreen = false;
    // The frames' places the settings file keeps: the main window's, the
    // message-and-input window's and the sub window's.
    std::unique_ptr<TFramePlace> FMainPlace;
    std::unique_ptr<TFramePlace> FMsgPlace;
    std::unique_ptr<TFramePlace> FSubPlace;
    // The window of the command line, shown and not yet on the screen,
    // that takes the focus when it comes there.
    QPointer<QWindow> FFocusWhenExposed;
};
