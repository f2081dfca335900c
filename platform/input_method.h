#pragma once
// The open state of the input method (the Japanese conversion that the
// player switches on and off). The engine closes it during key waits and
// reopens it when the player had it open at the last command. The Linux
// input-method frameworks offer applications no such switch, so the state
// always reads closed and setting it does nothing; text the input method
// commits still reaches the edit boxes.

class QWidget;

namespace ime {

// Whether the input method of `widget` is open: always false here.
bool GetOpenStatus(QWidget* widget);
// Opens or closes the input method of `widget`: no effect here.
void SetOpenStatus(QWidget* widget, bool open);

} // namespace ime
