#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/first_start.h"
#include "app/inifile.h"
#include "app/recent_name.h"
#include "app/settings.h"
#include "app/settings_location.h"
#include "app/window_placement.h"
#include "app_test_support.h"
#include "core/unicode.h"

namespace zema {
namespace {

using test::fakeEnvironment;
using test::readBytes;
using test::TempFolder;
using test::writeBytes;

// A settings folder whose ZEMA.ini the test writes or expects.
class SettingsFile : public ::testing::Test {
protected:
    TempFolder folder;
    const std::filesystem::path path = folder / "ZEMA.ini";
};
using IniFile = SettingsFile;

TEST_F(SettingsFile, MissingFileGivesTheCorrectedDefaults)
{
    const Settings settings = loadSettings(path);
    Settings expected;
    expected.editorFontName = u"MS Gothic";
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(settings.specificTpqn, 32);  // its default is allowed, so it stays
    EXPECT_EQ(settings.porta, 4294967295u);
}

TEST_F(SettingsFile, OutOfRangeValuesAreCorrectedOneByOne)
{
    writeBytes(path,
               "[ApplicationData]\n"
               "Window_Style=+2\nDefaultTimeBase=+100\nPianoRollHeight=0\nPianoRollWidth=2147483648\n"
               "PianoRollTargetV2=+6\nViewMode=3\nEditorFontName=\nEditorFontSize=0\nDefaultTrackCount=+16\n"
               "StatFrameRate=+45\nAutoSave=yes\nPianoRollVMag=-3\nPianoRollGrid=+15\n"
               "[MML File Settings]\nSpecificTPQN=+64\n"
               "[Midi Settings]\nOutputDLS=+3\nResetType=-1\n"
               "[DLS Settings]\nSamplingRate=+4\nChannel=+2\nVolume=+101\n"
               "[SMF Import Settings]\nQuantizeValue=+12\nChannel=true\n");
    const Settings s = loadSettings(path);
    EXPECT_EQ(s.windowStyle, 0);
    EXPECT_EQ(s.defaultTimeBase, 96);
    EXPECT_EQ(s.pianoRollHeight, 1u);
    EXPECT_EQ(s.pianoRollWidth, 1u);
    EXPECT_EQ(s.pianoRollTarget, 0);
    EXPECT_EQ(s.viewMode, 0u);
    EXPECT_EQ(s.editorFontName, u"MS Gothic");
    EXPECT_EQ(s.editorFontSize, 10u);
    EXPECT_EQ(s.defaultTrackCount, 3);
    EXPECT_EQ(s.statFrameRate, 30);
    EXPECT_TRUE(s.autoSave);
    EXPECT_EQ(s.pianoRollVMag, -3);  // no correction for magnifications
    EXPECT_EQ(s.pianoRollGrid, 4);
    EXPECT_EQ(s.specificTpqn, 96);
    EXPECT_EQ(s.outputDls, 0);
    EXPECT_EQ(s.resetType, 1);
    EXPECT_EQ(s.samplingRate, 2);
    EXPECT_EQ(s.dlsChannel, 1);
    EXPECT_EQ(s.dlsVolume, 100);
    EXPECT_EQ(s.smfQuantizeValue, 32);
    EXPECT_TRUE(s.smfChannel);  // the boolean "Channel" of the import is its own key
}

TEST_F(SettingsFile, AcceptedValuesAtTheEdgesAreKept)
{
    writeBytes(path,
               "[ApplicationData]\nWindow_Style=+1\nDefaultTimeBase=+960\nPianoRollHeight=2147483647\n"
               "PianoRollTargetV2=+5\nViewMode=2\nDefaultTrackCount=+15\nStatFrameRate=+60\nEditorFontName=IPAGothic\n"
               "PianoRollGrid=+14\n"
               "[Midi Settings]\nOutputDLS=+2\nResetType=+0\n[DLS Settings]\nVolume=+0\n"
               "[SMF Import Settings]\nQuantizeValue=+4\n");
    const Settings s = loadSettings(path);
    EXPECT_EQ(s.windowStyle, 1);
    EXPECT_EQ(s.defaultTimeBase, 960);
    EXPECT_EQ(s.pianoRollHeight, 2147483647u);
    EXPECT_EQ(s.pianoRollTarget, 5);
    EXPECT_EQ(s.pianoRollGrid, 14);
    EXPECT_EQ(s.viewMode, 2u);
    EXPECT_EQ(s.defaultTrackCount, 15);
    EXPECT_EQ(s.statFrameRate, 60);
    EXPECT_EQ(s.editorFontName, u"IPAGothic");
    EXPECT_EQ(s.outputDls, 2);
    EXPECT_EQ(s.resetType, 0);
    EXPECT_EQ(s.dlsVolume, 0);
    EXPECT_EQ(s.smfQuantizeValue, 4);
}

TEST_F(SettingsFile, SavesInTableOrderAndReadsBackTheSame)
{
    Settings settings;
    correctSettings(settings);
    settings.defaultTimeBase = 480;
    settings.dlsFilePath = u"/home/me/曲/bank.sf2";
    settings.recentFiles = {u"/a.mml", u"/b.mml"};
    ASSERT_TRUE(saveSettings(settings, path));
    EXPECT_EQ(loadSettings(path), settings);

    const std::string text = readBytes(path);
    EXPECT_EQ(text.rfind("[ApplicationData]\r\nEditScroll=true\r\nWindow_Style=+0\r\nDefaultTimeBase=+480\r\n"
                         "PianoRollHeight=200\r\n",
                         0),
              0u);
    std::vector<size_t> sections;
    for (const char* name : {"[ApplicationData]", "[MML File Settings]", "[Midi Settings]", "[DLS Settings]",
                             "[SMF Import Settings]", "[Track Group Edit Settings]", "[Recent File List]"}) {
        sections.push_back(text.find(name));
        EXPECT_NE(sections.back(), std::string::npos) << name;
    }
    EXPECT_TRUE(std::is_sorted(sections.begin(), sections.end()));
    EXPECT_NE(text.find("File2=/b.mml\r\n"), std::string::npos);
}

TEST_F(SettingsFile, SavingKeepsOtherSectionsAndDropsForgottenRecentFiles)
{
    writeBytes(path, "[Language Settings]\nLanguageFile=Languages\\en.lng\n[Recent File List]\nFile1=/x\nFile2=/y\nFile3=/z\n");
    Settings settings = loadSettings(path);
    ASSERT_EQ(settings.recentFiles.size(), 3u);
    removeRecentFile(settings, u"/y");
    ASSERT_TRUE(saveSettings(settings, path));
    EXPECT_EQ(loadSettings(path).recentFiles, (std::vector<std::u16string>{u"/x", u"/z"}));
    EXPECT_EQ(readBytes(path).find("File3"), std::string::npos);
    EXPECT_EQ(loadLanguageFile(path), u"Languages\\en.lng");
}

TEST(Settings, RecentFilesMoveToTheTopAndKeepTen)
{
    Settings settings;
    for (int i = 0; i < 12; ++i) addRecentFile(settings, u"/f" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
    ASSERT_EQ(settings.recentFiles.size(), kRecentFileCount);
    EXPECT_EQ(settings.recentFiles.front(), u"/fl");
    EXPECT_EQ(settings.recentFiles.back(), u"/fc");
    addRecentFile(settings, u"/fe");
    EXPECT_EQ(settings.recentFiles.front(), u"/fe");
    EXPECT_EQ(std::count(settings.recentFiles.begin(), settings.recentFiles.end(), u"/fe"), 1);
    EXPECT_EQ(settings.recentFiles.size(), kRecentFileCount);
}

TEST(Settings, ReaderTimebaseFollowsTheFileSettings)
{
    Settings settings;
    settings.defaultTimeBase = 480;
    settings.specificTpqn = 48;
    EXPECT_EQ(readerTimebase(settings), 480);
    settings.ifNotSpecifyTpqn = true;
    EXPECT_EQ(readerTimebase(settings), 48);
}

TEST_F(SettingsFile, WindowPlacementMissingKeysKeepTheCurrentPlacement)
{
    WindowPlacement current;
    current.left = 10;
    current.right = 810;
    writeBytes(path, "[Window Placement - Main]\nshowCmd=3\ntop=+20\nbottom=+620\n");
    const WindowPlacement loaded = loadWindowPlacement(path, current);
    EXPECT_EQ(loaded.showCmd, kShowMaximized);
    EXPECT_EQ(loaded.left, 10);
    EXPECT_EQ(loaded.top, 20);
    EXPECT_EQ(loaded.right, 810);
    EXPECT_EQ(loaded.bottom, 620);

    WindowPlacement stored{0, 1, -1, -1, -32000, -32000, 5, 6, 700, 500};
    ASSERT_TRUE(saveWindowPlacement(path, stored));
    EXPECT_EQ(loadWindowPlacement(path, current), stored);
    EXPECT_NE(readBytes(path).find("ptMinPosition_x=-32000\r\n"), std::string::npos);
}

TEST(SettingsFolder, ChoosesConfigDirThenPortableFolderThenXdg)
{
    TempFolder folder;
    const auto program = folder / "bin";
    std::filesystem::create_directories(program);
    const auto env = fakeEnvironment({{"XDG_CONFIG_HOME", "/xdg"}, {"HOME", "/home/me"}});

    EXPECT_EQ(chooseSettingsFolder(std::filesystem::path("/given"), program, env), "/given");
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, program, env), std::filesystem::path("/xdg/zema"));
    writeBytes(program / "ZEMA.ini", "");
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, program, env), program);
    EXPECT_EQ(chooseSettingsFolder(std::filesystem::path("/given"), program, env), "/given");

    EXPECT_EQ(chooseSettingsFolder(std::nullopt, std::nullopt, fakeEnvironment({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/me"}})),
              std::filesystem::path("/home/me/.config/zema"));
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, std::nullopt, fakeEnvironment({{"HOME", "/home/me"}})),
              std::filesystem::path("/home/me/.config/zema"));
}

