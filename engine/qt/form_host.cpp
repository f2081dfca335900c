// What the engine and the command line ask of the main window, answered with
// its widgets, its menus and the small windows.

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include "engine/qt/about_dlg.h"
#include "engine/qt/debug_form.h"
#include "engine/qt/input_dlg.h"
#include "engine/qt/midi_form.h"
#include "engine/screen/modal_result.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/rich_edit_log.h"
#include "engine/qt/sub_form.h"
#include "engine/qt/tg_input.h"
#include "engine/qt/yes_no_dlg.h"
#include "engine/qt/frame_place.h"
#include "engine/qt/tideglass_form.h"
#include "graphics/bitmap32.h"
#include "platform/file_association.h"
#include "platform/input_method.h"
#include "platform/message_box.h"
#include "platform/audio/midi_out.h"
#include "platform/audio/wave_out.h"
#include "platform/qt_sjis.h"
#include "platform/rich_edit.h"

namespace {

// The input dialog's question is never shown narrower than this, and the
// yes/no dialog's client area never narrower than that; its label keeps a
// margin of 16 pixels on both sides.
constexpr int InputLabelMinWidth = 400;
constexpr int YesNoMinClientWidth = 256;
constexpr int YesNoLabelMargins = 32;

} // namespace

// ---- the main window

int TTideglassForm::ClientWidth() const
{
    return centralWidget()->width();
}

int TTideglassForm::ClientHeight() const
{
    return centralWidget()->height();
}

void TTideglassForm::SetClientSize(int width, int height)
{
    // Full screen's client is the monitor; the engine sizes the window
    // again when it leaves.
    if (FInFullScreen)
        return;
    centralWidget()->setFixedSize(width, height);
    ResizeGameImage();
}

void TTideglassForm::SetTitle(const std::string& title)
{
    setWindowTitle(SjisToQString(title));
}

void TTideglassForm::SetAboutTitle(const std::string& title)
{
    FAboutTitle = SjisToQString(title);
    if (FAboutDlg)
        FAboutDlg->setWindowTitle(*FAboutTitle);
}

void TTideglassForm::SetAboutPicture(const TBitmap32& picture)
{
    if (picture.Empty())
        return;
    // The picture box shows what a plain bitmap would hold: no alpha.
    const QImage image(reinterpret_cast<const uchar*>(picture.Bits()), picture.Width(), picture.Height(),
        qsizetype(picture.Width()) * 4, QImage::Format_RGB32);
    FAboutPicture = QPixmap::fromImage(image.copy());
    if (FAboutDlg)
        FAboutDlg->SetPicture(*FAboutPicture);
}

void TTideglassForm::SetMenuBarVisible(bool visible)
{
    menuBar()->setVisible(visible);
}

QAction* TTideglassForm::MenuAction(TMenuItem item) const
{
    switch (item) {
    case TMenuItem::F1: return F1;
    case TMenuItem::Help1: return Help1;
    case TMenuItem::TIDEGLASSC1: return TIDEGLASSC1;
    case TMenuItem::Edit1: return Edit1->menuAction();
    case TMenuItem::N3: return N3;
    case TMenuItem::D1: return D1;
    case TMenuItem::F3: return F3;
    }
    return nullptr;
}

bool TTideglassForm::MenuVisible(TMenuItem item) const
{
    return MenuAction(item)->isVisible();
}

void TTideglassForm::SetMenuVisible(TMenuItem item, bool visible)
{
    MenuAction(item)->setVisible(visible);
}

bool TTideglassForm::MenuEnabled(TMenuItem item) const
{
    return MenuAction(item)->isEnabled();
}

void TTideglassForm::SetMenuEnabled(TMenuItem item, bool enabled)
{
    MenuAction(item)->setEnabled(enabled);
}

bool TTideglassForm::MenuChecked(TMenuItem item) const
{
    return MenuAction(item)->isChecked();
}

void TTideglassForm::SetMenuChecked(TMenuItem item, bool checked)
{
    MenuAction(item)->setChecked(checked);
}

void TTideglassForm::HideAssociationOptions()
{
    FAssociationOptionsHidden = true;
    if (FMidiForm) {
        FMidiForm->GroupBox2->hide();
        FMidiForm->setFixedHeight(100);
    }
}

TWaveOut* TTideglassForm::WaveOutDevice()
{
    return &SystemWaveOut();
}

TMidiOutDriver& TTideglassForm::MidiOutDriver()
{
    return *FMidiDriver;
}

std::string TTideglassForm::AudioLibraryPath() const
{
    return FAudioLibraryPath;
}

void TTideglassForm::CloseWindow()
{
    close();
}

bool TTideglassForm::ImeOpen()
{
    return ime::GetOpenStatus(this);
}

void TTideglassForm::SetImeOpen(bool open)
{
    ime::SetOpenStatus(this, open);
}

// ---- dialogs

