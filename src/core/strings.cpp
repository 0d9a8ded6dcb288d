#include "core/strings.h"

#include "core/ascii.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace zema {

namespace {

// The string table in identifier order. Identifiers 10000..10179 are dense,
// so an entry of that range is found by its index; the framework strings at
// the end keep the identifiers the window framework gives them.
constexpr StringEntry kStrings[] = {
    {"IDS_ABOUTBOX", 10000, u"バージョン情報(&A)..."},
    {"IDS_CB_EX_3TRACKS", 10001, u"トラックを3つまで選択して下さい。"},
    {"IDS_CB_EX_4TRACKS", 10002, u"トラックが4つ以上選択されています。"},
    {"IDS_CB_EX_ALLTRACK", 10003, u"すべてのトラックが出力されます。"},
    {"IDS_CB_EX_HELP1", 10004,
     u"MML@<メロディ>,<和音1>,<和音2>;\nの形式で出力します。\nマビノギの楽譜スクロールにそのまま貼り付け可能です。"},
    {"IDS_CB_EX_HELP2", 10005,
     u"【曲名】<曲名>\n【出典】<出展>\n【作曲可能ランク】<作曲ランク>\nMML@\n<メロディ>\n,\n<和音1>\n,\n<和音2>\n;\nの形式で出力します。"},
    {"IDS_CB_EX_HELP3", 10006,
     u"MabiMMLの形式で出力します。\nすべてのトラックが出力対象です。\n最適化とトラックのソートは行いません。"},
    {"IDS_CB_EX_LISTENTRY", 10007, u"%4d文字 : %s"},
    {"IDS_CB_EX_METHOD", 10008, u"圧縮方法"},
    {"IDS_CB_EX_RANK", 10009, u"必要作曲ランク"},
    // Result lines: A without optimisation, B with the source and written counts.
    {"IDS_CB_EX_RESULT_A_1", 10010, u"Melody  : %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULT_A_2", 10011, u"Chord 1 : %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULT_A_3", 10012, u"Chord 2 : %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULT_B_1", 10013, u"Melody  : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULT_B_2", 10014, u"Chord 1 : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULT_B_3", 10015, u"Chord 2 : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULTMSG1", 10016, u"マビノギ(MML@)形式で以下のとおりに出力しました。     \u3000\u3000"},
    {"IDS_CB_EX_RESULTMSG2", 10017, u"したらば形式(MML@改行あり)で以下のとおりに出力しました。     \u3000\u3000"},
    {"IDS_CB_EX_RESULTMSG3", 10018, u"MabiMML形式で出力しました。"},
    {"IDS_CB_EX_RESULTMSG4", 10019, u"曲名をコピーしました。"},
    {"IDS_CB_EX_RESULTMSG5", 10020, u"トラック名をコピーしました。"},
    {"IDS_CB_EX_RESULTMSG6", 10021, u"楽器名をコピーしました。"},
    {"IDS_CB_EX_SITA_RANK", 10022, u"【作曲可能ランク】"},
    {"IDS_CB_EX_SITA_SOURCE", 10023, u"【出典】"},
    {"IDS_CB_EX_SITA_TITLE", 10024, u"【曲名】"},
    {"IDS_CB_EX_TITLE", 10025, u"クリップボードへMMLを出力"},
    {"IDS_CB_IM_TITLE", 10026, u"クリップボードのMMLを入力"},
    {"IDS_CFG_DLS_08KHZ", 10027, u"8,000 Hz"},
    {"IDS_CFG_DLS_11KHZ", 10028, u"11,025 Hz"},
    {"IDS_CFG_DLS_22KHZ", 10029, u"22,050 Hz"},
    {"IDS_CFG_DLS_44KHZ", 10030, u"44,100 Hz"},
    {"IDS_CFG_DLS_FILEFILTER", 10031, u"DLS音色データ (*.dls)|*.dls|すべてのファイル (*.*)|*.*||"},
    {"IDS_CFG_DLS_MONO", 10032, u"モノラル"},
    {"IDS_CFG_DLS_OFNTITLE", 10033, u"DLS音色ファイルを開く"},
    {"IDS_CFG_DLS_STEREO", 10034, u"ステレオ"},
    {"IDS_CFG_FILE_DETACH", 10035, u"関連付けを解除しました。"},
    {"IDS_CFG_FILE_FAILURE", 10036, u"関連付けに失敗しました。"},
    {"IDS_CFG_FILE_OVERWRITE", 10037, u"既に関連付けられています。\n既存の関連付け設定に上書きしますか？"},
    {"IDS_CFG_FILE_SUCCESS", 10038, u"関連付けを実行しました。"},
    {"IDS_TP_DEFAULT_GROUP", 10039, u"グローバルグループ"},
    {"IDS_TP_GROUP_NAME", 10040, u"グループ %d"},
    {"IDS_TP_TITLE", 10041, u"トラックプロパティ"},
    {"IDS_TP_TRACK_NAME", 10042, u"Track%d"},
    {"IDS_CFG_GEN_30FPS", 10043, u"30 FPS (標準)"},
    {"IDS_CFG_GEN_60FPS", 10044, u"60 FPS (高)"},
    {"IDS_CB_EX_MODE_1", 10045, u"トラック"},
    {"IDS_CB_EX_MODE_2", 10046, u"グループ"},
    {"IDS_CB_EX_RANK_PRACTICE", 10047, u"練習"},
    {"IDS_CB_EX_RANK_IMPOSSIBLE", 10048, u"作曲不可能"},
    {"IDS_MK_TITLE_CREATE", 10049, u"マーカー作成"},
    {"IDS_MK_TITLE_EDIT", 10050, u"マーカー編集"},
    {"IDS_DP_TITLE", 10051, u"プロパティ"},
    {"IDS_DP_UNTITLED", 10052, u"名称未設定"},
    {"IDS_DP_TPQN_032", 10053, u"互換 :　32 TPQN"},
    {"IDS_DP_TPQN_048", 10054, u"低精度 :　48 TPQN"},
    {"IDS_DP_TPQN_096", 10055, u"標準 :　96 TPQN"},
    {"IDS_DP_TPQN_480", 10056, u"精密 : 480 TPQN"},
    {"IDS_DP_TPQN_960", 10057, u"最高精度 : 960 TPQN"},
    {"IDS_DP_TPQN_120", 10058, u"高精度 : 120 TPQN"},
    {"IDS_DP_LISTENTRY", 10059, u"%4d文字 : %s"},
    {"IDS_DP_TPQN_ERROR", 10060, u"分解能は1～960の間で設定してください。"},
    {"IDS_DP_3TRACKS", 10061, u"トラックを3つまで選択して下さい。"},
    {"IDS_DP_4TRACKS", 10062, u"トラックが4つ以上選択されています。"},
    {"IDS_DP_RANK", 10063, u"必要作曲ランク"},
    {"IDS_DP_RANK_PRACTICE", 10064, u"練習"},
    {"IDS_DP_RANK_IMPOSSIBLE", 10065, u"作曲不可能"},
    {"IDS_CFG_TITLE", 10066, u"環境設定"},
    {"IDS_CFG_GEN_TITLE", 10067, u"一般"},
    {"IDS_CFG_FILE_TITLE", 10068, u"ファイル"},
    {"IDS_CFG_MIDI_TITLE", 10069, u"MIDI"},
    {"IDS_CFG_DLS_TITLE", 10070, u"DLS演奏"},
    {"IDS_CFG_KEY_TITLE", 10071, u"キー割り当て"},
    {"IDS_CFG_GEN_TPQN_032", 10072, u"互換 :　32 TPQN"},
    {"IDS_CFG_GEN_TPQN_048", 10073, u"低精度 :　48 TPQN"},
    {"IDS_CFG_GEN_TPQN_096", 10074, u"標準 :　96 TPQN"},
    {"IDS_CFG_GEN_TPQN_120", 10075, u"高精度 : 120 TPQN"},
    {"IDS_CFG_GEN_TPQN_480", 10076, u"精密 : 480 TPQN"},
    {"IDS_CFG_GEN_TPQN_960", 10077, u"最高精度 : 960 TPQN"},
    {"IDS_CFG_GEN_ALPHABLEND_ENABLE", 10078, u"使用する"},
    {"IDS_CFG_GEN_ALPHABLEND_DISABLE", 10079, u"使用しない"},
    {"IDS_CFG_KEY_COL_MENU", 10080, u"メニュー"},
    {"IDS_CFG_KEY_COL_KEY", 10081, u"キー"},
    {"IDS_CFG_KEY_NOTASSIGNED", 10082, u"なし"},
    {"IDS_CFG_MIDI_FILEFILTER", 10083, u"楽器定義ファイル (*.def)|*.def|すべてのファイル (*.*)|*.*||"},
    {"IDS_CFG_MIDI_OFNTITLE", 10084, u"楽器定義ファイルを開く"},
    {"IDS_WAV_EX_TITLE", 10085, u"Waveファイルを出力中"},
    {"IDS_WAV_EX_BREAK", 10086, u"中断"},
    {"IDS_WAV_EX_TIME", 10087, u"出力時間"},
    {"IDS_WAV_EX_COMPLETE", 10088, u"WAVEファイルの出力が終了しました。"},
    {"IDS_WAV_EX_FAILURE", 10089, u"WAVEファイルの出力に失敗しました。"},
    {"IDS_WAV_EX_CONFIRM_BREAK", 10090, u"出力を中断しますか？"},
    {"IDS_WAV_EX_FILEFILTER", 10091, u"Wave (Microsoft) (*.wav) |*.wav|すべてのファイル (*.*)|*.*||"},
    {"IDS_WAV_EX_OFNTITLE", 10092, u"名前を付けてWaveファイルをエクスポート"},
    {"IDS_WAV_EX_UNTITLED_FILENAME", 10093, u"名称未設定.wav"},
    {"IDS_SMF_IM_TITLE", 10094, u"標準MIDIファイルの入力"},
    {"IDS_SMF_IM_Q_04", 10095, u"4分音符"},
    {"IDS_SMF_IM_Q_08", 10096, u"8分音符"},
    {"IDS_SMF_IM_Q_16", 10097, u"16分音符"},
    {"IDS_SMF_IM_Q_32", 10098, u"32分音符"},
    {"IDS_SMF_IM_Q_64", 10099, u"64分音符"},
    {"IDS_SMF_IM_PF_CUSTOM", 10100, u"カスタム"},
    {"IDS_SMF_IM_PF_MABI_N", 10101, u"マビノギ 通常"},
    {"IDS_SMF_IM_PF_MABI_R", 10102, u"マビノギ 文字数節約"},
    {"IDS_SMF_IM_PF_MABI_C", 10103, u"マビノギ 和音再現"},
    {"IDS_SMF_IM_PF_EX_MANY", 10104, u"拡張 多数トラック"},
    {"IDS_SMF_IM_PF_EX_ONE", 10105, u"拡張 単体トラック精密"},
    {"IDS_SMF_IM_TPQN", 10106, u"分解能"},
    {"IDS_SMF_IM_Q_TICK", 10107, u"クオンタイズ単位"},
    {"IDS_SMF_IM_Q_ERROR", 10108, u"*変換誤差*"},
    {"IDS_SMF_IM_NOTRACK", 10109, u"トラックが選択されていません。"},
    {"IDS_SMF_IM_1TRACK", 10110, u"1MIDIトラック→複数MMLトラック変換では\nトラックを１つだけ選択してください。"},
    {"IDS_SMF_IM_TOOMANYTRACKS", 10111, u"トラックは最大で%dまで選択してください。"},
    {"IDS_ERR_FILEOPEN", 10112, u"ファイルが開けませんでした。"},
    {"IDS_ERR_FILESAVE", 10113, u"ファイルが保存出来ませんでした。"},
    {"IDS_ERR_CLIPBOARDOPEN", 10114, u"クリップボードが開けませんでした。"},
    {"IDS_ERR_SMFPARSE", 10115, u"標準MIDIファイルの解析に失敗しました。"},
    {"IDS_ERR_SMFIMPORT", 10116, u"標準MIDIファイルが開けませんでした。"},
    {"IDS_ERR_SMFEXPORT", 10117, u"標準MIDIファイルが保存できませんでした。"},
    {"IDS_ERR_NOMOREADDTRACK", 10118, u"これ以上トラックを追加できません。"},
    {"IDS_ERR_MIDIOUT_OPEN", 10119, u"MIDI出力デバイスのオープンに失敗しました。"},
    {"IDS_ERR_DM_INIT", 10120, u"ソフトウェアシンセサイザーの初期化に失敗しました。"},
    {"IDS_ERR_DM_OPEN", 10121, u"ソフトウェアシンセサイザーの出力ポートのオープンに失敗しました。"},
    {"IDS_ERR_DM_DLSLOAD", 10122, u"DLSファイルの読み込みに失敗しました。\nDLSファイルの設定を見直してください。"},
    {"IDS_ERR_DM_SYNTHLOAD", 10123, u"ソフトウェアシンセサイザーの音色データのロードに失敗しました。"},
    {"IDS_ERR_UNEXPECTED", 10124, u"想定外のエラーが発生しました。"},
    {"IDS_ERR_GDIPLUS_INIT", 10125, u"GDI+の初期化に失敗しました。"},
    {"IDS_MAIN_NEWMARKER", 10126, u"新規マーカー"},
    {"IDS_MAIN_OPEN_FILTER", 10127,
     u"すべての対応形式 (*.mml; *.mms)|*.mml;*.mms|MabiMML互換形式 (*.mml)|*.mml|まきまびしーく形式 (*.mms)|*.mms|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_OPEN_TITLE", 10128, u"ファイルを開く"},
    {"IDS_MAIN_SAVE_FILTER", 10129, u"MabiMML互換形式 (*.mml)|*.mml|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_UNTITLED", 10130, u"名称未設定"},
    {"IDS_MAIN_MODIFIED", 10131, u"更新"},
    {"IDS_MAIN_OPEN_SMF_FILTER", 10132, u"標準MIDIファイル (*.mid; *.midi)|*.mid;*.midi|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_OPEN_SMF_TITLE", 10133, u"標準MIDIファイルを開く"},
    {"IDS_MAIN_SAVE_SMF_FILTER", 10134,
     u"標準MIDIファイル Format-1 (*.mid)|*.mid|標準MIDIファイル Format-0 (*.mid)|*.mid|すべてのファイル (*.*)|*.*||"},
    {"IDS_MAIN_SAVE_SMF_TITLE", 10135, u"名前を付けて標準MIDIファイルをエクスポート"},
    {"IDS_MAIN_TPQN", 10136, u"分解能"},
    {"IDS_MAIN_BEAT", 10137, u"拍子"},
    {"IDS_MAIN_MML_LENGTH", 10138, u"文字数"},
    {"IDS_MAIN_CARET_ROW", 10139, u"%d 行"},
    {"IDS_MAIN_CARET_COL", 10140, u"%d 列"},
    {"IDS_MAIN_CARET_INFO", 10141, u"Tempo %3d, Octave %d, Velocity %2d, L%d%c"},
    {"IDS_MAIN_CONFIRM_EMPTY", 10142, u"MMLが入力されていません。このまま続けますか？"},
    {"IDS_MAIN_TOPMARKER", 10143, u"先頭"},
    {"IDS_ERR_MIDIOUT_RESET", 10144, u"MIDI出力のリセットに失敗しました。"},
    {"IDS_MAIN_MIDIOUT_SETTINGS", 10145, u"MIDI設定を開きますか？"},
    {"IDS_MAIN_GLOBALGROUP", 10146, u"グローバルグループ"},
    {"IDS_MAIN_MMLATMARK_FORMAT", 10147, u"MML@形式 %dトラック"},
    {"IDS_MAIN_NEWTRACK", 10148, u"Track%d"},
    {"IDS_MAIN_SAVE_TITLE", 10149, u"名前を付けて保存"},
    {"IDS_SEARCH_TITLE_1", 10150, u"検索"},
    {"IDS_SEARCH_TITLE_2", 10151, u"検索・置換"},
    {"IDS_SEARCH_REPLACE_COUNT", 10152, u"%d箇所を置換しました。"},
    {"IDS_SEARCH_NOT_FOUND", 10153, u"文字列 '%s' が見つかりません。"},
    {"IDS_ABOUT_TITLE", 10154, u"バージョン情報"},
    {"IDS_MAIN_PIANO_T_GLOBAL", 10155, u"グローバル"},
    {"IDS_MAIN_PIANO_T_GLOBAL_ALLFOCUS", 10156, u"グローバル 強調"},
    {"IDS_MAIN_PIANO_T_GROUP", 10157, u"グループ"},
    {"IDS_MAIN_PIANO_T_GROUP_ALLFOCUS", 10158, u"グループ 強調"},
    {"IDS_MAIN_PIANO_T_CURRENT_TRACK", 10159, u"現在のトラック"},
    {"IDS_ERR_LANGUAGE_LOAD", 10160, u"言語ファイルの読み込みに失敗しました。"},
    {"IDS_MAIN_MIGRATED", 10161, u"マイグレーション済み"},
    {"IDS_MAIN_MIGRATION_COMPLETED", 10162, u"マイグレーションが完了しました。"},
    {"IDS_CB_EX_RESULTMSG7", 10163, u"グループ名をコピーしました。"},
    {"IDS_MAIN_PIANO_T_CUSTOM", 10164, u"ユーザー指定"},
    {"IDS_TP_TRACK_TYPE_NORMAL", 10165, u"メロディ"},
    {"IDS_TP_TRACK_TYPE_RHYTHM", 10166, u"リズム"},
    {"IDS_PNI_TITLE", 10167, u"鍵盤"},
    {"IDS_MAIN_PIANO_T_CUSTOM_ALLFOCUS", 10168, u"ユーザー指定 強調"},
    {"IDS_MAIN_BUTTON_MUTE", 10169, u"Mute"},
    {"IDS_MAIN_BUTTON_SOLO", 10170, u"Solo"},
    {"IDS_MAIN_BUTTON_ALL", 10171, u"All"},
    {"IDS_MAIN_BUTTON_LINK", 10172, u"グループリンク"},
    {"IDS_MAIN_BUTTON_VIEW", 10173, u"表示するトラックを選択"},
    {"IDS_TPQN_032", 10174, u"互換 :　32 TPQN"},
    {"IDS_TPQN_048", 10175, u"低精度 :　48 TPQN"},
    {"IDS_TPQN_096", 10176, u"標準 :　96 TPQN"},
    {"IDS_TPQN_120", 10177, u"高精度 : 120 TPQN"},
    {"IDS_TPQN_480", 10178, u"精密 : 480 TPQN"},
    {"IDS_TPQN_960", 10179, u"最高精度 : 960 TPQN"},
    // Framework strings without an IDS_ name.
    {"AFX_IDS_APP_TITLE", 57344, u"ZEMA"},
    {"AFX_IDP_ASK_TO_SAVE", 61442, u"ファイル %s が変更されています。\n\n変更を保存しますか？"},
    // Strings added for the song part, the newer rank rule and score books.
    {"IDS_CB_EX_RESULT_A_4", 11000, u"Song    : %4d 文字 [%s]"},
    {"IDS_CB_EX_RESULT_B_4", 11001, u"Song    : %4d → %4d 文字 [%s]"},
    {"IDS_CB_EX_FILLED_MELODY", 11002, u"メロディが空のため、音の出ない「<>」を書き込みました。"},
    {"IDS_CB_EX_EMPTY_MELODY", 11003, u"メロディが空です。音の出ない「<>」を書き込みます。"},
    {"IDS_CB_EX_EMPTY_MELODY_REFUSED", 11004, u"メロディが空です。ゲームはこの楽譜を作曲できません。"},
    {"IDS_CB_EX_SONG_NONE", 11005, u"(なし)"},
    {"IDS_CB_EX_HELP4",
     11006, u"楽譜集(最大5枚のスクロール)に分けて出力します。\n「MMLをコピー」を押すたびに次のスクロールをコピーします。"},
    {"IDS_CB_EX_BOOK_RESULT", 11007, u"楽譜集のスクロール %d / %d をコピーしました。"},
    {"IDS_CB_EX_BOOK_TOO_MANY", 11008, u"楽譜集に収まりません。スクロールが %d 枚必要です(最大 5 枚)。"},
    {"IDS_CB_EX_BOOK_FAILED", 11009, u"このランクでは楽譜集に分けられません。"},
    {"IDS_TP_GROUP_MENU", 11010, u"グループ(&G)"},
    // The status-bar notices of a search that went on from the other end of the track.
    {"IDS_SEARCH_WRAPPED_TO_TOP", 11100, u"トラックの末尾まで検索したので、先頭から続けて検索しました。"},
    {"IDS_SEARCH_WRAPPED_TO_END", 11101, u"トラックの先頭まで検索したので、末尾から続けて検索しました。"},
    // Strings added for the MIDI import from the window.
    {"IDS_SMF_IM_READING", 11200, u"標準MIDIファイルを読み込んでいます..."},
    {"IDS_SMF_IM_CONVERTING", 11201, u"標準MIDIファイルを変換しています..."},
    {"IDS_SMF_IM_NOTHING", 11202, u"選択したトラックには変換できるイベントがありません。"},
    // The licenses the about box names for the libraries the program is built on.
    {"IDS_ABOUT_LICENSE_MIT_STYLE", 11300, u"MITスタイルライセンス"},
    {"IDS_ABOUT_LICENSE_BSD_STYLE", 11301, u"BSDスタイルライセンス"},
    {"IDS_ABOUT_LICENSE_ZLIB", 11302, u"zlibライセンス"},
    // Status-bar notices of note edits made in the piano roll.
    {"IDS_NOTE_EDIT_REWRITTEN", 11500, u"編集をその場に書けないため、周りのMMLを書き直しました。"},
    {"IDS_NOTE_EDIT_NO_NOTE", 11501, u"編集する音符がトラックにありません。"},
    {"IDS_NOTE_EDIT_NOT_EXPRESSIBLE", 11502,
     u"この編集はMMLで書けません(音符が重なる、音の高さか長さが範囲外、またはテンポ変更をまたぎます)。"},
    // Why a file could not be read, or what was left out of it: the second line under the message.
    {"IDS_READ_UNREADABLE", 11450, u"ファイルを読み取れません: %s"},
    {"IDS_READ_EMPTY", 11451, u"ファイルが空です。"},
    {"IDS_READ_NOT_MML", 11452, u"MMLの文書ではありません([Settings] や [Channel] の節がありません)。"},
    {"IDS_READ_NOT_MMS", 11453, u"まきまびしーくの文書(.mms)ではありません。"},
    {"IDS_READ_NO_PASTED_MML", 11454, u"「MML@」で始まるMMLが見つかりません。"},
    {"IDS_READ_NOT_SMF", 11455, u"標準MIDIファイルではありません(先頭が「MThd」ではありません)。"},
    {"IDS_READ_NOT_DEF", 11456, u"楽器定義ファイルではありません([Instrument presets] の節に楽器がありません)。"},
    {"IDS_READ_MIDI_HEADER_CUT", 11457, u"MIDIヘッダーの途中でファイルが終わっています。"},
    {"IDS_READ_MIDI_HEADER_LENGTH", 11458, u"MIDIヘッダーの長さが %d バイトです(6 バイトのはずです)。"},
    {"IDS_READ_MIDI_FORMAT", 11459, u"MIDIファイルの形式 %d は読めません(0、1、2 のみ)。"},
    {"IDS_READ_MIDI_DIVISION", 11460, u"MIDIヘッダーの分解能(SMPTE %d)が正しくありません。"},
    {"IDS_READ_EXTENSION_DAMAGED", 11461,
     u"[ZEMA EXTENSION] のデータが壊れています。MMLと設定は読み込みましたが、拡張データ(トラックのプロパティ、グループ、マーカー)は読み込んでいません。"},
    {"IDS_READ_UNKNOWN_ENCODING", 11462, u"文字コード「%s」が分からないため、%s として読み込みました。"},
    {"IDS_READ_TRACK_CUT", 11463, u"トラック %d がファイルの終わりで切れています。そこまでのイベントを読み込みました。"},
    {"IDS_READ_TRACKS_MISSING", 11464, u"ヘッダーにはトラックが %d 個ありますが、読めたのは %d 個です。"},
    {"IDS_READ_PARTIAL", 11465, u"ファイルを開きましたが、一部を読み込めませんでした。"},
    {"IDS_ERR_INSTRUMENTS", 11466, u"楽器定義ファイルを読み込めませんでした。楽器の一覧には GM の音色だけを出します。"},
    // Getting back the work of a run that did not end normally, and autosave failures.
    {"IDS_RECOVERY_TITLE", 11400, u"作業の復元"},
    {"IDS_RECOVERY_INTRO", 11401,
     u"前回の ZEMA は正しく終了しませんでした。保存されていない作業が自動保存に残っています。"},
    {"IDS_RECOVERY_UNTITLED", 11402, u"(名称未設定)"},
    {"IDS_RECOVERY_COL_DOCUMENT", 11403, u"ファイル"},
    {"IDS_RECOVERY_COL_TIME", 11404, u"自動保存の時刻"},
    {"IDS_RECOVERY_COL_TRACKS", 11405, u"トラック数"},
    {"IDS_RECOVERY_COL_CHARS", 11406, u"文字数"},
    {"IDS_RECOVERY_OPEN", 11407, u"開く(&O)"},
    {"IDS_RECOVERY_KEEP", 11408, u"後で決める(&L)"},
    {"IDS_RECOVERY_DISCARD", 11409, u"破棄(&D)"},
    {"IDS_RECOVERY_DISCARD_ASK", 11410, u"選んだ自動保存を削除します。元に戻すことはできません。よろしいですか？"},
    {"IDS_RECOVERY_DISCARD_FAILED", 11411, u"自動保存を削除できませんでした。\n%s"},
    {"IDS_RECOVERY_UNREADABLE", 11412, u"(読み込めません)"},
    {"IDS_RECOVERY_NOTE", 11413,
     u"開いた作業は変更されたドキュメントとして開かれます。元のファイルは保存するまで変わりません。"},
    {"IDS_AUTOSAVE_FAILED", 11420, u"自動保存に失敗しました: %s"},
    // The piano roll's grid list and its tooltips.
    {"IDS_PIANO_GRID_1", 11550, u"全音符"},
    {"IDS_PIANO_GRID_2", 11551, u"2分音符"},
    {"IDS_PIANO_GRID_4", 11552, u"4分音符"},
    {"IDS_PIANO_GRID_8", 11553, u"8分音符"},
    {"IDS_PIANO_GRID_16", 11554, u"16分音符"},
    {"IDS_PIANO_GRID_32", 11555, u"32分音符"},
    {"IDS_PIANO_GRID_64", 11556, u"64分音符"},
    {"IDS_PIANO_GRID_2D", 11557, u"付点2分音符"},
    {"IDS_PIANO_GRID_4D", 11558, u"付点4分音符"},
    {"IDS_PIANO_GRID_8D", 11559, u"付点8分音符"},
    {"IDS_PIANO_GRID_16D", 11560, u"付点16分音符"},
    {"IDS_PIANO_GRID_4T", 11561, u"4分3連符"},
    {"IDS_PIANO_GRID_8T", 11562, u"8分3連符"},
    {"IDS_PIANO_GRID_16T", 11563, u"16分3連符"},
    {"IDS_PIANO_GRID_OFF", 11564, u"グリッドなし"},
    {"IDS_PIANO_GRID_TIP", 11565, u"ピアノロールのグリッド: 置く・動かす音符の位置と長さをこの単位に揃えます"},
    {"IDS_PIANO_VOLUME_TIP", 11566, u"音量 (v0～15): ドラッグして音符の音量を描きます"},
};

constexpr int32_t kFirstId = 10000;
constexpr size_t kIdsCount = 180;

constexpr bool denseIdsRange()
{
    for (size_t i = 0; i < kIdsCount; ++i) {
        if (kStrings[i].id != kFirstId + static_cast<int32_t>(i)) return false;
        if (kStrings[i].symbol.substr(0, 4) != "IDS_") return false;
    }
    return kStrings[kIdsCount].symbol.substr(0, 4) != "IDS_" && kStrings[kIdsCount + 1].symbol.substr(0, 4) != "IDS_";
}
static_assert(denseIdsRange(), "the IDS_ strings must be 10000..10179 in order");

// Indices of kStrings sorted by symbol, ignoring ASCII case; built once.
const std::vector<size_t>& symbolIndex()
{
    static const std::vector<size_t> index = [] {
        std::vector<size_t> order(std::size(kStrings));
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(),
                  [](size_t a, size_t b) { return lessIgnoringAsciiCase(kStrings[a].symbol, kStrings[b].symbol); });
        return order;
    }();
    return index;
}

