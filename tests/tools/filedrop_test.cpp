#include "base/stringlist.h"
#include "tools/filedrop/data_object_reader.h"
#include "tools/filedrop/drop_effects.h"
#include "tools/filedrop/file_drop_target.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<QMimeData> Files(const std::vector<QString>& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

// Sends a drag enter and a drop to Widget, as the window system would.
struct TDropResult {
    bool EnterAccepted;
    bool DropAccepted;
    Qt::DropAction Action;
};

TDropResult DragAndDrop(
    QWidget* Widget, const QMimeData& Data, Qt::DropActions Allowed, Qt::KeyboardModifiers Keys = Qt::NoModifier)
{
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Allowed, &Data, Qt::LeftButton, Keys);
    QApplication::sendEvent(Widget, &enter);
    QDropEvent drop(at, Allowed, &Data, Qt::LeftButton, Keys);
    QApplication::sendEvent(Widget, &drop);
    return {enter.isAccepted(), drop.isAccepted(), drop.dropAction()};
}

} // namespace

TEST(DropEffects, KeyStateChoosesTheEffect)
{
    const struct {
        uint32_t KeyState;
        TDropEffect Effect;
    } cases[] = {
        {0, ekCopy},
        {MK_LBUTTON, ekCopy},
        {MK_CONTROL, ekCopy},
        {MK_SHIFT, ekMove},
        {MK_SHIFT | MK_LBUTTON | MK_ALT, ekMove},
        {MK_SHIFT | MK_CONTROL, ekLink},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DropEffectFromKeyState(c.KeyState), c.Effect) << c.KeyState;
}

TEST(DropEffects, ConvertToAndFromEffectBits)
{
    EXPECT_EQ(DropEffectsFromOle(0), TDropEffects{});
    EXPECT_EQ(DropEffectsFromOle(DROPEFFECT_COPY | DROPEFFECT_LINK | 0x80000000u), (TDropEffects{ekCopy, ekLink}));
    EXPECT_EQ(DropEffectsToOle({ekCopy, ekMove, ekLink}), 7u);
    EXPECT_EQ(DropEffectsToOle({ekNone}), 0u);
    EXPECT_EQ(DropEffectsToOle({ekMove}), uint32_t(DROPEFFECT_MOVE));
}

TEST(DropEffects, ClipboardFormatsByName)
{
    EXPECT_EQ(ClipboardFormatFromName("CF_HDROP"), 15);
    EXPECT_EQ(ClipboardFormatFromName("CF_DSPENHMETAFILE"), 142);
    EXPECT_EQ(ClipboardFormatFromName("CF_TEXT"), 1);
    const uint16_t own = ClipboardFormatFromName("application/x-tideglass-test");
    EXPECT_GE(own, 0xC000);
    EXPECT_EQ(ClipboardFormatFromName("APPLICATION/X-TIDEGLASS-TEST"), own);
    EXPECT_EQ(RegisteredFormatName(own), "application/x-tideglass-test");
    // Not in the table, so registered like any other name.
    EXPECT_GE(ClipboardFormatFromName("CF_hdrop"), 0xC000);
}

TEST(FileDropTarget, ChoosesAnEffectBothSidesAllow)
{
    const auto files = Files({"/tmp/a.png"});
    const struct {
        TDropEffects Accepted;
        uint32_t Allowed;
        uint32_t KeyState;
        TDropEffect Effect;
    } cases[] = {
        {{ekCopy}, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, 0, ekCopy},
        // Shift asks for a move the source does not allow: the first shared one.
        {{ekCopy}, DROPEFFECT_COPY, MK_SHIFT, ekCopy},
        {{ekCopy, ekMove}, DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_SHIFT, ekMove},
        {{ekCopy, ekLink}, DROPEFFECT_COPY | DROPEFFECT_LINK, MK_SHIFT | MK_CONTROL, ekLink},
        {{ekCopy, ekLink}, DROPEFFECT_LINK, 0, ekLink},
        {{ekCopy}, DROPEFFECT_MOVE, 0, ekNone},
        {{ekCopy}, DROPEFFECT_NONE, 0, ekNone},
    };
    for (const auto& c : cases) {
        TFileDropTarget target;
        target.SetDropEffects(c.Accepted);
        EXPECT_EQ(target.ChooseDropEffect(files.get(), c.KeyState, c.Allowed), c.Effect);
        EXPECT_EQ(target.MatchedItem() != nullptr, c.Effect != ekNone);
    }
}

