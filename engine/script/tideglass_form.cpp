// The main window's life: creation of the engine objects, the other forms
// and the screen objects, and their destruction.

#include "engine/script/tideglass_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>

#include "base/clock.h"
#include "base/conv.h"
#include "base/sjis.h"
#include "base/streams.h"
#include "base/stringlist.h"
#include "engine/screen/builtin_pictures.h"
#include "engine/screen/msg_form.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/script/expr.h"
#include "engine/script/scenario_files.h"
#include "engine/script/variables.h"
#include "graphics/bitmap32_list.h"
#include "graphics/image32.h"
#include "platform/font.h"
#include "platform/help_viewer.h"
#include "platform/image_widget.h"
#include "platform/idle_driver.h"
#include "platform/message_box.h"
#include "platform/qt_sjis.h"
#include "platform/runtime_paths.h"

namespace {

// Client size of the main window as designed: the message area of the game
// screen (26, 304, 588 x 120) sits inside it.
constexpr int DesignClientWidth = 640;
constexpr int DesignClientHeight = 480;

// A form whose own issue has not come yet: a plain window with its caption
// and size, shown and hidden by the engine like the real one.
std::unique_ptr<QDialog> PlainDialog(const std::string& caption, int width, int height)
{
    auto dialog = std::make_unique<QDialog>(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    dialog->setWindowTitle(SjisToQString(caption));
    dialog->resize(width, height);
    return dialog;
}

std::unique_ptr<QWidget> PlainToolWindow(const std::string& caption, int width, int height)
{
    auto window = std::make_unique<QWidget>(nullptr, Qt::Tool);
    window->setWindowTitle(SjisToQString(caption));
    window->resize(width, height);
    return window;
}

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
    FInput = nullptr;
    FScript.reset();
    FLabels.reset();
    FItems.reset();
    FFlags.reset();
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
    AboutDlg = PlainDialog(SJ("TIDEGLASSについて"), 360, 130);
    MsgForm = std::make_unique<TMsgForm>();
    MsgForm->OnGetState = [this] { return FState; };
    MsgForm->OnEndKeyWait = [this] { EndKeyWait(); };
    InputDlg = PlainDialog(SJ("入力"), 387, 80);
    MidiForm = PlainDialog(SJ("設定"), 484, 142);
    YesNoDlg = PlainDialog(SJ("選択"), 255, 70);
    DebugForm = PlainToolWindow("Debug Window", 341, 232);
    SubForm = PlainToolWindow("Sub Window", 201, 149);
    // The message-and-input window is the one in use until a script puts
    // the message on the game screen.
    FInput = MsgForm->CmdEdit;
}

void TTideglassForm::CreateScreenObjects()
{
    // The command line is in place (CreateForms); then the screen layers and
    // the message window, which keeps its own copy of the font.
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

std::string TTideglassForm::GetKeyLabel(int) const
{
    // The function-key labels come with the command line of typed commands.
    return {};
}

TRichEdit* TTideglassForm::SubRichEdit()
{
    // The sub window comes with the sub-window commands.
    return nullptr;
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

void TTideglassForm::keyPressEvent(QKeyEvent* event)
{
    // The key wait of the game screen; the rest of the main window's keys
    // come with its menus and full screen.
    if (!FMsgHidden && FState == esKeyWait &&
        (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        EndKeyWait();
        return;
    }
    QMainWindow::keyPressEvent(event);
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
