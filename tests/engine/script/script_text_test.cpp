// Comment cutting, message-line expansion and condition conversion: the
// text rules that need no engine.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/sjis.h"
#include "engine/script/script_text.h"
#include "support/engine_harness.h"

namespace {

// A stand-in evaluator: "1+2" gives "3", "name" gives "Taro", "loop" gives
// "{loop}" (a value that reproduces itself), anything else is echoed in
// angle brackets so that the test sees what was evaluated.
std::string FakeEvaluate(const std::string& expression)
{
    if (expression == "1+2")
        return "3";
    if (expression == "name")
        return "Taro";
    if (expression == "loop")
        return "{loop}";
    if (expression == "braces")
        return "{1+2}";
    if (expression == "half")
        return "{1+";
    return "<" + expression + ">";
}

struct TExpandCase {
    const char* name;
    std::string line;     // UTF-8
    std::string expected; // UTF-8
    std::vector<std::string> keywords;
};

} // namespace

TEST(ExpandText, ExpandsBracesAndBrackets)
{
    const std::vector<TExpandCase> cases = {
        {"plain text stays", "ただの文", "ただの文", {}},
        {"one brace pair", "値は{1+2}です", "値は3です", {}},
        {"two brace pairs", "{name}と{1+2}", "Taroと3", {}},
        {"value with braces is expanded again", "x{braces}y", "x3y", {}},
        {"value's brace closes with the text's", "x{half}2}y", "x3y", {}},
        {"opening brace without closing", "a{1+2", "Error : カッコがつりあっていません<a{1+2>", {}},
        {"closing brace before opening one", "a}b{1+2}c", "a}b3c", {}},
        {"closing brace alone", "a}b", "a}b", {}},
        {"keyword in brackets", "[鍵]を拾った", "鍵を拾った", {"鍵"}},
        {"two keywords", "[a] and [b]", "a and b", {"a", "b"}},
        {"bracket without closing", "x[y", "Error : カッコ[ ]がつりあっていません<x[y>", {}},
        {"closing bracket before opening one", "]x[y]", "]xy", {"y"}},
        {"nested brackets pair first with first", "[a[b]c]", "abc", {"a[b", "bc"}},
        {"brace value then keyword", "[{name}]", "Taro", {"Taro"}},
        {"katakana with brace trail bytes", "ボマ{1+2}ボマ", "ボマ3ボマ", {}},
        {"katakana with bracket trail bytes", "ゼゾ[ゼ]ゾ", "ゼゾゼゾ", {"ゼ"}},
        {"trail bytes alone are no brackets", "ボゼゾマ", "ボゼゾマ", {}},
    };
    for (const TExpandCase& c : cases) {
        std::vector<std::string> keywords;
        const std::string result = ExpandText(
            Sj(c.line), true, [](const std::string& e) { return Sj(FakeEvaluate(sjis::ToUtf8(e))); },
            [&keywords](const std::string& w) { keywords.push_back(sjis::ToUtf8(w)); });
        EXPECT_EQ(sjis::ToUtf8(result), c.expected) << c.name;
        EXPECT_EQ(keywords, c.keywords) << c.name;
    }
}

TEST(ExpandText, NotTopLevelEvaluatesTextWithoutBraces)
{
    const std::string result = ExpandText("name", false, FakeEvaluate, nullptr);
    EXPECT_EQ(result, "Taro");
    EXPECT_EQ(ExpandText("name", true, FakeEvaluate, nullptr), "name");
}

TEST(ExpandText, SelfReproducingBracesStop)
{
    int evaluations = 0;
    const std::string result = ExpandText(
        "a{loop}b", true,
        [&evaluations](const std::string& e) {
            ++evaluations;
            return FakeEvaluate(e);
        },
        nullptr);
    EXPECT_EQ(result, "a{loop}b");
    EXPECT_LE(evaluations, 1 + ExtraBracePasses);
}

TEST(ExpandText, NeverEvaluatesAnEmptyTextForAStrayBrace)
{
    std::vector<std::string> evaluated;
    ExpandText(
        "}{1+2}", true,
        [&evaluated](const std::string& e) {
            evaluated.push_back(e);
            return FakeEvaluate(e);
        },
        nullptr);
    EXPECT_EQ(evaluated, std::vector<std::string>{"1+2"});
}

TEST(ConvertCondition, DoublesOnlyLoneEquals)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"F(1)=2", "F(1)==2"},
        {"F(1)==2", "F(1)==2"},
        {"F(1)<=2", "F(1)<=2"},
        {"F(1)>=2", "F(1)>=2"},
        {"F(1)!=2", "F(1)!=2"},
        {"F(1)+=2", "F(1)+=2"},
        {"F(1)<<=2", "F(1)<<=2"},
        {"F(1)>>=2", "F(1)>>=2"},
        {"S(1)=~'a'", "S(1)=~'a'"},
        {"S(1)='a=b'", "S(1)=='a=b'"},
        {"S(1)='it''s=1'", "S(1)=='it''s=1'"},
        {"S(1)='open=", "S(1)=='open="},
        {"F(1)=2&&F(2)=3", "F(1)==2&&F(2)==3"},
        {"F(1)===2", "F(1)====2"},
        {"S(1)=ボ", "S(1)==ボ"},
        {"", ""},
    };
    for (const auto& [condition, expected] : cases)
        EXPECT_EQ(sjis::ToUtf8(ConvertCondition(Sj(condition))), expected) << condition;
}

TEST(CutComment, QuotedStateCarriesAcrossLines)
{
    bool quoted = false;
    EXPECT_EQ(CutComment("a # b", quoted), "a ");
    EXPECT_FALSE(quoted);
    EXPECT_EQ(CutComment("say 'it", quoted), "say 'it");
    EXPECT_TRUE(quoted);
    EXPECT_EQ(CutComment("# still text", quoted), "# still text");
    EXPECT_EQ(CutComment("closed' # gone", quoted), "closed' ");
    EXPECT_FALSE(quoted);
    // 81h 94h is the full-width "#": a character of its own, never a comment.
    EXPECT_EQ(sjis::ToUtf8(CutComment(Sj("＃です"), quoted)), "＃です");
}
