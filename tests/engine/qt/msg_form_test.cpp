// The message-and-input window: Space or Enter anywhere in it ends a key
// wait, and its log never takes those two characters.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTextEdit>

#include "engine/qt/msg_form.h"
#include "platform/rich_edit.h"

namespace {

class MsgFormTest : public testing::Test {
protected:
    MsgFormTest()
    {
        Form.OnGetState = [this] { return State; };
        Form.OnEndKeyWait = [this] { ++KeyWaitsEnded; };
        Form.show();
    }

    TMsgForm Form;
    uint8_t State = 1;
    int KeyWaitsEnded = 0;
};

} // namespace

TEST_F(MsgFormTest, SpaceOrEnterEndsOnlyAKeyWait)
{
    QWidget* const memo = Form.MsgMemo->Widget();
    for (uint8_t state : {1, 3, 5}) {
        State = state;
        KeyWaitsEnded = 0;
        QTest::keyClick(memo, Qt::Key_Space);
        QTest::keyClick(Form.CmdEdit, Qt::Key_Return);
        QTest::keyClick(Form.CmdEdit, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(memo, Qt::Key_A);
        EXPECT_EQ(KeyWaitsEnded, state == 5 ? 3 : 0) << int(state);
    }
}

TEST_F(MsgFormTest, TheLogNeverTakesSpaceOrEnter)
{
    QTextEdit* const memo = Form.MsgMemo->Widget();
    // Even a log that could be edited.
    memo->setReadOnly(false);
    memo->setFocus();
    QTest::keyClicks(memo, "a b");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClick(memo, Qt::Key_C);
    EXPECT_EQ(memo->toPlainText(), "abc");
}

TEST_F(MsgFormTest, IsAToolWindowWithTitleOnly)
{
    const Qt::WindowFlags flags = Form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint));
    for (const Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
             Qt::WindowCloseButtonHint, Qt::FramelessWindowHint})
        EXPECT_FALSE(flags.testFlag(hint)) << hint;
}
