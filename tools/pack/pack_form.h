#pragma once
// The packer's main window: the script edit, the data list, the actions and
// their menus, file drops on both, and the archive save.

#include "tools/filedrop/file_drop_target.h"

#include <QMainWindow>
#include <QMessageBox>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QToolButton;
class TPackWaitDlg;
class TTGPAboutDlg;

class TTGPackForm : public QMainWindow {
public:
    explicit TTGPackForm(QWidget* Parent = nullptr);
    ~TTGPackForm() override;

    // Components, named as the form description names them (owned by the
    // window through Qt's parent links).
    QGroupBox* GroupBox1;
    QLineEdit* TGSEdit;
    QToolButton* SpeedButton1;
    QGroupBox* GroupBox2;
    QListWidget* DATListBox;
    QMenu* PopupMenu1;
    QAction* TGSOpen;
    QAction* DATAdd;
    QAction* TGPSave;
    QAction* DATDel;
    QAction* TGPQuit;
    QAction* TGPAbout;
    QAction* TGHelp;
    QFileDialog* TGSOpenDialog;
    QFileDialog* DATOpenDialog;
    QFileDialog* TGPSaveDialog;
    TFileDropTarget* FileDropTarget1; // on DATListBox
    TFileDropTarget* FileDropTarget2; // on TGSEdit
    TPackWaitDlg* PackWaitDlg;
    TTGPAboutDlg* TGPAboutDlg;

    void TGSOpenExecute();
    void DATAddExecute();
    void DATDelExecute();
    void TGPSaveExecute();
    void TGPQuitExecute();
    void TGPAboutExecute();
    void TGHelpExecute();
    void FileDropTarget1FileDrop(TObject* Sender, TDragContext& Context);
    void FileDropTarget2FileDrop(TObject* Sender, TDragContext& Context);

    // 1 while an archive is being written.
    uint8_t Busy() const { return FBusy; }
    // The listed data files, as file-system paths.
    std::vector<std::string> DataFiles() const;
    // Appends Path to the data list unless exactly that text is listed.
    bool AddDataFile(const std::string& Path);

    // How the window runs its file dialogs and message boxes; tests answer
    // in their place. ExecDialog returns true for OK.
    std::function<bool(QFileDialog& Dialog)> ExecDialog;
    std::function<QMessageBox::StandardButton(
        QMessageBox::Icon Icon, const QString& Caption, const QString& Text, QMessageBox::StandardButtons Buttons)>
        ShowMessageBox;

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    uint8_t FBusy = 0;
    QString FHelpViewer;

    void ShowMessage(const QString& Text);
    void ShowError(const std::exception& Error);
    void SetBusy(bool Busy);
    void WriteArchive(const std::string& Script, const std::vector<std::string>& Files, const std::string& Target);
};
