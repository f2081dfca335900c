#include "tools/pack/pack_form.h"

#include "base/sjis.h"
#include "base/stringlist.h"
#include "tools/pack/dialog_filter.h"
#include "tools/pack/help_viewer.h"
#include "tools/pack/pack_builder.h"
#include "tools/pack/pack_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QUtf8StringView>
#include <QVBoxLayout>

namespace {

const QString AppTitle = QStringLiteral("TIDEGLASS Pack");

QString Jp(const std::string& Text)
{
    return QString::fromUtf8(sjis::ToUtf8(Text));
}

std::string FsPath(const QString& Path)
{
    return QFile::encodeName(Path).toStdString();
}

QString FromFsPath(const std::string& Path)
{
    return QFile::decodeName(QByteArray::fromStdString(Path));
}

// A path as the list keeps it: absolute, without "." and ".." steps.
QString ExpandFileName(const QString& Path)
{
    return QDir::cleanPath(QFileInfo(Path).absoluteFilePath());
}

// The path with its file name's extension replaced by Ext (or Ext added).
QString ChangeFileExt(const QString& Path, const QString& Ext)
{
    const qsizetype slash = Path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = Path.lastIndexOf(QLatin1Char('.'));
    return (dot > slash ? Path.left(dot) : Path) + Ext;
}

QAction* NewAction(QObject* Owner, const std::string& Caption)
{
    return new QAction(Jp(Caption), Owner);
}

} // namespace

