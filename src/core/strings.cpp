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
    {"IDS_ERR_SMFSAVE", u"標準MIDIファイルが保存できませんでした。"},
    {"IDS_SMF_EX_FILTER", u"標準MIDIファイル Format-1 (*.mid)|*.mid|標準MIDIファイル Format-0 (*.mid)|*.mid|すべてのファイル (*.*)|*.*||"},
    {"IDS_SMF_EX_TITLE", u"名前を付けて標準MIDIファイルをエクスポート"},
    {"IDS_SMF_IM_ERR_MAXTRACK", u"トラックは最大で%dまで選択してください。"},
    {"IDS_SMF_IM_ERR_NOTRACK", u"トラックが選択されていません。"},
    {"IDS_SMF_IM_ERR_SPREAD", u"1MIDIトラック→複数MMLトラック変換では\nトラックを１つだけ選択してください。"},
    {"IDS_SMF_IM_INFO_ERROR", u"*変換誤差*"},
    {"IDS_SMF_IM_INFO_TPQN", u"分解能"},
    {"IDS_SMF_IM_INFO_UNIT", u"クオンタイズ単位"},
    {"IDS_SMF_IM_PF_CUSTOM", u"カスタム"},
    {"IDS_SMF_IM_PF_EXT_MULTI", u"拡張 多数トラック"},
    {"IDS_SMF_IM_PF_EXT_SINGLE", u"拡張 単体トラック精密"},
    {"IDS_SMF_IM_PF_MABI_CHORD", u"マビノギ 和音再現"},
    {"IDS_SMF_IM_PF_MABI_NORMAL", u"マビノギ 通常"},
    {"IDS_SMF_IM_PF_MABI_SAVING", u"マビノギ 文字数節約"},
    {"IDS_SMF_IM_QT_16", u"16分音符"},
    {"IDS_SMF_IM_QT_32", u"32分音符"},
    {"IDS_SMF_IM_QT_4", u"4分音符"},
    {"IDS_SMF_IM_QT_64", u"64分音符"},
    {"IDS_SMF_IM_QT_8", u"8分音符"},
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