std::atomic<std::shared_ptr<const StringOverrides>>& overrideSlot()
{
    static std::atomic<std::shared_ptr<const StringOverrides>> slot;
    return slot;
}

std::u16string textOf(const StringEntry* entry)
{
    if (!entry) return {};
    const std::shared_ptr<const StringOverrides> overrides = overrideSlot().load(std::memory_order_acquire);
    if (overrides) {
        const auto it = overrides->find(entry->id);
        if (it != overrides->end()) return it->second;
    }
    return std::u16string(entry->text);
}

}  // namespace

std::span<const StringEntry> stringTable() { return kStrings; }

const StringEntry* findString(std::string_view symbol)
{
    const auto& index = symbolIndex();
    const auto it = std::lower_bound(index.begin(), index.end(), symbol, [](size_t i, std::string_view key) {
        return lessIgnoringAsciiCase(kStrings[i].symbol, key);
    });
    if (it == index.end() || lessIgnoringAsciiCase(symbol, kStrings[*it].symbol)) return nullptr;
    return &kStrings[*it];
}

const StringEntry* findString(int32_t id)
{
    if (id >= kFirstId && id < kFirstId + static_cast<int32_t>(kIdsCount)) return &kStrings[id - kFirstId];
    for (size_t i = kIdsCount; i < std::size(kStrings); ++i) {
        if (kStrings[i].id == id) return &kStrings[i];
    }
    return nullptr;
}