void TTideglassForm::TakeActivationBack()
{
    // Window managers do not always hand the activation back to the window
    // a dialog closed over; the keys the player types next belong here.
    if (isVisible() && !QApplication::activeModalWidget())
        activateWindow();
}

int TTideglassForm::MessageBox(const std::string& text, const std::string& caption, int flags)
{
    const int answer = ::MessageBox(this, text, caption, flags);
    TakeActivationBack();
    return answer;
}

int TTideglassForm::AskInput(const std::string& prompt, std::string& text)
{
    if (FClosing)
        return mrAbort;
    if (OnAskInput)
        return OnAskInput(prompt, text);
    TInputDlg& dialog = InputDlg();
    dialog.SetPrompt(prompt);
    dialog.InputLabel->setMinimumWidth(InputLabelMinWidth);
    dialog.InputEdit->clear();
    const int result = dialog.exec();
    text = dialog.Text();
    return FClosing ? mrAbort : result;
}

int TTideglassForm::AskYesNo(const std::string& prompt)
{
    if (FClosing)
        return mrAbort;
    if (OnAskYesNo)
        return OnAskYesNo(prompt);
    TYesNoDlg& dialog = YesNoDlg();
    dialog.SetPrompt(prompt);
    dialog.setFixedWidth(std::max(YesNoMinClientWidth, dialog.Label1->sizeHint().width() + YesNoLabelMargins));
    const int result = dialog.exec();
    return FClosing ? mrAbort : result;
}

bool TTideglassForm::ChooseScenario(const std::string& filter, std::string& fileName)
{
    OpenDialog1.Filter = filter;
    const bool chosen = OpenDialog1.Execute(this);
    TakeActivationBack();
    if (!chosen)
        return false;
    fileName = OpenDialog1.FileName;
    return true;
}

bool TTideglassForm::DialogShown() const
{
    return (FInputDlg && FInputDlg->isVisible()) || (FAboutDlg && FAboutDlg->isVisible());
}

void TTideglassForm::CloseDialogs()
{
    if (FInputDlg && FInputDlg->isVisible())
        FInputDlg->done(mrAbort);
    if (FAboutDlg && FAboutDlg->isVisible())
        FAboutDlg->done(mrOk);
}

// ---- input and dialog commands

TKeyStrList& TTideglassForm::KeyNames()
{
    return FInput->KeyNames();
}

void TTideglassForm::SetKeyLabel(int index, const std::string& text)
{
    if (FInput)
        FInput->SetKeyLabel(index, text);
}

void TTideglassForm::SetInputFontSize(int points)
{
    for (QLineEdit* edit : {MsgForm ? MsgForm->CmdEdit : nullptr, CmdEdit}) {
        if (!edit)
            continue;
        QFont font = edit->font();
        font.setPointSize(points);
        edit->setFont(font);
    }
}

void TTideglassForm::SetLogFontSize(int points)
{
    if (MsgForm)
        MsgForm->MsgMemo->SetFontSize(points);
}

void TTideglassForm::GrowInputs(int pixels)
{
    // Kept as growth above the bottom edge, so that every later layout of
    // either window (a new client size, full screen) keeps the height.
    FInputGrowth += pixels;
    if (MsgForm)
        MsgForm->SetEditGrowth(FInputGrowth);
    ResizeGameImage();
}

// ---- the message window's log

TMsgLog* TTideglassForm::MessageLog()
{
    return FMessageLog.get();
}

TMsgLog* TTideglassForm::SubLog()
{
    return FSubLog.get();
}

void TTideglassForm::SetMessagePlace(bool onGameScreen)
{
    QLineEdit* edit = onGameScreen ? CmdEdit : (MsgForm ? MsgForm->CmdEdit : nullptr);
    if (FInput)
        FInput->AttachEdit(edit);
    if (!MsgForm)
        return;
    if (onGameScreen) {
        MsgForm->hide();
    } else {
        MsgForm->show();
        TRichEdit& log = *MsgForm->MsgMemo;
        log.SetSelStart(log.TextByteLength());
        log.ScrollCaret();
    }
}

// ---- the small windows and the main window's place

int TTideglassForm::WindowLeft() const
{
    return FMainPlace->Place().x();
}

int TTideglassForm::WindowTop() const
{
    return FMainPlace->Place().y();
}

TWindowBounds TTideglassForm::SubWindowPlace() const
{
    if (!SubForm)
        return {};
    const QPoint place = FSubPlace ? FSubPlace->Place() : SubForm->pos();
    return {place.x(), place.y(), SubForm->width(), SubForm->height()};
}

