#include "core/strings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zema {

namespace {
// Built-in texts, keyed by symbol. Keep sorted by symbol for lookup.
constexpr std::pair<std::string_view, std::u16string_view> kBuiltIn[] = {
    {"AFX_IDP_ASK_TO_SAVE", u"ファイル %s が変更されています。\n\n変更を保存しますか？"},
    {"AFX_IDS_APP_TITLE", u"ZEMA"},
    {"IDS_ABOUT_TITLE", u"バージョン情報"},
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
    {"IDS_CFG_FILE_DETACH", u"関連付けを解除しました。"},
    {"IDS_CFG_FILE_FAILURE", u"関連付けに失敗しました。"},
    {"IDS_CFG_FILE_OVERWRITE", u"既に関連付けられています。\n既存の関連付け設定に上書きしますか？"},
    {"IDS_CFG_FILE_SUCCESS", u"関連付けを実行しました。"},
    {"IDS_CFG_KEY_COL_KEY", u"キー"},
    {"IDS_CFG_KEY_COL_MENU", u"メニュー"},
    {"IDS_CFG_KEY_NOTASSIGNED", u"なし"},
    {"IDS_CFG_KEY_TITLE", u"キー割り当て"},
    {"IDS_ERR_DM_DLSLOAD", u"DLSファイルの読み込みに失敗しました。\nDLSファイルの設定を見直してください。"},
    {"IDS_ERR_DM_INIT", u"ソフトウェアシンセサイザーの初期化に失敗しました。"},
    {"IDS_ERR_DM_OPEN", u"ソフトウェアシンセサイザーの出力ポートのオープンに失敗しました。"},
    {"IDS_ERR_DM_SYNTHLOAD", u"ソフトウェアシンセサイザーの音色データのロードに失敗しました。"},
    {"IDS_ERR_FILEOPEN", u"ファイルが開けませんでした。"},
    {"IDS_ERR_FILESAVE", u"ファイルが保存出来ませんでした。"},
    {"IDS_ERR_GDIPLUS_INIT", u"GDI+の初期化に失敗しました。"},
    {"IDS_ERR_MIDIOUT_OPEN", u"MIDI出力デバイスのオープンに失敗しました。"},
    {"IDS_ERR_MIDIOUT_RESET", u"MIDI出力のリセットに失敗しました。"},
    {"IDS_ERR_NOMOREADDTRACK", u"これ以上トラックを追加できません。"},
    {"IDS_ERR_SMFEXPORT", u"標準MIDIファイルが保存できませんでした。"},
    {"IDS_ERR_SMFIMPORT", u"標準MIDIファイルが開けませんでした。"},
    {"IDS_ERR_SMFPARSE", u"標準MIDIファイルの解析に失敗しました。"},
    {"IDS_ERR_UNEXPECTED", u"想定外のエラーが発生しました。"},
    {"IDS_MAIN_BEAT", u"拍子"},
    {"IDS_MAIN_BUTTON_ALL", u"All"},
    {"IDS_MAIN_BUTTON_LINK", u"グループリンク"},
    {"IDS_MAIN_BUTTON_MUTE", u"Mute"},
    {"IDS_MAIN_BUTTON_SOLO", u"Solo"},
    {"IDS_MAIN_BUTTON_VIEW", u"表示するトラックを選択"},
    {"IDS_MAIN_CARET_COL", u"%d 列"},
    {"IDS_MAIN_CARET_ROW", u"%d 行"},
    {"IDS_MAIN_MIDIOUT_SETTINGS", u"MIDI設定を開きますか？"},
    {"IDS_MAIN_MML_LENGTH", u"文字数"},
    {"IDS_MAIN_MODIFIED", u"更新"},
    {"IDS_MAIN_OPEN_FILTER", u"すべての対応形式 (*.mml; *.mms)|*.mml;*.mms|MabiMML互換形式 (*.mml)|*.mml|まきまびしーく形式 (*.mms)|*.mms|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_OPEN_TITLE", u"ファイルを開く"},
    {"IDS_MAIN_PIANO_T_CURRENT_TRACK", u"現在のトラック"},
    {"IDS_MAIN_PIANO_T_CUSTOM", u"ユーザー指定"},
    {"IDS_MAIN_PIANO_T_CUSTOM_ALLFOCUS", u"ユーザー指定 強調"},
    {"IDS_MAIN_PIANO_T_GLOBAL", u"グローバル"},
    {"IDS_MAIN_PIANO_T_GLOBAL_ALLFOCUS", u"グローバル 強調"},
    {"IDS_MAIN_PIANO_T_GROUP", u"グループ"},
    {"IDS_MAIN_PIANO_T_GROUP_ALLFOCUS", u"グループ 強調"},
    {"IDS_MAIN_SAVE_FILTER", u"MabiMML互換形式 (*.mml)|*.mml|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_SAVE_SMF_FILTER", u"標準MIDIファイル Format-1 (*.mid)|*.mid|標準MIDIファイル Format-0 (*.mid)|*.mid|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_SAVE_SMF_TITLE", u"名前を付けて標準MIDIファイルをエクスポート"},
    {"IDS_MAIN_SAVE_TITLE", u"名前を付けて保存"},
    {"IDS_MAIN_TPQN", u"分解能"},
    {"IDS_MAIN_UNTITLED", u"名称未設定"},
    {"IDS_SMF_IM_1TRACK", u"1MIDIトラック→複数MMLトラック変換では\nトラックを１つだけ選択してください。"},
    {"IDS_SMF_IM_NOTRACK", u"トラックが選択されていません。"},
    {"IDS_SMF_IM_PF_CUSTOM", u"カスタム"},
    {"IDS_SMF_IM_PF_EX_MANY", u"拡張 多数トラック"},
    {"IDS_SMF_IM_PF_EX_ONE", u"拡張 単体トラック精密"},
    {"IDS_SMF_IM_PF_MABI_C", u"マビノギ 和音再現"},
    {"IDS_SMF_IM_PF_MABI_N", u"マビノギ 通常"},
    {"IDS_SMF_IM_PF_MABI_R", u"マビノギ 文字数節約"},
    {"IDS_SMF_IM_Q_04", u"4分音符"},
    {"IDS_SMF_IM_Q_08", u"8分音符"},
    {"IDS_SMF_IM_Q_16", u"16分音符"},
    {"IDS_SMF_IM_Q_32", u"32分音符"},
    {"IDS_SMF_IM_Q_64", u"64分音符"},
    {"IDS_SMF_IM_Q_ERROR", u"*変換誤差*"},
    {"IDS_SMF_IM_Q_TICK", u"クオンタイズ単位"},
    {"IDS_SMF_IM_TOOMANYTRACKS", u"トラックは最大で%dまで選択してください。"},
    {"IDS_SMF_IM_TPQN", u"分解能"},
    {"IDS_WAV_EX_BREAK", u"中断"},
    {"IDS_WAV_EX_COMPLETE", u"WAVEファイルの出力が終了しました。"},
    {"IDS_WAV_EX_CONFIRM_BREAK", u"出力を中断しますか？"},
    {"IDS_WAV_EX_FAILURE", u"WAVEファイルの出力に失敗しました。"},
    {"IDS_WAV_EX_FILEFILTER", u"Wave (Microsoft) (*.wav) |*.wav|すべてのファイル (*.*)|*.*||"},
    {"IDS_WAV_EX_OFNTITLE", u"名前を付けてWaveファイルをエクスポート"},
    {"IDS_WAV_EX_TIME", u"出力時間"},
    {"IDS_WAV_EX_TITLE", u"Waveファイルを出力中"},
    {"IDS_WAV_EX_UNTITLED_FILENAME", u"名称未設定.wav"},
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
