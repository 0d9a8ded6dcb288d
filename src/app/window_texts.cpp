#include "app/window_texts.h"

#include "core/ascii.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <vector>

#include "app/command_table.h"

namespace zema {

namespace {

using T = WindowText;

// Names of the form IDC_STATIC_... belong to labels that share no control
// identifier; they are known only inside their own window.

constexpr T kMainWindow[] = {
    {"IDD_ZEMA_DIALOG", u"ZEMA"},
    {"IDC_BTN_MUTE", u"Mute"},
    {"IDC_BTN_SOLO", u"Solo"},
    {"IDC_BTN_ALL", u"All"},
    {"IDC_BTN_LINK", u"グループリンク"},
    {"IDC_BTN_VIEW", u"表示するトラックを選択"},
};

constexpr T kPianoRollMarkerMenu[] = {
    {"IDM_MARKER_CREATE", u"マーカーを作成(&M)"},
    {"IDM_MARKER_DEL", u"マーカーを削除(&D)"},
    {"IDM_MARKER_EDIT", u"マーカーを編集(&E)"},
    {"IDM_CANCEL", u"キャンセル(&C)"},
};

constexpr T kPreferencesSheet[] = {
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kPreferencesGeneral[] = {
    {"IDD_CONFIG_GENERAL", u"一般"},
    {"IDC_STATIC_CFG_GEN_TRACKS", u"新規作成時のトラック数(&T)"},
    {"IDC_STATIC_CFG_GEN_FONT", u"エディタのフォント"},
    {"IDC_BTN_FONT", u"フォント(&F)..."},
    {"IDC_STATIC_CFG_GEN_STYLE", u"メニューのスタイル(&W)"},
    {"IDC_STATIC_CFG_GEN_TPQN", u"新規作成時の分解能(&R)"},
    {"IDC_STATIC_CFG_GEN_FPS", u"描画フレームレート(&D)"},
    {"IDC_STATIC_CFG_GEN_ALPHA", u"半透明描画(&P) ※要再起動"},
};

constexpr T kPreferencesFile[] = {
    {"IDD_CONFIG_FILE", u"ファイル"},
    {"IDC_CHK_COMPACT", u"コンパクト書き出し(&M)"},
    {"IDC_CHK_AUTOSAVE", u"自動保存する(&A)"},
    {"IDC_STATIC_CFG_FILE_ASSOC", u"ファイルの関連付け (.mml)"},
    {"IDC_BTN_ASSOCIATE", u"関連付け実行"},
    {"IDC_BTN_DISASSOCIATE", u"関連付け解除"},
    {"IDC_STATIC_CFG_FILE_TPQN", u"分解能の指定がないファイルを開くとき"},
    {"IDC_RDO_DEFAULT_TPQN", u"デフォルトの分解能を使用(&D)"},
    {"IDC_RDO_SPECIFIC_TPQN", u"次の分解能を使用(&S)"},
};

constexpr T kPreferencesMidi[] = {
    {"IDD_CONFIG_MIDI", u"MIDI"},
    {"IDC_STATIC_CFG_MIDI_OUTPUT", u"出力先(&O)"},
    {"IDC_STATIC_CFG_MIDI_RESET", u"リセットタイプ(&R)"},
    {"IDC_STATIC_CFG_MIDI_INSTRUMENTS", u"楽器定義ファイル(&I)"},
    {"IDC_BTN_INSTRUMENTS", u"..."},
    {"IDC_CHK_DISABLE_GM", u"GMプリセットを表示しない(&G)"},
    // Our output list names the bank synthesizer this way.
    {"IDC_STATIC_CFG_MIDI_NOTE1", u"※DLS演奏を行うには、Software Synthesizer (DLS/SF2)を選択します。"},
    {"IDC_STATIC_CFG_MIDI_NOTE2", u"その際は、DLS演奏設定も行ってください。"},
};

constexpr T kPreferencesDls[] = {
    {"IDD_CONFIG_DLS", u"DLS演奏"},
    {"IDC_STATIC_CFG_DLS_FILE", u"DLS音色ファイル(&I)"},
    {"IDC_BTN_DLS_FILE", u"..."},
    {"IDC_STATIC_CFG_DLS_RATE", u"サンプリングレート(&S)"},
    {"IDC_STATIC_CFG_DLS_CHANNEL", u"チャンネル(&C)"},
    {"IDC_CHK_REVERB", u"リバーブ(&R)"},
    {"IDC_CHK_CHORUS", u"コーラス(&H)"},
    {"IDC_CHK_DELAY", u"ディレイ(&E)"},
    {"IDC_STATIC_CFG_DLS_VOLUME", u"マスターボリューム(&V)"},
};

constexpr T kPreferencesKey[] = {
    {"IDD_CONFIG_KEY", u"キー割り当て"},
    {"IDC_STATIC_CFG_KEY_ASSIGNED", u"割り当てられたキー"},
    {"IDC_CHK_CTRL", u"&Ctrl"},
    {"IDC_CHK_ALT", u"&Alt"},
    {"IDC_CHK_SHIFT", u"&Shift"},
    {"IDC_STATIC_CFG_KEY_NOTE",
     u"すでに別のコマンドに割り当てられているキーを選ぶと、そのコマンドの割り当ては「なし」になります。"},
};

constexpr T kClipboardExport[] = {
    {"IDD_CLIPBOARD_EXPORT", u"クリップボードへMMLを出力"},
    {"IDC_STATIC_CB_EX_SELECT", u"選択方法(&M)"},
    {"IDC_STATIC_CB_EX_TRACKS", u"トラック(&T)"},
    {"IDC_STATIC_CB_EX_GROUPS", u"グループ(&G)"},
    {"IDC_BTN_RESET", u"リセット"},
    {"IDC_TXT_RANK", u"必要作曲ランクがここに表示されます。"},
    {"IDC_GRP_OUTPUT_FORMAT", u"出力形式"},
    {"IDC_RDO_FORMAT_MABINOGI", u"マビノギ MML@形式"},
    {"IDC_RDO_FORMAT_BOARD", u"したらば MMLテンプレート"},
    {"IDC_RDO_FORMAT_MABIMML", u"MabiMML互換形式"},
    {"IDC_GRP_EXPORT_OPTIONS", u"オプション"},
    {"IDC_CHK_SORT", u"トラックを文字数順にソート(&S)"},
    {"IDC_CHK_OPTIMIZE", u"最適化して出力する(&O)"},
    {"IDC_CHK_EXCLUDE_SONG", u"歌パートを除外する(&X)"},
    {"IDC_CHK_MELODY_FILLER", u"空のメロディに「<>」を書く(&E)"},
    {"IDC_STATIC_CB_EX_SONG", u"歌パート(&V)"},
    {"IDC_RDO_FORMAT_BOOK", u"楽譜集(スクロールごと)"},
    {"IDC_STATIC_CB_EX_BOOK_RANK", u"ランク(&K)"},
    {"IDC_GRP_COPY_TOOLS", u"ツール"},
    {"IDC_BTN_COPY_TITLE", u"曲名をコピー"},
    {"IDC_BTN_COPY_TRACK_NAME", u"トラック名をコピー"},
    {"IDC_BTN_COPY_INSTRUMENT", u"楽器名をコピー"},
    {"IDC_BTN_COPY_GROUP_NAME", u"グループ名をコピー"},
    {"IDC_BTN_COPY_MML", u"MMLをコピー"},
    {"IDCANCEL", u"閉じる"},
};

constexpr T kClipboardImport[] = {
    {"IDD_CLIPBOARD_IMPORT", u"クリップボードのMMLを入力"},
    {"IDC_GRP_IMPORT_METHOD", u"読み込み方法(&F)"},
    {"IDC_RDO_IMPORT_NEW", u"新規読み込み(&N)"},
    {"IDC_RDO_IMPORT_ADD", u"追加読み込み(&A)"},
    {"IDC_STATIC_CB_IM_INSTRUMENT", u"楽器設定(&S)"},
    {"IDC_STATIC_CB_IM_NAME", u"トラック名(&N)"},
    {"IDC_EDT_IMPORT_NAME", u"Track"},
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kDocumentProperty[] = {
    {"IDD_DOCUMENT_PROPERTY", u"プロパティ"},
    {"IDC_STATIC_DP_TITLE", u"曲名(&T)"},
    {"IDC_STATIC_DP_SOURCE", u"出典(&S)"},
    {"IDC_STATIC_DP_MEMO", u"メモ(&M)"},
    {"IDC_GRP_TIMING", u"拍子と分解能"},
    {"IDC_STATIC_DP_BEAT", u"拍子(&B)"},
    {"IDC_STATIC_DP_SLASH", u"/"},
    {"IDC_STATIC_DP_TPQN", u"分解能(&R)"},
    {"IDC_GRP_CHARACTER_COUNT", u"文字数(&C)"},
    {"IDC_CHK_EXCLUDE_SONG", u"歌パートを除外する(&X)"},
    {"IDC_BTN_CLEAR", u"クリア"},
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kTextSearch[] = {
    {"IDD_TEXT_SEARCH", u"検索"},
    {"IDC_STATIC_SEARCH_TEXT", u"検索する文字列(&N)"},
    {"IDC_STATIC_REPLACE_TEXT", u"置換後の文字列(&P)"},
    {"IDC_CHK_MATCH_CASE", u"大文字と小文字を区別する(&S)"},
    {"IDC_GRP_REPLACE_RANGE", u"置換の範囲"},
    {"IDC_RDO_RANGE_SELECTION", u"選択範囲(&S)"},
    {"IDC_RDO_RANGE_TRACK", u"トラック全体(&O)"},
    {"IDC_BTN_FIND_UP", u"上検索(&U)"},
    {"IDC_BTN_FIND_DOWN", u"下検索(&D)"},
    {"IDC_BTN_REPLACE", u"置換(&R)"},
    {"IDC_BTN_REPLACE_ALL", u"全て置換(&A)"},
    {"IDCANCEL", u"閉じる"},
};

constexpr T kTracksProperty[] = {
    {"IDD_TRACK_PROPERTY", u"トラックプロパティ"},
    {"IDC_STATIC_TP_GROUPS", u"グループとトラック(&G)"},
    {"IDC_BTN_GROUP_ADD", u"追加"},
    {"IDC_BTN_GROUP_DEL", u"削除"},
    {"IDC_GRP_BASIC", u"基本設定(&B)"},
    {"IDC_STATIC_TP_NAME", u"トラック名(&N)"},
    {"IDC_STATIC_TP_INSTRUMENT", u"楽器(&I)"},
    {"IDC_STATIC_TP_START", u"再生開始位置(&S)"},
    {"IDC_STATIC_TP_TYPE", u"トラックタイプ(&T)"},
    {"IDC_GRP_MIXER", u"ミキサー(&X)"},
    {"IDC_STATIC_TP_VOLUME", u"ボリューム(&V)"},
    {"IDC_STATIC_TP_PANPOT", u"パンポット(&P)"},
    {"IDC_CHK_MUTE", u"ミュート(&M)"},
    {"IDC_CHK_SAVE_ORDER", u"トラックの並び順を設定する(&O)"},
    {"IDC_BTN_APPLY", u"適用(&A)"},
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kWaveExport[] = {
    {"IDD_WAVE_EXPORT", u"Waveファイルを出力中"},
    {"IDC_STATIC_WAV_NOTE", u"ソフトウェアシンセサイザーで、演奏を待たずに出力します。"},
    {"IDC_BTN_WAV_START", u"開始(&S)"},
    {"IDC_TXT_WAV_TIME", u"出力時間"},
    {"IDC_CHK_HIDE_MAIN", u"出力中はメインウィンドウを隠す(&H)"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kSmfImport[] = {
    {"IDD_SMF_IMPORT", u"標準MIDIファイルの入力"},
    {"IDC_STATIC_SMF_TRACKS", u"変換するトラック(&K)"},
    {"IDC_BTN_CLEAR", u"クリア(&L)"},
    {"IDC_STATIC_SMF_PROFILE", u"プロファイル(&F)"},
    {"IDC_STATIC_SMF_QUANTIZE", u"クオンタイズ(&Q)"},
    {"IDC_GRP_SMF_OPTIONS", u"変換オプション"},
    {"IDC_CHK_PROGRAM", u"プログラムチェンジ(&P)"},
    {"IDC_CHK_CONTROL", u"コントロールチェンジ(&C)"},
    {"IDC_CHK_PITCH", u"ピッチベンド(&B)"},
    {"IDC_CHK_VELOCITY", u"ベロシティ(&V)"},
    {"IDC_CHK_COMMENT", u"MIDIコメント(&T)"},
    {"IDC_CHK_SYSEX", u"エクスクルーシブ(&E)"},
    {"IDC_CHK_CHANNEL", u"MIDIチャンネル(&H)"},
    {"IDC_CHK_REDUCE_REST", u"休符を節約する(&R)"},
    {"IDC_CHK_SPREAD", u"1トラックを複数MMLトラックに展開する(&S)"},
    {"IDC_CHK_SPREAD_CTRL", u"ノート以外のイベントを別トラックにする(&N)"},
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kMarkerEdit[] = {
    {"IDD_MARKER_EDIT", u"マーカー"},
    {"IDC_STATIC_MK_NAME", u"マーカー名(&N)"},
    {"IDC_STATIC_MK_POSITION", u"位置"},
    {"IDC_BTN_MARKER_DELETE", u"削除(&D)"},
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

constexpr T kNotifyWindow[] = {
    {"IDD_NOTIFY", u"ZEMA"},
    {"IDC_TXT_NOTIFY", u"MIDIデバイス初期化中"},
};

constexpr T kAboutBox[] = {
    {"IDD_ABOUTBOX", u"バージョン情報"},
    {"IDC_TXT_APP_NAME", u"ZEMA"},
    {"IDC_TXT_VERSION", u"Version"},
    {"IDC_TXT_COPYRIGHT", u"Copyright (C) ZEMA developers"},
    {"IDC_TXT_TRANSLATOR", u"Translated by"},
    {"IDC_STATIC_ABOUT_LIBRARIES", u"使用しているライブラリ:"},
    {"IDOK", u"OK"},
};

constexpr T kPianoInput[] = {
    {"IDD_PIANO_INPUT", u"鍵盤"},
    {"IDC_BTN_OCTAVE_DOWN", u"<"},
    {"IDC_BTN_OCTAVE_UP", u">"},
    {"IDC_BTN_PIANO_RANGE", u"音域(&R)..."},
    {"IDD_PIANO_RANGE", u"音域の設定"},
    {"IDC_STATIC_PNI_RANGES", u"登録した音域(&L)"},
    {"IDC_STATIC_PNI_NAME", u"名前(&N)"},
    {"IDC_STATIC_PNI_LOW", u"最低音(&W)"},
    {"IDC_STATIC_PNI_HIGH", u"最高音(&H)"},
    {"IDC_BTN_RANGE_ADD", u"追加(&A)"},
    {"IDC_BTN_RANGE_DEL", u"削除(&D)"},
    {"IDC_BTN_RANGE_UP", u"上へ(&U)"},
    {"IDC_BTN_RANGE_DOWN", u"下へ(&O)"},
    {"IDOK", u"OK"},
    {"IDCANCEL", u"キャンセル"},
};

// Recent-file rows take their texts from the file names, so they have no
// translatable text.
bool isRecentFileRow(const CommandInfo& command)
{
    return command.id >= command::kRecentFirst && command.id <= command::kRecentLast;
}

bool hasName(const std::vector<WindowText>& texts, std::string_view name)
{
    return std::any_of(texts.begin(), texts.end(), [&](const WindowText& t) { return t.name == name; });
}

std::vector<WindowText> buildMainMenu()
{
    std::vector<WindowText> texts;
    constexpr std::pair<MenuGroup, std::string_view> kTitles[] = {
        {MenuGroup::File, "MENU_FILE"},         {MenuGroup::Edit, "MENU_EDIT"},   {MenuGroup::View, "MENU_VIEW"},
        {MenuGroup::Track, "MENU_TRACK"},       {MenuGroup::Play, "MENU_PLAY"},
        {MenuGroup::Settings, "MENU_SETTINGS"}, {MenuGroup::Help, "MENU_HELP"},
    };
    for (const auto& [menu, name] : kTitles) texts.push_back({name, menuTitle(menu)});
    texts.push_back({"MENU_RECENT", u"最近使ったファイル(&F)"});
    texts.push_back({"MENU_LANGUAGE", u"&Language"});
    for (const CommandInfo& command : commandTable()) {
        if (isRecentFileRow(command) || command.menuText.empty() || hasName(texts, command.symbol)) continue;
        texts.push_back({command.symbol, command.menuText});
    }
    // The track-tab pop-up shares this window's translations.
    if (!hasName(texts, "IDM_TRACK_NAME_EDIT")) texts.push_back({"IDM_TRACK_NAME_EDIT", u"トラック名を編集(&N)"});
    if (!hasName(texts, "IDM_TRACK_CANCEL")) texts.push_back({"IDM_TRACK_CANCEL", u"キャンセル(&C)"});
    return texts;
}

std::vector<WindowText> buildCodeEditMenu()
{
    constexpr int32_t kEntries[] = {command::kUndo,  command::kRedo,   command::kCut,      command::kCopy,
                                    command::kPaste, command::kDelete, command::kSelectAll};
    std::vector<WindowText> texts;
    for (int32_t id : kEntries) {
        if (const CommandInfo* command = findCommand(id)) texts.push_back({command->symbol, command->menuText});
    }
    return texts;
}

struct Windows {
    std::vector<WindowText> mainMenu = buildMainMenu();
    std::vector<WindowText> codeEditMenu = buildCodeEditMenu();
    std::array<WindowTexts, 21> all{{
        {u"Main Window", kMainWindow},
        {u"Main Window Menu", mainMenu},
        {u"Code Edit Menu", codeEditMenu},
        {u"Piano Roll Marker Menu", kPianoRollMarkerMenu},
        {u"Preferences Sheet", kPreferencesSheet},
        {u"Preferences Sheet - General", kPreferencesGeneral},
        {u"Preferences Sheet - File", kPreferencesFile},
        {u"Preferences Sheet - Midi", kPreferencesMidi},
        {u"Preferences Sheet - DLS Playback", kPreferencesDls},
        {u"Preferences Sheet - Key Assign", kPreferencesKey},
        {u"Clipboard Export", kClipboardExport},
        {u"Clipboard Import", kClipboardImport},
        {u"Document Property", kDocumentProperty},
        {u"Text Search", kTextSearch},
        {u"Tracks Property", kTracksProperty},
        {u"Wave Export", kWaveExport},
        {u"SMF Import", kSmfImport},
        {u"Marker Edit", kMarkerEdit},
        {u"Notify Window", kNotifyWindow},
        {u"About Box", kAboutBox},
        {u"PianoInput", kPianoInput},
    }};
};

// Built at first use: the menu windows follow the command table.
const Windows& windows()
{
    static const Windows built;
    return built;
}

std::atomic<std::shared_ptr<const WindowTextOverrides>>& overrideSlot()
{
    static std::atomic<std::shared_ptr<const WindowTextOverrides>> slot;
    return slot;
}

}  // namespace

std::span<const WindowTexts> builtInWindowTexts() { return windows().all; }

const WindowTexts* findWindowTexts(std::u16string_view key)
{
    for (const WindowTexts& window : windows().all) {
        if (equalIgnoringAsciiCase(window.key, key)) return &window;
    }
    return nullptr;
}

const WindowText* findWindowText(std::u16string_view key, std::string_view name)
{
    const WindowTexts* window = findWindowTexts(key);
    if (!window) return nullptr;
    for (const WindowText& text : window->texts) {
        if (equalIgnoringAsciiCase(text.name, name)) return &text;
    }
    return nullptr;
}

void setWindowTextOverrides(std::shared_ptr<const WindowTextOverrides> overrides)
{
    if (overrides && overrides->empty()) overrides.reset();
    overrideSlot().store(std::move(overrides), std::memory_order_release);
}

std::u16string windowText(std::u16string_view key, std::string_view name)
{
    const std::shared_ptr<const WindowTextOverrides> overrides = overrideSlot().load(std::memory_order_acquire);
    if (overrides) {
        const auto window = overrides->find(asciiLowered(key));
        if (window != overrides->end()) {
            const auto text = window->second.find(asciiUppered(name));
            if (text != window->second.end()) return text->second;
        }
    }
    const WindowText* builtIn = findWindowText(key, name);
    return builtIn ? std::u16string(builtIn->text) : std::u16string();
}

}  // namespace zema
