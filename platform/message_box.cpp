#include "platform/message_box.h"

#include <QMessageBox>

#include "platform/qt_sjis.h"

namespace {

class TQtMessageBoxService : public TMessageBoxService {
public:
    int Show(QWidget* parent, const std::string& text, const std::string& caption, int flags) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(SjisToQString(caption));
        box.setText(SjisToQString(text));
        switch (flags & 0xF0) {
        case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        switch (flags & 0x0F) {
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
            break;
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        default: box.setStandardButtons(QMessageBox::Ok); break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        case QMessageBox::Cancel: return IDCANCEL;
        default: return IDOK;
        }
    }
};

TMessageBoxService* InstalledService = nullptr;

} // namespace

int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, int flags)
{
    if (InstalledService)
        return InstalledService->Show(parent, text, caption, flags);
    TQtMessageBoxService service;
    return service.Show(parent, text, caption, flags);
}

void SetMessageBoxService(TMessageBoxService* service)
{
    InstalledService = service;
}
