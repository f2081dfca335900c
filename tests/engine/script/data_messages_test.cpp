#include "engine/script/data_messages.h"

#include "base/sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf8(const std::string& sjis)
{
    return sjis::ToUtf8(sjis);
}

} // namespace

TEST(DataMessages, MessagesCarryTheLineNumberAndFixedTexts)
{
    EXPECT_EQ(Utf8(DatErrorLine(12, DatStatusText(TDatStatus::dsNoData))), "Error12:読みこむデータがありません。");
    EXPECT_EQ(Utf8(DatErrorLine(3, DatStatusText(TDatStatus::dsMissing, SJ("/ゲーム/x.dat")))),
        "Error3:ファイル/ゲーム/x.datが存在しません。");
    const struct {
        TDatStatus Status;
        const char* Text;
    } texts[] = {
        {TDatStatus::dsNotOpenForWrite, ":データファイルが開かれていないのに書き込む事は出来ません。"},
        {TDatStatus::dsWriteInReadMode, ":読み込みモードでデータが開かれているので、書き込む事は出来ません。"},
        {TDatStatus::dsNotOpenForRead, ":データファイルが開かれていないので読み込む事は出来ません。"},
        {TDatStatus::dsReadInWriteMode, ":書き込みモードでデータが開かれているので、読み込む事は出来ません。"},
        {TDatStatus::dsTampered, ":データファイルが不正に書き替えられています！"},
        {TDatStatus::dsStringToNonString, ":文字列を文字列変数以外に代入する事は出来ません。"},
        {TDatStatus::dsIntegerForString, "DATREADSで文字列ではなく整数を読もうとしました"},
        {TDatStatus::dsStringForInteger, "DATREADSで整数ではなく文字列を読もうとしました"},
        {TDatStatus::dsWritesTarget, "DATWRITESで書き出せるのはフラグ変数か文字列変数だけです。"},
        {TDatStatus::dsReadsTarget, "DATREADSで読み出せるのはフラグ変数か文字列変数だけです。"},
    };
    for (const auto& t : texts)
        EXPECT_EQ(Utf8(DatStatusText(t.Status)), t.Text);
}
