// The main window's life: the window and its widgets, the engine, the other
// forms and the screen objects, the idle timer, and their destruction.

#include "engine/qt/tideglass_form.h"
#include "engine/qt/frame_place.h"

#include <QMouseEvent>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>

#include "base/conv.h"
#include "engine/qt/about_dlg.h"
#include "engine/qt/debug_form.h"
#include "engine/qt/form_style.h"
#include "engine/qt/input_dlg.h"
#include "engine/qt/midi_form.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/rich_edit_log.h"
#include "engine/qt/sub_form.h"
#include "engine/qt/tg_input.h"
#include "engine/qt/yes_no_dlg.h"
#include "engine/script/scenario_files.h"
#include "graphics/image32.h"
#include "platform/help_viewer.h"
#include "platform/image_widget.h"
#include "platform/key_preview.h"
#include "platform/audio/midi_out_fluid.h"
#include "platform/runtime_paths.h"
#include "sound/bass_binding.h"
#include "sound/sndmix.h"

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
    // The face of every form of the engine: the command line here (the one
    // in use in full screen) looks like the message window's, and the menu
    // bar's Japanese titles are drawn without a search for a face that has
    // them, which cost more than a tenth of the start.
    setFont(FormFont());

    auto* client = new QWidget(this);
    setCentralWidget(client);
    GameImgView = new TImageWidget(nullptr, client);
    GameImgView->setObjectName("GameImg");
    CmdEdit = new QLineEdit(client);
    CmdEdit->setObjectName("CmdEdit");
    CmdEdit->hide();
    // The window takes the size of its game screen and is not resized by hand.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    BuildMainMenu();
    centralWidget()->setFixedSize(DesignClientWidth, DesignClientHeight);
    // Full screen lays the picture and the command line out again whenever
    // the client changes, and shows the menu bar by the pointer.
    centralWidget()->installEventFilter(this);
    GameImgView->installEventFilter(this);

    const std::string exePath = QCoreApplication::applicationFilePath().toStdString();
    FIniFileName = SettingsFilePath(exePath);
    // The wave mixer's settings lie beside the engine's own.
    SndMixSetIniFileName(ExtractFilePath(FIniFileName) + "SNDMIX.INI");
    FMidiDriver = std::make_unique<TFluidSynthDriver>();
    FAudioLibraryPath = TBass::LibraryPath(ExtractFilePath(exePath));
    const TEngineHost host{*this, *this, *this, *this, *this};
    FEngine = std::make_unique<TEngine>(host, args, ExtractFilePath(exePath));
    GameImgView->SetClient(&FEngine->GameImg());
    // A new logical screen in full screen (*SCALE, *SCREEN) moves the
    // command line with it.
    FEngine->GameImg().OnResize = [this](TObject*) { LayoutFullScreen(); };
    ResizeGameImage();

    FMainPlace = std::make_unique<TFramePlace>(*this);
    FHelpViewer = std::make_unique<THelpViewer>();
    Help1->setEnabled(FHelpViewer->Available());
    TIDEGLASSC1->setEnabled(FHelpViewer->Available());

    FTickTimer.setSingleShot(true);
    FTickTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTickTimer, &QTimer::timeout, this, [this] { FEngine->ApplicationEvents1Idle(); });

    // The form previews its keys; Tab stays with the command line.
    FKeyPreview = std::make_unique<TKeyPreview>(this);
    FKeyPreview->TabTraversal = false;
    FKeyPreview->OnKeyDown = [this](uint16_t& key, TShiftState shift) { FEngine->FormKeyDown(key, shift); };
    FKeyPreview->OnKeyUp = [this](uint16_t& key, TShiftState shift) { FEngine->FormKeyUp(key, shift); };
    // What is typed while no control of the window takes keys (the game
    // screen was clicked, a dialog has just closed, or the command line in
    // use lies on the message-and-input window) belongs to the command line.
    FKeyPreview->KeyTarget = [this](QObject* heading) -> QWidget* {
        if (!FInput || (heading != this && heading != centralWidget() && heading != GameImgView))
            return nullptr;
        return FInput->Edit();
    };
    // A click on the game screen leaves the keys with the command line.
    GameImgView->installEventFilter(this);
    FAppKeyHook = std::make_unique<TAppKeyHook>();
    FAppKeyHook->OnKeyDown = [this](uint16_t& key, TShiftState) { FEngine->ApplicationEvents1Message(true, key); };
    FAppKeyHook->OnKeyUp = [this](uint16_t& key, TShiftState) { FEngine->ApplicationEvents1Message(false, key); };
}

TTideglassForm::~TTideglassForm()
{
    SetTimerActive(false);
    FAppKeyHook.reset();
    FKeyPreview.reset();
    GameImgView->removeEventFilter(this);
    try {
        WriteSettings();
    } catch (const std::exception&) {
        // A settings file that cannot be written must not keep the engine
        // from closing; the next start uses the defaults.
    }
    if (MsgForm) {
        MsgForm->OnGetState = nullptr;
        MsgForm->OnEndKeyWait = nullptr;
        MsgForm->OnCloseAllowed = nullptr;
    }
    centralWidget()->removeEventFilter(this);
    GameImgView->removeEventFilter(this);
    if (FFocusWhenExposed)
        FFocusWhenExposed->removeEventFilter(this);
    FEngine->GameImg().OnResize = nullptr;
    // The image control goes before the widget that shows it; the engine
    // before the logs and the command line it reaches.
    GameImgView->SetClient(nullptr);
    FEngine.reset();
    FMidiDriver.reset();
    FInput.reset();
    FMessageLog.reset();
    FSubLog.reset();
    // The other forms go after the main window's own objects, as the
    // application freed them after the main form.
    FMsgPlace.reset();
    FSubPlace.reset();
    SubForm.reset();
    FDebugForm.reset();
    FYesNoDlg.reset();
    FMidiForm.reset();
    FInputDlg.reset();
    MsgForm.reset();
    FAboutDlg.reset();
}

