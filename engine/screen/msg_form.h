#pragma once
// TMsgForm: the message-and-input window. It shows the message log and
// carries the command line while the message window is not on the game
// screen. The engine's objects write into its components; the form itself
// only ends a key wait when Space or Enter is pressed in it.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QLineEdit;
class TRichEdit;

class TMsgForm : public QWidget {
    Q_OBJECT

public:
    TMsgForm();
    ~TMsgForm() override;

    // The log: a read-only rich-text box the message window appends to.
    std::unique_ptr<TRichEdit> MsgMemo;
    QLineEdit* CmdEdit = nullptr;

    // The main window's state byte, and its end of a key wait; the owner
    // sets both and clears them before it goes away.
    std::function<uint8_t()> OnGetState;
    std::function<void()> OnEndKeyWait;

    // FormKeyDown: Space or Enter during a key wait ends it.
    void FormKeyDown(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
