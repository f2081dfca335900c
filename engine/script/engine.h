#pragma once
// TEngine: the script engine without its window. It owns the engine state
// byte, the two script contexts, the timers' state, the variables, the
// game screen and the message window, and every command family; it drives
// the game one tick at a time and asks its host (TEngineHost) for anything
// of the desktop. The main window (engine/qt/tideglass_form.h) adapts it to Qt;
// tests and fuzzing run it with a fake host.
//
// The command families are methods of this class, one file each
// (flow_commands.cpp, background_commands.cpp, wait_commands.cpp ...); each
// family file also contributes its rows to the command table
// (command_table.h).
//
// Text: script lines, messages and names are Shift-JIS byte strings.
// The folders and file names of the game files (game_files.h) and the names
// of the file-and-line map are file-system names; they are converted to
// Shift-JIS only where they are shown.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/expr_value.h"
#include "base/streams.h"
#include "classlib/colors.h"
#include "classlib/image_surface.h"
#include "classlib/shift_state.h"
#include "engine/screen/screen_host.h"
#include "engine/script/cmd_list.h"
#include "engine/script/command_table.h"
#include "engine/script/data_file.h"
#include "engine/script/engine_host.h"
#include "engine/script/game_state.h"
#include "engine/script/engine_sound.h"
#include "engine/script/game_files.h"
#include "engine/script/label_list.h"
#include "engine/script/script_context.h"

class TBitmap32;
class TBitmap32List;
class TExprConv;
class TImage32;
class TStringList;
class TTGGrp;
class TTGMsg;
struct TSaveGame;
struct TSavePlace;
struct TStagedLoad;

// The engine state byte (FState). The values are the system's own: the
// small windows and save files see them.
enum class TEngineState : uint8_t {
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
using enum TEngineState;

// What the settings file keeps of the engine.
struct TEngineSettings {
    bool FullScreen = false;
    float Scale = 1.0f;
    int BaseWidth = 230;
    int BaseHeight = 176;
};

class TEngine : public TScreenHost {
public:
    // FormCreate. `args` are the program's arguments after its name (the
    // first one names a scenario to open); `exeDir` is the folder of the
    // executable with its trailing separator.
    TEngine(const TEngineHost& host, const std::vector<std::string>& args, std::string exeDir);
    // FormDestroy's engine half: a data file left open for writing gets its
    // checksum.
    ~TEngine() override;
    TEngine(const TEngine&) = delete;
    TEngine& operator=(const TEngine&) = delete;

    // The screen layers and the message window, after the settings are read
    // and the host's command line exists.
    void CreateScreenObjects();
    TEngineSettings Settings() const;
    void ApplySettings(const TEngineSettings& settings);

    // ---- the tick (engine_tick.cpp, engine_wakeup.cpp)
    // One pass of the idle loop: the music fade, then MainTick; then the
    // host is asked to call again when the next step is due.
    void ApplicationEvents1Idle();
    void MainTick();
    // Asks the host for the next pass at the time the next step is due.
    // Every entry point below does it; a host that changed what the engine
    // waits for by other means calls it too.
    void ScheduleNextTick();
    // The time of the pass asked for, if any (for drivers that move time by
    // hand).
    std::optional<uint32_t> NextTickAt() const { return FNextTickAt; }

    // ---- what the desktop hands the engine
    bool OpenScenario(const std::string& fileName);
    // The menu items "open", "100 %" and "200 %".
    void F1Click();
    void N3Click();
    void D1Click();
    // An open request from another program (the copy-data message).
    void WMCopyData(const std::string& fileName);
    // A line entered in the command line.
    void SubmitCommand(const std::string& text);
    // Space or Enter during a key wait.
    void EndKeyWait();
    // The main window's keys before its controls get them; a key set to 0
    // is consumed.
    void FormKeyDown(uint16_t& key, TShiftState shift);
    void FormKeyUp(uint16_t& key, TShiftState shift);
    // Every key of the application: Tab hides the message while held.
    void ApplicationEvents1Message(bool keyDown, uint16_t key);
    // Switches the function-key bar to the shifted or the plain labels.
    void SetFuncBarShifted(bool shifted);
    // An expression of the debug window, with the game's variables.
    TExprValue EvaluateExpr(const std::string& expr);
    // The message on the game screen (true) or in its own window.
    void SetMessageMode(bool onGameScreen);
    // Full screen on or off (the menu item, Alt+Enter, *FULLSCREEN, and the
    // settings file in player mode).
    void SetFullScreen(bool on);
    // The main window closes: full screen is left first, but the settings
    // file is to record that it was on.
    void FormClose();
    // Runs an event label ("OnLOADGAME", "OnSCALECHANGE", "OnFULLSCREEN").
    void CallEventLabel(const std::string& name);
    bool IsGameRunning() const;
    bool CanOpenScenario() const;
    // Both command-line boxes.
    void SetInputEnabled(bool enabled);
    bool InputEnabled() const;
    // One text to the message window (and its log).
    void AddMessage(const std::string& text);
    void ShowWarning(const std::string& text);
    // An old-style variable term (*SAVE and *LOAD numbers).
    int32_t EvalVarTerm(const std::string& text, bool wantIndex);

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
    TMsgLog* SubLog() override;

