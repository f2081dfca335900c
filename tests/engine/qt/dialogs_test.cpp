#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "base/sjis.h"
#include "engine/qt/about_dlg.h"
#include "engine/qt/input_dlg.h"
#include "engine/screen/modal_result.h"
#include "engine/qt/yes_no_dlg.h"

namespace {

// Shows the dialog modally and runs `action` inside its loop, as the
// player's input would arrive.
int RunModal(QDialog& dialog, const std::function<void()>& action)
{
    QTimer::singleShot(0, &dialog, action);
    return dialog.exec();
}

TEST(YesNoDlg, OnlyYesAnswersYes)
{
    struct Case {
        const char* Name;
        std::function<void(TYesNoDlg&)> Act;
        int Result;
    };
    const Case cases[] = {
        {"yes button", [](TYesNoDlg& d) { d.OKBtn->click(); }, mrYes},
        {"Enter picks the default", [](TYesNoDlg& d) { QTest::keyClick(d.windowHandle(), Qt::Key_Return); }, mrYes},
        {"no button", [](TYesNoDlg& d) { d.CancelBtn->click(); }, mrOk},
        {"Escape", [](TYesNoDlg& d) { QTest::keyClick(d.windowHandle(), Qt::Key_Escape); }, mrOk},
        {"window closed", [](TYesNoDlg& d) { d.close(); }, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TYesNoDlg dialog;
        dialog.SetPrompt(SJ("扉を開けますか？"));
        EXPECT_EQ(RunModal(dialog, [&] { c.Act(dialog); }), c.Result);
    }
}

TEST(InputDlg, EnterAnswersOkWithTheTypedText)
{
    TInputDlg dialog;
    dialog.SetPrompt(SJ("名前は？"));
    const int result = RunModal(dialog, [&] {
        QTest::keyClicks(dialog.InputEdit, "Taro");
        QTest::keyClick(dialog.InputEdit, Qt::Key_Return);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(dialog.Text(), "Taro");
}

TEST(InputDlg, EscapeDoesNotCloseIt)
{
    TInputDlg dialog;
    bool stillUp = false;
    const int result = RunModal(dialog, [&] {
        QTest::keyClick(dialog.windowHandle(), Qt::Key_Escape);
        stillUp = dialog.isVisible();
        dialog.OKBtn->click();
    });
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(result, mrOk);
}

TEST(InputDlg, EngineTimersRunWhileItIsUpAndCanAbortIt)
{
    // The engine's idle tick is a timer; it must keep firing inside the
    // dialog's loop, and opening a scenario from it aborts the dialog.
    TInputDlg dialog;
    int ticks = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (++ticks == 5)
            dialog.Abort();
    });
    tick.start();
    EXPECT_EQ(dialog.exec(), mrAbort);
    EXPECT_GE(ticks, 5);
}

TEST(InputDlg, ClosingTheWindowAnswersCancel)
{
    TInputDlg dialog;
    EXPECT_EQ(RunModal(dialog, [&] { dialog.close(); }), mrCancel);
}

TEST(AboutDlg, AnyKeyClosesIt)
{
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_X, Qt::Key_F1, Qt::Key_Shift}) {
        TAboutDlg dialog;
        EXPECT_EQ(RunModal(dialog, [&] { QTest::keyClick(dialog.windowHandle(), key); }), mrOk) << key;
    }
    TAboutDlg dialog;
    EXPECT_EQ(RunModal(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_A); }), mrOk) << "sent to the form";
}

TEST(AboutDlg, AnyClickClosesIt)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        TAboutDlg dialog;
        EXPECT_EQ(RunModal(dialog, [&] { QTest::mouseClick(dialog.Image1, button, {}, QPoint(50, 50)); }), mrOk);
    }
}

} // namespace
