// Typed commands: which ">" pattern answers a typed text, how the pattern
// list follows the scenes, *!IF at scan time, strict matching, and the
// errors that building the list or matching a text can raise.

#include <gtest/gtest.h>

#include "base/sjis.h"
#include "engine/script/engine.h"
#include "engine/script/variables.h"
#include "support/engine_harness.h"
#include "support/engine_probe.h"

namespace {

using Lines = std::vector<std::string>;

// The player enters `utf8`; answers the log lines it brought, the echo first.
Lines Type(TEngineHarness& h, const std::string& utf8)
{
    const size_t before = h.Log().size();
    h.Engine().SubmitCommand(Sj(utf8));
    h.Settle();
    const Lines log = h.Log();
    return Lines(log.begin() + static_cast<std::ptrdiff_t>(std::min(before, log.size())), log.end());
}

// What the script answered to `utf8`: the line after the echo, or "-" when
// nothing answered.
std::string Answer(TEngineHarness& h, const std::string& utf8)
{
    const Lines lines = Type(h, utf8);
    EXPECT_FALSE(lines.empty()) << "no echo for " << utf8;
    if (!lines.empty()) {
        EXPECT_EQ(lines[0], "> " + utf8);
    }
    return lines.size() > 1 ? lines[1] : "-";
}

} // namespace

TEST(TypedCommand, MostWordsWinAndOneWordPatternsNeedTheWholeText)
{
    TEngineHarness h;
    h.Run("*SCENE room\n"
          "ready\n"
          ">look/see door\n"
          "door\n"
          "*END\n"
          ">look\n"
          "look\n"
          "*END\n"
          "> door\n" // a blank after the mark: the first word is empty
          "blank\n"
          "*END\n"
          ">NOMATCH\n"
          "nomatch\n"
          "*END\n"
          "*SCENEEND\n");
    ASSERT_EQ(h.State(), esCommandWait);
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"look", "look"}, {"see the door", "door"}, {"look at the door", "door"},
        {"look around", "nomatch"},                             // contains the one word, is not it
        {"Look", "nomatch"},                                    // case matters
        {"ｌｏｏｋ", "nomatch"},                                // full-width is another word
        {" look", "nomatch"},                                   // the text is taken as typed
        {"door", "nomatch"}, {"NOMATCH", "nomatch"}, {"", "-"}, // nothing typed is not a command NOMATCH answers
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(Answer(h, typed), expected) << typed;
    EXPECT_TRUE(h.Errors().empty());
}

TEST(TypedCommand, OfEqualPatternsTheLaterWinsSoTheSceneBeatsGlobal)
{
    TEngineHarness h;
    h.Run("*SCENE room\n"
          "ready\n"
          ">take key\n"
          "first\n"
          "*END\n"
          ">take key\n"
          "second\n"
          "*END\n"
          ">help\n"
          "room help\n"
          "*END\n"
          "*SCENEEND\n"
          "*SCENE GLOBAL\n"
          ">help\n"
          "global help\n"
          "*END\n"
          ">inventory\n"
          "global inventory\n"
          "*END\n"
          "*SCENEEND\n");
    EXPECT_EQ(Answer(h, "take key"), "second");
    EXPECT_EQ(Answer(h, "help"), "room help");
    EXPECT_EQ(Answer(h, "inventory"), "global inventory");
}

TEST(TypedCommand, UnmatchedTextIsEchoedAndOtherwiseIgnored)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE room\nready\n>look\nlook\n*END\n*SCENEEND\n");
    const int line = engine.MainContext().Line;
    for (const char* typed : {"dance", "", "NOMATCH"}) {
        EXPECT_EQ(Type(h, typed), Lines{"> " + std::string(typed)}) << typed;
        EXPECT_EQ(h.State(), esCommandWait);
        EXPECT_EQ(engine.MainContext().Line, line);
        EXPECT_EQ(engine.LastInput(), typed);
    }
}

TEST(TypedCommand, PatternsOfThirtyOneWordsOrMoreAreNeverChosen)
{
    for (int count : {30, 31, 40}) {
        std::string pattern = ">";
        std::string text;
        for (int i = 0; i < count; ++i) {
            const std::string word = "w" + std::to_string(i);
            pattern += (i ? " " : "") + word;
            text += (i ? " " : "") + word;
        }
        TEngineHarness h;
        h.Run("*SCENE room\nready\n" + pattern + "\nlong\n*END\n>NOMATCH\nnomatch\n*END\n*SCENEEND\n");
        EXPECT_EQ(Answer(h, text), count < 31 ? "long" : "nomatch") << count << " words";
    }
}

