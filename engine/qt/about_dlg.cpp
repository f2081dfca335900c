#include "engine/qt/about_dlg.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "engine/qt/form_style.h"
#include "engine/screen/modal_result.h"
#include "platform/key_preview.h"

namespace {

constexpr int PictureWidth = 360;
constexpr int PictureHeight = 130;

// The engine's name over a sea at dusk, with a line of light on the water.
QPixmap AboutPicture()
{
    QPixmap picture(PictureWidth, PictureHeight);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, PictureHeight);
    sky.setColorAt(0.0, QColor(16, 24, 64));
    sky.setColorAt(0.55, QColor(48, 84, 140));
    sky.setColorAt(0.56, QColor(20, 52, 96));
    sky.setColorAt(1.0, QColor(6, 18, 40));
    painter.fillRect(picture.rect(), sky);

    painter.setPen(QColor(180, 210, 240, 120));
    for (int i = 0; i < 6; ++i) {
        const int y = 80 + i * 8;
        const int half = 90 - i * 12;
        painter.drawLine(PictureWidth / 2 - half, y, PictureWidth / 2 + half, y);
    }

    QFont title(QString::fromStdString(gdi::SubstituteFace("ＭＳ Ｐゴシック")));
    title.setPixelSize(36);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    painter.setFont(title);
    painter.setPen(QColor(236, 244, 255));
    painter.drawText(QRect(0, 16, PictureWidth, 52), Qt::AlignCenter, "TIDEGLASS");
    return picture;
}

} // namespace

TAboutDlg::TAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
{
    setWindowTitle(FormText(SJ("TIDEGLASSについて")));
    setFont(FormFont());
    setFixedSize(PictureWidth, PictureHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(AboutPicture());
    Image1->setGeometry(0, 0, PictureWidth, PictureHeight);
    // Clicks on the picture close the box as clicks on the form do.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    FPreview = std::make_unique<TKeyPreview>(this);
    FPreview->OnKeyDown = [this](uint16_t& key, TShiftState) {
        key = 0;
        done(mrOk);
    };
}

TAboutDlg::~TAboutDlg()
{
    FPreview.reset();
}

void TAboutDlg::SetPicture(const QPixmap& picture)
{
    Image1->setPixmap(picture);
    Image1->setGeometry(0, 0, picture.width(), picture.height());
    setFixedSize(picture.width(), picture.height());
}

void TAboutDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(*this);
}

void TAboutDlg::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    done(mrOk);
}
