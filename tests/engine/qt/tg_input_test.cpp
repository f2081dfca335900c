#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "base/sjis.h"
#include "engine/qt/tg_input.h"
#include "fake_input_host.h"

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class TGInputTest : public testing::Test {
protected:
    TGInputTest()
    {
        auto* layout = new QVBoxLayout(&Form);
        Edit = new QLineEdit(&Form);
        Other = new QLineEdit(&Form);
        layout->addWidget(Edit);
        layout->addWidget(Other);
        Form.show();
        Input = std::make_unique<TTGInput>(Host, Edit, 0);
    }
    ~TGInputTest() override { Input.reset(); }

    void Type(const QString& text) { QTest::keyClicks(Edit, text); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Edit, key, modifiers); }
    void Enter(const QString& line)
    {
        Type(line);
        Press(Qt::Key_Return);
    }
    QColor EditColor() const { return Edit->palette().color(QPalette::Base); }

    QWidget Form;
    QLineEdit* Edit = nullptr;
    QLineEdit* Other = nullptr;
    FakeInputHost Host;
    std::unique_ptr<TTGInput> Input;
};

// ---- submitting and the history

TEST_F(TGInputTest, EnterHandsTheLineOverAndEmptiesTheBox)
{
    Enter(U("look"));
    Press(Qt::Key_Return);
    EXPECT_EQ(Host.Submitted, (std::vector<std::string>{"look", ""}));
    EXPECT_EQ(Edit->text(), "");
    // Empty lines are handed over but not remembered.
    EXPECT_EQ(Input->History().Count(), 1);
}

TEST_F(TGInputTest, SubmittedTextIsShiftJis)
{
    Edit->setText(U("北へ"));
    Press(Qt::Key_Return);
    ASSERT_EQ(Host.Submitted.size(), 1u);
    EXPECT_EQ(Host.Submitted[0], SJ("北へ"));
}

TEST_F(TGInputTest, UpAndDownWalkTheHistory)
{
    Type(U("typed"));
    Press(Qt::Key_Up);
    EXPECT_EQ(Edit->text(), U("typed")) << "no history yet";

    Edit->clear();
    Enter(U("a"));
    Enter(U("b"));
    std::vector<QString> seen;
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down}) {
        Press(key);
        seen.push_back(Edit->text());
    }
    EXPECT_EQ(seen, (std::vector<QString>{"b", "a", "a", "b", ""}));
}

TEST_F(TGInputTest, CaretEndsUpAtTheEndOfARecalledLine)
{
    Enter(U("open door"));
    Press(Qt::Key_Up);
    EXPECT_EQ(Edit->cursorPosition(), 9);
    EXPECT_FALSE(Edit->hasSelectedText());
}

TEST_F(TGInputTest, TheThousandAndFirstLineDropsTheOldest)
{
    for (int i = 0; i < TTGInput::MaxHistory; ++i) {
        Input->SetText("line " + std::to_string(i));
        uint16_t key = VK_RETURN;
        Input->EditKeyDown(key, 0);
    }
    ASSERT_EQ(Input->History().Count(), 1000);
    Enter(U("newest"));
    EXPECT_EQ(Input->History().Count(), 1000);
    EXPECT_EQ(Input->History()[0], "line 1");
    EXPECT_EQ(Input->History()[999], "newest");
}

TEST_F(TGInputTest, EmptyLineAfterAFullHistoryKeepsTheCursorInside)
{
    for (int i = 0; i < TTGInput::MaxHistory; ++i) {
        Input->SetText("line " + std::to_string(i));
        uint16_t key = VK_RETURN;
        Input->EditKeyDown(key, 0);
    }
    Press(Qt::Key_Return); // trims to 999 without adding a line
    ASSERT_EQ(Input->History().Count(), 999);
    Press(Qt::Key_Up);
    EXPECT_EQ(Edit->text(), "line 999");
}

// ---- key macros