TTGPackForm::TTGPackForm(QWidget* Parent) : QMainWindow(Parent)
{
    setWindowTitle(AppTitle);

    ExecDialog = [](QFileDialog& Dialog) { return Dialog.exec() == QDialog::Accepted; };
    ShowMessageBox = [this](QMessageBox::Icon Icon, const QString& Caption, const QString& Text,
                         QMessageBox::StandardButtons Buttons) {
        QMessageBox box(Icon, Caption, Text, Buttons, this);
        return QMessageBox::StandardButton(box.exec());
    };

    // Actions, as the action list holds them.
    TGSOpen = NewAction(this, SJ("スクリプトの割り当て(&S)"));
    DATAdd = NewAction(this, SJ("データを追加(&A)"));
    TGPSave = NewAction(this, SJ("アーカイブの保存(&S)"));
    DATDel = NewAction(this, SJ("データの登録削除(&D)"));
    TGPQuit = NewAction(this, SJ("終了(&Q)"));
    TGPAbout = NewAction(this, SJ("バージョン情報(&A)"));
    TGHelp = NewAction(this, SJ("TIDEGLASS Packのヘルプ(&H)"));
    connect(TGSOpen, &QAction::triggered, this, [this] { TGSOpenExecute(); });
    connect(DATAdd, &QAction::triggered, this, [this] { DATAddExecute(); });
    connect(TGPSave, &QAction::triggered, this, [this] { TGPSaveExecute(); });
    connect(DATDel, &QAction::triggered, this, [this] { DATDelExecute(); });
    connect(TGPQuit, &QAction::triggered, this, [this] { TGPQuitExecute(); });
    connect(TGPAbout, &QAction::triggered, this, [this] { TGPAboutExecute(); });
    connect(TGHelp, &QAction::triggered, this, [this] { TGHelpExecute(); });

    QMenu* file = menuBar()->addMenu(Jp(SJ("ファイル(&F)")));
    file->addAction(TGPSave);
    file->addSeparator();
    file->addAction(TGPQuit);
    QMenu* edit = menuBar()->addMenu(Jp(SJ("編集(&E)")));
    edit->addAction(TGSOpen);
    edit->addAction(DATAdd);
    edit->addAction(DATDel);
    QMenu* help = menuBar()->addMenu(Jp(SJ("ヘルプ(&H)")));
    help->addAction(TGHelp);
    help->addSeparator();
    help->addAction(TGPAbout);

    // The list's pop-up menu names the same two actions its own way.
    PopupMenu1 = new QMenu(this);
    QAction* popupAdd = PopupMenu1->addAction(Jp(SJ("ファイルの追加(&A)")));
    QAction* popupDel = PopupMenu1->addAction(Jp(SJ("ファイルの登録削除(&D)")));
    connect(popupAdd, &QAction::triggered, DATAdd, &QAction::trigger);
    connect(popupDel, &QAction::triggered, DATDel, &QAction::trigger);
    connect(DATAdd, &QAction::enabledChanged, popupAdd, &QAction::setEnabled);
    connect(DATDel, &QAction::enabledChanged, popupDel, &QAction::setEnabled);

    auto* central = new QWidget(this);
    GroupBox1 = new QGroupBox(Jp(SJ("スクリプトファイル")), central);
    TGSEdit = new QLineEdit(GroupBox1);
    SpeedButton1 = new QToolButton(GroupBox1);
    SpeedButton1->setText(QStringLiteral("..."));
    connect(SpeedButton1, &QToolButton::clicked, TGSOpen, &QAction::trigger);
    auto* scriptRow = new QHBoxLayout(GroupBox1);
    scriptRow->addWidget(TGSEdit, 1);
    scriptRow->addWidget(SpeedButton1);

    GroupBox2 = new QGroupBox(Jp(SJ("データファイル")), central);
    DATListBox = new QListWidget(GroupBox2);
    DATListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DATListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DATListBox, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& At) { PopupMenu1->popup(DATListBox->viewport()->mapToGlobal(At)); });
    DATListBox->installEventFilter(this);
    auto* dataBox = new QVBoxLayout(GroupBox2);
    dataBox->addWidget(DATListBox);

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2, 1);
    setCentralWidget(central);
    resize(480, 360);

    TGSOpenDialog = new QFileDialog(this);
    TGSOpenDialog->setFileMode(QFileDialog::ExistingFile);
    TGSOpenDialog->setNameFilters(QtNameFilters(SJ("タイドグラススクリプト(*.tgs)|*.tgs")));
    DATOpenDialog = new QFileDialog(this);
    DATOpenDialog->setFileMode(QFileDialog::ExistingFiles);
    DATOpenDialog->setNameFilters(QtNameFilters(
        SJ("対応している全てのデータ(*.bmp;*.jpg;*.png;*.wav;*.mid,*.mp3,*.ogg)|*.bmp;*.jpg;*.png;*.wav;*.mid;*.mp3;"
           "*.ogg|画像ファイル(*.bmp;*.jpg;*.png)|*.bmp;*.jpg;*.png|音楽ファイル(*.mid,*.mp3,*.ogg)|*.mid;*.mp3;*.ogg|"
           "効果音ファイル(*.wav)|*.wav")));
    TGPSaveDialog = new QFileDialog(this);
    TGPSaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    TGPSaveDialog->setFileMode(QFileDialog::AnyFile);
    TGPSaveDialog->setNameFilters(QtNameFilters(SJ("タイドグラスシナリオ(*.tgp)|*.tgp")));
    for (QFileDialog* d : {TGSOpenDialog, DATOpenDialog, TGPSaveDialog})
        d->setOption(QFileDialog::HideNameFilterDetails);
    // The save asks about an existing file itself.
    TGPSaveDialog->setOption(QFileDialog::DontConfirmOverwrite);

    FileDropTarget1 = new TFileDropTarget(this);
    FileDropTarget1->SetDropEffects({ekCopy, ekLink});
    FileDropTarget1->SetWinControl(DATListBox);
    FileDropTarget1->OnFileDrop = [this](TObject* Sender, TDragContext& Context) {
        FileDropTarget1FileDrop(Sender, Context);
    };
    FileDropTarget2 = new TFileDropTarget(this);
    FileDropTarget2->SetDropEffects({ekCopy, ekLink});
    FileDropTarget2->SetWinControl(TGSEdit);
    FileDropTarget2->OnFileDrop = [this](TObject* Sender, TDragContext& Context) {
        FileDropTarget2FileDrop(Sender, Context);
    };

    PackWaitDlg = new TPackWaitDlg(this);
    TGPAboutDlg = new TTGPAboutDlg(this);

    // FormCreate
    FBusy = 0;
    FHelpViewer = FindHelpViewer();
    TGHelp->setEnabled(!FHelpViewer.isEmpty());
}

TTGPackForm::~TTGPackForm()
{
    FileDropTarget1->OnFileDrop = nullptr;
    FileDropTarget2->OnFileDrop = nullptr;
    DATListBox->removeEventFilter(this);
}

std::vector<std::string> TTGPackForm::DataFiles() const
{
    std::vector<std::string> files;
    for (int i = 0; i < DATListBox->count(); ++i)
        files.push_back(FsPath(DATListBox->item(i)->text()));
    return files;
}

bool TTGPackForm::AddDataFile(const std::string& Path)
{
    const QString path = FromFsPath(Path);
    for (int i = 0; i < DATListBox->count(); ++i)
        if (DATListBox->item(i)->text() == path)
            return false;
    DATListBox->addItem(path);
    return true;
}

void TTGPackForm::TGSOpenExecute()
{
    if (ExecDialog(*TGSOpenDialog) && !TGSOpenDialog->selectedFiles().isEmpty())
        TGSEdit->setText(TGSOpenDialog->selectedFiles().first());
}

void TTGPackForm::DATAddExecute()
{
    if (!ExecDialog(*DATOpenDialog))
        return;
    for (const QString& file : DATOpenDialog->selectedFiles())
        AddDataFile(FsPath(ExpandFileName(file)));
}

void TTGPackForm::DATDelExecute()
{
    for (int i = DATListBox->count() - 1; i >= 0; --i)
        if (DATListBox->item(i)->isSelected())
            delete DATListBox->takeItem(i);
}

