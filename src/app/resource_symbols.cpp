#include "app/resource_symbols.h"

#include "core/ascii.h"

#include <algorithm>
#include <vector>

#include "core/strings.h"

namespace zema {

namespace {

struct NamedId {
    std::string_view name;
    int32_t id;
};

constexpr NamedId kFixed[] = {
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"ID_INDICATOR_RESOLUTION", 100},
    {"ID_INDICATOR_TEXTCOUNT", 101},
};

// Menu commands: the identifiers are the command identifiers the key file and
// the menus share, so they are fixed, not numbered here.
constexpr NamedId kMenuCommands[] = {
    {"IDM_ABOUTBOX", 144}, {"IDM_MML_CHECK", 145}, {"IDM_PLAY_START", 146}, {"IDM_PLAY_STOP", 147},
    {"IDM_PLAY_TOGGLE", 32728}, {"IDM_APP_CLOSE", 32773}, {"IDM_PLAY_PAUSE", 32775},
    {"IDM_EXPORT_NORMAL", 32785}, {"IDM_EXPORT_MMLA", 32786}, {"IDM_IMPORT_MML", 32791},
    {"IDM_EXPORT_MMLA_BR", 32793}, {"IDM_PLAY_TOP", 32814}, {"IDM_COPY", 32817}, {"IDM_PASTE", 32818},
    {"IDM_CUT", 32819}, {"IDM_SELECT_ALL", 32820}, {"IDM_UNDO", 32821}, {"IDM_REDO", 32822},
    {"IDM_EDIT_PLAY_SELECT", 32833}, {"IDM_PIANO_SCROLL", 32835}, {"IDM_DEL", 32842}, {"IDM_IMPORT_SMF", 32843},
    {"IDM_PLAY_CURSOR", 32849}, {"IDM_PLAY_LOOP", 32851}, {"IDM_FIND_CARET_TICK", 32856},
    {"IDM_VIEW_NORMAL", 32859}, {"IDM_PLAY_NEXTMEAS", 32862}, {"IDM_PLAY_PREVMEAS", 32864},
    {"IDM_TRACK_ADD", 32871}, {"IDM_TRACK_DEL", 32872}, {"IDM_TRANSPOSE", 32874},
    {"IDM_DISPLAY_KEYBOARD", 32880}, {"IDM_VIEW_PIANOCODE_VERT", 32882}, {"IDM_VIEW_PIANOCODE_HORZ", 32883},
    {"IDM_EXPORT_SMF", 32885}, {"IDM_EXPORT_WAV", 32886}, {"IDM_TRACK_PROPERTY", 32887},
    {"IDM_VIEW_MONITOR", 32890}, {"IDM_SEARCH", 32893}, {"IDM_REPLACE", 32894}, {"IDM_CONFIG_ENV", 32897},
    {"IDM_TRACK_NAME_EDIT", 32902}, {"IDM_MARKER_CREATE", 32906}, {"IDM_MARKER_DEL", 32909},
    {"IDM_MARKER_EDIT", 32910}, {"IDM_CANCEL", 32913}, {"IDM_TRACK_CANCEL", 32917},
    {"IDM_TRACK_SEL_LEFT", 32919}, {"IDM_TRACK_SEL_RIGHT", 32920}, {"IDM_CARET_TRACE", 32922},
    {"IDM_EVENT_SCROLL", 32923}, {"IDM_DOCUMENT_PROPERTY", 32924}, {"IDM_FILE_NEW", 32925},
    {"IDM_FILE_OPEN", 32926}, {"IDM_FILE_SAVE", 32927}, {"IDM_FILE_SAVE_AS", 32928}, {"IDM_DUMMY", 32934},
    {"IDM_LANG_00", 32940}, {"IDM_LANG_01", 32941}, {"IDM_LANG_02", 32942}, {"IDM_LANG_03", 32943},
    {"IDM_LANG_04", 32944}, {"IDM_LANG_05", 32945}, {"IDM_LANG_06", 32946}, {"IDM_LANG_07", 32947},
    {"IDM_LANG_08", 32948}, {"IDM_LANG_09", 32949}, {"IDM_LANG_10", 32950}, {"IDM_LANG_11", 32951},
    {"IDM_LANG_12", 32952}, {"IDM_LANG_13", 32953}, {"IDM_LANG_14", 32954}, {"IDM_LANG_15", 32955},
    {"IDM_LANG_16", 32956}, {"IDM_LANG_17", 32957}, {"IDM_LANG_18", 32958}, {"IDM_LANG_19", 32959},
    {"IDM_LANG_XX", 32960}, {"IDM_LANGUAGE", 32963}, {"IDM_MIGRATION", 32967}, {"IDM_OPTIMIZE", 32969},
    {"IDM_OPTIMIZE_ALL", 32972},
};

// Dialogs and property pages, numbered from 200.
constexpr std::string_view kDialogs[] = {
    "IDD_ZEMA_DIALOG",     "IDD_ABOUTBOX",          "IDD_NOTIFY",          "IDD_CONFIG_GENERAL",
    "IDD_CONFIG_FILE",     "IDD_CONFIG_MIDI",       "IDD_CONFIG_DLS",      "IDD_CONFIG_KEY",
    "IDD_CLIPBOARD_EXPORT", "IDD_CLIPBOARD_IMPORT", "IDD_DOCUMENT_PROPERTY", "IDD_TEXT_SEARCH",
    "IDD_TRACK_PROPERTY",  "IDD_WAVE_EXPORT",       "IDD_SMF_IMPORT",      "IDD_MARKER_EDIT",
    "IDD_PIANO_INPUT",     "IDD_PIANO_RANGE",
};

// Icons, menus, accelerators, cursors and data resources, numbered from 300.
constexpr std::string_view kResources[] = {
    "IDR_MAINFRAME",        "IDR_MAIN_MENU",          "IDR_CODE_EDIT_MENU",    "IDR_PIANO_MARKER_MENU",
    "IDR_TRACK_TAB_MENU",   "IDR_ACCELERATOR",        "IDR_DEFAULT_KEYS",      "IDR_DEMO_SONG",
    "IDR_LICENSE_TEXT",     "IDR_TOOLBAR",            "IDR_CURSOR_SPLIT_HORZ", "IDR_CURSOR_SPLIT_VERT",
    "IDR_CURSOR_TRACK_DRAG",
};

// Bitmaps, numbered from 400.
constexpr std::string_view kBitmaps[] = {
    "IDB_TOOLBAR",           "IDB_TOOLBAR_DISABLED",   "IDB_MENU_NEW",          "IDB_MENU_OPEN",
    "IDB_MENU_SAVE",         "IDB_MENU_SAVE_AS",       "IDB_MENU_IMPORT_MML",   "IDB_MENU_EXPORT_MML",
    "IDB_MENU_IMPORT_SMF",   "IDB_MENU_EXPORT_SMF",    "IDB_MENU_EXPORT_WAV",   "IDB_MENU_PROPERTY",
    "IDB_MENU_UNDO",         "IDB_MENU_REDO",          "IDB_MENU_CUT",          "IDB_MENU_COPY",
    "IDB_MENU_PASTE",        "IDB_MENU_DELETE",        "IDB_MENU_SEARCH",       "IDB_MENU_REPLACE",
    "IDB_MENU_TRACK_ADD",    "IDB_MENU_TRACK_DEL",     "IDB_MENU_TRACK_PROPERTY", "IDB_MENU_CONFIG",
    "IDB_BTN_PLAY",          "IDB_BTN_PAUSE",          "IDB_BTN_STOP",          "IDB_BTN_PREV_MEAS",
    "IDB_BTN_NEXT_MEAS",     "IDB_BTN_TOP",            "IDB_BTN_LOOP",          "IDB_KEYBOARD_WHITE",
    "IDB_KEYBOARD_BLACK",    "IDB_KEYBOARD_PRESSED",   "IDB_LEVEL_METER",       "IDB_MONITOR_DIGITS",
    "IDB_ABOUT_LOGO",
};

// The on-screen keyboard keeps the control identifier its owner's
// notifications carry; every other control is numbered from 1000 around it.
constexpr std::string_view kPianoInputControl = "IDC_PIANO_INPUT";
constexpr int32_t kPianoInputControlId = 1151;

// Controls, grouped by the window they belong to.
constexpr std::string_view kControls[] = {
    // Main window.
    "IDC_BTN_MUTE", "IDC_BTN_SOLO", "IDC_BTN_ALL", "IDC_BTN_LINK", "IDC_BTN_VIEW", "IDC_CMB_PIANO_TARGET",
    "IDC_CMB_GROUP", "IDC_TAB_TRACK", "IDC_EDITOR_FRAME", "IDC_PIANO_ROLL", "IDC_EVENT_LIST", "IDC_LEVEL_METER",
    "IDC_MIDI_MONITOR", "IDC_SPLITTER_MAIN", "IDC_SPLITTER_VIEWS", "IDC_STATUS_BAR", "IDC_TOOLBAR",
    "IDC_BTN_PLAY", "IDC_BTN_PAUSE", "IDC_BTN_STOP", "IDC_BTN_PREV_MEAS", "IDC_BTN_NEXT_MEAS", "IDC_BTN_TOP",
    "IDC_BTN_LOOP", "IDC_TXT_POSITION", "IDC_SCR_PIANO_HORZ", "IDC_SCR_PIANO_VERT", "IDC_SCR_EVENT_VERT",
    kPianoInputControl,
    // Preferences: general.
    "IDC_EDT_TRACK_COUNT", "IDC_SPN_TRACK_COUNT", "IDC_TXT_FONT", "IDC_BTN_FONT", "IDC_CMB_WINDOW_STYLE",
    "IDC_CMB_TPQN", "IDC_CMB_FRAMERATE", "IDC_CMB_ALPHABLEND",
    // Preferences: file.
    "IDC_CHK_COMPACT", "IDC_CHK_AUTOSAVE", "IDC_BTN_ASSOCIATE", "IDC_BTN_DISASSOCIATE", "IDC_RDO_DEFAULT_TPQN",
    "IDC_RDO_SPECIFIC_TPQN", "IDC_CMB_SPECIFIC_TPQN",
    // Preferences: MIDI.
    "IDC_CMB_OUTPUT", "IDC_CMB_RESET", "IDC_EDT_INSTRUMENTS", "IDC_BTN_INSTRUMENTS", "IDC_CHK_DISABLE_GM",
    // Preferences: DLS playback.
    "IDC_EDT_DLS_FILE", "IDC_BTN_DLS_FILE", "IDC_CMB_SAMPLING_RATE", "IDC_CMB_CHANNEL", "IDC_CHK_REVERB",
    "IDC_CHK_CHORUS", "IDC_CHK_DELAY", "IDC_SLD_VOLUME", "IDC_TXT_VOLUME",
    // Preferences: key assignment.
    "IDC_LST_KEY", "IDC_TXT_KEY_COMMAND", "IDC_CMB_KEY", "IDC_CHK_CTRL", "IDC_CHK_ALT", "IDC_CHK_SHIFT",
    // Clipboard export.
    "IDC_CMB_SELECT_MODE", "IDC_LST_EXPORT_TRACK", "IDC_LST_GROUP", "IDC_LST_GROUP_TRACK", "IDC_BTN_RESET",
    "IDC_TXT_RANK", "IDC_GRP_OUTPUT_FORMAT", "IDC_RDO_FORMAT_MABINOGI", "IDC_RDO_FORMAT_BOARD",
    "IDC_RDO_FORMAT_MABIMML", "IDC_GRP_EXPORT_OPTIONS", "IDC_CHK_SORT", "IDC_CHK_OPTIMIZE", "IDC_GRP_COPY_TOOLS",
    "IDC_BTN_COPY_TITLE", "IDC_BTN_COPY_TRACK_NAME", "IDC_BTN_COPY_INSTRUMENT", "IDC_BTN_COPY_GROUP_NAME",
    "IDC_BTN_COPY_MML",
    // Clipboard import.
    "IDC_TXT_IMPORT_INFO", "IDC_GRP_IMPORT_METHOD", "IDC_RDO_IMPORT_NEW", "IDC_RDO_IMPORT_ADD",
    "IDC_CMB_IMPORT_INSTRUMENT", "IDC_EDT_IMPORT_NAME",
    // Document properties.
    "IDC_TXT_PROPERTY_HEADING", "IDC_EDT_TITLE", "IDC_EDT_SOURCE", "IDC_EDT_MEMO", "IDC_GRP_TIMING",
    "IDC_CMB_NUMERATOR", "IDC_CMB_DENOMINATOR", "IDC_CMB_TIMEBASE", "IDC_GRP_CHARACTER_COUNT",
    "IDC_LST_COUNT_TRACK", "IDC_TXT_COUNT_RANK", "IDC_BTN_CLEAR",
    // Search and replace.
    "IDC_CMB_SEARCH_TEXT", "IDC_CMB_REPLACE_TEXT", "IDC_CHK_MATCH_CASE", "IDC_GRP_REPLACE_RANGE",
    "IDC_RDO_RANGE_SELECTION", "IDC_RDO_RANGE_TRACK", "IDC_BTN_FIND_UP", "IDC_BTN_FIND_DOWN", "IDC_BTN_REPLACE",
    "IDC_BTN_REPLACE_ALL",
    // Track properties.
    "IDC_TREE_GROUP", "IDC_BTN_GROUP_ADD", "IDC_BTN_GROUP_DEL", "IDC_GRP_BASIC", "IDC_EDT_TRACK_NAME",
    "IDC_CMB_INSTRUMENT", "IDC_CMB_START_MARKER", "IDC_CMB_TRACK_TYPE", "IDC_GRP_MIXER", "IDC_SLD_TRACK_VOLUME",
    "IDC_TXT_TRACK_VOLUME", "IDC_SLD_PANPOT", "IDC_TXT_PANPOT", "IDC_CHK_MUTE", "IDC_CHK_SAVE_ORDER",
    "IDC_BTN_APPLY",
    // WAVE export.
    "IDC_TXT_WAV_FILE", "IDC_BTN_WAV_START", "IDC_TXT_WAV_TIME", "IDC_PRG_WAV", "IDC_CHK_HIDE_MAIN",
    // Standard MIDI File import.
    "IDC_TXT_SMF_FILE", "IDC_LST_TRACK", "IDC_CMB_PROFILE", "IDC_CMB_QUANTIZE", "IDC_GRP_SMF_OPTIONS",
    "IDC_CHK_PROGRAM", "IDC_CHK_CONTROL", "IDC_CHK_PITCH", "IDC_CHK_VELOCITY", "IDC_CHK_COMMENT", "IDC_CHK_SYSEX",
    "IDC_CHK_CHANNEL", "IDC_CHK_REDUCE_REST", "IDC_CHK_SPREAD", "IDC_CHK_SPREAD_CTRL", "IDC_TXT_INFORMATION",
    // Marker.
    "IDC_EDT_MARKER_NAME", "IDC_TXT_MARKER_POSITION", "IDC_BTN_MARKER_DELETE",
    // About box.
    "IDC_ICON_APP", "IDC_TXT_APP_NAME", "IDC_TXT_VERSION", "IDC_TXT_COPYRIGHT", "IDC_TXT_TRANSLATOR",
    // Notification window.
    "IDC_TXT_NOTIFY",
    // On-screen keyboard and its range dialog.
    "IDC_BTN_OCTAVE_DOWN", "IDC_BTN_OCTAVE_UP", "IDC_CMB_PIANO_RANGE", "IDC_BTN_PIANO_RANGE",
    "IDC_LST_PIANO_RANGE", "IDC_EDT_RANGE_NAME", "IDC_CMB_RANGE_LOW", "IDC_CMB_RANGE_HIGH", "IDC_BTN_RANGE_ADD",
    "IDC_BTN_RANGE_DEL", "IDC_BTN_RANGE_UP", "IDC_BTN_RANGE_DOWN",
    // Added later, after every older control so their identifiers stay:
    // the clipboard export's song part, score book and newer rank rule.
    "IDC_CMB_SONG_TRACK", "IDC_RDO_FORMAT_BOOK", "IDC_CMB_BOOK_RANK", "IDC_CHK_EXCLUDE_SONG",
    "IDC_CHK_MELODY_FILLER",
    // The piano roll's grid list beside the target list.
    "IDC_CMB_PIANO_GRID",
};

static_assert(std::size(kFixed) + std::size(kBitmaps) + std::size(kControls) + std::size(kDialogs) + 1 +
                      std::size(kResources) + std::size(kMenuCommands) + 180 ==
                  510,
              "the resource vocabulary has 510 symbols");

struct SymbolTable {
    std::vector<ResourceSymbol> symbols;  // in group order
    std::vector<size_t> byName;           // indices sorted by name, ignoring case
    std::vector<size_t> byId;             // indices sorted by identifier
};

std::vector<ResourceSymbol> buildSymbols()
{
    std::vector<ResourceSymbol> out;
    out.reserve(510);
    out.push_back({kFixed[0].name, kFixed[0].id, SymbolGroup::Button});
    out.push_back({kFixed[1].name, kFixed[1].id, SymbolGroup::Button});
    out.push_back({kFixed[2].name, kFixed[2].id, SymbolGroup::Indicator});
    out.push_back({kFixed[3].name, kFixed[3].id, SymbolGroup::Indicator});
    int32_t id = 400;
    for (std::string_view name : kBitmaps) out.push_back({name, id++, SymbolGroup::Bitmap});
    id = 1000;
    for (std::string_view name : kControls) {
        if (name == kPianoInputControl) {
            out.push_back({name, kPianoInputControlId, SymbolGroup::Control});
            continue;
        }
        if (id == kPianoInputControlId) ++id;
        out.push_back({name, id++, SymbolGroup::Control});
    }
    id = 200;
    for (std::string_view name : kDialogs) out.push_back({name, id++, SymbolGroup::Dialog});
    out.push_back({"IDI_FILETYPE", 500, SymbolGroup::Icon});
    id = 300;
    for (std::string_view name : kResources) out.push_back({name, id++, SymbolGroup::Resource});
    for (const NamedId& command : kMenuCommands) out.push_back({command.name, command.id, SymbolGroup::Menu});
    for (const StringEntry& entry : stringTable().first(180)) {
        out.push_back({entry.symbol, entry.id, SymbolGroup::String});
    }
    return out;
}

const SymbolTable& table()
{
    static const SymbolTable built = [] {
        SymbolTable t;
        t.symbols = buildSymbols();
        t.byName.resize(t.symbols.size());
        t.byId.resize(t.symbols.size());
        for (size_t i = 0; i < t.symbols.size(); ++i) t.byName[i] = t.byId[i] = i;
        std::sort(t.byName.begin(), t.byName.end(),
                  [&](size_t a, size_t b) { return lessIgnoringAsciiCase(t.symbols[a].name, t.symbols[b].name); });
        std::sort(t.byId.begin(), t.byId.end(),
                  [&](size_t a, size_t b) { return t.symbols[a].id < t.symbols[b].id; });
        return t;
    }();
    return built;
}

}  // namespace

std::span<const ResourceSymbol> resourceSymbols() { return table().symbols; }

const ResourceSymbol* findResourceSymbol(std::string_view name)
{
    const SymbolTable& t = table();
    const auto it = std::lower_bound(t.byName.begin(), t.byName.end(), name, [&](size_t i, std::string_view key) {
        return lessIgnoringAsciiCase(t.symbols[i].name, key);
    });
    if (it == t.byName.end() || lessIgnoringAsciiCase(name, t.symbols[*it].name)) return nullptr;
    return &t.symbols[*it];
}

const ResourceSymbol* findResourceSymbol(int32_t id)
{
    const SymbolTable& t = table();
    const auto it = std::lower_bound(t.byId.begin(), t.byId.end(), id,
                                     [&](size_t i, int32_t key) { return t.symbols[i].id < key; });
    if (it == t.byId.end() || t.symbols[*it].id != id) return nullptr;
    return &t.symbols[*it];
}

}  // namespace zema