TEST(TypedCommand, WordsAreFoundOnlyAtCharacterStarts)
{
    TEngineHarness h;
    // The second byte of ア is the letter A.
    h.Run("*SCENE room\nready\n>A B\nab\n*END\n>ア 鍵\nkey\n*END\n>NOMATCH\nnomatch\n*END\n*SCENEEND\n");
    EXPECT_EQ(Answer(h, "ア B"), "nomatch");
    EXPECT_EQ(Answer(h, "A B"), "ab");
    EXPECT_EQ(Answer(h, "アの鍵"), "key");
}

TEST(TypedCommand, StrictMatchingSpendsTheCharactersAWordMatched)
{
    const char* const script = "*SCENE room\nready\n>key key\ntwo keys\n*END\n>鍵 鍵\ntwo\n*END\n"
                               ">kit it\nkit\n*END\n>NOMATCH\nnomatch\n*END\n*SCENEEND\n";
    struct Case {
        const char* Typed;
        const char* Loose;
        const char* Strict;
    };
    const Case cases[] = {
        {"key", "two keys", "nomatch"},
        {"key and key", "two keys", "two keys"},
        {"keykey", "two keys", "two keys"},
        {"鍵", "two", "nomatch"},
        {"鍵と鍵", "two", "two"},
        // "it" lies inside the matched "kit" only while that is not spent.
        {"kit", "kit", "nomatch"},
        {"kit it", "kit", "kit"},
    };
    for (bool strict : {false, true}) {
        TEngineHarness h;
        TEngine& engine = h.Run(script);
        TEngineProbe(engine).StrictMatch() = strict;
        for (const Case& c : cases)
            EXPECT_EQ(Answer(h, c.Typed), strict ? c.Strict : c.Loose) << c.Typed << (strict ? " strict" : "");
    }
}

TEST(TypedCommand, AlternativesAreEvaluatedWhenTheTextIsTyped)
{
    TEngineHarness h;
    h.Run("*SCENE room\n"
          "*S(1)='red'\n"
          "ready\n"
          ">push {S(1)}/ボタン\n"
          "pushed\n"
          "*END\n"
          ">paint\n"
          "*S(1)='blue'\n"
          "painted\n"
          "*END\n"
          ">NOMATCH\n"
          "nomatch\n"
          "*END\n"
          "*SCENEEND\n");
    EXPECT_EQ(Answer(h, "push red"), "pushed");
    EXPECT_EQ(Answer(h, "push blue"), "nomatch");
    EXPECT_EQ(Answer(h, "paint"), "painted");
    EXPECT_EQ(Answer(h, "push red"), "nomatch");
    EXPECT_EQ(Answer(h, "push blue"), "pushed");
    EXPECT_EQ(Answer(h, "push ボタン"), "pushed");
}

TEST(TypedCommand, ErrorInAnAlternativeIsReportedAndHalts)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE room\nready\n>a{1+2\nnever\n*END\n*SCENEEND\n");
    const Lines lines = Type(h, "a3");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Error! ( main.tgs : line 3 ) }が閉じていません");
    EXPECT_TRUE(engine.Halted());
    EXPECT_EQ(h.State(), esCommandWait);
}

TEST(TypedCommand, ThePatternListFollowsTheMainScriptsScene)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE hall\n"
                            "hall\n"
                            ">east\n"
                            "*GOTO kitchen\n"
                            ">call\n"
                            "*GOSUB bell\n"
                            "back in the hall\n"
                            "*END\n"
                            "*SCENEEND\n"
                            "*SCENE kitchen\n"
                            "kitchen\n"
                            ">west\n"
                            "*GOTO hall\n"
                            "*SCENEEND\n"
                            "*SCENE tower\n"
                            "*LABEL bell\n"
                            "ring\n"
                            ">east\n"
                            "tower east\n"
                            "*SCENEEND\n");
    EXPECT_EQ(Type(h, "call"), (Lines{"> call", "ring", "back in the hall"}));
    EXPECT_EQ(engine.CmdList().Count(), 2) << "a subroutine's scene does not change the patterns";
    EXPECT_EQ(Answer(h, "east"), "kitchen");
    EXPECT_EQ(Type(h, "call"), Lines{"> call"});
    EXPECT_EQ(Answer(h, "west"), "hall");
}