void TTGPackForm::FileDropTarget1FileDrop(TObject*, TDragContext&)
{
    const TStringList& files = FileDropTarget1->DroppedFiles();
    for (const std::string& file : files.Items()) {
        const std::string path = FsPath(ExpandFileName(FromFsPath(file)));
        if (DatExtCheck(path))
            AddDataFile(path);
    }
}

void TTGPackForm::FileDropTarget2FileDrop(TObject*, TDragContext&)
{
    const TStringList& files = FileDropTarget2->DroppedFiles();
    if (files.Count() == 0)
        return;
    if (UpperFileExt(files[0]) == ".TGS")
        TGSEdit->setText(FromFsPath(files[0]));
}

void TTGPackForm::TGPQuitExecute()
{
    close();
}

void TTGPackForm::TGPAboutExecute()
{
    TGPAboutDlg->exec();
}

void TTGPackForm::TGHelpExecute()
{
    if (FHelpViewer.isEmpty())
        return;
    ShowHelpFile(FHelpViewer, QCoreApplication::applicationDirPath() + QStringLiteral("/TIDEGLASS Pack.chm"));
}

void TTGPackForm::closeEvent(QCloseEvent* Event)
{
    if (FBusy)
        Event->ignore();
    else
        Event->accept();
}

bool TTGPackForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == DATListBox && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        DATDelExecute();
        return true;
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TTGPackForm::ShowMessage(const QString& Text)
{
    ShowMessageBox(QMessageBox::NoIcon, AppTitle, Text, QMessageBox::Ok);
}

void TTGPackForm::ShowError(const std::exception& Error)
{
    QString text;
    if (const auto* packError = dynamic_cast<const EPackFileError*>(&Error)) {
        text = QString::fromUtf8(packError->Utf8Text());
    } else {
        // The file layer's messages carry file-system paths (UTF-8); the
        // system's own are Shift-JIS.
        const std::string message = Error.what();
        text = QUtf8StringView(message).isValidUtf8() ? QString::fromUtf8(message) : Jp(message);
    }
    ShowMessageBox(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok);
}

void TTGPackForm::SetBusy(bool Busy)
{
    FBusy = Busy ? 1 : 0;
    TGPQuit->setEnabled(!Busy);
    // A second save started from the message loop the first one runs
    // would write the same target at the same time.
    TGPSave->setEnabled(!Busy);
}

void TTGPackForm::TGPSaveExecute()
{
    if (FBusy)
        return;
    const QString script = TGSEdit->text();
    if (script.isEmpty()) {
        ShowMessage(Jp(SJ("スクリプトファイルを選択してください。")));
        return;
    }
    if (!QFileInfo(script).isFile()) {
        ShowMessage(Jp(SJ("スクリプトファイル")) + script + Jp(SJ("が存在しません。")));
        return;
    }

    const QString preset = ChangeFileExt(script, QStringLiteral(".tgp"));
    TGPSaveDialog->setDirectory(QFileInfo(preset).absolutePath());
    TGPSaveDialog->selectFile(QFileInfo(preset).fileName());
    if (!ExecDialog(*TGPSaveDialog) || TGPSaveDialog->selectedFiles().isEmpty())
        return;
    const QString target = TGPSaveDialog->selectedFiles().first();

    if (QFileInfo::exists(target) &&
        ShowMessageBox(QMessageBox::Question, Jp(SJ("確認")), Jp(SJ("ファイルが存在します。上書きしてもいいですか？")),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;

    // The list may change while the archive is written; this run packs what
    // was listed when it began.
    const std::vector<std::string> files = DataFiles();
    for (const std::string& file : files) {
        if (!QFileInfo(FromFsPath(file)).isFile()) {
            ShowMessage(Jp(SJ("データファイル")) + FromFsPath(file) + Jp(SJ("が存在しません。")));
            return;
        }
    }
    try {
        TPackBuilder::CheckNames(files);
    } catch (const EPackFileError& e) {
        ShowMessage(QString::fromUtf8(e.Utf8Text()));
        return;
    }

    WriteArchive(FsPath(script), files, FsPath(target));
}

void TTGPackForm::WriteArchive(
    const std::string& Script, const std::vector<std::string>& Files, const std::string& Target)
{
    try {
        TPackBuilder builder(Target);
        builder.AddScript(Script);

        SetBusy(true);
        PackWaitDlg->show();
        QCoreApplication::processEvents();
        builder.AddDataFiles(Files, [](size_t) { QCoreApplication::processEvents(); });
        PackWaitDlg->hide();
        builder.Commit();
    } catch (const std::exception& e) {
        PackWaitDlg->hide();
        SetBusy(false);
        ShowError(e);
        return;
    }
    SetBusy(false);
}