TEST_F(TGInputTest, MacrosDispatchByTheirText)
{
    struct Case {
        const char* Name;
        std::string Macro;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        QString Before;
        QString After;
        std::vector<std::string> Submitted;
    };
    const Case cases[] = {
        {"enter", "look\\n", Qt::Key_F5, Qt::NoModifier, "x", "", {"look"}},
        {"type at the caret", "take ", Qt::Key_F6, Qt::NoModifier, "ab", "abtake ", {}},
        {"empty line", "\\n", Qt::Key_F7, Qt::NoModifier, "x", "", {""}},
        {"keypad key enters without typing its digit", "look\\n", Qt::Key_5, Qt::KeypadModifier, "", "", {"look"}},
        // The backslash is the second byte of a double-byte character here.
        {"no enter inside a character", SJ("表n"), Qt::Key_F8, Qt::NoModifier, "", U("表n"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Host.Submitted.clear();
        Edit->setText(c.Before);
        const uint16_t key = VirtualKeyOf(c.Key, c.Modifiers.testFlag(Qt::KeypadModifier));
        Host.Game.KeyMacros().SetText(key, c.Macro);
        Press(c.Key, c.Modifiers);
        EXPECT_EQ(Edit->text(), c.After);
        EXPECT_EQ(Host.Submitted, c.Submitted);
        Host.Game.KeyMacros().SetText(key, "");
    }
}

TEST_F(TGInputTest, TypedMacroLeavesTheNextCharacterAlone)
{
    Host.Game.KeyMacros().SetText(VK_F1 + 5, "take ");
    Press(Qt::Key_F6);
    Type(U("key"));
    EXPECT_EQ(Edit->text(), U("take key"));
}

TEST_F(TGInputTest, CharacterMacrosReplaceTheTypedCharacter)
{
    Host.Game.KeyMacros().SetText(Input->KeyNames().KeyOf("!"), "hello");
    Host.Game.KeyMacros().SetText(Input->KeyNames().KeyOf("q"), "quit\\n");
    Type(U("a!b"));
    EXPECT_EQ(Edit->text(), U("ahellob"));
    // An entering macro replaces the line with its own text.
    Type(U("q"));
    EXPECT_EQ(Host.Submitted, std::vector<std::string>{"quit"});
    EXPECT_EQ(Edit->text(), "");
}

TEST_F(TGInputTest, PageKeysNeverTypeTheirMacroNames)
{
    Type(U("go"));
    Press(Qt::Key_PageUp);
    Press(Qt::Key_PageDown);
    Type(U("!"));
    EXPECT_EQ(Edit->text(), U("go!"));
    EXPECT_TRUE(Host.Submitted.empty());

    // The same names bound to a character swallow it as well.
    Host.Game.KeyMacros().SetText(Input->KeyNames().KeyOf("p"), "#PUP");
    Type(U("p"));
    EXPECT_EQ(Edit->text(), U("go!"));
}

TEST_F(TGInputTest, F1PopsUpTheKeywordMenu)
{
    Press(Qt::Key_F1);
    EXPECT_TRUE(Input->KeywordMenu()->isVisible());
    EXPECT_TRUE(Input->KeywordMenu()->actions().isEmpty());
    Input->KeywordMenu()->hide();

    // Bound to a character, the menu comes up and the character is typed.
    Host.Game.KeyMacros().SetText(Input->KeyNames().KeyOf("?"), "#POP");
    Type(U("?"));
    EXPECT_TRUE(Input->KeywordMenu()->isVisible());
    EXPECT_EQ(Edit->text(), U("?"));
    Input->KeywordMenu()->hide();
}

TEST_F(TGInputTest, ShiftMakesF1ToF12IntoF13ToF24)
{
    Host.Game.KeyMacros().SetText(VK_F13 + 2, "shifted\\n");
    Host.Game.KeyMacros().SetText(VK_F1 + 2, "plain\\n");
    Press(Qt::Key_F3, Qt::ShiftModifier);
    Press(Qt::Key_F3);
    EXPECT_EQ(Host.Submitted, (std::vector<std::string>{"shifted", "plain"}));
}

TEST_F(TGInputTest, LetterAndDigitKeysNeverRunMacros)
{
    Host.Game.KeyMacros().SetText('A', "macro\\n");
    Host.Game.KeyMacros().SetText('7', "macro\\n");
    Type(U("a7"));
    Press(Qt::Key_A, Qt::ShiftModifier); // the test driver types it in lower case
    EXPECT_EQ(Edit->text(), U("a7a"));
    EXPECT_TRUE(Host.Submitted.empty());
}

TEST_F(TGInputTest, KeyWaitIgnoresEnterAndMacros)
{
    Host.StateByte = 5;
    Host.Game.KeyMacros().SetText(VK_F1 + 4, "look\\n");
    Press(Qt::Key_F5);
    Press(Qt::Key_Return);
    EXPECT_TRUE(Host.Submitted.empty());
}

TEST_F(TGInputTest, ShiftSwitchesAShownFunctionBar)
{
    QTest::keyPress(Edit, Qt::Key_Shift);
    EXPECT_EQ(Host.BarRedraws, 0) << "the bar is hidden";
    QTest::keyRelease(Edit, Qt::Key_Shift);

    Host.BarShown = true;
    QTest::keyPress(Edit, Qt::Key_Shift);
    EXPECT_TRUE(Host.BarShifted);
    QTest::keyPress(Edit, Qt::Key_Shift); // held: no second redraw
    EXPECT_EQ(Host.BarRedraws, 1);
    QTest::keyRelease(Edit, Qt::Key_Shift);
    EXPECT_FALSE(Host.BarShifted);
    EXPECT_EQ(Host.BarRedraws, 2);
}

// ---- key names, labels, keywords

TEST_F(TGInputTest, KeyNamesCoverTheBindableKeys)
{
    TKeyStrList& names = Input->KeyNames();
    EXPECT_EQ(names.Count(), 47);
    EXPECT_EQ(names.KeyOf("F1"), 112);
    EXPECT_EQ(names.KeyOf("F24"), 135);
    EXPECT_EQ(names.KeyOf("TK0"), 96);
    EXPECT_EQ(names.KeyOf("TK*"), 106);
    EXPECT_EQ(names.KeyOf("TK/"), 111);
    EXPECT_EQ(names.KeyOf("HELP"), 47);
    EXPECT_EQ(names.KeyOf("PAGEDOWN"), 34);
    EXPECT_EQ(names.KeyOf("f1"), 0);
    EXPECT_EQ(names.KeyOf("x"), 0x8078);
    EXPECT_EQ(names.GetText(108), "");

    const TKeyStrList& macros = Host.Game.KeyMacros();
    ASSERT_EQ(macros.Count(), 3);
    EXPECT_EQ(macros.GetText(112), "#POP");
    EXPECT_EQ(macros.GetText(33), "#PUP");
    EXPECT_EQ(macros.GetText(34), "#PDOWN");
}

TEST_F(TGInputTest, KeyLabelsOutsideTheirRangeAreIgnored)
{
    Input->SetKeyLabel(24, "last");
    Input->SetKeyLabel(25, "beyond");
    Input->SetKeyLabel(-1, "before");
    EXPECT_EQ(Input->GetKeyLabel(24), "last");
    EXPECT_EQ(Input->GetKeyLabel(25), "");
    EXPECT_EQ(Input->GetKeyLabel(-1), "");
}

TEST_F(TGInputTest, KeywordMenuKeepsTheNewestTenWithoutRepeats)
{
    for (int i = 1; i <= 11; ++i)
        Host.Game.AddKeyword("word" + std::to_string(i));
    Host.Game.AddKeyword("word5");
    ASSERT_EQ(Host.Game.Keywords().size(), 10u);
    EXPECT_EQ(Host.Game.Keywords().front(), "word2");
    EXPECT_EQ(Host.Game.Keywords().back(), "word11");
    Press(Qt::Key_F1);
    const QList<QAction*> actions = Input->KeywordMenu()->actions();
    ASSERT_EQ(actions.size(), 10);
    EXPECT_EQ(actions.front()->text(), "word2");
    EXPECT_EQ(actions.back()->text(), "word11");
    Input->KeywordMenu()->hide();

    Host.Game.ClearKeywords();
    Press(Qt::Key_F1);
    EXPECT_TRUE(Input->KeywordMenu()->actions().isEmpty());
    Input->KeywordMenu()->hide();
}

TEST_F(TGInputTest, ChosenKeywordIsTypedAtTheCaretNotThroughTheClipboard)
{
    QGuiApplication::clipboard()->setText("player's own");
    Host.Game.AddKeyword(SJ("鍵"));
    Type(U("use  on door"));
    Edit->setCursorPosition(4);
    Press(Qt::Key_F1);
    Input->KeywordMenu()->hide();
    Input->KeywordMenu()->actions().front()->trigger();
    EXPECT_EQ(Edit->text(), U("use 鍵 on door"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "player's own");
}

// ---- the box itself

TEST_F(TGInputTest, ColoursShowEnabledAndQuestionStates)
{
    const QColor window(0xFF, 0xFF, 0xFF);
    const QColor question(0xEF, 0xEF, 0xFF);
    Input->SetQuestionMode(true);
    EXPECT_EQ(EditColor(), question);
    Input->SetEnabled(false);
    EXPECT_FALSE(Input->GetEnabled());
    EXPECT_NE(EditColor(), question);
    // Coming back while the question still waits keeps its colour.
    Input->SetEnabled(true);
    EXPECT_EQ(EditColor(), question);
    Input->SetQuestionMode(false);
    EXPECT_EQ(EditColor(), window);
}

TEST_F(TGInputTest, AttachEditMovesTheCommandLineToAnotherBox)
{
    Enter(U("a"));
    Host.StateByte = 5;
    Other->hide();
    Input->AttachEdit(Other);
    EXPECT_FALSE(Edit->isVisible());
    EXPECT_FALSE(Edit->isEnabled());
    EXPECT_TRUE(Other->isVisible());
    EXPECT_EQ(Other->text(), "HIT SPACE KEY!");
    EXPECT_EQ(Input->Edit(), Other);

    Host.StateByte = 1;
    Other->clear();
    QTest::keyClick(Other, Qt::Key_Up);
    EXPECT_EQ(Other->text(), "a") << "history carries over";
    QTest::keyClick(Other, Qt::Key_Return);
    EXPECT_EQ(Host.Submitted.back(), "a");
    // The old box is no longer the command line.
    Edit->setEnabled(true);
    QTest::keyClicks(Edit, "zz");
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(Host.Submitted.size(), 2u);
}

} // namespace
