// The main window's life: creation of the engine objects, the other forms
// and the screen objects, and their destruction.

#include "engine/script/tideglass_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>

#include "base/clock.h"
#include "base/conv.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "base/stringlist.h"
#include "engine/screen/about_dlg.h"
#include "engine/screen/builtin_pictures.h"
#include "engine/screen/debug_form.h"
#include "engine/screen/input_dlg.h"
#include "engine/screen/midi_form.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/sub_form.h"
#include "engine/screen/tg_input.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/yes_no_dlg.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/expr.h"
#include "engine/script/scenario_files.h"
#include "engine/script/variables.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"
#include "classlib/font.h"
#include "platform/help_viewer.h"
#include "platform/image_widget.h"
#include "platform/idle_driver.h"
#include "platform/key_preview.h"
#include "platform/message_box.h"
#include "platform/qt_sjis.h"
#include "platform/runtime_paths.h"

namespace {

// Client size of the main window as designed: the message area of the game
// screen (26, 304, 588 x 120) sits inside it.
constexpr int DesignClientWidth = 640;
constexpr int DesignClientHeight = 480;

} // namespace

TTideglassForm::TTideglassForm(const std::vector<std::string>& args) : QMainWindow(nullptr)
{
    setWindowTitle("TIDEGLASS");
    setObjectName("TideglassForm");

    auto* client = new QWidget(this);
    setCentralWidget(client);
    FBuiltInPictures = std::make_unique<TBitmap32List>();
    LoadBuiltInPictures(*FBuiltInPictures);
    FWaitFrames = std::make_unique<TBitmap32List>();
    GameImg = std::make_unique<TImage32>();
    GameImg->SetScaleMode(smScale);
    GameImg->Bitmap().SetResamplerClassName("TNearestResampler");
    GameImgView = new TImageWidget(GameImg.get(), client);
    GameImgView->setObjectName("GameImg");
    CmdEdit = new QLineEdit(client);
    CmdEdit->setObjectName("CmdEdit");
    CmdEdit->hide();
    // The window takes the size of its game screen and is not resized by hand.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    BuildMainMenu();
    SetClientSize(DesignClientWidth, DesignClientHeight);

    // FormCreate proper.
    FStrictMatch = false;
    FFuncBarShown = false;
    FFuncKeyCount = 12;
    FTickLast = 0;
    FTickInterval = 100;
    FBgTickLast = 0;
    FBgTickInterval = 1000;
    FBgRunning = false;
    FFadeActive = false;
    FFadeTickLast = 0;
    FFadeInterval = 100;
    FRandom.seed(std::random_device{}());
    FSubWinMode = 0;
    FSubWinHolder = 0;
    FTagMode = false;
    FIfState = 0;
    FInEvent = false;
    FWarningLevel = 1;
    FMsgHidden = false;
    FTabHideEnabled = true;
    FScriptScale = false;
    FPendingInputLine = -1;
    FIfMode = true;
    FScreenWidth = ClientWidth();
    FScreenHeight = ClientHeight();
    FScale = 1.0f;
    const std::string exePath = QCoreApplication::applicationFilePath().toStdString();
    FExeDir = ExtractFilePath(exePath);
    FIniFileName = SettingsFilePath(exePath);
    FHalted = false;
    FBgmPlaying = false;
    FBgmLoop = 1;
    FLoadTrans = 0;

    FScript = std::make_unique<TStringList>();
    FLabels = std::make_unique<TLabelList>();
    FItems = std::make_unique<TItemList>();
    FFlags = std::make_unique<TFlagList>();
    FCmdList = std::make_unique<TCmdList>();
    FMainStack = std::make_unique<TGameStack>();
    FBgStack = std::make_unique<TGameStack>();
    FStack = FMainStack.get();
    FConnectNames = std::make_unique<TConnectNameList>();
    FSVars = std::make_unique<TSVarList>();
    FExpr = std::make_unique<TExprConv>();
    FExpr->SetLists(FItems.get(), FFlags.get(), FSVars.get());
    FExpr->OnRandom = [this] { return static_cast<uint32_t>(FRandom()); };
    FExpr->OnLastInput = [this] { return FLastInput; };
    FFlags->OnWarning = [this](const std::string& text) { ShowWarning(text); };
    FSVars->OnWarning = [this](const std::string& text) { ShowWarning(text); };
    // A script may name variables before its first scenario is opened (the
    // debug window); the lists have their records from the start.
    FFlags->Reset();
    FSVars->Reset();
    FBaseWidth = 230;
    FBaseHeight = 176;
    FState = esIdle;

    FHelpViewer = std::make_unique<THelpViewer>();
    Help1->setEnabled(FHelpViewer->Available());
    TIDEGLASSC1->setEnabled(FHelpViewer->Available());

    FIdle = std::make_unique<TIdleDriver>();
    FIdle->OnIdle = [this] { ApplicationEvents1Idle(); };

    // The form previews its keys; Tab stays with the command line.
    FKeyPreview = std::make_unique<TKeyPreview>(this);
    FKeyPreview->TabTraversal = false;
    FKeyPreview->OnKeyDown = [this](uint16_t& key, TShiftState shift) { FormKeyDown(key, shift); };
    FKeyPreview->OnKeyUp = [this](uint16_t& key, TShiftState shift) { FormKeyUp(key, shift); };
    FAppKeyHook = std::make_unique<TAppKeyHook>();
    FAppKeyHook->OnKeyDown = [this](uint16_t& key, TShiftState) { ApplicationEvents1Message(true, key); };
    FAppKeyHook->OnKeyUp = [this](uint16_t& key, TShiftState) { ApplicationEvents1Message(false, key); };

    if (!args.empty() && !args[0].empty()) {
        FOpenFileName = args[0];
        FState = esOpenThenIdle;
    } else {
        FState = esStartUp;
    }
}