    // ---- read access (the window, tests)
    TImage32& GameImg() { return *FGameImg; }
    TTGGrp* Grp() const { return FGrp.get(); }
    TTGMsg* Msg() const { return FMsg.get(); }
    TEngineState State() const { return FState; }
    TEngineState PrevState() const { return FPrevState; }
    bool Halted() const { return FHalted; }
    int Line() const { return FCtx->Line; }
    int Scene() const { return FCtx->Scene; }
    const TScriptContext& MainContext() const { return FMain; }
    const TScriptContext& BgContext() const { return FBg; }
    bool Background() const { return FBackground; }
    int GlobalScene() const { return FGlobalScene; }
    uint8_t IfState() const { return FIfState; }
    bool InEvent() const { return FInEvent; }
    bool BgRunning() const { return FBgRunning; }
    bool BgDue() const { return FBgDue; }
    int BgLabelLine() const { return FBgLabelLine; }
    int BgWaitCount() const { return FBgWaitCount; }
    uint32_t BgTickLast() const { return FBgTickLast; }
    int WaitCount() const { return FWaitCount; }
    bool FadeActive() const { return FSound.FadeActive(); }
    bool BgmPlaying() const { return FSound.BgmPlaying(); }
    uint8_t BgmLoop() const { return FSound.BgmLoop(); }
    const std::string& BgmName() const { return FSound.BgmName(); }
    int FadeStep() const { return FSound.FadeStep(); }
    int PendingInputLine() const { return FPendingInputLine; }
    const std::string& LastInput() const { return FLastInput; }
    const std::string& ScenarioDir() const { return FFiles.ScenarioDir(); }
    const std::string& ScenarioName() const { return FFiles.ScenarioName(); }
    const std::string& OpenFileName() const { return FFiles.OpenFileName(); }
    bool ArchiveMode() const { return FFiles.ArchiveMode(); }
    bool ArchiveOpen() const { return FFiles.ArchiveOpen(); }
    const std::string& ArchiveFileName() const { return FFiles.ArchiveFileName(); }
    int BaseWidth() const { return FBaseWidth; }
    int BaseHeight() const { return FBaseHeight; }
    float Scale() const { return FScale; }
    int ScreenWidth() const { return FScreenWidth; }
    int ScreenHeight() const { return FScreenHeight; }
    int MouseX() const { return FMouseX; }
    int MouseY() const { return FMouseY; }
    int MouseButtons() const { return FMouseButtons; }
    bool MsgHidden() const { return FMsgHidden; }
    uint8_t SubWinHolder() const { return FSubWinHolder; }
    bool PlayerMode() const { return FFiles.PlayerMode(); }
    const std::string& ExeDir() const { return FFiles.ExeDir(); }
    const TStringList& Script() const { return *FScript; }
    const TLabelList& Labels() const { return *FLabels; }
    const TConnectNameList& ConnectNames() const { return *FConnectNames; }
    const TCmdList& CmdList() const { return *FCmdList; }
    const TItemList& Items() const { return FGame.Items(); }
    const TFlagList& Flags() const { return FGame.Flags(); }
    const TSVarList& SVars() const { return FGame.SVars(); }
    // The flags, strings, items, keywords and key macros a save keeps.
    const TGameState& GameState() const { return FGame; }
    const TDatFile& DatFile() const { return FDatFile; }
    int FirstScene() const;

