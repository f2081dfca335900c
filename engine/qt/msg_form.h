#pragma once
// TMsgForm: the message-and-input window. It shows the message log and
// carries the command line while the message window is not on the game
// screen. The engine's objects write into its components; the form itself
// only ends a key wait when Space or Enter is pressed in it.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "classlib/shift_state.h"

class QLineEdit;
class TKeyHook;
class TKeyPreview;
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
    // Whether the window manager may close the window (the player can show
    // it again); unset, it may.
    std::function<bool()> OnCloseAllowed;

    // Key preview: Space or Enter during a key wait ends it.
    void FormKeyDown(uint16_t& key, TShiftState shift);
    // The log never takes Space or Enter.
    void MsgMemoKeyPress(char& key);
    // The command line grows upwards by `pixels` over its designed height
    // (a larger font), its bottom edge staying.
    void SetEditGrowth(int pixels);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceBoxes();

    std::unique_ptr<TKeyPreview> FPreview;
    int FEditGrowth = 0;
    std::unique_ptr<TKeyHook> FMemoHook;
};
