#include "engine/screen/msg_form.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTextEdit>

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

    // Key preview: the form sees every key before its boxes do.
    memo->installEventFilter(this);
    CmdEdit->installEventFilter(this);

    resize(DesignWidth, DesignHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMsgForm::~TMsgForm()
{
    OnGetState = nullptr;
    OnEndKeyWait = nullptr;
}

void TMsgForm::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event->key());
    QWidget::keyPressEvent(event);
}


void TMsgForm::FormKeyDown(int key)
{
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && OnGetState &&
        OnGetState() == KeyWaitState && OnEndKeyWait)
        OnEndKeyWait();
}

bool TMsgForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        FormKeyDown(key->key());
        // The log never takes Enter or Space.
        if (watched == MsgMemo->Widget() &&
            (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TMsgForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    MsgMemo->Widget()->setGeometry(MemoLeft, MemoTop, std::max(0, w - MemoLeft - MemoRightGap),
                         std::max(0, h - MemoTop - MemoBottomGap));
    CmdEdit->setGeometry(EditLeft, h - EditBottomGap - EditHeight, std::max(0, w - EditLeft - EditRightGap),
                         EditHeight);
}
