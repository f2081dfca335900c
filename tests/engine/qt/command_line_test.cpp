// The command line and the small windows as the main window wires them:
// typing into either CmdEdit, the key macros, the main window's own keys
// (page keys, Enter after scrolling back, Tab, Shift), and the dialogs.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "base/sjis.h"
#include "engine/qt/debug_form.h"
#include "engine/qt/input_dlg.h"
#include "engine/screen/modal_result.h"
#include "engine/qt/midi_form.h"
#include "engine/qt/msg_form.h"
#include "engine/qt/sub_form.h"
#include "engine/screen/tggrp.h"
#include "engine/screen/tgmsg.h"
#include "engine/qt/tg_input.h"
#include "engine/qt/tideglass_form.h"
#include "graphics/layers.h"
#include "platform/rich_edit.h"
#include "support/app/window_harness.h"
#include "support/engine_probe.h"

namespace {

using Lines = std::vector<std::string>;

const char* const RoomScript = "*SCENE room\n"
                               "You are in a room.\n"
                               ">look\n"
                               "A plain room.\n"
                               "*END\n"
                               ">take/get key\n"
                               "You take the key.\n"
                               "*END\n"
                               ">NOMATCH\n"
                               "Nothing happens.\n"
                               "*END\n"
                               "*SCENEEND\n";

// Types a line into `edit` and presses Enter, then lets the script answer.
void Enter(TWindowHarness& h, QLineEdit* edit, const QString& text)
{
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    h.Settle();
}

// A scene that fills the message window with `count` lines and waits.
std::string ManyLines(int count)
{
    std::string script = "*SCENE s\n";
    for (int i = 0; i < count; ++i)
        script += "line " + std::to_string(i) + "\n";
    return script + ">look\nlooked\n*END\n*SCENEEND\n";
}

// The message on the game screen, its command line shown and enabled.
void OnGameScreen(TTideglassForm& form)
{
    form.Engine().SetMessageMode(true);
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    form.SetInputEnabled(true);
    form.FInput->FocusEdit();
}

} // namespace

TEST(CommandLine, TypedCommandsReachTheirPatternLines)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(RoomScript);
    form.MsgForm->show();
    QLineEdit* edit = form.MsgForm->CmdEdit;
    ASSERT_TRUE(edit->isEnabled());

    Enter(h, edit, "look");
    Enter(h, edit, "take key");
    Enter(h, edit, "xyzzy");
    EXPECT_EQ(h.Log(), (Lines{"You are in a room.", "> look", "A plain room.", "> take key", "You take the key.",
                           "> xyzzy", "Nothing happens."}));
    EXPECT_EQ(h.State(), esCommandWait);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(edit->text().isEmpty());

    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "xyzzy");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "take key");
}

TEST(CommandLine, ShiftedFunctionKeysRunTheMacrosOfF13ToF24)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(RoomScript);
    form.MsgForm->show();
    TEngineProbe(form.Engine()).Game().KeyMacros().SetText(VK_F13 + 2, "look\\n");
    QTest::keyClick(form.MsgForm->CmdEdit, Qt::Key_F3);
    h.Settle();
    EXPECT_EQ(h.LastLog(), "You are in a room.") << "plain F3 has no macro";
    QTest::keyClick(form.MsgForm->CmdEdit, Qt::Key_F3, Qt::ShiftModifier);
    h.Settle();
    EXPECT_EQ(h.LastLog(), "A plain room.");
}