MachineProbe probe(std::optional<std::filesystem::path> bank, bool synth, bool port)
{
    return MachineProbe{[bank] { return bank; }, [synth] { return synth; }, [port] { return port; }};
}

TEST(FirstStart, GameBankSelectsTheSynthesizerElseTheGmSetWithoutPorts)
{
    Settings withGame;
    applyFirstStart(withGame, probe(std::filesystem::path("/g/mp3/MSXspirit.dls"), true, true));
    EXPECT_EQ(withGame.outputDls, 1);
    EXPECT_EQ(withGame.dlsFilePath, u"/g/mp3/MSXspirit.dls");
    EXPECT_EQ(withGame.instrumentsFile, u"Presets\\MSXspirit.def");

    Settings noSynth;
    applyFirstStart(noSynth, probe(std::filesystem::path("/g/mp3/MSXspirit.dls"), false, true));
    EXPECT_EQ(noSynth.outputDls, 0);
    EXPECT_EQ(noSynth.instrumentsFile, u"");

    Settings noPort;
    applyFirstStart(noPort, probe(std::nullopt, true, false));
    EXPECT_EQ(noPort.outputDls, 2);
    EXPECT_TRUE(noPort.dlsFilePath.empty());

    Settings withPort;
    applyFirstStart(withPort, probe(std::nullopt, true, true));
    EXPECT_EQ(withPort.outputDls, 0);
    // The piano roll starts with about half of the first window's text area, stacked or side by side.
    EXPECT_GT(withPort.pianoRollHeight, Settings{}.pianoRollHeight);
    EXPECT_GT(withPort.pianoRollWidth, Settings{}.pianoRollWidth);
}