void TTideglassForm::ShowSubWindow(const TWindowBounds& place)
{
    if (!SubForm)
        return;
    // A window larger than the whole desktop shows nothing more; a script's
    // size never makes one.
    QSize largest(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (const QScreen* screen = SubForm->screen() ? SubForm->screen() : QGuiApplication::primaryScreen())
        largest = screen->virtualGeometry().size();
    if (FSubPlace)
        FSubPlace->Set(QPoint(place.Left, place.Top));
    SubForm->resize(std::clamp(place.Width, 0, largest.width()), std::clamp(place.Height, 0, largest.height()));
    SubForm->show();
}

void TTideglassForm::HideSubWindow()
{
    if (SubForm)
        SubForm->hide();
}

void TTideglassForm::SetSubWindowTitle(const std::string& title)
{
    if (SubForm)
        SubForm->setWindowTitle(SjisToQString(title));
}

void TTideglassForm::SetSubWindowOnTop(bool onTop)
{
    if (SubForm)
        SubForm->SetStayOnTop(onTop);
}

void TTideglassForm::SetMessageWindowVisible(bool visible)
{
    if (MsgForm)
        MsgForm->setVisible(visible);
}

void TTideglassForm::ShowDebugWindow()
{
    TDebugForm& debug = DebugForm();
    debug.show();
    debug.raise();
    debug.activateWindow();
}

// ---- the command line

void TTideglassForm::SetInputEnabled(bool enabled)
{
    if (!FInput)
        return;
    // Both boxes, through the command line so that they take its colours;
    // then it points at the box in use again.
    QLineEdit* const inUse = FInput->Edit();
    if (MsgForm) {
        FInput->SetEdit(MsgForm->CmdEdit);
        FInput->SetEnabled(enabled);
    }
    FInput->SetEdit(CmdEdit);
    FInput->SetEnabled(enabled);
    FInput->SetEdit(inUse);
}

bool TTideglassForm::InputEnabled() const
{
    return FInput && FInput->GetEnabled();
}

void TTideglassForm::SetShownInputEnabled(bool enabled)
{
    if (FInput)
        FInput->SetEnabled(enabled);
}

void TTideglassForm::SetInputText(const std::string& text)
{
    if (!FInput)
        return;
    if (text.empty())
        FInput->ClearText();
    else
        FInput->SetText(text);
}

void TTideglassForm::FocusInput()
{
    if (!FInput)
        return;
    // A window just shown is not on the screen yet, and cannot take the
    // keys: the command line takes them once it is.
    QWidget* const window = FInput->Edit() ? FInput->Edit()->window() : nullptr;
    QWindow* const handle = window ? window->windowHandle() : nullptr;
    if (handle && window->isVisible() && !handle->isExposed()) {
        if (FFocusWhenExposed && FFocusWhenExposed != handle)
            FFocusWhenExposed->removeEventFilter(this);
        FFocusWhenExposed = handle;
        handle->installEventFilter(this);
        return;
    }
    FInput->FocusEdit();
}

bool TTideglassForm::InputFocused() const
{
    return FInput && FInput->Edit() && FInput->Edit()->hasFocus();
}

void TTideglassForm::SetInputVisible(bool visible)
{
    if (FInput && FInput->Edit())
        FInput->Edit()->setVisible(visible);
}

bool TTideglassForm::InputImeOpen()
{
    return FInput && FInput->GetImeOpen();
}

void TTideglassForm::SetInputImeOpen(bool open)
{
    if (FInput)
        FInput->SetImeOpen(open);
}

bool TTideglassForm::ImeOpenAtSubmit() const
{
    return FInput && FInput->ImeOpenAtSubmit();
}

void TTideglassForm::SetQuestionMode(bool on)
{
    if (FInput)
        FInput->SetQuestionMode(on);
}

std::string TTideglassForm::GetKeyLabel(int index) const
{
    return FInput ? FInput->GetKeyLabel(index) : std::string();
}

void TTideglassForm::LiftMainInput(int pixels)
{
    // Kept as the command line's distance from the bottom, so that a new
    // client size (full screen and back) keeps it.
    FMainInputLift += pixels;
    ResizeGameImage();
}

// ---- TInputHost

uint8_t TTideglassForm::State() const
{
    return static_cast<uint8_t>(FEngine->State());
}

void TTideglassForm::SubmitCommand(const std::string& text)
{
    FEngine->SubmitCommand(text);
}

bool TTideglassForm::FuncBarShown() const
{
    return FEngine->FuncBarShown();
}

bool TTideglassForm::FuncBarShifted() const
{
    return FEngine->FuncBarShifted();
}

void TTideglassForm::SetFuncBarShifted(bool shifted)
{
    FEngine->SetFuncBarShifted(shifted);
}

const std::vector<std::string>& TTideglassForm::Keywords() const
{
    return FEngine->GameState().Keywords();
}

const TKeyStrList& TTideglassForm::KeyMacros() const
{
    return FEngine->GameState().KeyMacros();
}

TExprValue TTideglassForm::EvaluateExpr(const std::string& expr)
{
    return FEngine->EvaluateExpr(expr);
}

bool TTideglassForm::IsAssociated(std::string& openCommand)
{
    if (!assoc::IsRegistered())
        return false;
    openCommand = assoc::OpenCommand();
    return true;
}
