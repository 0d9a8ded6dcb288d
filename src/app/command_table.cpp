#include "app/command_table.h"

#include <array>

namespace zema {

namespace {

using M = MenuGroup;

constexpr CommandInfo row(int32_t id, std::string_view symbol, std::u16string_view text, M menu, bool idleOnly,
                          bool separatorBefore = false, bool checkable = false)
{
    return CommandInfo{id, symbol, text, menu, idleOnly, separatorBefore, checkable};
}

constexpr bool kIdle = true;
constexpr bool kAny = false;
constexpr bool kSep = true;

constexpr std::array kCommands{
    row(command::kFileNew, "IDM_FILE_NEW", u"新規作成(&N)", M::File, kIdle),
    row(command::kFileOpen, "IDM_FILE_OPEN", u"開く(&O)", M::File, kIdle),
    row(command::kFileSave, "IDM_FILE_SAVE", u"上書き保存(&S)", M::File, kAny),
    row(command::kFileSaveAs, "IDM_FILE_SAVE_AS", u"名前をつけて保存(&A)", M::File, kAny),
    row(command::kImportMml, "IDM_IMPORT_MML", u"クリップボードのMMLを入力(&I)", M::File, kIdle, kSep),
    row(command::kExportMmla, "IDM_EXPORT_MMLA", u"クリップボードへMMLを出力(&E)", M::File, kAny),
    row(command::kImportSmf, "IDM_IMPORT_SMF", u"標準MIDIファイルを入力(&M)", M::File, kIdle, kSep),
    row(command::kExportSmf, "IDM_EXPORT_SMF", u"標準MIDIファイルを出力(&P)", M::File, kAny),
    row(command::kExportWav, "IDM_EXPORT_WAV", u"WAVEファイルを出力(&W)", M::File, kIdle),
    row(command::kDocumentProperty, "IDM_DOCUMENT_PROPERTY", u"プロパティ(&R)", M::File, kAny, kSep),
    row(command::kMigration, "IDM_MIGRATION", u"32→96TPQN マイグレーション(&G)", M::File, kIdle),
    row(command::kRecentFirst, "ID_FILE_MRU_FILE1", u"", M::File, kIdle, kSep),
    row(command::kAppClose, "IDM_APP_CLOSE", u"終了(&X)", M::File, kAny, kSep),
    row(command::kUndo, "IDM_UNDO", u"元に戻す(&U)", M::Edit, kIdle),
    row(command::kRedo, "IDM_REDO", u"やり直し(&R)", M::Edit, kIdle),
    row(command::kCut, "IDM_CUT", u"切り取り(&T)", M::Edit, kIdle, kSep),
    row(command::kCopy, "IDM_COPY", u"コピー(&C)", M::Edit, kAny),
    row(command::kPaste, "IDM_PASTE", u"貼り付け(&P)", M::Edit, kIdle),
    row(command::kDelete, "IDM_DEL", u"削除(&D)", M::Edit, kIdle),
    row(command::kSelectAll, "IDM_SELECT_ALL", u"すべて選択(&A)", M::Edit, kAny, kSep),
    row(command::kSearch, "IDM_SEARCH", u"検索(&F)", M::Edit, kIdle, kSep),
    row(command::kReplace, "IDM_REPLACE", u"置換(&R)", M::Edit, kIdle),
    row(command::kViewNormal, "IDM_VIEW_NORMAL", u"全て(&A)", M::View, kAny, false, true),
    row(command::kViewHorizontal, "IDM_VIEW_PIANOCODE_HORZ", u"ピアノロール＆コード 横(&H)", M::View, kAny, false, true),
    row(command::kViewVertical, "IDM_VIEW_PIANOCODE_VERT", u"ピアノロール＆コード 縦(&V)", M::View, kAny, false, true),
    row(command::kViewMonitor, "IDM_VIEW_MONITOR", u"演奏モニタ(&M)", M::View, kAny, kSep, true),
    row(command::kDisplayKeyboard, "IDM_DISPLAY_KEYBOARD", u"鍵盤(&K)", M::View, kAny, false, true),
    row(command::kTrackAdd, "IDM_TRACK_ADD", u"トラック追加(&A)", M::Track, kIdle),
    row(command::kTrackDelete, "IDM_TRACK_DEL", u"トラック削除(&E)", M::Track, kIdle),
    row(command::kTrackRename, "IDM_TRACK_NAME_EDIT", u"トラック名を編集(&N)", M::Track, kIdle),
    row(command::kTrackSelectLeft, "IDM_TRACK_SEL_LEFT", u"左のトラックを選択(&L)", M::Track, kAny, kSep),
    row(command::kTrackSelectRight, "IDM_TRACK_SEL_RIGHT", u"右のトラックを選択(&R)", M::Track, kAny),
    row(command::kMmlCheck, "IDM_MML_CHECK", u"構文チェック(&C)", M::Track, kAny, kSep),
    row(command::kOptimize, "IDM_OPTIMIZE", u"最適化(&O)", M::Track, kIdle),
    row(command::kOptimizeAll, "IDM_OPTIMIZE_ALL", u"すべてのトラックを最適化(&A)", M::Track, kIdle),
    row(command::kTrackProperty, "IDM_TRACK_PROPERTY", u"トラックプロパティ(&R)", M::Track, kAny, kSep),
    row(command::kPlayToggle, "IDM_PLAY_TOGGLE", u"再生(&P)", M::Play, kAny),
    row(command::kPlayPause, "IDM_PLAY_PAUSE", u"一時停止(&C)", M::Play, kAny),
    row(command::kPlayStop, "IDM_PLAY_STOP", u"停止(&S)", M::Play, kAny),
    row(command::kPlayPreviousMeasure, "IDM_PLAY_PREVMEAS", u"１小節再生位置を戻す(&R)", M::Play, kAny, kSep),
    row(command::kPlayNextMeasure, "IDM_PLAY_NEXTMEAS", u"１小節再生位置を進める(&F)", M::Play, kAny),
    row(command::kPlayTop, "IDM_PLAY_TOP", u"先頭へ戻す(&B)", M::Play, kAny),
    row(command::kPlayCursor, "IDM_PLAY_CURSOR", u"コードカーソル位置から再生(&T)", M::Play, kAny, kSep),
    row(command::kPlayLoop, "IDM_PLAY_LOOP", u"繰り返し再生(&L)", M::Play, kAny, false, true),
    row(command::kCaretTrace, "IDM_CARET_TRACE", u"コードカーソル追従(&T)", M::Play, kAny, kSep, true),
    row(command::kEditPlaySelect, "IDM_EDIT_PLAY_SELECT", u"再生中コード選択(&V)", M::Play, kAny, false, true),
    row(command::kEventScroll, "IDM_EVENT_SCROLL", u"イベントリストの自動スクロール(&C)", M::Play, kAny, false, true),
    row(command::kPianoScroll, "IDM_PIANO_SCROLL", u"ピアノロールの自動スクロール(&P)", M::Play, kAny, false, true),
    row(command::kLanguageBuiltIn, "IDM_LANG_XX", u"Built-in Language (ja)", M::Settings, kAny, false, true),
    row(command::kConfig, "IDM_CONFIG_ENV", u"環境設定(&C)", M::Settings, kAny, kSep),
    row(command::kAbout, "IDM_ABOUTBOX", u"バージョン情報(&A)", M::Help, kAny),
};

}  // namespace

std::span<const CommandInfo> commandTable() { return kCommands; }

const CommandInfo* findCommand(int32_t id)
{
    if (id >= command::kRecentFirst && id <= command::kRecentLast) id = command::kRecentFirst;
    if (id >= command::kLanguageFirst && id <= command::kLanguageLast) id = command::kLanguageBuiltIn;
    for (const CommandInfo& info : kCommands) {
        if (info.id == id) return &info;
    }
    return nullptr;
}

std::u16string_view menuTitle(MenuGroup menu)
{
    switch (menu) {
    case MenuGroup::File: return u"ファイル(&F)";
    case MenuGroup::Edit: return u"編集(&E)";
    case MenuGroup::View: return u"表示(&V)";
    case MenuGroup::Track: return u"トラック(&T)";
    case MenuGroup::Play: return u"演奏(&P)";
    case MenuGroup::Settings: return u"設定(&O)";
    case MenuGroup::Help: return u"ヘルプ(&H)";
    case MenuGroup::None: break;
    }
    return u"";
}

}  // namespace zema
