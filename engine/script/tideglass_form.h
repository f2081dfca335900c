#pragma once
// TTideglassForm: the engine's main window. It owns every engine object,
// holds the engine-wide state that the command families share, and drives
// the game from its idle handler: one engine tick per pass (the state byte
// below decides what a tick does).
//
// The command families are methods of this class, one file each
// (flow_commands.cpp, background_commands.cpp, wait_commands.cpp ...).
//
// Text: script lines, messages and names are Shift-JIS byte strings.
// FScenarioDir, FScenarioName, FExeDir, FOpenFileName and the names of the
// file-and-line map are file-system names; they are converted to Shift-JIS
// only where they are shown.

#include <QLineEdit>
#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

// The dialogs and the command line that every command family may reach.
#include "engine/screen/about_dlg.h"
#include "engine/screen/input_dlg.h"
#include "engine/screen/input_host.h"
#include "engine/screen/modal_result.h"
#include "engine/screen/screen_host.h"
#include "engine/screen/tg_input.h"
#include "engine/script/cmd_list.h"
#include "engine/script/data_file.h"
#include "engine/script/game_stack.h"
#include "engine/script/label_list.h"
#include "classlib/colors.h"
#include "platform/open_dialog.h"
#include "classlib/shift_state.h"

class QAction;
class QMenu;
class QWidget;
class TAppKeyHook;
class TDebugForm;
class TExprConv;
class TFileStream;
class TFlagList;
class THelpViewer;
class TBitmap32List;
class TIdleDriver;
class TImage32;
class TImageWidget;
class TItemList;
class TKeyPreview;
class TMidiForm;
class TMsgForm;
class TStringList;
class TSubForm;
class TSVarList;
class TTGGrp;
class TTGMsg;
class TYesNoDlg;

// Engine states (FState).
enum : uint8_t {
    esIdle = 0,
    esCommandWait = 1,  // waiting for a typed command
    esRun = 2,
    esWait = 3,         // *WAIT
    esGameEnd = 4,
    esKeyWait = 5,      // "HIT SPACE KEY!"
    esClose = 6,
    esOpenThenIdle = 7,
    esOpenThenBack = 8,
    esStartUp = 9,
    esYesNo = 10,       // yes/no dialog up
    esOpenDialog = 11,
    esBgReturned = 12,  // *BGRETURN from the background script
};

class TTideglassForm : public QMainWindow, public TScreenHost, public TInputHost {
    Q_OBJECT

public:
    // FormCreate. `args` are the program's arguments after its name; the
    // first one names a scenario to open.
    explicit TTideglassForm(const std::vector<std::string>& args);
    // FormDestroy.
    ~TTideglassForm() override;

    // ---- program start (tideglass_form.cpp, settings.cpp)
    // The other seven forms, in the order the engine creates them.
    void CreateForms();
    void ReadSettings();
    void WriteSettings();
    void CreateScreenObjects();
    // Shows the window and starts the idle loop.
    void StartEngine();
    void SetIniFileName(const std::string& fileName) { FIniFileName = fileName; }

    // ---- engine tick (engine_tick.cpp)
    void ApplicationEvents1Idle();
    void MainTick();
    void BGTimerTimer();
    void GameTimerTimer();
    void FadeTimerTimer();
    void SelectContext(bool background);
    void SaveContext();
    bool IsGameRunning() const;
    bool CanOpenScenario() const;
    // An open request from another program (the copy-data message).
    void WMCopyData(const std::string& fileName);

    // ---- scenario open (scenario_open.cpp, script_prepass.cpp)
    bool OpenScenario(const std::string& fileName);
    void F1Click();
    void PrepareScript(TStringList& lines);
    int FirstScene() const;
    void AddLabel(const std::string& name, int line, int sceneLine);
    void CmdScreen(const std::string& line);
    void CmdTitle(const std::string& line);

    // ---- interpreter (interpreter.cpp)
    void RunScript();
    std::string ExpandText(const std::string& line, bool topLevel);
    void ShowScriptError(const std::string& text);
    void ShowWarning(const std::string& text);

