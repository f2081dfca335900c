#include "tools/pack/pack_form.h"
#include "platform/qt_translations.h"

#include <QApplication>

// Qt's own dialogs speak Japanese from the moment the application exists.
Q_COREAPP_STARTUP_FUNCTION(InstallJapaneseQtTranslations)

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TIDEGLASS Pack"));
    TTGPackForm form;
    form.show();
    return app.exec();
}
