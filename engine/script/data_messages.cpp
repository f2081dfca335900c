#include "engine/script/data_messages.h"

#include "base/conv.h"
#include "base/sjis.h"

std::string DatStatusText(TDatStatus Status, std::string_view Path)
{
    switch (Status) {
    case TDatStatus::dsOk: return {};
    case TDatStatus::dsNotOpenForWrite: return SJ(":データファイルが開かれていないのに書き込む事は出来ません。");
    case TDatStatus::dsWriteInReadMode:
        return SJ(":読み込みモードでデータが開かれているので、書き込む事は出来ません。");
    case TDatStatus::dsNotOpenForRead: return SJ(":データファイルが開かれていないので読み込む事は出来ません。");
    case TDatStatus::dsReadInWriteMode:
        return SJ(":書き込みモードでデータが開かれているので、読み込む事は出来ません。");
    case TDatStatus::dsNoData: return SJ(":読みこむデータがありません。");
    case TDatStatus::dsTampered: return SJ(":データファイルが不正に書き替えられています！");
    case TDatStatus::dsMissing: return SJ(":ファイル") + std::string(Path) + SJ("が存在しません。");
    case TDatStatus::dsStringToNonString: return SJ(":文字列を文字列変数以外に代入する事は出来ません。");
    case TDatStatus::dsIntegerForString: return SJ("DATREADSで文字列ではなく整数を読もうとしました");
    case TDatStatus::dsStringForInteger: return SJ("DATREADSで整数ではなく文字列を読もうとしました");
    case TDatStatus::dsWritesTarget: return SJ("DATWRITESで書き出せるのはフラグ変数か文字列変数だけです。");
    case TDatStatus::dsReadsTarget: return SJ("DATREADSで読み出せるのはフラグ変数か文字列変数だけです。");
    }
    return {};
}

std::string DatErrorLine(int32_t LineNumber, std::string_view Text)
{
    return "Error" + IntToStr(LineNumber) + std::string(Text);
}
