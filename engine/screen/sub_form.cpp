#include "engine/screen/sub_form.h"

#include <QTextEdit>
#include <QVBoxLayout>

#include "engine/screen/form_style.h"

namespace {

constexpr Qt::WindowFlags SubFormFlags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

} // namespace

TSubForm::TSubForm(QWidget* parent) : QWidget(parent, SubFormFlags | Qt::WindowStaysOnTopHint)
{
    setWindowTitle("Sub Window");
    setFont(FormFont());
    setGeometry(252, 313, 201, 149);

    SubRichEdit = new QTextEdit(this);
    SubRichEdit->setObjectName("SubRichEdit");
    SubRichEdit->setReadOnly(true);
    SubRichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SubRichEdit);
}

void TSubForm::SetStayOnTop(bool onTop)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing the flags hides a window; it stays where it was.
    if (visible)
        show();
}
