#include "base/sjis.h"
#include "tools/datmaker/dat_maker_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(sjis::ToUtf8(SJ("TIDEGLASSデータメーカー"))));
    TMainForm form;
    form.show();
    return app.exec();
}