TEST(CommandLine, PageKeysNeverTypeTheirMacroNames)
{
    struct Case {
        const char* Name;
        bool GameScreen;
        TEngineState State;
    };
    const Case cases[] = {
        {"message-and-input window", false, esCommandWait},
        {"game screen, idle", true, esIdle},
        {"game screen, game ended", true, esGameEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TWindowHarness h;
        TTideglassForm& form = h.Run(ManyLines(30));
        if (c.GameScreen)
            OnGameScreen(form);
        else
            form.MsgForm->show();
        TEngineProbe(form.Engine()).State() = c.State;
        QLineEdit* edit = form.FInput->Edit();
        edit->setText("ab");
        QTest::keyClick(edit, Qt::Key_PageUp);
        QTest::keyClick(edit, Qt::Key_PageDown);
        EXPECT_EQ(edit->text(), "ab");
        EXPECT_FALSE(form.Engine().Msg()->FScrolled);
    }
}

TEST(MainWindowKeys, PageUpScrollsTheMessageBackAndEnterReturns)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(ManyLines(30));
    OnGameScreen(form);
    TTGGrp& grp = *form.Engine().Grp();

    QTest::keyClick(form.CmdEdit, Qt::Key_PageUp);
    EXPECT_TRUE(form.Engine().Msg()->FScrolled);
    EXPECT_TRUE(grp.UpMarkLayer()->Visible());
    EXPECT_TRUE(grp.DownMarkLayer()->Visible());
    EXPECT_FALSE(form.CmdEdit->isEnabled()) << "the command line waits while scrolled back";
    EXPECT_TRUE(form.CmdEdit->text().isEmpty());

    QTest::keyClick(&form, Qt::Key_PageDown);
    EXPECT_FALSE(grp.DownMarkLayer()->Visible());
    EXPECT_TRUE(form.CmdEdit->isEnabled());

    QTest::keyClick(form.CmdEdit, Qt::Key_PageUp);
    QTest::keyClick(form.CmdEdit, Qt::Key_PageUp);
    const size_t lines = h.Log().size();
    // Sent to the window, as the desktop sends it: after the main window's
    // preview the window hands it to whatever has the focus then.
    QTest::keyClick(form.windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(form.Engine().Msg()->FScrolled);
    EXPECT_FALSE(grp.UpMarkLayer()->Visible());
    EXPECT_FALSE(grp.DownMarkLayer()->Visible());
    EXPECT_TRUE(form.CmdEdit->isEnabled());
    EXPECT_EQ(h.Log().size(), lines) << "that Enter entered no command";

    Enter(h, form.CmdEdit, "look");
    EXPECT_EQ(h.LastLog(), "looked");
}

TEST(MainWindowKeys, SpaceOrEnterEndsAKeyWaitOnTheGameScreen)
{
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        TWindowHarness h;
        TTideglassForm& form = h.Run("*SCENE s\nbefore\n**\nafter\n*SCENEEND\n");
        OnGameScreen(form);
        TEngineProbe(form.Engine()).State() = esKeyWait;
        QTest::keyClick(&form, Qt::Key_A);
        EXPECT_EQ(h.State(), esKeyWait);
        QTest::keyClick(&form, key);
        h.Settle();
        EXPECT_EQ(h.LastLog(), "after") << key;
    }
}

