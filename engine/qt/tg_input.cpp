#include "engine/qt/tg_input.h"

#include <optional>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QWindow>
#include <algorithm>

#include "base/conv.h"
#include "base/exceptions.h"
#include "base/sjis.h"
#include "engine/screen/input_host.h"
#include "classlib/colors.h"
#include "platform/input_method.h"
#include "platform/key_hook.h"

namespace {

// Engine state of a key wait.
constexpr uint8_t KeyWaitState = 5;
// The edit box's colour while a question waits for its answer (light blue).
constexpr TColor QuestionColor = RGB(0xEF, 0xEF, 0xFF);

const char* const KeyWaitText = "HIT SPACE KEY!";
// Macro texts that act instead of being typed.
const char* const PopupMacro = "#POP";
const char* const PageUpMacro = "#PUP";
const char* const PageDownMacro = "#PDOWN";

QString ToQString(const std::string& sjisText)
{
    return QString::fromUtf8(sjis::ToUtf8(sjisText));
}

std::string FromQString(const QString& text)
{
    return sjis::FromUtf8(text.toStdString());
}

// Keys that type a digit or a letter never run a macro: they belong to the
// command being typed.
bool IsTypingKey(uint16_t key)
{
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

// A macro text that ends in a backslash and "n" is entered, not typed. The
// backslash must be a character of its own, not the second byte of a
// double-byte character.
bool EndsWithEnter(const std::string& text)
{
    const size_t n = text.size();
    return n >= 2 && text[n - 2] == '\\' && text[n - 1] == 'n' && sjis::IsCharStart(text, n - 2);
}

} // namespace

TTGInput::TTGInput(TInputHost& host, QLineEdit* edit, int tag) : FHost(host)
{
    HookEdit(edit, tag);
    FKeywordMenu = std::make_unique<QMenu>();
    FillKeyNames();
}

TTGInput::~TTGInput()
{
    FHook.reset();
    FKeywordMenu.reset();
}

void TTGInput::FillKeyNames()
{
    AddKeyNames(FKeyNames);
}

// ---- the edit box

void TTGInput::AttachEdit(QLineEdit* edit)
{
    // The box that takes over takes the command line's state with it: a
    // box put aside was disabled so that it takes no keys.
    std::optional<bool> enabled;
    if (FEdit && FEdit != edit) {
        enabled = FEdit->isEnabled();
        FEdit->hide();
        FEdit->setEnabled(false);
    }
    FEdit = edit;
    if (!edit)
        return;
    if (enabled)
        SetEnabled(*enabled);
    edit->show();
    Hook(edit);
    SetText(FHost.State() == KeyWaitState ? KeyWaitText : "");
    FocusEdit();
}

void TTGInput::SetEdit(QLineEdit* edit)
{
    FEdit = edit;
}

void TTGInput::HookEdit(QLineEdit* edit, int tag)
{
    FEdit = edit;
    Hook(edit);
    FTag = tag;
    FHistoryIndex = -1;
}

void TTGInput::Hook(QLineEdit* edit)
{
    FHook.reset();
    if (!edit)
        return;
    FHook = std::make_unique<TKeyHook>(edit);
    FHook->OnKeyDown = [this](uint16_t& key, TShiftState shift) { EditKeyDown(key, shift); };
    FHook->OnKeyUp = [this](uint16_t& key, TShiftState shift) { EditKeyUp(key, shift); };
    FHook->OnKeyPress = [this](char& key) { EditKeyPress(key); };
}

void TTGInput::PaintEdit(TColor color)
{
    if (!FEdit)
        return;
    QPalette palette = FEdit->palette();
    palette.setColor(QPalette::Base, QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    FEdit->setPalette(palette);
}

void TTGInput::SetEnabled(bool enabled)
{
    if (!FEdit)
        return;
    FEdit->setEnabled(enabled);
    // A question still waiting keeps its colour when the box comes back.
    if (!enabled)
        PaintEdit(GetSysColor(COLOR_BTNFACE));
    else
        PaintEdit(FQuestionMode ? QuestionColor : GetSysColor(COLOR_WINDOW));
}

bool TTGInput::GetEnabled() const
{
    return FEdit && FEdit->isEnabled();
}

void TTGInput::SetQuestionMode(bool on)
{
    FQuestionMode = on;
    PaintEdit(on ? QuestionColor : GetSysColor(COLOR_WINDOW));
}

void TTGInput::SetText(const std::string& text)
{
    if (FEdit)
        FEdit->setText(ToQString(text));
}

void TTGInput::ClearText()
{
    if (FEdit)
        FEdit->clear();
}

void TTGInput::FocusEdit()
{
    if (!FEdit || !FEdit->isVisible() || !FEdit->isEnabled())
        return;
    FEdit->setFocus();
    FEdit->end(false);
    // Focusing a control of another window made that window the active one
    // on Windows; Qt only marks the control for when its window comes back.
    // The box takes the keys (and the input method's text) at once, unless
    // the player is in another program or in a modal dialog or a menu.
    QWidget* const window = FEdit->window();
    const QWidget* const active = QApplication::activeWindow();
    if (active && active != window && !QApplication::activeModalWidget() && !QApplication::activePopupWidget())
        window->activateWindow();
}

bool TTGInput::GetImeOpen()
{
    FocusEdit();
    return ime::GetOpenStatus(FEdit);
}

void TTGInput::SetImeOpen(bool open)
{
    if (FEdit && !FEdit->isEnabled())
        SetEnabled(true);
    FocusEdit();
    ime::SetOpenStatus(FEdit, open);
}

// ---- keywords and labels

std::string TTGInput::GetKeyLabel(int index) const
{
    if (index < 0 || index >= KeyLabelCount)
        return {};
    return FKeyLabels[static_cast<size_t>(index)];
}

void TTGInput::SetKeyLabel(int index, const std::string& text)
{
    if (index >= 0 && index < KeyLabelCount)
        FKeyLabels[static_cast<size_t>(index)] = text;
}

// ---- keys

void TTGInput::EditKeyDown(uint16_t& key, TShiftState shift)
{
    if ((shift & ssShift) && FHost.FuncBarShown() && !FHost.FuncBarShifted())
        FHost.SetFuncBarShifted(true);
    // The swallow mark concerns the character of one key press only, so a
    // macro on a key that types nothing cannot eat the next character.
    FSwallowKey = false;
    if (FHost.State() == KeyWaitState || !FEdit)
        return;

    if ((shift & ssShift) && key >= VK_F1 && key <= VK_F12)
        key = static_cast<uint16_t>(key + (VK_F13 - VK_F1));

    if (!IsTypingKey(key)) {
        const std::string macro = FHost.KeyMacros().GetText(key);
        if (!macro.empty() && RunMacro(macro) == TMacroResult::Spent) {
            key = 0;
            FSwallowKey = true;
        }
    }

    switch (key) {
    case VK_RETURN: Submit(); break;
    case VK_UP:
        if (FHistoryIndex >= 0) {
            ShowHistoryLine(FHistoryIndex);
            if (FHistoryIndex > 0)
                --FHistoryIndex;
        }
        break;
    case VK_DOWN:
        if (FHistoryIndex < FHistory.Count() - 1) {
            ++FHistoryIndex;
            ShowHistoryLine(FHistoryIndex);
        } else {
            FHistoryIndex = FHistory.Count() - 1;
            ClearText();
        }
        break;
    default: break;
    }
}

void TTGInput::EditKeyUp(uint16_t& key, TShiftState shift)
{
    if (!(shift & ssShift) && FHost.FuncBarShown() && FHost.FuncBarShifted())
        FHost.SetFuncBarShifted(false);
    FSwallowKey = false;
    if (FHost.State() == KeyWaitState || !FEdit)
        return;
    if (!FHost.KeyMacros().GetText(key).empty()) {
        key = 0;
    } else if ((key == VK_UP && FHistoryIndex >= 0) || (key == VK_DOWN && FHistoryIndex < FHistory.Count())) {
        FEdit->end(false);
    }
}

void TTGInput::EditKeyPress(char& key)
{
    if (FSwallowKey) {
        key = 0;
        FSwallowKey = false;
        return;
    }
    const auto charKey = static_cast<uint16_t>(CharKeyFlag + static_cast<unsigned char>(key));
    const std::string macro = FHost.KeyMacros().GetText(charKey);
    if (!macro.empty() && RunMacro(macro) == TMacroResult::Spent) {
        key = 0;
        return;
    }
    // Enter has submitted the line on its key down already.
    if (key == '\r')
        key = 0;
}

TTGInput::TMacroResult TTGInput::RunMacro(const std::string& text)
{
    if (text == PopupMacro) {
        PopupKeywords();
        return TMacroResult::Popup;
    }
    // Scrolling the message window is the windows' business: they act on
    // these keys before the command line sees them. Where they do not, the
    // key does nothing rather than type the macro's name.
    if (text == PageUpMacro || text == PageDownMacro)
        return TMacroResult::Spent;
    if (EndsWithEnter(text)) {
        SetText(text.substr(0, text.size() - 2));
        Submit();
    } else {
        InsertText(text);
    }
    return TMacroResult::Spent;
}

void TTGInput::PopupKeywords()
{
    if (!FEdit)
        return;
    // Opens over the edit box, wherever its window stands on the screen.
    const QPoint at = FEdit->mapToGlobal(QPoint(0, 0));
    FKeywordMenu->clear();
    for (const std::string& word : FHost.Keywords()) {
        QAction* action = FKeywordMenu->addAction(ToQString(word));
        QObject::connect(action, &QAction::triggered, [this, word] { InsertText(word); });
    }
    FKeywordMenu->winId();
    if (QWindow* menuWindow = FKeywordMenu->windowHandle())
        menuWindow->setTransientParent(FEdit->window()->windowHandle());
    FKeywordMenu->popup(at);
}

void TTGInput::InsertText(const std::string& text)
{
    // Straight into the box: the player's clipboard is left alone.
    if (FEdit)
        FEdit->insert(ToQString(text));
}

void TTGInput::ShowHistoryLine(int index)
{
    if (index >= 0 && index < FHistory.Count())
        SetText(FHistory[index]);
}

void TTGInput::Submit()
{
    FImeOpen = GetImeOpen();
    if (FHistory.Count() > 100 && FHistory.Count() >= MaxHistory) {
        while (FHistory.Count() > MaxHistory - 1)
            FHistory.Delete(0);
    }
    const std::string text = FEdit ? FromQString(FEdit->text()) : std::string();
    if (!text.empty()) {
        FHistory.Add(text);
        FHistoryIndex = FHistory.Count() - 1;
    }
    // Trimming may have left the cursor past the end.
    FHistoryIndex = std::min(FHistoryIndex, FHistory.Count() - 1);
    FHost.SubmitCommand(text);
    ClearText();
}
