#pragma once
// Shift-JIS byte strings to and from the Qt strings that widgets take.

#include <QString>
#include <string>
#include <string_view>

#include "base/sjis.h"

inline QString SjisToQString(std::string_view sjisText)
{
    return QString::fromUtf8(sjis::ToUtf8(sjisText));
}

inline std::string QStringToSjis(const QString& text)
{
    return sjis::FromUtf8(text.toStdString());
}