    // ---- control flow (flow_commands.cpp)
    void JumpTo(int line, int sceneLine);
    void CmdGoto(const std::string& line);
    void CmdGosub(const std::string& line);
    void CmdAssign(const std::string& line);
    uint8_t CmdIf(const std::string& line);
    void CmdElse(const std::string& line);
    void CmdEndIf(const std::string& line);
    void SkipIfBlock();
    void CmdIfPicture(const std::string& line);
    int32_t EvalVarTerm(const std::string& text, bool wantIndex);
    // A label argument: wrapped in apostrophes unless it begins with one,
    // then evaluated.
    std::string EvalName(const std::string& token);

    // ---- background script and event labels (background_commands.cpp)
    void CmdBgExec(const std::string& line);
    void CmdBgStop(const std::string& line);
    void CmdBgReturn(const std::string& line);
    void CallEventLabel(const std::string& name);

    // ---- data files (data_commands.cpp)
    void CmdDatOpen(const std::string& line);
    void CmdDatClose(const std::string& line);
    void CmdDatWrite(const std::string& line);
    void CmdDatWriteS(const std::string& line);
    void CmdDatRead(const std::string& line);
    void CmdDatReadS(const std::string& line);
    void CmdDatExist(const std::string& line);

    // ---- waits and the command line (wait_commands.cpp)
    void CmdWait(const std::string& line);
    void CmdKeyWait(const std::string& line);
    void CmdGameEnd(const std::string& line);
    void EndKeyWait();
    void SetInputEnabled(bool enabled);
    bool InputEnabled() const;

