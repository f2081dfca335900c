#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/key_hook.h"
#include "platform/key_preview.h"

namespace {

// A form with two edit boxes, its key preview, the application hook and a
// hook on the first box, each writing what it sees to one log.
struct KeyRig {
    QWidget Form;
    QLineEdit* First = nullptr;
    QLineEdit* Second = nullptr;
    TAppKeyHook App;
    TKeyPreview Preview{&Form};
    TKeyHook Hook{nullptr};
    std::vector<std::string> Log;

    uint16_t ConsumeInApp = 0;
    uint16_t ConsumeInPreview = 0;
    uint16_t ConsumeInHook = 0;
    char DropChar = 0;

    KeyRig() : Hook(MakeEdits())
    {
        App.OnKeyDown = [this](uint16_t& key, TShiftState) { Note("app", key, ConsumeInApp); };
        App.OnKeyUp = [this](uint16_t& key, TShiftState) { Log.push_back("app up " + std::to_string(key)); };
        Preview.OnKeyDown = [this](uint16_t& key, TShiftState) { Note("form", key, ConsumeInPreview); };
        Hook.OnKeyDown = [this](uint16_t& key, TShiftState) { Note("edit", key, ConsumeInHook); };
        Hook.OnKeyPress = [this](char& ch) {
            Log.push_back(std::string("char ") + ch);
            if (ch == DropChar)
                ch = 0;
        };
        Form.show();
        Form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
        First->setFocus();
    }
    ~KeyRig()
    {
        App.OnKeyDown = nullptr;
        App.OnKeyUp = nullptr;
        Preview.OnKeyDown = nullptr;
        Hook.OnKeyDown = nullptr;
        Hook.OnKeyPress = nullptr;
    }

    QWidget* MakeEdits()
    {
        auto* layout = new QVBoxLayout(&Form);
        First = new QLineEdit(&Form);
        Second = new QLineEdit(&Form);
        layout->addWidget(First);
        layout->addWidget(Second);
        return First;
    }

    void Note(const char* who, uint16_t& key, uint16_t consume)
    {
        Log.push_back(std::string(who) + " " + std::to_string(key));
        if (key == consume)
            key = 0;
    }
};

using Log = std::vector<std::string>;

TEST(KeyPreview, HooksFormAndControlSeeAKeyOnceInThatOrder)
{
    KeyRig rig;
    QTest::keyClick(rig.Form.windowHandle(), Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(rig.Log, (Log{"app 65", "form 65", "edit 65", "char a", "app up 65"}));
    EXPECT_EQ(rig.First->text(), "a");
}

TEST(KeyPreview, KeySentStraightToTheControlIsSeenOnceEvenWhenItBubblesUp)
{
    KeyRig rig;
    // The edit box ignores F5, so Qt hands it on to the form.
    QTest::keyClick(rig.First, Qt::Key_F5);
    EXPECT_EQ(rig.Log, (Log{"app 116", "form 116", "edit 116", "app up 116"}));
}

TEST(KeyPreview, ConsumedByTheFormNeverReachesTheControl)
{
    KeyRig rig;
    rig.ConsumeInPreview = 'B';
    QTest::keyClick(rig.Form.windowHandle(), Qt::Key_B);
    EXPECT_EQ(rig.Log, (Log{"app 66", "form 66", "app up 66"}));
    EXPECT_EQ(rig.First->text(), "");
}

TEST(KeyPreview, ConsumedByTheApplicationHookReachesNoForm)
{
    KeyRig rig;
    rig.ConsumeInApp = 'C';
    QTest::keyClick(rig.First, Qt::Key_C);
    EXPECT_EQ(rig.Log, (Log{"app 67", "app up 67"}));
    EXPECT_EQ(rig.First->text(), "");
}

TEST(KeyHook, ConsumedKeyDownTypesNothingButStillReportsItsCharacter)
{
    KeyRig rig;
    rig.ConsumeInHook = 'D';
    QTest::keyClick(rig.First, Qt::Key_D);
    EXPECT_EQ(rig.Log, (Log{"app 68", "form 68", "edit 68", "char d", "app up 68"}));
    EXPECT_EQ(rig.First->text(), "");
}

TEST(KeyHook, DroppedCharacterIsNotTyped)
{
    KeyRig rig;
    rig.DropChar = 'x';
    QTest::keyClicks(rig.First, "xyx");
    EXPECT_EQ(rig.First->text(), "y");
}

TEST(KeyHook, DoubleByteCharacterGoesToTheControlUnseen)
{
    KeyRig rig;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("あ"));
    QApplication::sendEvent(rig.First, &press);
    EXPECT_EQ(rig.First->text(), QString::fromUtf8("あ"));
    for (const std::string& line : rig.Log)
        EXPECT_EQ(line.rfind("char", 0), std::string::npos) << line;
}

TEST(KeyHook, AutoRepeatSendsNoKeyUpUntilRelease)
{
    KeyRig rig;
    std::vector<uint16_t> ups;
    rig.Hook.OnKeyUp = [&ups](uint16_t& key, TShiftState) { ups.push_back(key); };
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(rig.First, &repeatUp);
    EXPECT_TRUE(ups.empty());
    QTest::keyRelease(rig.First, Qt::Key_Left);
    EXPECT_EQ(ups, std::vector<uint16_t>{37});
    rig.Hook.OnKeyUp = nullptr;
}

TEST(KeyPreview, TabStaysWithTheFocusedControlWhenTraversalIsOff)
{
    KeyRig rig;
    rig.Preview.TabTraversal = false;
    QTest::keyClick(rig.Form.windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(rig.First->hasFocus());
    EXPECT_EQ(rig.Log, (Log{"app 9", "form 9", "app up 9"}));
}

TEST(KeyPreview, TabMovesTheFocusWhenTraversalIsOn)
{
    KeyRig rig;
    QTest::keyClick(rig.Form.windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(rig.Second->hasFocus());
    EXPECT_EQ(rig.Log.front(), "app 9");
}

TEST(KeyPreview, ApplicationHookSeesKeysOfFormsWithoutPreview)
{
    KeyRig rig;
    QWidget other;
    auto* button = new QPushButton("x", &other);
    other.show();
    QTest::keyClick(button, Qt::Key_Tab);
    EXPECT_EQ(rig.Log, (Log{"app 9", "app up 9"}));
}

TEST(KeyPreview, PreviewOfAGoneFormIsForgotten)
{
    std::vector<uint16_t> seen;
    QLineEdit edit;
    edit.show();
    {
        TKeyPreview preview(&edit);
        preview.OnKeyDown = [&seen](uint16_t& key, TShiftState) { seen.push_back(key); };
        QTest::keyClick(&edit, Qt::Key_E);
    }
    QTest::keyClick(&edit, Qt::Key_F);
    EXPECT_EQ(seen, std::vector<uint16_t>{69});
    EXPECT_EQ(edit.text(), "ef");
}

} // namespace
