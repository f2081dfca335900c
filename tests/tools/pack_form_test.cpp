#include "tools/pack/pack_form.h"

#include "formats/pack/pack_archive.h"
#include "temp_folder.h"
#include "tools/pack/pack_dialogs.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TShownMessage {
    QMessageBox::Icon Icon;
    QString Caption;
    QString Text;
};

class PackForm : public testing::Test {
protected:
    TTempFolder Dir;
    TTGPackForm Form;
    std::vector<TShownMessage> Messages;
    QMessageBox::StandardButton Answer = QMessageBox::Yes;
    // What the next file dialogs choose; an empty list cancels.
    QStringList Chosen;

    void SetUp() override
    {
        Form.ExecDialog = [this](QFileDialog& Dialog) {
            if (Chosen.isEmpty())
                return false;
            Dialog.setDirectory(QFileInfo(Chosen.first()).absolutePath());
            QStringList names;
            for (const QString& c : Chosen)
                names << QStringLiteral("\"") + QFileInfo(c).fileName() + QStringLiteral("\"");
            Dialog.selectFile(Chosen.size() == 1 ? QFileInfo(Chosen.first()).fileName() : names.join(QLatin1Char(' ')));
            return true;
        };
        Form.ShowMessageBox = [this](QMessageBox::Icon Icon, const QString& Caption, const QString& Text,
                                  QMessageBox::StandardButtons) {
            Messages.push_back({Icon, Caption, Text});
            return Answer;
        };
    }

    void TearDown() override
    {
        Form.ExecDialog = nullptr;
        Form.ShowMessageBox = nullptr;
    }

    QString Q(const std::string& Name) const { return QString::fromStdString(Dir.Path(Name)); }

    void Drop(QWidget* Widget, const std::vector<std::string>& Paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& p : Paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(p));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Widget, &enter);
        QDropEvent drop(QPointF(4, 4), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Widget, &drop);
    }

    std::vector<std::string> Listed() const { return Form.DataFiles(); }

    // A script, two media files and the chosen target, ready to save.
    void PrepareSave()
    {
        Dir.Put("game.tgs", "*SCENE a\r\n");
        Dir.Put("a.png", "png");
        Dir.Put("b.bmp", SampleBytes(5000));
        Form.TGSEdit->setText(Q("game.tgs"));
        Form.AddDataFile(Dir.Path("a.png"));
        Form.AddDataFile(Dir.Path("b.bmp"));
        Chosen = {Q("game.tgp")};
    }
};

} // namespace

TEST_F(PackForm, DropOnTheListTakesKnownExtensionsOnce)
{
    Dir.MakeFolder("Cg");
    Dir.MakeFolder("cg");
    Drop(Form.DATListBox->viewport(),
        {Dir.Path("a.png"), Dir.Path("notes.txt"), Dir.Path("a.png"), Dir.Path("SE.WAV"), Dir.Path("x/../b.mid")});
    Drop(Form.DATListBox->viewport(), {Dir.Path("a.png"), Dir.Path("Cg/p.png"), Dir.Path("cg/p.png")});
    EXPECT_EQ(Listed(), (std::vector<std::string>{Dir.Path("a.png"), Dir.Path("SE.WAV"), Dir.Path("b.mid"),
                            Dir.Path("Cg/p.png"), Dir.Path("cg/p.png")}));
}

TEST_F(PackForm, DropOnTheEditTakesTheFirstFileWhenItIsAScript)
{
    Drop(Form.TGSEdit, {Dir.Path("one.TGS"), Dir.Path("two.tgs"), Dir.Path("three.tgs")});
    EXPECT_EQ(Form.TGSEdit->text(), Q("one.TGS"));
    Drop(Form.TGSEdit, {Dir.Path("pic.png"), Dir.Path("two.tgs")});
    EXPECT_EQ(Form.TGSEdit->text(), Q("one.TGS"));
    EXPECT_TRUE(Listed().empty());
}

TEST_F(PackForm, AddDialogTakesAnyExtensionButNoDuplicates)
{
    Dir.Put("a.txt", "t");
    Dir.Put("b.png", "p");
    Chosen = {Q("a.txt"), Q("b.png")};
    Form.DATAddExecute();
    Form.DATAddExecute();
    EXPECT_EQ(Listed(), (std::vector<std::string>{Dir.Path("a.txt"), Dir.Path("b.png")}));
}

TEST_F(PackForm, DeleteKeyRemovesTheSelectedFiles)
{
    for (const char* n : {"a.png", "b.png", "c.png"})
        Form.AddDataFile(Dir.Path(n));
    Form.DATListBox->item(0)->setSelected(true);
    Form.DATListBox->item(2)->setSelected(true);
    QTest::keyClick(Form.DATListBox, Qt::Key_Delete);
    EXPECT_EQ(Listed(), (std::vector<std::string>{Dir.Path("b.png")}));
}