    // Lines one run executes before it gives the event loop a turn.
    void SetRunSliceLines(int lines) { FRunSliceLines = lines; }

    // The shortest background interval in milliseconds, whether a script
    // or a loaded game asks for less.
    static constexpr int32_t MinBgInterval = 1;

private:
    friend class TCommandTable;
    // Tests set up states that no script reaches yet.
    friend class TEngineProbe;

    // How the run goes on after one command line.
    enum class TStep { Next, EndBlock, StopAfter, StopHere, StopFinish };

    // ---- tick (engine_tick.cpp, engine_wakeup.cpp)
    void BGTimerTimer();
    void GameTimerTimer();
    void SelectContext(bool background);
    void SaveContext();
    void StartUp();
    void EnterPlayerMode();
    // Milliseconds from `now` until the next step is due, or -1 for none.
    int NextStepDelay(uint32_t now);

    // ---- scenario open (scenario_open.cpp, script_prepass.cpp)
    void PrepareScript(TStringList& lines);
    void AddLabel(const std::string& name, int line, int sceneLine);
    bool LoadScriptText(const std::string& path);
    bool LoadArchiveScript(const std::string& path);
    void LoadContinuationFiles();
    void AppendScriptLines(TStringList& lines);
    void CutComments();

    // ---- interpreter (interpreter.cpp)
    static TCommandRows InterpreterCommands();
    void RunScript();
    TStep RunCommand(int slot, const std::string& line);
    void RunHandler(const TCommandRow& row, const std::string& line);
    // A handler ends the block after its line (as *END does) / stops the
    // run at its own line.
    void EndBlockAfterCommand() { FRunStep = TStep::EndBlock; }
    void StopRunAtCommand() { FRunStep = TStep::StopHere; }
    std::string ExpandText(std::string_view line, bool topLevel);
    void ShowMessageLine(std::string_view line);
    void ShowScriptError(const std::string& text);
    // Reports the exception being handled as a run of the interpreter would.
    void ReportCurrentException();
    void CmdUndefined(const std::string& line);
    void ClearMessages();
    // A word of a message line in square brackets, for the keyword menu.
    void AddKeyword(const std::string& word);

    // ---- *SCREEN and *TITLE, and the pre-pass's own lines
    // (scenario_commands.cpp)
    static TCommandRows ScenarioCommands();
    void CmdScreen(const std::string& line);
    void CmdTitle(const std::string& line);

    // ---- control flow (flow_commands.cpp)
    static TCommandRows FlowCommands();
    void JumpTo(int line, int sceneLine);
    void CmdGoto(const std::string& line);
    void CmdGosub(const std::string& line);
    void CmdAssign(const std::string& line);
    uint8_t CmdIf(const std::string& line);
    // *IF and *ELIF as the interpreter runs them, with FIfState.
    void CmdIfLine(const std::string& line);
    void CmdElifLine(const std::string& line);
    void CmdElse(const std::string& line);
    void CmdEndIf(const std::string& line);
    void SkipIfBlock();
    void CmdIfPicture(const std::string& line);
    // A label argument: wrapped in apostrophes unless it begins with one,
    // then evaluated.
    std::string EvalName(const std::string& token);
    // The label of that name, or EScriptError.
    const TLabelRec& FindLabel(const std::string& name) const;

    // ---- background script and event labels (background_commands.cpp)
    static TCommandRows BackgroundCommands();
    void CmdBgExec(const std::string& line);
    void CmdBgStop(const std::string& line);
    void CmdBgReturn(const std::string& line);

    // ---- waits (wait_commands.cpp)
    static TCommandRows WaitCommands();
    void CmdWait(const std::string& line);
    void CmdKeyWait(const std::string& line);
    void CmdGameEnd(const std::string& line);

    // ---- data files (data_commands.cpp)
    static TCommandRows DataCommands();
    void CmdDatOpen(const std::string& line);
    void CmdDatClose(const std::string& line);
    void CmdDatWrite(const std::string& line);
    void CmdDatWriteS(const std::string& line);
    void CmdDatRead(const std::string& line);
    void CmdDatReadS(const std::string& line);
    void CmdDatExist(const std::string& line);
    // The path of a data-file argument, and that path in Shift-JIS as the
    // missing-file message shows it.
    std::string DatPath(const std::string& token, std::string& shownPath);
    void DatMessage(TDatStatus status, const std::string& shownPath = {});