TEST(MainWindowKeys, TabHidesTheMessageWhileHeld)
{
    struct Case {
        const char* Name;
        TEngineState State;
        bool TabHide;
        bool Hides;
    };
    const Case cases[] = {
        {"waiting for a command", esCommandWait, true, true},
        {"during *WAIT", esWait, true, false},
        {"switched off", esCommandWait, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TWindowHarness h;
        TTideglassForm& form = h.Run(ManyLines(2));
        OnGameScreen(form);
        {
            TEngineProbe probe(form.Engine());
            probe.State() = c.State;
            probe.TabHideEnabled() = c.TabHide;
            probe.FuncBarShown() = true;
        }
        TTGGrp& grp = *form.Engine().Grp();

        QTest::keyPress(form.windowHandle(), Qt::Key_Tab);
        EXPECT_EQ(form.Engine().MsgHidden(), c.Hides);
        EXPECT_EQ(grp.TextLayer()->Visible(), !c.Hides);
        EXPECT_EQ(grp.WindowLayer()->Visible(), !c.Hides);
        EXPECT_EQ(form.CmdEdit->isVisible(), !c.Hides);
        QTest::keyRelease(form.windowHandle(), Qt::Key_Tab);
        EXPECT_FALSE(form.Engine().MsgHidden());
        EXPECT_TRUE(grp.TextLayer()->Visible());
        EXPECT_TRUE(form.CmdEdit->isVisible());
        EXPECT_TRUE(form.CmdEdit->hasFocus()) << "the command line has the focus again";
    }
}

TEST(MainWindowKeys, ShiftSwitchesTheFunctionBarToItsShiftLabels)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(ManyLines(1));
    OnGameScreen(form);
    form.FInput->SetKeyLabel(12, "F13 label");
    EXPECT_EQ(form.GetKeyLabel(12), "F13 label");
    TEngineProbe(form.Engine()).FuncBarShown() = true;
    QTest::keyPress(form.CmdEdit, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(form.Engine().FuncBarShifted());
    QTest::keyRelease(form.CmdEdit, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_FALSE(form.Engine().FuncBarShifted());
}

TEST(CommandLine, BothBoxesFollowTheEnabledStateAndTheQuestionColour)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(ManyLines(1));
    TEngineProbe(form.Engine()).PendingInputLine() = 1;
    form.Engine().SetMessageMode(true);
    const QColor question(0xEF, 0xEF, 0xFF);
    EXPECT_EQ(form.CmdEdit->palette().color(QPalette::Base), question);

    form.SetInputEnabled(false);
    EXPECT_FALSE(form.CmdEdit->isEnabled());
    EXPECT_FALSE(form.MsgForm->CmdEdit->isEnabled());
    form.SetInputEnabled(true);
    EXPECT_TRUE(form.CmdEdit->isEnabled());
    EXPECT_TRUE(form.MsgForm->CmdEdit->isEnabled());
    EXPECT_EQ(form.CmdEdit->palette().color(QPalette::Base), question);
    EXPECT_EQ(form.FInput->Edit(), form.CmdEdit) << "the box in use stays in use";
}

// ---- the small windows

TEST(Dialogs, TheTickRunsWhileTheInputDialogIsUpAndAnOpenAbortsIt)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run("*SCENE s\n*BGEXEC tick 1000\nready\n*SCENEEND\n"
                                 "*SCENE bg\n*LABEL tick\ntick\n*SCENEEND\n");
    h.WriteScript("next.tgs", "*SCENE s\nnext game\n*SCENEEND\n");
    form.SetTimerActive(true);
    Lines whileUp;
    QTimer::singleShot(0, [&] {
        h.Clock.Advance(1000);
        // The clock moved by hand; the engine looks at it afresh.
        form.Engine().ScheduleNextTick();
    });
    QTimer::singleShot(100, [&] {
        whileUp = h.Log();
        form.Engine().OpenScenario(h.Dir() + "next.tgs");
    });
    EXPECT_EQ(form.InputDlg().exec(), mrAbort);
    form.SetTimerActive(false);
    EXPECT_EQ(whileUp, (Lines{"ready", "tick"}));
}

TEST(Dialogs, OptionsMenuShowsTheAssociationAndPlayersDoNotSeeIt)
{
    {
        TWindowHarness h;
        TTideglassForm& form = h.Run(ManyLines(1));
        QTimer::singleShot(0, [&] { form.MidiForm().done(mrOk); });
        form.MIDI1->trigger();
        EXPECT_TRUE(form.MidiForm().Label2->text().contains(QString::fromUtf8("関連付けされていません")));
        EXPECT_FALSE(form.MidiForm().GroupBox2->isHidden());
    }
    {
        TWindowHarness h;
        h.WriteScript("data.tgs", "*SCENE s\nplayer\n*SCENEEND\n");
        TTideglassForm& form = h.Start();
        h.Tick();
        ASSERT_TRUE(form.Engine().PlayerMode());
        EXPECT_TRUE(form.MidiForm().GroupBox2->isHidden());
        EXPECT_EQ(form.MidiForm().height(), 100);
    }
}

TEST(Dialogs, DebugWindowAndSubWindowWorkOnTheGame)
{
    TWindowHarness h;
    TTideglassForm& form = h.Run(ManyLines(1));
    form.DebugForm().Evaluate("F(3)=5");
    EXPECT_EQ(h.Flag(3), 5);

    TEngineProbe(form.Engine()).SubWinMode() = 1;
    form.Engine().AddMessage(Sj("サブ"));
    ASSERT_EQ(form.SubForm->SubRichEdit->LineCount(), 1);
    EXPECT_EQ(form.SubForm->SubRichEdit->Line(0), Sj("サブ"));
}
