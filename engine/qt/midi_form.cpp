#include "engine/qt/midi_form.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "engine/qt/form_style.h"
#include "engine/screen/input_host.h"
#include "engine/screen/modal_result.h"

namespace {

constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int Margin = 8;

} // namespace

TMidiForm::TMidiForm(TInputHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      FHost(host)
{
    setWindowTitle(FormText(SJ("設定")));
    setFont(FormFont());

    GroupBox2 = new QGroupBox(FormText(SJ("拡張子")), this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setGeometry(Margin, Margin, 468, 89);

    Label2 = new QLabel(GroupBox2);
    Label2->setObjectName("Label2");
    Label2->setGeometry(12, 20, 340, 62);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);
    // The open command is a path the author may want to copy.
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    KaijoButton = new QPushButton(FormText(SJ("関連付け解除")), GroupBox2);
    KaijoButton->setObjectName("KaijoButton");
    KaijoButton->setGeometry(364, 20, 96, ButtonHeight);
    connect(KaijoButton, &QPushButton::clicked, this, [this] { KaijoButtonClick(); });

    DukeButton = new QPushButton(FormText(SJ("関連付け実行")), GroupBox2);
    DukeButton->setObjectName("DukeButton");
    DukeButton->setGeometry(364, 52, 96, ButtonHeight);
    connect(DukeButton, &QPushButton::clicked, this, [this] { DukeButtonClick(); });

    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });

    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });

    setFixedSize(484, 142);
    PlaceButtons();
}

bool TMidiForm::IsAssociated()
{
    std::string command;
    if (!FHost.IsAssociated(command))
        return false;
    FOpenCommand = command;
    return true;
}

void TMidiForm::UpdateAssocState()
{
    const bool associated = IsAssociated();
    if (associated) {
        Label2->setText(FormText(SJ("現在.tgs と .tgpは関連付けされています。")) + "\n\n" + FormText(SJ("情報：")) +
                        QString::fromStdString(FOpenCommand));
    } else {
        Label2->setText(FormText(SJ("現在.tgs と .tgpは関連付けされていません。")));
    }
    DukeButton->setEnabled(!associated);
    KaijoButton->setEnabled(associated);
}

void TMidiForm::DukeButtonClick()
{
    FHost.RegisterFileTypes();
    UpdateAssocState();
}

void TMidiForm::KaijoButtonClick()
{
    FHost.UnregisterFileTypes();
    UpdateAssocState();
}

void TMidiForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(*this);
    Button1->setFocus();
}

void TMidiForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceButtons();
}

void TMidiForm::PlaceButtons()
{
    const int top = height() - Margin - ButtonHeight;
    Button2->setGeometry(width() - Margin - ButtonWidth, top, ButtonWidth, ButtonHeight);
    Button1->setGeometry(Button2->x() - Margin - ButtonWidth, top, ButtonWidth, ButtonHeight);
}