    // ---- typed commands (pattern_commands.cpp)
    static TCommandRows PatternCommands();
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
    // Hands the main script on to `line` in the next tick.
    void ContinueMainScript(int line);
    void CmdKeyword(const std::string& line);

    // ---- input and dialog commands (input_commands.cpp)
    static TCommandRows InputCommands();
    void CmdInput(const std::string& line);
    void CmdYesNo(const std::string& line);
    void CmdSetInput(const std::string& line);
    void CmdSetKey(const std::string& line);
    void CmdIsMatch(const std::string& line);
    void CmdCheckStrict(const std::string& line);
    void CmdFHeightRate(const std::string& line);
    void CmdFuncDisp(const std::string& line);
    void CmdFuncText(const std::string& line);
    void CmdInputSize(const std::string& line);
    // Stores a typed answer in `target`: a text as it stands, a number
    // after the number check. False when the text is refused (empty, or not
    // a number where one is asked for); `notANumber` then tells which.
    bool StoreInput(const std::string& target, const std::string& text, bool asText, bool& notANumber);
    // The line of an inline question belongs to the main script: only it
    // can be answered through the command line.
    bool AsksInline() const { return FCtx == &FMain && !FBackground; }

    // ---- message window (message_commands.cpp)
    static TCommandRows MessageCommands();
    void CmdCls(const std::string& line);
    void CmdMsgBox(const std::string& line);
    void CmdMsgDisp(const std::string& line);
    void CmdMsgMode(const std::string& line);
    void CmdSetColor(const std::string& line);
    void CmdTag(const std::string& line);
    void CmdWarnDisp(const std::string& line);
    void CmdSubWinShow(const std::string& line);
    void CmdSubWinTitle(const std::string& line);
    void CmdSubWinTop(const std::string& line);
    void CmdSubWinStart(const std::string& line);
    void CmdSubWinEnd(const std::string& line);
    // Message text goes back to the message window and whichever context
    // held the sub window lets go; the message-and-input window comes back
    // when the message has its own window.
    void EndSubWindowMode();
    // The background script stops (*BGSTOP, *BGRETURN, a load): a hold it
    // has on the sub window ends with it, or the main script would never
    // run again.
    void ReleaseBackgroundSubWindow();

    // ---- condition mode, the debug window and items (item_commands.cpp)
    static TCommandRows ItemCommands();
    void CmdIfMode(const std::string& line);
    void CmdShowDebug(const std::string& line);
    void CmdGetItem(const std::string& line);
    void CmdDelItem(const std::string& line);
    void CmdUseItem(const std::string& line);
    void CmdDelItemAll(const std::string& line);
    void CmdInitItemAll(const std::string& line);
    void CmdItemList(const std::string& line);
    // Sets the count of the item the line's name argument names; an unknown
    // name changes nothing.
    void SetItemCount(const std::string& line, int32_t count);

    // ---- music (bgm_commands.cpp)
    // Start music of either kind: a MIDI file through the sequencer, other
    // music through the outside audio library. True means the same looping
    // music already plays and nothing was done.
    bool PlayMidiBgm(const std::string& name, uint8_t loop);
    bool PlayBassBgm(const std::string& name, uint8_t loop);
    // PlayMidiBgm, and the sequencer started from the beginning unless the
    // same looping music already played.
    void StartMidiBgm(const std::string& name, uint8_t loop);
    static TCommandRows BgmCommands();
    void CmdBgm(const std::string& line);
    void CmdBgmStop(const std::string& line);

    // ---- sound effects (se_commands.cpp)
    static TCommandRows SeCommands();
    void CmdSe(const std::string& line);
    // The bytes of the sound effect a *SE line names, read through the game
    // files into a new stream of the slot. Raises EScriptError when they
    // cannot be read; the slot's stream is then empty.
    void LoadSoundEffect(const std::string& line, TSoundSlot& slot);