TEST(TypedCommand, TypedAfterABackgroundRunGoesOnInTheMainScene)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE hall\n"
                            "*BGEXEC tick 500\n"
                            "hall\n"
                            ">look\n"
                            "hall look\n"
                            "*END\n"
                            "*SCENEEND\n"
                            "*SCENE clock\n"
                            "*LABEL tick\n"
                            "*F(1)=F(1)+1\n"
                            ">look\n"
                            "clock look\n"
                            "*SCENEEND\n");
    const int hall = engine.MainContext().Scene;
    h.Advance(500);
    ASSERT_EQ(h.Flag(1), 1);
    EXPECT_EQ(Answer(h, "look"), "hall look");
    EXPECT_EQ(engine.MainContext().Scene, hall);
    h.Advance(500);
    ASSERT_EQ(h.Flag(1), 2);
    EXPECT_EQ(Answer(h, "look"), "hall look");
}

TEST(TypedCommand, ThePlayersTextIsShownAsTypedAndNeverRunsAsScript)
{
    TEngineHarness h;
    h.Run("*SCENE room\n"
          "ready\n"
          ">NOMATCH\n"
          "you said: {X} [ok]\n"
          "{'(' + X + ')'} {1+1}\n"
          "*S(1)='<{X}>'\n"
          "*F(3)=S(1)=='<' + X + '>'\n"
          "*END\n"
          "*SCENEEND\n");
    const std::vector<std::string> cases = {"{F(1)=99}", "{", "}{", "[F(1)=99]", "{S(2)='x'}{F(2)=1}"};
    for (const std::string& typed : cases) {
        EXPECT_EQ(Type(h, typed), (Lines{"> " + typed, "you said: " + typed + " ok", "(" + typed + ") 2"})) << typed;
        EXPECT_FALSE(h.Engine().Halted()) << typed;
        EXPECT_EQ(h.Flag(1), 0) << typed;
        EXPECT_EQ(h.Flag(2), 0) << typed;
        EXPECT_EQ(h.SVar(2), "") << typed;
        EXPECT_EQ(h.Flag(3), 1) << typed << ": a splice of it is kept as typed";
    }
    EXPECT_EQ(h.Engine().GameState().Keywords(), std::vector<std::string>{"ok"});
}

TEST(TypedCommand, APendingInlineQuestionTakesTheTextWithoutEcho)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE s\nready\n*END\nanswer {X}\n*SCENEEND\n");
    TEngineProbe(engine).PendingInputLine() = 3;
    EXPECT_EQ(Type(h, "blue"), Lines{"answer blue"});
    EXPECT_EQ(engine.LastInput(), "blue");
}

// ---- *!IF while the list is built

TEST(ScanIf, ATrueConditionGoesOnAtTheLabel)
{
    const char* const script = "*SCENE start\n"
                               "*GOTO room\n"
                               "*SCENEEND\n"
                               "*SCENE room\n"
                               "*!IF F(1)=1 opened\n"
                               ">open door\n"
                               "opening\n"
                               "*END\n"
                               "*LABEL opened\n"
                               ">enter\n"
                               "entering\n"
                               "*END\n"
                               ">NOMATCH\n"
                               "nomatch\n"
                               "*SCENEEND\n";
    for (int open : {0, 1}) {
        TEngineHarness h;
        h.WriteScript("main.tgs", script);
        TEngine& engine = h.Open("main.tgs");
        engine.EvaluateExpr("F(1)=" + std::to_string(open));
        h.Settle();
        EXPECT_EQ(Answer(h, "open door"), open ? "nomatch" : "opening") << open;
        EXPECT_EQ(Answer(h, "enter"), "entering") << open;
        // Conditions count when the list is built, not when a text is typed.
        engine.EvaluateExpr("F(1)=" + std::to_string(1 - open));
        EXPECT_EQ(Answer(h, "open door"), open ? "nomatch" : "opening") << open;
    }
}

TEST(ScanIf, AMissingLabelIsReportedAndTheScanGoesOn)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE room\n*!IF 1 nowhere\n>look\nlook\n*END\nready\n*SCENEEND\n");
    EXPECT_EQ(h.Log().front(), "Error:ラベルnowhereが発見できませんでした");
    EXPECT_FALSE(engine.Halted());
    EXPECT_EQ(Answer(h, "look"), "look");
}