TEST_F(PackForm, SaveStopsWithAMessageBeforeWritingAnything)
{
    Form.TGPSaveExecute();
    Form.TGSEdit->setText(Q("none.tgs"));
    Form.TGPSaveExecute();
    PrepareSave();
    Form.AddDataFile(Dir.Path("gone.wav"));
    Form.TGPSaveExecute();

    ASSERT_EQ(Messages.size(), 3u);
    EXPECT_EQ(Messages[0].Text, QString::fromUtf8("スクリプトファイルを選択してください。"));
    EXPECT_EQ(Messages[0].Caption, QStringLiteral("TIDEGLASS Pack"));
    EXPECT_EQ(Messages[1].Text,
        QString::fromUtf8("スクリプトファイル") + Q("none.tgs") + QString::fromUtf8("が存在しません。"));
    EXPECT_EQ(
        Messages[2].Text, QString::fromUtf8("データファイル") + Q("gone.wav") + QString::fromUtf8("が存在しません。"));
    EXPECT_FALSE(Dir.Exists("game.tgp"));
}

TEST_F(PackForm, SaveWritesTheArchiveAndPresetsItsName)
{
    PrepareSave();
    QString preset;
    Form.ExecDialog = [&](QFileDialog& Dialog) {
        preset = Dialog.selectedFiles().value(0);
        return true;
    };
    Form.TGPSaveExecute();
    EXPECT_EQ(preset, Q("game.tgp"));
    EXPECT_TRUE(Messages.empty());

    TFileStream archive(Dir.Path("game.tgp"), fmOpenRead);
    TMemoryStream out;
    EXPECT_EQ(ReadPackEntry("A.PNG", archive, out), peFound);
    EXPECT_EQ(ReadPackEntry("B.BMP", archive, out), peFound);
    EXPECT_EQ(out.Size(), 5000);
    EXPECT_EQ(Form.Busy(), 0);
    EXPECT_TRUE(Form.TGPQuit->isEnabled());
    EXPECT_FALSE(Form.PackWaitDlg->isVisible());
}

TEST_F(PackForm, ExistingArchiveIsReplacedOnlyWhenTheAuthorSaysYes)
{
    PrepareSave();
    Dir.Put("game.tgp", "old");
    Answer = QMessageBox::No;
    Form.TGPSaveExecute();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Caption, QString::fromUtf8("確認"));
    EXPECT_EQ(Messages[0].Text, QString::fromUtf8("ファイルが存在します。上書きしてもいいですか？"));
    EXPECT_EQ(Dir.Get("game.tgp"), "old");

    Answer = QMessageBox::Yes;
    Form.TGPSaveExecute();
    EXPECT_EQ(Dir.Get("game.tgp").substr(0, 4), std::string("TG\x00\x01", 4));
}

TEST_F(PackForm, CancelledSaveDialogWritesNothing)
{
    PrepareSave();
    Chosen.clear();
    Form.TGPSaveExecute();
    EXPECT_TRUE(Messages.empty());
    EXPECT_FALSE(Dir.Exists("game.tgp"));
}

TEST_F(PackForm, NameWithoutShiftJisFormIsReported)
{
    PrepareSave();
    Dir.Put("\xF0\x9F\x98\x80.png", "x");
    Form.AddDataFile(Dir.Path("\xF0\x9F\x98\x80.png"));
    Form.TGPSaveExecute();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(Messages[0].Text.contains(Q("\xF0\x9F\x98\x80.png")));
    EXPECT_FALSE(Dir.Exists("game.tgp"));
}

TEST_F(PackForm, FailedWriteIsShownAndTheWindowCanCloseAfterwards)
{
    PrepareSave();
    // The folder goes away between the dialog and the write.
    Dir.MakeFolder("gone");
    Form.ExecDialog = [&](QFileDialog& Dialog) {
        Dialog.setDirectory(Q("gone"));
        Dialog.selectFile(QStringLiteral("game.tgp"));
        QDir(Q("gone")).removeRecursively();
        return true;
    };
    Form.TGPSaveExecute();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Icon, QMessageBox::Critical);
    EXPECT_TRUE(Messages[0].Text.contains(Q("gone/game.tgp")));
    EXPECT_EQ(Form.Busy(), 0);
    EXPECT_TRUE(Form.TGPQuit->isEnabled());
    EXPECT_TRUE(Form.TGPSave->isEnabled());
    EXPECT_FALSE(Form.PackWaitDlg->isVisible());
}

TEST_F(PackForm, ClosingIsRefusedWhileTheArchiveIsWritten)
{
    PrepareSave();
    Form.show();
    bool closedDuringSave = true;
    bool waitShown = false;
    bool quitEnabled = true;
    QTimer::singleShot(0, &Form, [&] {
        waitShown = Form.PackWaitDlg->isVisible();
        quitEnabled = Form.TGPQuit->isEnabled();
        closedDuringSave = Form.close();
    });
    Form.TGPSaveExecute();
    EXPECT_TRUE(waitShown);
    EXPECT_FALSE(quitEnabled);
    EXPECT_FALSE(closedDuringSave);
    EXPECT_TRUE(Form.isVisible());
    EXPECT_TRUE(Form.close());
}

TEST(PackFormHelp, HelpNeedsAViewerOnThePath)
{
    TTempFolder bin;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.Path("")));
    {
        TTGPackForm form;
        EXPECT_FALSE(form.TGHelp->isEnabled());
    }
    bin.Put("xchm", "#!/bin/sh\n");
    QFile::setPermissions(QString::fromStdString(bin.Path("xchm")), QFile::ReadOwner | QFile::ExeOwner);
    {
        TTGPackForm form;
        EXPECT_TRUE(form.TGHelp->isEnabled());
    }
    qputenv("PATH", oldPath);
}
