#include "engine/qt/sub_form.h"

#include <QTextEdit>
#include <QVBoxLayout>

#include "engine/qt/form_style.h"
#include "platform/rich_edit.h"

namespace {

constexpr Qt::WindowFlags SubFormFlags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

} // namespace

TSubForm::TSubForm(QWidget* parent) : QWidget(parent, SubFormFlags | Qt::WindowStaysOnTopHint)
{
    setWindowTitle("Sub Window");
    setFont(FormFont());
    setGeometry(252, 313, 201, 149);

    SubRichEdit = std::make_unique<TRichEdit>(this);
    QTextEdit* box = SubRichEdit->Widget();
    box->setObjectName("SubRichEdit");
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
}

// The box's widget is a child of the form and goes with it.
TSubForm::~TSubForm() = default;

void TSubForm::SetStayOnTop(bool onTop)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing the flags hides a window; it stays where it was.
    if (visible)
        show();
}