TEST(ScanIf, AJumpBackToScannedLinesDoesNotLoop)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"to an earlier label", "*SCENE room\n*LABEL top\n>look\nlook\n*END\n*!IF 1 top\n>wait\nwait\n*SCENEEND\n"},
        {"to itself", "*SCENE room\n>look\nlook\n*END\n*LABEL self\n*!IF 1 self\n>wait\nwait\n*SCENEEND\n"},
        {"to the scene", "*SCENE room\n>look\nlook\n*END\n*!IF 1 room\n>wait\nwait\n*SCENEEND\n"},
    };
    for (const auto& [name, script] : cases) {
        TEngineHarness h;
        TEngine& engine = h.Run(script);
        EXPECT_EQ(engine.CmdList().Count(), 2) << name;
        EXPECT_EQ(Answer(h, "look"), "look") << name;
        EXPECT_EQ(Answer(h, "wait"), "wait") << name;
    }
}

TEST(PatternScan, ANewSceneInsideTheScannedOneIsAnError)
{
    {
        SCOPED_TRACE("at the open");
        TEngineHarness h;
        TEngine& engine = h.Run("*SCENE first\nready\n*SCENE second\n*SCENEEND\n");
        EXPECT_EQ(
            h.Errors(), Lines{"Error! ( main.tgs : line 2 ) SCENEが終了していないのに、新しいSCENEが始まっています。"});
        EXPECT_TRUE(engine.Halted());
        EXPECT_EQ(h.Log().size(), 1u) << "the halted game does not run";
    }
    {
        SCOPED_TRACE("on a jump");
        TEngineHarness h;
        TEngine& engine =
            h.Run("*SCENE first\n*GOTO second\n*SCENEEND\n*SCENE second\nsecond\n*SCENE third\n*SCENEEND\n");
        ASSERT_EQ(h.Errors().size(), 1u);
        EXPECT_NE(h.Errors()[0].find("SCENEが終了していないのに"), std::string::npos);
        EXPECT_TRUE(engine.Halted());
    }
}

TEST(PatternScan, GlobalPatternsComeFirstAndEndAtTheirSceneEnd)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE room\nready\n>look/see\n*END\n*IF 0\n>x y\n*ENDIF\n*SCENEEND\n"
                            "*SCENE GLOBAL\n>help\n*SCENEEND\n"
                            "*SCENE other\n>never\n*SCENEEND\n");
    ASSERT_EQ(engine.CmdList().Count(), 3);
    EXPECT_EQ(engine.CmdList().GetItem(0).Words[0], "help");
    EXPECT_EQ(engine.CmdList().GetItem(1).Words[0], "look/see");
    EXPECT_EQ(engine.CmdList().GetItem(1).Words[1], "");
    EXPECT_EQ(engine.CmdList().GetItem(2).Words[1], "y");
    EXPECT_EQ(engine.CmdList().GetItem(2).Target, 6);
}

// ---- keywords

TEST(Keywords, KeywordCommandAndBracketedWordsFillTheMenuUntilTheNextOpen)
{
    TEngineHarness h;
    TEngine& engine = h.Run("*SCENE room\n*KEYWORD lamp\n*KEYWORD '{S(1)}box'\n"
                            "A [brass key] lies here.\n*SCENEEND\n");
    EXPECT_EQ(h.Engine().GameState().Keywords(), (Lines{"lamp", "box", "brass key"}));
    EXPECT_EQ(h.LastLog(), "A brass key lies here.");

    h.WriteScript("other.tgs", "*SCENE s\n*SCENEEND\n");
    engine.OpenScenario(h.Dir() + "other.tgs");
    EXPECT_TRUE(h.Engine().GameState().Keywords().empty());
}

TEST(Keywords, TheMenuKeepsTheNewestTenWordsWithoutRepeats)
{
    TEngineHarness h;
    std::string script = "*SCENE room\n";
    for (int i = 1; i <= 11; ++i)
        script += "*KEYWORD w" + std::to_string(i) + "\n";
    script += "*KEYWORD w5\n*SCENEEND\n";
    TEngine& engine = h.Run(script);
    EXPECT_EQ(engine.GameState().Keywords(), (Lines{"w2", "w3", "w4", "w5", "w6", "w7", "w8", "w9", "w10", "w11"}));
}