TEST(FirstStart, FindsTheBankInTheGameFolderOrAWinePrefix)
{
    TempFolder folder;
    EXPECT_FALSE(findGameBank(fakeEnvironment({{"HOME", folder.path().string()}})));

    const auto wineGame = folder / ".wine/drive_c/Program Files/Nexon/Mabinogi/mp3";
    std::filesystem::create_directories(wineGame);
    writeBytes(wineGame / "MSXspirit.dls", "RIFF");
    EXPECT_EQ(findGameBank(fakeEnvironment({{"HOME", folder.path().string()}})), wineGame / "MSXspirit.dls");

    const auto own = folder / "game/mp3";
    std::filesystem::create_directories(own);
    writeBytes(own / "MSXspirit.dls", "RIFF");
    EXPECT_EQ(findGameBank(fakeEnvironment({{"HOME", folder.path().string()},
                                            {"ZEMA_MABINOGI_DIR", (folder / "game").string()}})),
              own / "MSXspirit.dls");
}

TEST(FirstStart, OnlyPortsThatSoundCount)
{
    const std::string base =
        "Client info\n  cur  clients : 2\n"
        "Client   0 : \"System\" [Kernel]\n  Port   0 : \"Timer\" (Rwe-)\n  Port   1 : \"Announce\" (R-e-)\n"
        "Client  14 : \"Midi Through\" [Kernel]\n  Port   0 : \"Midi Through Port-0\" (RWe-)\n";
    EXPECT_FALSE(sequencerListHasOutputPort(base));
    EXPECT_FALSE(sequencerListHasOutputPort(base + "Client 130 : \"Keyboard\" [User]\n  Port   0 : \"out\" (R-e-)\n"));
    EXPECT_TRUE(sequencerListHasOutputPort(base + "Client 128 : \"TiMidity\" [User]\n  Port   0 : \"TiMidity port 0\" (-We-)\n"));
    EXPECT_FALSE(sequencerListHasOutputPort(""));
}