void setStringOverrides(std::shared_ptr<const StringOverrides> overrides)
{
    if (overrides && overrides->empty()) overrides.reset();
    overrideSlot().store(std::move(overrides), std::memory_order_release);
}

std::u16string loadString(std::string_view symbol) { return textOf(findString(symbol)); }

std::u16string loadString(int32_t id) { return textOf(findString(id)); }

std::u16string formatText(std::u16string_view format, std::initializer_list<FormatArgument> arguments)
{
    std::u16string out;
    auto next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
            continue;
        }
        size_t j = i + 1;
        size_t width = 0;
        const bool zeros = j < format.size() && format[j] == u'0';
        while (j < format.size() && format[j] >= u'0' && format[j] <= u'9' && width < 1000) {
            width = width * 10 + (format[j++] - u'0');
        }
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        std::u16string piece;
        if (format[j] == u'%') {
            piece = u"%";
        } else if ((format[j] == u'd' || format[j] == u's') && next != arguments.end()) {
            if (const auto* number = std::get_if<int32_t>(&*next)) {
                const std::string digits = std::to_string(*number);
                piece.assign(digits.begin(), digits.end());
            } else {
                piece = std::u16string(std::get<std::u16string_view>(*next));
            }
            ++next;
        } else {
            piece = std::u16string(format.substr(i, j - i + 1));
        }
        if (piece.size() < width && zeros && format[j] == u'd') {
            // Zeros go between the sign and the digits.
            const size_t sign = !piece.empty() && piece[0] == u'-' ? 1 : 0;
            piece.insert(sign, width - piece.size(), u'0');
        }
        if (piece.size() < width) out.append(width - piece.size(), u' ');
        out.append(piece);
        i = j;
    }
    return out;
}

}  // namespace zema