    // ---- saved games (save_commands.cpp, save_apply.cpp)
    static TCommandRows SaveCommands();
    void CmdSave(const std::string& line);
    // True when a game was loaded: the run stops at this line.
    bool CmdLoad(const std::string& line);
    void CmdLoadLine(const std::string& line);
    // Where *SAVE and *LOAD of this line find their file.
    TSavePlace SavePlace(const std::string& line);
    TSaveGame CollectSaveGame() const;
    // Applies a load that was staged in full, so nothing in it can fail.
    void ApplyLoad(TStagedLoad& staged);
    void ApplyLoadedBackground(const TStagedLoad& staged);
    void RestoreLoadedMusic(const TStagedLoad& staged);
    // The screen picture of a save; the picture keeps its drawing properties.
    void LoadScreenImage(const TBitmap32& screen);

    // ---- pictures (picture_commands.cpp, picture_skins.cpp)
    static TCommandRows PictureCommands();
    void CmdPicture(const std::string& line);
    void CmdGLoad(const std::string& line);
    void CmdGGet(const std::string& line);
    void CmdGPut(const std::string& line);
    void CmdGTrans(const std::string& line);
    void CmdGFree(const std::string& line);
    void CmdLoadAbout(const std::string& line);
    void CmdLoadWait(const std::string& line);
    void CmdLoadArrow(const std::string& line);
    void CmdLoadMsgWin(const std::string& line);
    // A script picture found in the archive or the scenario folder, decoded
    // with the load transparency and drawn at (X, Y) into Target, which
    // grows to hold it; then the screen's layout is updated. False when
    // nothing was drawn: a missing file (its message box shown, halted
    // meanwhile) or an extension no decoder takes. Decoder errors raise.
    bool LoadImage(const std::string& Name, int X, TBitmap32& Target, int Y);
    // The picture of *LOADWAIT, *LOADARROW and *LOADMSGWIN in a bitmap of
    // its own: with a mask (a non-empty name) its alpha is the mask's
    // intensity and it draws in blend mode, without it draws opaque.
    // nullptr when either picture did not load.
    std::unique_ptr<TBitmap32> LoadSkinPicture(const std::string& file, const std::string& mask);

    // ---- display scale and menus (main_menu.cpp)
    // The display scale as *SCALE sets it.
    void ApplyScale(float scale);
    void SetScreenScale(int width, int height, float scale);

    // ---- full screen and the display commands (fullscreen.cpp,
    // display_commands.cpp)
    static TCommandRows DisplayCommands();
    void CmdScale(const std::string& line);
    void CmdGetScale(const std::string& line);
    void CmdFullScreen(const std::string& line);
    void CmdIsFullScreen(const std::string& line);
    void CmdGetMouse(const std::string& line);
    // Whether the picture at that scale has a size a bitmap can hold.
    bool ScaleFits(float scale) const;
    void EnterFullScreen();
    void LeaveFullScreen();
    // The logical screen of full screen is at least 640 x 480.
    void KeepFullScreenMinimum();
    // The picture takes the base size unless it has it already.
    void KeepPictureSize();
    // Scroll marks hidden, the message window at its newest lines.
    void ScrollMessageToEnd();
    // Enables the two scale items; in full screen, the state they take
    // when it ends.
    void SetScaleItemsEnabled(bool enabled);
    // The game image's mouse handlers: the position in display pixels
    // (divided by the scale), and the buttons held.
    void GameImgMouseMove(int32_t x, int32_t y);
    void GameImgMouseDown(TMouseButton button);
    void GameImgMouseUp(TMouseButton button);

    // ---- the main window's keys (main_keys.cpp)
    // Shows or hides the function-key bar: the main window's own command
    // line moves up 14 pixels to make room for it (down again when it goes),
    // and the bar is drawn with FFuncKeyCount keys.
    void ShowFunctionBar(bool shown);
    // Tab held: the message on the game screen is hidden (false) and shown
    // again (true).
    void ShowMessageWindow(bool show);
    void RestoreMessageWindow();
    // The scroll marks as a scroll of the message window left them; the
    // command line waits while one shows.
    void ShowScrollMarks(uint8_t marks);

    // ---- helpers (engine.cpp)
    int32_t EvalInteger(const std::string& expression);
    int32_t Random(int32_t n);
    // Shows a message box with FHalted set around it.
    int HaltedMessageBox(const std::string& text, const std::string& caption, int flags);
    // Modal host calls arm the next tick first: the tick goes on inside the
    // dialog's own event loop.
    bool ChooseScenario(const std::string& filter, std::string& fileName);

