#include "base/sjis.h"
#include "tools/datmaker/dat_maker_form.h"
#include "platform/qt_translations.h"

#include <QApplication>

// Qt's own dialogs speak Japanese from the moment the application exists.
Q_COREAPP_STARTUP_FUNCTION(InstallJapaneseQtTranslations)

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(sjis::ToUtf8(SJ("TIDEGLASSデータメーカー"))));
    TMainForm form;
    form.show();
    return app.exec();
}