void TTideglassForm::CreateForms()
{
    MsgForm = std::make_unique<TMsgForm>();
    MsgForm->OnGetState = [this] { return State(); };
    MsgForm->OnEndKeyWait = [this] { FEngine->EndKeyWait(); };
    // A player has no menu to show it again.
    MsgForm->OnCloseAllowed = [this] { return !FEngine->PlayerMode(); };
    FMessageLog = std::make_unique<TRichEditLog>(*MsgForm->MsgMemo);
    SubForm = std::make_unique<TSubForm>();
    FSubLog = std::make_unique<TRichEditLog>(*SubForm->SubRichEdit);
    FMsgPlace = std::make_unique<TFramePlace>(*MsgForm);
    FSubPlace = std::make_unique<TFramePlace>(*SubForm);
}

TAboutDlg& TTideglassForm::AboutDlg()
{
    if (!FAboutDlg) {
        FAboutDlg = std::make_unique<TAboutDlg>();
        if (FAboutTitle)
            FAboutDlg->setWindowTitle(*FAboutTitle);
        if (FAboutPicture)
            FAboutDlg->SetPicture(*FAboutPicture);
    }
    return *FAboutDlg;
}

TInputDlg& TTideglassForm::InputDlg()
{
    if (!FInputDlg)
        FInputDlg = std::make_unique<TInputDlg>(this);
    return *FInputDlg;
}

TMidiForm& TTideglassForm::MidiForm()
{
    if (!FMidiForm) {
        FMidiForm = std::make_unique<TMidiForm>(*this);
        if (FAssociationOptionsHidden)
            HideAssociationOptions();
    }
    return *FMidiForm;
}

TDebugForm& TTideglassForm::DebugForm()
{
    if (!FDebugForm)
        FDebugForm = std::make_unique<TDebugForm>(*this);
    return *FDebugForm;
}

TYesNoDlg& TTideglassForm::YesNoDlg()
{
    if (!FYesNoDlg)
        FYesNoDlg = std::make_unique<TYesNoDlg>();
    return *FYesNoDlg;
}

void TTideglassForm::CreateScreenObjects()
{
    // The command line first, on the message-and-input window, which is the
    // one in use until a script puts the message on the game screen.
    if (MsgForm)
        FInput = std::make_unique<TTGInput>(*this, MsgForm->CmdEdit, 0);
    FEngine->CreateScreenObjects();
}

void TTideglassForm::StartEngine()
{
    show();
    if (MsgForm && !FEngine->MsgInGame())
        MsgForm->show();
    SetTimerActive(true);
}

void TTideglassForm::SetTimerActive(bool active)
{
    FTimerActive = active;
    if (!active) {
        FTickTimer.stop();
        return;
    }
    // The engine works out its next pass afresh.
    FEngine->ScheduleNextTick();
}

void TTideglassForm::ScheduleTick(int delayMs)
{
    if (!FTimerActive)
        return;
    if (delayMs < 0)
        FTickTimer.stop();
    else
        FTickTimer.start(delayMs);
}

void TTideglassForm::ResizeGameImage()
{
    // Full screen keeps the logical screen; the window only shows it.
    if (FInFullScreen) {
        LayoutFullScreen();
        return;
    }
    const int w = ClientWidth();
    const int h = ClientHeight();
    FEngine->GameImg().SetBounds(0, 0, w, h);
    CmdEdit->setGeometry(0, h - MainInputHeight - FInputGrowth - FMainInputLift, w, MainInputHeight + FInputGrowth);
}

bool TTideglassForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        LayoutFullScreen();
    } else if (watched == GameImgView && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        FullScreenPointerAt(GameImgView->mapTo(this, move->position().toPoint()).y());
    } else if (watched == FFocusWhenExposed && event->type() == QEvent::Expose && FFocusWhenExposed->isExposed()) {
        FFocusWhenExposed->removeEventFilter(this);
        FFocusWhenExposed = nullptr;
        FocusInput();
    } else if (watched == GameImgView && event->type() == QEvent::MouseButtonRelease) {
        // A click on the game screen leaves the keys with the command line.
        FocusInput();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TTideglassForm::closeEvent(QCloseEvent* event)
{
    // A dialog the engine shows is ended by the quit below; the engine must
    // take that as abandoned and not ask again, for every dialog would come
    // back at once.
    FClosing = true;
    if (FInFullScreen) {
        FClosedFromFullScreen = true;
        FEngine->FormClose();
    }
    SetTimerActive(false);
    if (MsgForm)
        MsgForm->hide();
    if (SubForm)
        SubForm->hide();
    if (FDebugForm)
        FDebugForm->hide();
    QMainWindow::closeEvent(event);
    QApplication::quit();
}
