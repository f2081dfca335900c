#pragma once
// Qt's own dialogs and buttons (message boxes, the file dialog, standard
// buttons) in Japanese, as a Japanese Windows showed the original's, whatever
// the user's locale: the programs are Japanese throughout.

// Installs Qt's Japanese translations into the running application once;
// later calls do nothing. Without the translation files on the machine Qt
// keeps its English texts and one warning says so. Fit for
// Q_COREAPP_STARTUP_FUNCTION, which runs it as the application is created.
void InstallJapaneseQtTranslations();
