#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zema {

// The main window's menus, in menu-bar order.
enum class MenuGroup : int32_t { File, Edit, View, Track, Play, Settings, Help, None };

// One command of the main window: its identifier (also the key file's and
// the language files' name for it), resource symbol, built-in menu text, and
// whether it does nothing while the document is busy (playing or saving).
struct CommandInfo {
    int32_t id = 0;
    std::string_view symbol;
    std::u16string_view menuText;
    MenuGroup menu = MenuGroup::None;
    bool idleOnly = false;
    bool separatorBefore = false;  // a menu separator goes above the entry
    bool checkable = false;        // shown with a tick when on
};

namespace command {
inline constexpr int32_t kFileNew = 32925;
inline constexpr int32_t kFileOpen = 32926;
inline constexpr int32_t kFileSave = 32927;
inline constexpr int32_t kFileSaveAs = 32928;
inline constexpr int32_t kImportMml = 32791;
inline constexpr int32_t kExportMmla = 32786;
inline constexpr int32_t kImportSmf = 32843;
inline constexpr int32_t kExportSmf = 32885;
inline constexpr int32_t kExportWav = 32886;
inline constexpr int32_t kDocumentProperty = 32924;
inline constexpr int32_t kMigration = 32967;
inline constexpr int32_t kRecentFirst = 57616;
inline constexpr int32_t kRecentLast = 57625;
inline constexpr int32_t kAppClose = 32773;
inline constexpr int32_t kUndo = 32821;
inline constexpr int32_t kRedo = 32822;
inline constexpr int32_t kCut = 32819;
inline constexpr int32_t kCopy = 32817;
inline constexpr int32_t kPaste = 32818;
inline constexpr int32_t kDelete = 32842;
inline constexpr int32_t kSelectAll = 32820;
inline constexpr int32_t kSearch = 32893;
inline constexpr int32_t kReplace = 32894;
inline constexpr int32_t kViewNormal = 32859;
inline constexpr int32_t kViewHorizontal = 32883;
inline constexpr int32_t kViewVertical = 32882;
inline constexpr int32_t kViewMonitor = 32890;
inline constexpr int32_t kDisplayKeyboard = 32880;
inline constexpr int32_t kTrackAdd = 32871;
inline constexpr int32_t kTrackDelete = 32872;
inline constexpr int32_t kTrackRename = 32902;
inline constexpr int32_t kTrackSelectLeft = 32919;
inline constexpr int32_t kTrackSelectRight = 32920;
inline constexpr int32_t kMmlCheck = 145;
inline constexpr int32_t kOptimize = 32969;
inline constexpr int32_t kOptimizeAll = 32972;
inline constexpr int32_t kTrackProperty = 32887;
inline constexpr int32_t kPlayToggle = 32728;
inline constexpr int32_t kPlayPause = 32775;
inline constexpr int32_t kPlayStop = 147;
inline constexpr int32_t kPlayPreviousMeasure = 32864;
inline constexpr int32_t kPlayNextMeasure = 32862;
inline constexpr int32_t kPlayTop = 32814;
inline constexpr int32_t kPlayCursor = 32849;
inline constexpr int32_t kPlayLoop = 32851;
inline constexpr int32_t kCaretTrace = 32922;
inline constexpr int32_t kEditPlaySelect = 32833;
inline constexpr int32_t kEventScroll = 32923;
inline constexpr int32_t kPianoScroll = 32835;
inline constexpr int32_t kLanguageBuiltIn = 32960;
inline constexpr int32_t kLanguageFirst = 32940;  // the language files, IDM_LANG_00 ..
inline constexpr int32_t kLanguageLast = 32959;   // .. IDM_LANG_19
inline constexpr int32_t kTrackCancel = 32917;    // the track-tab menu's cancel entry
inline constexpr int32_t kMarkerCreate = 32906;
inline constexpr int32_t kMarkerDelete = 32909;
inline constexpr int32_t kMarkerEdit = 32910;
inline constexpr int32_t kMarkerCancel = 32913;
inline constexpr int32_t kConfig = 32897;
inline constexpr int32_t kAbout = 144;
}  // namespace command

// Every menu command, in menu order within each menu.
[[nodiscard]] std::span<const CommandInfo> commandTable();
// The command with `id`; recent-file entries are one shared row, and so are
// the language-file entries. Null when unknown.
[[nodiscard]] const CommandInfo* findCommand(int32_t id);
// The menu-bar title of a menu.
[[nodiscard]] std::u16string_view menuTitle(MenuGroup menu);

}  // namespace zema