// ---- The INI layer beneath ---------------------------------------------------

TEST_F(IniFile, WritesTheStoredFormsAndKeepsSectionsTogether)
{
    const CInifile app(path, u"ApplicationData");
    const CInifile midi(path, u"Midi Settings");
    EXPECT_TRUE(app.setInt(u"DefaultTimeBase", 96));
    EXPECT_TRUE(midi.setUnsigned(u"PORTA", 4294967295u));
    EXPECT_TRUE(app.setInt(u"Monitor_Left", -1));
    EXPECT_TRUE(app.setBool(u"AutoSave", false));
    EXPECT_TRUE(midi.setString(u"DLSFilePath", u"C:\\Nexon\\mp3\\曲.dls"));
    EXPECT_TRUE(app.setInt(u"defaulttimebase", 0));  // key names compare without case

    EXPECT_EQ(readBytes(path),
              "[ApplicationData]\r\nDefaultTimeBase=+0\r\nMonitor_Left=-1\r\nAutoSave=false\r\n"
              "[Midi Settings]\r\nPORTA=4294967295\r\nDLSFilePath=C:\\Nexon\\mp3\\曲.dls\r\n");
    EXPECT_EQ(app.getInt(u"DefaultTimeBase", 7), 0);
    EXPECT_EQ(midi.getUnsigned(u"PORTA", 7), 4294967295u);
    EXPECT_EQ(midi.getString(u"DLSFilePath", u""), u"C:\\Nexon\\mp3\\曲.dls");
}

