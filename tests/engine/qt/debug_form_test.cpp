#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>

#include "base/sjis.h"
#include "engine/qt/debug_form.h"
#include "fake_input_host.h"

namespace {

class DebugFormTest : public testing::Test {
protected:
    DebugFormTest() { Form.show(); }

    void Enter(const char* expr)
    {
        QTest::keyClicks(Form.DebugComboBox, expr);
        QTest::keyClick(Form.DebugComboBox, Qt::Key_Return);
    }
    QStringList Lines() const { return Form.DebugMemo->toPlainText().split('\n', Qt::SkipEmptyParts); }

    FakeInputHost Host;
    TDebugForm Form{Host};
};

TEST_F(DebugFormTest, ResultLinesQuoteStringsOnly)
{
    Enter("1+2");
    Enter("'ab'+'c'");
    Enter("5 + 'x'");
    Enter("-7 / 2");
    EXPECT_EQ(Lines(), (QStringList{"[1+2] = 3", "['ab'+'c'] = 'abc'", "[5 + 'x'] = '5x'", "[-7 / 2] = -3"}));
    EXPECT_EQ(Form.DebugComboBox->currentText(), "");
}

TEST_F(DebugFormTest, AssignmentsChangeTheGamesVariables)
{
    Enter("F(3) = 5");
    Enter("F(3)++");
    EXPECT_EQ(Host.Env.Flag(3), 6);
    EXPECT_EQ(Lines(), (QStringList{"[F(3) = 5] = 5", "[F(3)++] = 5"}));
}

TEST_F(DebugFormTest, ErrorsBecomeLines)
{
    Enter("F(1) = 'abc'");
    Enter("1/0");
    Enter("(1");
    Enter("F(16384)");
    EXPECT_EQ(Lines(), (QStringList{QString::fromUtf8("文字列を数字に変換出来ませんでした。"),
                           QString::fromUtf8("0で割ることは出来ません"), QString::fromUtf8("()の不一致があります"),
                           QString::fromUtf8("フラグ変数のインデックスが不正です (16384/16383)")}));
}

TEST_F(DebugFormTest, HistoryHoldsEachExpressionOnce)
{
    Enter("1+1");
    Enter("2*3");
    Enter("1+1");
    EXPECT_EQ(Form.DebugComboBox->count(), 2);
    EXPECT_EQ(Form.DebugComboBox->itemText(0), "1+1");
    EXPECT_EQ(Lines().size(), 3);
}

TEST_F(DebugFormTest, TheBoxEvaluatesWhatWasTypedNotAnEarlierEntryItBeginsLike)
{
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Form.DebugComboBox->setFocus();
    Enter("F(1)=7");
    Enter("F(1)");
    EXPECT_EQ(Lines(), (QStringList{"[F(1)=7] = 7", "[F(1)] = 7"}));
}

TEST_F(DebugFormTest, EnterOnAnEmptyBoxDoesNothing)
{
    QTest::keyClick(Form.DebugComboBox, Qt::Key_Return);
    EXPECT_EQ(Form.DebugComboBox->count(), 0);
    EXPECT_TRUE(Lines().isEmpty());
}

} // namespace
