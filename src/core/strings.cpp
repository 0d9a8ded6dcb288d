#include "core/strings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zema {

namespace {
// Built-in texts, keyed by symbol. Keep sorted by symbol for lookup.
constexpr std::pair<std::string_view, std::u16string_view> kBuiltIn[] = {
    {"IDS_CB_EX_BOARD_RANK", u"【作曲可能ランク】"},
    {"IDS_CB_EX_BOARD_SOURCE", u"【出典】"},
    {"IDS_CB_EX_BOARD_TITLE", u"【曲名】"},
    {"IDS_CB_EX_LINE_CHORD1", u"Chord 1 : %4d 文字 [%s]"},
    {"IDS_CB_EX_LINE_CHORD1_OPT", u"Chord 1 : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_LINE_CHORD2", u"Chord 2 : %4d 文字 [%s]"},
    {"IDS_CB_EX_LINE_CHORD2_OPT", u"Chord 2 : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_LINE_MELODY", u"Melody  : %4d 文字 [%s]"},
    {"IDS_CB_EX_LINE_MELODY_OPT", u"Melody  : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_METHOD", u"圧縮方法"},
    {"IDS_CB_EX_MSG_MABINOGI", u"マビノギ(MML@)形式で以下のとおりに出力しました。     \u3000\u3000"},
    {"IDS_CB_EX_MSG_SHITARABA", u"したらば形式(MML@改行あり)で以下のとおりに出力しました。     \u3000\u3000"},
    {"IDS_CB_EX_RANK_IMPOSSIBLE", u"作曲不可能"},
    {"IDS_CB_EX_RANK_PRACTICE", u"練習"},
    {"IDS_CB_EX_REQUIRED_RANK", u"必要作曲ランク"},
    {"IDS_ERR_FILEOPEN", u"ファイルが開けませんでした。"},
    {"IDS_ERR_FILESAVE", u"ファイルが保存出来ませんでした。"},
    {"IDS_ERR_NOMOREADDTRACK", u"これ以上トラックを追加できません。"},
    {"IDS_ERR_SMFIMPORT", u"標準MIDIファイルが開けませんでした。"},
    {"IDS_ERR_SMFPARSE", u"標準MIDIファイルの解析に失敗しました。"},
};
}  // namespace

std::u16string loadString(std::string_view symbol)
{
    for (const auto& [key, text] : kBuiltIn) {
        if (key == symbol) return std::u16string(text);
    }
    return {};
}

}  // namespace zema