    TEngineHost FHost;

    // ================= engine state =================
    TEngineState FState = esIdle;
    TEngineState FPrevState = esIdle;
    bool FHalted = false;

    // ================= script and contexts =================
    std::unique_ptr<TStringList> FScript;
    // The interpreter works on *FCtx: FMain or FBg (FLine, FScene and
    // FStack of the system are FCtx->Line, FCtx->Scene and FCtx->Stack;
    // FMainLine is FMain.Line, FBgLine FBg.Line ...). An event label runs
    // on a context of its own.
    TScriptContext FMain;
    TScriptContext FBg{-1, -1, {}};
    TScriptContext* FCtx = &FMain;
    bool FBackground = false;
    int FGlobalScene = -1;
    uint8_t FIfState = 0;
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
    // The pass asked of the host.
    std::optional<uint32_t> FNextTickAt;

    // ================= run control =================
    // Lines one run executes before it gives the event loop a turn (it also
    // does after 100 ms); a script that loops without waiting then goes on in
    // the next tick instead of holding the window.
    int FRunSliceLines = 100000;
    // A run of the interpreter is in progress (counts nested event runs).
    int FRunDepth = 0;
    // The last run stopped only to let the event loop breathe; the next tick
    // goes on with it.
    bool FRunYielded = false;
    // How the current command line lets the run go on.
    TStep FRunStep = TStep::Next;

    // ================= input =================
    int FPendingInputLine = -1;
    std::string FLastInput;
    bool FStrictMatch = false;
    // The font-size entries (9, 12, 18 pt) of the command lines and of the
    // message log.
    int FCmdFontIndex = 0;
    int FLogFontIndex = 0;
    std::unique_ptr<TCmdList> FCmdList;
    // The wait mark was shown when Tab hid the message.
    bool FWaitShownBeforeHide = false;

    // ================= scenario =================
    // The scenario folder or archive, and where the game came from.
    TGameFiles FFiles;

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
    // Full screen (fullscreen.cpp): what leaving it gives back. The message
    // mode wanted after full screen: *MSGMODE in full screen writes only
    // this, the window stays as it is.
    bool FSavedMsgInGame = false;
    // The scale items' enabled state to come back after full screen (set
    // instead of the items while it is on).
    bool FSavedN3Enabled = true;
    bool FSavedD1Enabled = true;
    // The window's client, the screen, base size and scale full screen was
    // entered with.
    int FSavedClientWidth = 0;
    int FSavedClientHeight = 0;
    int FSavedScreenWidth = 0;
    int FSavedScreenHeight = 0;
    int FSavedBaseWidth = 0;
    int FSavedBaseHeight = 0;
    float FSavedScale = 1.0f;
    // Tab is held (the message hidden by it, not by *MSGDISP 0); Alt+Enter
    // has toggled full screen and Enter is not released yet.
    bool FTabHeld = false;
    bool FAltEnterHeld = false;

    // ================= messages and options =================
    bool FTagMode = false;
    bool FIfMode = true;
    int FWarningLevel = 1;
    TColor FFontColor = clWhite;

    // ================= sound and music =================
    TEngineSound FSound;

    // The load transparency of pictures (*PICTURE, *GLOAD).
    int FLoadTrans = 0;

    // ================= saved games =================
    // Counts the games loaded. A run, an event label or a background run
    // that finds it changed when its command returns keeps the loaded state
    // instead of going on with (or restoring) its own.
    uint32_t FLoadSerial = 0;

    // ================= objects =================
    TGameState FGame;
    std::unique_ptr<TExprConv> FExpr;
    std::mt19937 FRandom;
    // The game screen (GameImg) with the built-in pictures (Bitmap32List1)
    // and the current wait frames (WaitGrpList); the window shows GameImg.
    std::unique_ptr<TImage32> FGameImg;
    std::unique_ptr<TBitmap32List> FBuiltInPictures;
    std::unique_ptr<TBitmap32List> FWaitFrames;
    std::unique_ptr<TTGGrp> FGrp;
    std::unique_ptr<TTGMsg> FMsg;

    // Base width saved around the open dialog.
    static constexpr int BaseSizeUnset = -1;
};