TEST(FileDropTarget, DropOnAWidgetDeliversTheFiles)
{
    QLineEdit edit;
    TFileDropTarget target;
    target.SetWinControl(&edit);
    int enters = 0;
    int drops = 0;
    uint32_t droppedEffect = 0;
    target.OnFileDragEnter = [&](TObject*) { ++enters; };
    target.OnFileDrop = [&](TObject* Sender, TDragContext& Context) {
        EXPECT_EQ(Sender, &target);
        droppedEffect = Context.Effect;
        ++drops;
    };

    const QString longName = QStringLiteral("/tmp/") + QString(300, QLatin1Char('n')) + QStringLiteral(".png");
    const auto data = Files({"/tmp/one.png", longName, QString::fromUtf8("/tmp/夕焼け.bmp")});
    const TDropResult r = DragAndDrop(&edit, *data, Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(r.EnterAccepted);
    EXPECT_TRUE(r.DropAccepted);
    // The source learns that its files were copied.
    EXPECT_EQ(r.Action, Qt::CopyAction);
    EXPECT_EQ(droppedEffect, uint32_t(DROPEFFECT_COPY));
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(target.DroppedFiles().Items(),
        (std::vector<std::string>{"/tmp/one.png", longName.toStdString(), "/tmp/夕焼け.bmp"}));
    target.OnFileDragEnter = nullptr;
    target.OnFileDrop = nullptr;
}

TEST(FileDropTarget, DragsWithoutFilesAreRefusedSilently)
{
    QLineEdit edit;
    TFileDropTarget target;
    target.SetWinControl(&edit);
    int events = 0;
    target.OnFileDragEnter = [&](TObject*) { ++events; };
    target.OnFileDrop = [&](TObject*, TDragContext&) { ++events; };
    target.OnFileDragLeave = [&](TObject*) { ++events; };

    QMimeData text;
    text.setUrls({QUrl(QStringLiteral("https://example.org/a.png"))});
    DragAndDrop(&edit, text, Qt::CopyAction);
    const auto files = Files({"/tmp/a.png"});
    const TDropResult moveOnly = DragAndDrop(&edit, *files, Qt::MoveAction);
    EXPECT_FALSE(moveOnly.DropAccepted);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(target.DroppedFiles().Count(), 0);
    target.OnFileDragEnter = nullptr;
    target.OnFileDrop = nullptr;
    target.OnFileDragLeave = nullptr;
}

TEST(FileDropTarget, LeaveFiresOnlyAfterAMatchedDrag)
{
    QLineEdit edit;
    TFileDropTarget target;
    target.SetWinControl(&edit);
    int leaves = 0;
    target.OnFileDragLeave = [&](TObject*) { ++leaves; };
    const auto files = Files({"/tmp/a.png"});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &enter);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&edit, &leave);
    EXPECT_EQ(leaves, 1);

    QMimeData none;
    QDragEnterEvent other(QPoint(1, 1), Qt::CopyAction, &none, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &other);
    QApplication::sendEvent(&edit, &leave);
    EXPECT_EQ(leaves, 1);
    target.OnFileDragLeave = nullptr;
}

TEST(FileDropTarget, ListBoxesAreHookedWhereTheirDropsArrive)
{
    QListWidget list;
    TFileDropTarget target;
    target.SetWinControl(&list);
    EXPECT_EQ(target.WinControl(), &list);
    EXPECT_TRUE(list.viewport()->acceptDrops());
    const auto files = Files({"/tmp/a.wav"});
    EXPECT_TRUE(DragAndDrop(list.viewport(), *files, Qt::CopyAction).DropAccepted);
    EXPECT_EQ(target.DroppedFiles().Count(), 1);

    target.SetWinControl(nullptr);
    EXPECT_FALSE(list.viewport()->acceptDrops());
}

TEST(FileDropTarget, NewerTargetOnAControlSeesTheDropFirst)
{
    QLineEdit edit;
    TFileDropTarget older;
    TFileDropTarget newer;
    older.SetWinControl(&edit);
    newer.SetWinControl(&edit);
    newer.SetDropEffects({ekLink});
    std::vector<std::string> order;
    older.OnFileDrop = [&](TObject*, TDragContext&) { order.push_back("older"); };
    newer.OnFileDrop = [&](TObject*, TDragContext&) { order.push_back("newer"); };

    const auto files = Files({"/tmp/a.png"});
    DragAndDrop(&edit, *files, Qt::LinkAction | Qt::CopyAction);
    // The newer one takes links only; a copy-only drag goes on to the older one.
    DragAndDrop(&edit, *files, Qt::CopyAction);
    EXPECT_EQ(order, (std::vector<std::string>{"newer", "older"}));

    newer.SetWinControl(nullptr);
    EXPECT_TRUE(edit.acceptDrops());
    older.SetWinControl(nullptr);
    older.OnFileDrop = nullptr;
    newer.OnFileDrop = nullptr;
}

TEST(FileDropTarget, ControlDestroyedFirstUnhooksTheTarget)
{
    TFileDropTarget target;
    {
        QLineEdit edit;
        target.SetWinControl(&edit);
    }
    EXPECT_EQ(target.WinControl(), nullptr);
    target.SetWinControl(nullptr);
}

TEST(DataObjectReader, DroppedFileNamesNeedLocalFiles)
{
    const auto files = Files({"/tmp/a.png", "/tmp/b c.wav"});
    TStringList names;
    GetDroppedFileNames(files.get(), names);
    EXPECT_EQ(names.Items(), (std::vector<std::string>{"/tmp/a.png", "/tmp/b c.wav"}));

    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_THROW(GetDroppedFileNames(&text, names), EOleError);
    EXPECT_TRUE(TDataObjectReader(&text).HasFormat(CF_UNICODETEXT));
    EXPECT_FALSE(TDataObjectReader(&text).HasFormat(CF_HDROP));
}
