#include "engine/qt/msg_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTextEdit>

#include "platform/key_preview.h"
#include "platform/rich_edit.h"

namespace {

// Engine state of a key wait ("HIT SPACE KEY!").
constexpr uint8_t KeyWaitState = 5;

// Client size of the form and where its two boxes sit, from its design.
constexpr int DesignWidth = 425;
constexpr int DesignHeight = 158;
constexpr int MemoLeft = 8, MemoTop = 8, MemoRightGap = 8, MemoBottomGap = 37;
constexpr int EditLeft = 8, EditRightGap = 7, EditBottomGap = 8, EditHeight = 20;

} // namespace

// A tool window with its title and no buttons: closed, it could strand a
// player, who has no menu to bring it back.
TMsgForm::TMsgForm() : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle("Message & Input");
    QFont font("IPAPGothic");
    font.setPixelSize(12);
    setFont(font);

    MsgMemo = std::make_unique<TRichEdit>(this);
    QTextEdit* memo = MsgMemo->Widget();
    memo->setObjectName("MsgMemo");
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFocusPolicy(Qt::ClickFocus);
    // No caret in the log: it is for reading only.
    MsgMemo->HideCaret();

    CmdEdit = new QLineEdit(this);
    CmdEdit->setObjectName("CmdEdit");

    // The form sees every key before its boxes do; Tab stays where it is.
    FPreview = std::make_unique<TKeyPreview>(this);
    FPreview->TabTraversal = false;
    FPreview->OnKeyDown = [this](uint16_t& key, TShiftState shift) { FormKeyDown(key, shift); };
    FMemoHook = std::make_unique<TKeyHook>(memo);
    FMemoHook->OnKeyPress = [this](char& key) { MsgMemoKeyPress(key); };

    resize(DesignWidth, DesignHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMsgForm::~TMsgForm()
{
    FMemoHook.reset();
    FPreview.reset();
    OnGetState = nullptr;
    OnEndKeyWait = nullptr;
    OnCloseAllowed = nullptr;
}

void TMsgForm::FormKeyDown(uint16_t& key, TShiftState)
{
    if ((key == VK_SPACE || key == VK_RETURN) && OnGetState && OnGetState() == KeyWaitState && OnEndKeyWait)
        OnEndKeyWait();
}

void TMsgForm::MsgMemoKeyPress(char& key)
{
    if (key == ' ' || key == '\r')
        key = 0;
}

void TMsgForm::closeEvent(QCloseEvent* event)
{
    // Some window managers offer to close any window; where nothing could
    // bring this one back, it stays.
    if (event->spontaneous() && OnCloseAllowed && !OnCloseAllowed()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TMsgForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceBoxes();
}

void TMsgForm::SetEditGrowth(int pixels)
{
    FEditGrowth = pixels;
    PlaceBoxes();
}

void TMsgForm::PlaceBoxes()
{
    const int w = width();
    const int h = height();
    MsgMemo->Widget()->setGeometry(
        MemoLeft, MemoTop, std::max(0, w - MemoLeft - MemoRightGap), std::max(0, h - MemoTop - MemoBottomGap));
    CmdEdit->setGeometry(EditLeft, h - EditBottomGap - EditHeight - FEditGrowth,
        std::max(0, w - EditLeft - EditRightGap), EditHeight + FEditGrowth);
}
