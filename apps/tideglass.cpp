#include "engine/qt/program_start.h"
#include "platform/qt_translations.h"

#include <QCoreApplication>

// Qt's own dialogs speak Japanese from the moment the application exists.
Q_COREAPP_STARTUP_FUNCTION(InstallJapaneseQtTranslations)

int main(int argc, char** argv)
{
    return TideglassMain(argc, argv);
}