    // ---- menus and display (main_menu.cpp)
    void N3Click();
    void D1Click();
    void SetMessageMode(bool onGameScreen);
    // The display scale as *SCALE sets it.
    void ApplyScale(float scale);
    void SetClientSize(int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;

    // ---- settings and file association (settings.cpp)
    void RegisterFileTypes() override;
    void UnregisterFileTypes() override;

    // ---- messages (interpreter.cpp)
    // One text to the message window (and its log).
    void AddMessage(const std::string& text);
    void ClearMessages();
    // A word of a message line in square brackets, for the command line's
    // keyword menu.
    void AddKeyword(const std::string& word);

    // ---- typed commands (pattern_commands.cpp)
    // Rebuilds the typed-command patterns of the GLOBAL and current scene.
    void BuildCommandList();
    // The same after an open, with its errors reported.
    void BuildCommandListAfterOpen();
    void ScanCommandPatterns(int startLine);
    void AddCommandPattern(const std::array<std::string, TCmdPatternRec::WordSlots>& words, int target);
    // *!IF at scan time: the line to scan on with, or -1.
    int CmdScanIf(const std::string& line);
    // One pattern word (alternatives separated by "/") against `work`; with
    // strict matching the matched characters of `work` are spent.
    bool MatchPattern(const std::string& slot, std::string& work, bool exact);
    bool FindCommandPattern(const std::string& text, int& target);
    // A line entered in the command line (TInputHost).
    void SubmitCommand(const std::string& text) override;
    void CmdKeyword(const std::string& line);
    // *CLS: empties the message window.
    void CmdCls(const std::string& line);

    // ---- the command line and the main window's keys (main_keys.cpp)
    uint8_t State() const override { return FState; }
    void SetFuncBarShifted(bool shifted) override;
    TExprValue EvaluateExpr(const std::string& expr) override;
    bool IsAssociated(std::string& openCommand) override;
    void FormKeyDown(uint16_t& key, TShiftState shift);
    void FormKeyUp(uint16_t& key, TShiftState shift);
    // Every key of the application: Tab hides the message while held.
    void ApplicationEvents1Message(bool keyDown, uint16_t key);
    // Tab held: the message on the game screen is hidden (false) and shown
    // again (true).
    void ShowMessageWindow(bool show);
    void RestoreMessageWindow();

    // ---- what the screen objects read (TScreenHost)
    TBitmap32List& Bitmap32List1() override;
    TBitmap32List& WaitGrpList() override;
    bool MsgInGame() const override { return FMsgInGame; }
    bool FullScreen() const override { return FFullScreen; }
    bool FuncBarShown() const override { return FFuncBarShown; }
    bool FuncBarShifted() const override { return FFuncBarShifted; }
    int FuncKeyCount() const override { return FFuncKeyCount; }
    std::string GetKeyLabel(int index) const override;
    int SubWinMode() const override { return FSubWinMode; }
    TRichEdit* SubRichEdit() override;

    // ================= forms and components =================
    std::unique_ptr<TAboutDlg> AboutDlg;
    std::unique_ptr<TMsgForm> MsgForm;
    std::unique_ptr<TInputDlg> InputDlg;
    std::unique_ptr<TMidiForm> MidiForm;
    std::unique_ptr<TYesNoDlg> YesNoDlg;
    std::unique_ptr<TDebugForm> DebugForm;
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
    // The game screen: the image control and the widget that shows it.
    std::unique_ptr<TImage32> GameImg;
    TImageWidget* GameImgView = nullptr;
    // Bitmap32List1 (the built-in pictures) and WaitGrpList (the current
    // wait frames).
    std::unique_ptr<TBitmap32List> FBuiltInPictures;
    std::unique_ptr<TBitmap32List> FWaitFrames;
    // The main window's own command line, used while the message window is
    // on the game screen.
    QLineEdit* CmdEdit = nullptr;

    // ================= engine state =================
    uint8_t FState = esIdle;
    uint8_t FPrevState = esIdle;
    bool FHalted = false;

    // ================= script and contexts =================
    std::unique_ptr<TStringList> FScript;
    int FLine = 0;
    int FScene = 0;
    int FGlobalScene = -1;
    uint8_t FIfState = 0;
    bool FBackground = false;
    TGameStack* FStack = nullptr;  // FMainStack or FBgStack
    std::unique_ptr<TGameStack> FMainStack;
    std::unique_ptr<TGameStack> FBgStack;
    int FMainLine = 0;
    int FMainScene = 0;
    int FBgLine = -1;
    int FBgScene = -1;
    int FBgLabelLine = -1;
    std::string FBgLabel;
    bool FBgRunning = false;
    bool FBgDue = false;
    int FBgExecInterval = 1000;
    int FBgWaitCount = 0;
    bool FInEvent = false;
    std::unique_ptr<TLabelList> FLabels;
    std::unique_ptr<TConnectNameList> FConnectNames;

    // ================= timing (ms of TimeGetTime) =================
    uint32_t FBgTickLast = 0;
    int FBgTickInterval = 1000;
    int FWaitCount = 0;
    uint32_t FTickLast = 0;
    int FTickInterval = 100;
    bool FFadeActive = false;
    int FFadeStep = 0;
    int FFadeSteps = 0;
    uint32_t FFadeTickLast = 0;
    int FFadeInterval = 100;

    // ================= input =================
    int FPendingInputLine = -1;
    std::string FLastInput;
    bool FStrictMatch = false;
    // The command line; it drives the message-and-input window's CmdEdit or
    // the main window's.
    std::unique_ptr<TTGInput> FInput;
    std::unique_ptr<TCmdList> FCmdList;
    // Keys of the main window before its controls, and Tab anywhere.
    std::unique_ptr<TKeyPreview> FKeyPreview;
    std::unique_ptr<TAppKeyHook> FAppKeyHook;
    // The wait mark was shown when Tab hid the message.
    bool FWaitShownBeforeHide = false;

    // ================= scenario =================
    std::string FScenarioDir;
    std::string FScenarioName;
    std::string FExeDir;
    std::string FOpenFileName;
    bool FArchiveMode = false;
    std::unique_ptr<TFileStream> FArchiveStream;
    // The archive's path as it was opened: music streamed out of the archive
    // opens this file again (its name need not be the scenario name + ".tgp").
    std::string FArchiveFileName;

    // ================= data files =================
    TDatFile FDatFile;

    // ================= display =================
    int FBaseWidth = 230;
    int FBaseHeight = 176;
    float FScale = 1.0f;
    int FScreenWidth = 0;
    int FScreenHeight = 0;
    bool FFullScreen = false;
    bool FIniFullScreen = false;
    bool FScriptScale = false;
    bool FMsgInGame = false;
    bool FMsgHidden = false;
    bool FTabHideEnabled = true;
    bool FFuncBarShown = false;
    bool FFuncBarShifted = false;
    int FFuncKeyCount = 12;
    int FSubWinMode = 0;
    // Context that holds the sub window: 0 none, 1 main, 2 background.
    uint8_t FSubWinHolder = 0;
    int FMouseX = 0;
    int FMouseY = 0;
    int FMouseButtons = 0;

    // ================= messages and options =================
    bool FTagMode = false;
    bool FIfMode = true;
    int FWarningLevel = 1;
    TColor FFontColor = clWhite;
    bool FBgmPlaying = false;
    int FBgmLoop = 1;
    int FLoadTrans = 0;

    // ================= objects =================
    std::unique_ptr<TItemList> FItems;
    std::unique_ptr<TFlagList> FFlags;
    std::unique_ptr<TSVarList> FSVars;
    std::unique_ptr<TExprConv> FExpr;
    std::unique_ptr<TTGGrp> FGrp;
    std::unique_ptr<TTGMsg> FMsg;
    std::unique_ptr<THelpViewer> FHelpViewer;
    std::unique_ptr<TIdleDriver> FIdle;

    // Lines one run executes before it gives the event loop a turn (it also
    // does after 100 ms); a script that loops without waiting then goes on in
    // the next tick instead of holding the window.
    int FRunSliceLines = 100000;
    // A run of the interpreter is in progress (counts nested event runs).
    int FRunDepth = 0;
    // The last run stopped only to let the event loop breathe; the next tick
    // goes on with it.
    bool FRunYielded = false;
    // The open came from the default data files: player mode.
    bool FPlayerMode = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Handlers of the command table: (this->*handler)(trimmed line).
    using TCommandHandler = void (TTideglassForm::*)(const std::string& line);
    static const TCommandHandler* CommandHandlers();
    // How the run goes on after one command line.
    enum class TStep { Next, EndBlock, StopAfter, StopHere, StopFinish };
    TStep RunCommand(int slot, const std::string& line);
    void RunHandler(int slot, const std::string& line);
    // Hands the main script on to `line` in the next tick.
    void ContinueMainScript(int line);
    // Reports the exception being handled as a run of the interpreter would.
    void ReportCurrentException();
    // The scroll marks as a scroll of the message window left them; the
    // command line waits while one shows.
    void ShowScrollMarks(uint8_t marks);
    // Handler of a command whose family has not come yet.
    void CmdNotAvailable(const std::string& line);
    void CmdNothing(const std::string& line);
    void ShowMessageLine(const std::string& line);
    // *IF and *ELIF as the interpreter runs them, with FIfState.
    void CmdIfLine(const std::string& line);
    void CmdElifLine(const std::string& line);
    void CmdPicture(const std::string& line);
    // The label of that name, or EScriptError.
    const TLabelRec& FindLabel(const std::string& name) const;

    bool LoadScriptText(const std::string& path);
    bool LoadArchiveScript(const std::string& path);
    void LoadContinuationFiles();
    void CutComments();
    void EnterPlayerMode();
    void StartUp();
    int32_t EvalInteger(const std::string& expression);
    int32_t Random(int32_t n);
    // Shows a message box with FHalted set around it.
    int HaltedMessageBox(const std::string& text, const std::string& caption, int flags);
    void BuildMainMenu();
    void ResizeGameImage();

    std::string FIniFileName;
    std::mt19937 FRandom;
    // Base width saved around the open dialog.
    static constexpr int BaseSizeUnset = -1;
};