TTideglassForm::~TTideglassForm()
{
    FIdle->Stop();
    FIdle->OnIdle = nullptr;
    FAppKeyHook.reset();
    FKeyPreview.reset();
    try {
        WriteSettings();
    } catch (const std::exception&) {
        // A settings file that cannot be written must not keep the engine
        // from closing; the next start uses the defaults.
    }
    try {
        // A data file the script left open for writing gets its checksum,
        // or the values written would read as tampered with next time.
        FDatFile.Close();
    } catch (const std::exception&) {
        // The file has gone or cannot be written; nobody is left to tell.
    }
    FFlags->OnWarning = nullptr;
    FSVars->OnWarning = nullptr;
    FExpr->OnRandom = nullptr;
    FExpr->OnLastInput = nullptr;
    if (MsgForm) {
        MsgForm->OnGetState = nullptr;
        MsgForm->OnEndKeyWait = nullptr;
    }
    FConnectNames.reset();
    FGrp.reset();
    FMsg.reset();
    FInput.reset();
    FScript.reset();
    FLabels.reset();
    FItems.reset();
    FFlags.reset();
    FCmdList.reset();
    FStack = nullptr;
    FMainStack.reset();
    FBgStack.reset();
    FSVars.reset();
    FExpr.reset();
    FArchiveStream.reset();
    // The image control goes before the widget that shows it.
    GameImgView->SetClient(nullptr);
    GameImg.reset();
    // The other forms go after the main window's own objects, as the
    // application freed them after the main form.
    SubForm.reset();
    DebugForm.reset();
    YesNoDlg.reset();
    MidiForm.reset();
    InputDlg.reset();
    MsgForm.reset();
    AboutDlg.reset();
}

void TTideglassForm::CreateForms()
{
    AboutDlg = std::make_unique<TAboutDlg>();
    MsgForm = std::make_unique<TMsgForm>();
    MsgForm->OnGetState = [this] { return FState; };
    MsgForm->OnEndKeyWait = [this] { EndKeyWait(); };
    InputDlg = std::make_unique<TInputDlg>(this);
    MidiForm = std::make_unique<TMidiForm>(*this);
    YesNoDlg = std::make_unique<TYesNoDlg>();
    DebugForm = std::make_unique<TDebugForm>(*this);
    SubForm = std::make_unique<TSubForm>();
}

void TTideglassForm::CreateScreenObjects()
{
    // The command line first, on the message-and-input window, which is the
    // one in use until a script puts the message on the game screen; then
    // the screen layers and the message window, which keeps its own copy of
    // the font.
    if (MsgForm)
        FInput = std::make_unique<TTGInput>(*this, MsgForm->CmdEdit, 0);
    FGrp = std::make_unique<TTGGrp>(*this, *GameImg, ClientWidth(), ClientHeight());
    TFont font;
    font.SetName(SJ("ＭＳゴシック"));
    font.SetHeight(-12);
    font.SetColor(clWhite);
    FFontColor = clWhite;
    FMsg = std::make_unique<TTGMsg>(*this, 1000, false, MsgForm ? MsgForm->MsgMemo.get() : nullptr, *FGrp, 26, 304,
                                    588, 120, font, FBuiltInPictures->Bitmap(biMsgSkin));
}

TBitmap32List& TTideglassForm::Bitmap32List1()
{
    return *FBuiltInPictures;
}

TBitmap32List& TTideglassForm::WaitGrpList()
{
    return *FWaitFrames;
}

std::string TTideglassForm::GetKeyLabel(int index) const
{
    return FInput ? FInput->GetKeyLabel(index) : std::string();
}

TRichEdit* TTideglassForm::SubRichEdit()
{
    return SubForm ? SubForm->SubRichEdit.get() : nullptr;
}

void TTideglassForm::StartEngine()
{
    show();
    if (MsgForm && !FMsgInGame)
        MsgForm->show();
    FIdle->Start();
}

void TTideglassForm::SetClientSize(int width, int height)
{
    centralWidget()->setFixedSize(width, height);
    ResizeGameImage();
}

int TTideglassForm::ClientWidth() const
{
    return centralWidget()->width();
}

int TTideglassForm::ClientHeight() const
{
    return centralWidget()->height();
}

void TTideglassForm::ResizeGameImage()
{
    const int w = ClientWidth();
    const int h = ClientHeight();
    GameImg->SetBounds(0, 0, w, h);
    constexpr int EditHeight = 20;
    CmdEdit->setGeometry(0, h - EditHeight, w, EditHeight);
}

int TTideglassForm::HaltedMessageBox(const std::string& text, const std::string& caption, int flags)
{
    FHalted = true;
    const int result = MessageBox(this, text, caption, flags);
    FHalted = false;
    return result;
}

int32_t TTideglassForm::EvalInteger(const std::string& expression)
{
    return StrToInt(FExpr->Evaluate(expression));
}

int32_t TTideglassForm::Random(int32_t n)
{
    if (n <= 0)
        return 0;
    // The run-time's scaling of a 32-bit word to 0..n-1, as the evaluator's R(n).
    return static_cast<int32_t>((static_cast<uint64_t>(static_cast<uint32_t>(FRandom())) * static_cast<uint32_t>(n)) >> 32);
}

void TTideglassForm::closeEvent(QCloseEvent* event)
{
    FIdle->Stop();
    if (MsgForm)
        MsgForm->hide();
    if (SubForm)
        SubForm->hide();
    if (DebugForm)
        DebugForm->hide();
    QMainWindow::closeEvent(event);
    QApplication::quit();
}
