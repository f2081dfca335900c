#pragma once
// What the engine's small forms share: their face ("ＭＳ Ｐゴシック" at 12
// pixels, through the family that stands in for it) and the Japanese texts
// they show, held as Shift-JIS like every text of the engine.

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <string>

#include "base/sjis.h"
#include "classlib/font_substitution.h"

inline QFont FormFont()
{
    QFont font(QString::fromStdString(gdi::SubstituteFace("ＭＳ Ｐゴシック")));
    font.setPixelSize(12);
    return font;
}

// A Shift-JIS text for a widget.
inline QString FormText(const std::string& sjisText)
{
    return QString::fromUtf8(sjis::ToUtf8(sjisText));
}

// Places a form in the middle of the screen it is on.
inline void CenterOnScreen(QWidget& form)
{
    const QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = form.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    form.move(frame.topLeft());
}
