#include "tools/datmaker/dat_maker_form.h"

#include "base/sjis.h"
#include "base/stringlist.h"
#include "tools/datmaker/dat_maker.h"
#include "tools/filedrop/data_object_reader.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QUtf8StringView>

namespace {

QString Jp(const std::string& Text)
{
    return QString::fromUtf8(sjis::ToUtf8(Text));
}

QString FromFsPath(const std::string& Path)
{
    return QFile::decodeName(QByteArray::fromStdString(Path));
}

// The file layer's messages carry file-system paths (UTF-8); the system's
// own texts are Shift-JIS.
QString ErrorText(const std::exception& Error)
{
    const std::string message = Error.what();
    return QUtf8StringView(message).isValidUtf8() ? QString::fromUtf8(message) : Jp(message);
}

} // namespace

TMainForm::TMainForm(QWidget* Parent) : QMainWindow(Parent)
{
    setWindowTitle(Jp(SJ("TIDEGLASSデータメーカー")));
    const QString faceName = Jp(SJ("ＭＳ Ｐゴシック"));
    QFont::insertSubstitution(faceName, QStringLiteral("IPAPGothic"));
    QFont font(faceName);
    font.setPixelSize(12);
    setFont(font);

    ExecDialog = [](QFileDialog& Dialog) { return Dialog.exec() == QDialog::Accepted; };
    ShowMessageBox = [this](const QString& Caption, const QString& Text) {
        QMessageBox box(QMessageBox::NoIcon, Caption, Text, QMessageBox::Ok, this);
        box.exec();
    };

    OpenAction = new QAction(Jp(SJ("開く(&O)")), this);
    OpenAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ExitAction = new QAction(Jp(SJ("終了(&X)")), this);
    AboutAction = new QAction(Jp(SJ("このツールについて(&A)")), this);
    connect(OpenAction, &QAction::triggered, this, [this] { OpenActionExecute(); });
    connect(ExitAction, &QAction::triggered, this, [this] { ExitActionExecute(); });
    connect(AboutAction, &QAction::triggered, this, [this] { AboutActionExecute(); });

    File1 = menuBar()->addMenu(Jp(SJ("ファイル(&F)")));
    File1->addAction(OpenAction);
    File1->addSeparator();
    File1->addAction(ExitAction);
    Help1 = menuBar()->addMenu(Jp(SJ("ヘルプ(&H)")));
    Help1->addAction(AboutAction);

    auto* client = new QWidget(this);
    client->setFixedSize(452, 208);
    DnDPanel = new QFrame(client);
    DnDPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    DnDPanel->setGeometry(8, 8, 434, 117);
    Label1 = new QLabel(
        Jp(SJ("ファイルメニューから「開く」を選ぶか、ファイルをここにドラッグ＆ドロップしてください。")), DnDPanel);
    Label1->setWordWrap(true);
    Label1->setGeometry(72, 32, 281, 33);
    Memo1 = new QPlainTextEdit(client);
    Memo1->setReadOnly(true);
    Memo1->setGeometry(8, 128, 434, 72);
    setCentralWidget(client);
    // A single border: the window keeps the size its client area asks for.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    CrcOpenDialog = new QFileDialog(this);
    CrcOpenDialog->setFileMode(QFileDialog::ExistingFile);
    CrcOpenDialog->setNameFilter(Jp(SJ("全てのファイル (*.*)")) + QStringLiteral(" (*)"));
    CrcOpenDialog->setOption(QFileDialog::HideNameFilterDetails);

    FileDropTarget1 = new TFileDropTarget(this);
    FileDropTarget1->SetWinControl(DnDPanel);
    FileDropTarget1->OnFileDrop = [this](TObject* Sender, TDragContext& Context) {
        FileDropTarget1FileDrop(Sender, Context);
    };
}

TMainForm::~TMainForm()
{
    FileDropTarget1->OnFileDrop = nullptr;
}

void TMainForm::Log(const QString& Line)
{
    Memo1->appendPlainText(Line);
}

void TMainForm::MakeDatFile(const std::string& Path)
{
    try {
        if (::MakeDatFile(Path) == TMakeDatResult::mdSizeNotMultiple)
            Log(Jp(DatSizeMessage()));
    } catch (const std::exception& e) {
        Log(ErrorText(e));
    }
}

void TMainForm::OpenActionExecute()
{
    if (!ExecDialog(*CrcOpenDialog) || CrcOpenDialog->selectedFiles().isEmpty())
        return;
    const QString file = CrcOpenDialog->selectedFiles().first();
    MakeDatFile(QFile::encodeName(file).toStdString());
    Log(file);
}

void TMainForm::ExitActionExecute()
{
    close();
}

void TMainForm::AboutActionExecute()
{
    ShowMessageBox(QStringLiteral("About..."), Jp(SJ("TIDEGLASSデータメーカー Version 1.00")));
}

void TMainForm::FileDropTarget1FileDrop(TObject*, TDragContext& Context)
{
    // Nothing may escape into the drag-and-drop machinery.
    TStringList names;
    try {
        GetDroppedFileNames(Context.DataObject, names);
    } catch (const std::exception& e) {
        Log(ErrorText(e));
        return;
    }
    for (const std::string& name : names.Items()) {
        MakeDatFile(name);
        Log(FromFsPath(name));
    }
}
