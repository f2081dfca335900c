#include "tools/datmaker/dat_maker.h"
#include "tools/datmaker/dat_maker_form.h"

#include "base/exceptions.h"
#include "base/sjis.h"
#include "formats/dat/data_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QFrame>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

QStringList LogLines(const TMainForm& form)
{
    return form.Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(DatMaker, WordsBecomeIntegerRecordsWithChecksum)
{
    TTempFolder dir;
    dir.Put("x.bin", std::string("\x01\x00\x00\x00\xFF\xFF\xFF\xFF", 8));
    EXPECT_EQ(MakeDatFile(dir.Path("x.bin")), TMakeDatResult::mdWritten);
    EXPECT_EQ(Hex(dir.Get("x.bin.dat")), "00 01 00 00 00 00 FF FF FF FF A0 34 C0 C9");
}

TEST(DatMaker, EmptyInputGivesFourZeroBytes)
{
    TTempFolder dir;
    dir.Put("e", "");
    EXPECT_EQ(MakeDatFile(dir.Path("e")), TMakeDatResult::mdWritten);
    EXPECT_EQ(Hex(dir.Get("e.dat")), "00 00 00 00");
}

TEST(DatMaker, SizeNotAMultipleOfFourWritesNothing)
{
    TTempFolder dir;
    dir.Put("six", "abcdef");
    dir.Put("seven.dat", "older");
    dir.Put("seven", "abcdefg");
    EXPECT_EQ(MakeDatFile(dir.Path("six")), TMakeDatResult::mdSizeNotMultiple);
    EXPECT_EQ(MakeDatFile(dir.Path("seven")), TMakeDatResult::mdSizeNotMultiple);
    EXPECT_FALSE(dir.Exists("six.dat"));
    EXPECT_EQ(dir.Get("seven.dat"), "older");
}

TEST(DatMaker, EngineReadsTheWordsBack)
{
    TTempFolder dir;
    std::string words;
    const std::vector<int32_t> values = {1, -1, 0, 2147483647, -2147483647 - 1, 1234567};
    for (int32_t v : values)
        for (int i = 0; i < 4; ++i)
            words += char(uint32_t(v) >> (8 * i));
    dir.Put("w.bin", words);
    MakeDatFile(dir.Path("w.bin"));

    TDatFile file;
    ASSERT_EQ(file.Open(dir.Path("w.bin.dat"), false), TDatStatus::dsOk);
    std::vector<int32_t> read;
    EXPECT_EQ(file.ReadRecords(int32_t(values.size()),
                  [&](int32_t, const TDatRecord& r) {
                      EXPECT_FALSE(r.IsString());
                      read.push_back(r.Value);
                  }),
        TDatStatus::dsOk);
    EXPECT_EQ(read, values);
    EXPECT_EQ(file.Read([](int32_t, const TDatRecord&) {}), TDatStatus::dsNoData);
}

TEST(DatMaker, UnreadableInputIsAnError)
{
    TTempFolder dir;
    EXPECT_THROW(MakeDatFile(dir.Path("missing.bin")), EFOpenError);
    EXPECT_TRUE(dir.List().empty());
}

TEST(DatMakerForm, DroppedFilesAreConvertedAndLoggedInOrder)
{
    TTempFolder dir;
    dir.Put("a.bin", std::string(8, '\x02'));
    dir.Put("b.bin", "123456");
    dir.Put("c.bin", "");
    dir.MakeFolder("d.bin");
    dir.Put("e.bin", "abcd");
    TMainForm form;

    QMimeData data;
    QList<QUrl> urls;
    for (const char* n : {"a.bin", "b.bin", "c.bin", "d.bin", "e.bin"})
        urls << QUrl::fromLocalFile(QString::fromStdString(dir.Path(n)));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.DnDPanel, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.DnDPanel, &drop);
    EXPECT_TRUE(drop.isAccepted());

    const QStringList log = LogLines(form);
    ASSERT_EQ(log.size(), 7);
    const auto path = [&](const char* n) { return QString::fromStdString(dir.Path(n)); };
    EXPECT_EQ(log[0], path("a.bin"));
    EXPECT_EQ(log[1], QString::fromUtf8("ファイルサイズは4の倍数である必要があります"));
    EXPECT_EQ(log[2], path("b.bin"));
    EXPECT_EQ(log[3], path("c.bin"));
    // The folder cannot be read; the files after it are still converted.
    EXPECT_TRUE(log[4].contains(path("d.bin")));
    EXPECT_EQ(log[5], path("d.bin"));
    EXPECT_EQ(log[6], path("e.bin"));
    EXPECT_TRUE(dir.Exists("a.bin.dat"));
    EXPECT_FALSE(dir.Exists("b.bin.dat"));
    EXPECT_EQ(dir.Get("c.bin.dat"), std::string(4, '\0'));
    EXPECT_TRUE(dir.Exists("e.bin.dat"));
}

TEST(DatMakerForm, OpenActionConvertsTheChosenFile)
{
    TTempFolder dir;
    dir.Put("one.bin", "abcd");
    TMainForm form;
    form.ExecDialog = [&](QFileDialog& Dialog) {
        Dialog.setDirectory(QString::fromStdString(dir.Path("")));
        Dialog.selectFile(QStringLiteral("one.bin"));
        return true;
    };
    form.OpenAction->trigger();
    EXPECT_EQ(LogLines(form), QStringList{QString::fromStdString(dir.Path("one.bin"))});
    EXPECT_TRUE(dir.Exists("one.bin.dat"));
    EXPECT_EQ(form.OpenAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    form.ExecDialog = nullptr;
}

TEST(DatMakerForm, AboutShowsNameAndVersion)
{
    TMainForm form;
    QString caption;
    QString text;
    form.ShowMessageBox = [&](const QString& Caption, const QString& Text) {
        caption = Caption;
        text = Text;
    };
    form.AboutAction->trigger();
    EXPECT_EQ(caption, QStringLiteral("About..."));
    EXPECT_EQ(text, QString::fromUtf8("TIDEGLASSデータメーカー Version 1.00"));
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("TIDEGLASSデータメーカー"));
    form.ShowMessageBox = nullptr;
}
