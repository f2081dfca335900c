#include "tools/pack/pack_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TIDEGLASS Pack"));
    TTGPackForm form;
    form.show();
    return app.exec();
}