TEST_F(IniFile, KeepsCommentsUnknownKeysAndBlankLinesWhenUpdating)
{
    writeBytes(path, "; my settings\n[A]\nx=1\nother=keep\n\n[B]\ny=2\n");
    const CInifile a(path, u"A");
    EXPECT_TRUE(a.setInt(u"new", 5));
    EXPECT_TRUE(a.setInt(u"x", 3));
    EXPECT_EQ(readBytes(path), "; my settings\r\n[A]\r\nx=+3\r\nother=keep\r\nnew=+5\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_TRUE(a.remove(u"other"));
    EXPECT_EQ(a.getString(u"other", u"gone"), u"gone");
    EXPECT_EQ(CInifile(path, u"B").getInt(u"y", 0), 2);
}

TEST_F(IniFile, ReadRulesFallBackToTheDefaultForAnythingButAStoredNumber)
{
    writeBytes(path,
               "[S]\nplus=+100\nminus=-7\nspaced=  42  \ntrailing=12abc\nword=abc\nempty=\nhuge=99999999999\n"
               "minusOne=-1\nyes=yes\nupper=TRUE\nt=true\nf=false\n");
    const CInifile ini(path, u"S");
    const std::pair<const char16_t*, int32_t> ints[] = {{u"plus", 100},   {u"minus", -7}, {u"spaced", 42},
                                                        {u"trailing", 9}, {u"word", 9},   {u"empty", 9},
                                                        {u"huge", 9},     {u"missing", 9}};
    for (const auto& [key, expected] : ints) EXPECT_EQ(ini.getInt(key, 9), expected) << utf16ToUtf8(key);
    EXPECT_EQ(ini.getUnsigned(u"minusOne", 0), 4294967295u);
    EXPECT_EQ(ini.getUnsigned(u"huge", 5), 5u);
    EXPECT_TRUE(ini.getBool(u"yes", true));
    EXPECT_FALSE(ini.getBool(u"yes", false));
    EXPECT_FALSE(ini.getBool(u"upper", false));
    EXPECT_TRUE(ini.getBool(u"t", false));
    EXPECT_FALSE(ini.getBool(u"f", true));
    EXPECT_EQ(ini.getString(u"missing", u"fallback"), u"fallback");
    EXPECT_EQ(CInifile(folder / "none.ini", u"S").getInt(u"plus", 3), 3);
}

TEST_F(IniFile, EveryCallSeesTheFileAsItIsNow)
{
    const CInifile first(path, u"S");
    const CInifile second(path, u"S");
    EXPECT_TRUE(first.setInt(u"k", 1));
    EXPECT_EQ(second.getInt(u"k", 0), 1);
    writeBytes(path, "[S]\nk=+2\n");
    EXPECT_EQ(first.getInt(u"k", 0), 2);
}

TEST_F(IniFile, RefusesValuesThatWouldBreakTheFileAndKeepsItUnchanged)
{
    const CInifile ini(path, u"S");
    EXPECT_TRUE(ini.setString(u"a", u"1"));
    const std::string before = readBytes(path);
    EXPECT_FALSE(ini.setString(u"a", u"x\r\n[Other]\r\nb=2"));
    EXPECT_FALSE(ini.setString(u"bad=key", u"1"));
    // A list of changes is taken whole or not at all.
    const std::vector<IniChange> changes{{u"a", u"2"}, {u"b", u"x\ny"}};
    EXPECT_FALSE(ini.setMany(changes));
    EXPECT_EQ(readBytes(path), before);

    // A folder where the file should be cannot be written.
    std::filesystem::create_directories(folder / "dir.ini");
    EXPECT_FALSE(CInifile(folder / "dir.ini", u"S").setInt(u"k", 1));
    EXPECT_FALSE(CInifile(folder / "missing" / "x.ini", u"S").setInt(u"k", 1));
}

TEST_F(IniFile, LongStringsAreCutToTheReadBuffer)
{
    const CInifile ini(path, u"S");
    EXPECT_TRUE(ini.setString(u"long", std::u16string(5000, u'x')));
    EXPECT_EQ(ini.getString(u"long", u"").size(), CInifile::kStringCapacity);
}

// ---- The recent files' menu names ------------------------------------------

TEST(RecentName, ShortenedToTheLimitKeepingTheFileAndTheFoldersNextToIt)
{
    struct Case {
        std::u16string_view path;
        std::u16string_view expected;
        size_t limit = 30;
        std::u16string_view home = {};
    };
    const std::u16string_view notes = u"/d/\U0001F3B5\U0001F3B5\U0001F3B5.mml";
    const Case cases[] = {
        // Paths that fit, 30 units included, are shown whole.
        {u"/songs/tune.mml", u"/songs/tune.mml"},
        {u"/abcdefghij/klmnopqrst/uvw.mml", u"/abcdefghij/klmnopqrst/uvw.mml"},
        {u"", u""},
        // Leading folders give way to an ellipsis after the root; the folders next to the file stay as far as they fit.
        {u"/home/user/music/songs/album/tune.mml", u"/.../songs/album/tune.mml"},
        {u"/abcdefghij/klmnopqrst/uvwx.mml", u"/.../klmnopqrst/uvwx.mml"},
        {u"C:\\Users\\someone\\Documents\\Mabinogi\\song.mml", u"C:\\...\\Mabinogi\\song.mml"},
        {u"relative/folder/deeper/still/file.mml", u".../deeper/still/file.mml"},
        // Only the folder next to the file is dropped too when nothing else fits.
        {u"/a/verylongfoldername_123456789/name.mml", u"/.../name.mml"},
        {u"/home/user/x/y.mml", u"/.../x/y.mml", 12},
        {u"/home/user/x/y.mml", u"/.../y.mml", 11},
        // Home is written as a tilde, but only a whole folder name counts as home.
        {u"/home/user/music/songs/album/tune.mml", u"~/music/songs/album/tune.mml", 30, u"/home/user/"},
        {u"/home/user/music/songs/album/more/tune.mml", u"~/.../album/more/tune.mml", 30, u"/home/user"},
        {u"/home/username/a.mml", u"/home/username/a.mml", 30, u"/home/user"},
        // The root, "..." and the name do not fit: the name alone, cut at the limit when longer.
        {u"/folder/a_file_name_of_27_units.mml", u"a_file_name_of_27_units.mml"},
        {u"/x/abcdefghijklmnopqrstuvwxyz0123456789.mml", u"abcdefghijklmnopqrstuvwxyz0123"},
        {u"abcdefghijklmnopqrstuvwxyz0123456789.mml", u"abcdefghijklmnopqrstuvwxyz0123"},
        // A surrogate pair is never split by the cut.
        {notes, u"\U0001F3B5", 3},
        {notes, u"\U0001F3B5\U0001F3B5", 4},
        {u"/d/name.mml", u"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shortenedRecentName(c.path, c.limit, c.home), c.expected) << utf16ToUtf8(c.path) << " " << c.limit;
    }
}

}  // namespace
}  // namespace zema
