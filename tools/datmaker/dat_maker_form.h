#pragma once
// The data maker's window: a drop panel, a log, and a menu to open a file or
// read about the tool. Every file opened or dropped is turned into a data
// file and its name logged.

#include "tools/filedrop/file_drop_target.h"

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <string>

class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;

class TMainForm : public QMainWindow {
public:
    explicit TMainForm(QWidget* Parent = nullptr);
    ~TMainForm() override;

    // Components, named as the form description names them (owned by the
    // window through Qt's parent links).
    QFrame* DnDPanel;
    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QMenu* File1;
    QMenu* Help1;
    QAction* OpenAction;
    QAction* ExitAction;
    QAction* AboutAction;
    TFileDropTarget* FileDropTarget1;
    QFileDialog* CrcOpenDialog;

    // Converts one file (Path is a file-system path). The size message, or
    // the reason a file could not be read or written, goes to the log.
    void MakeDatFile(const std::string& Path);

    void OpenActionExecute();
    void ExitActionExecute();
    void AboutActionExecute();
    void FileDropTarget1FileDrop(TObject* Sender, TDragContext& Context);

    // How the window runs its dialog and message box; tests answer in their
    // place. ExecDialog returns true for OK.
    std::function<bool(QFileDialog& Dialog)> ExecDialog;
    std::function<void(const QString& Caption, const QString& Text)> ShowMessageBox;

private:
    void Log(const QString& Line);
};
