#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "app/command_registry.h"
#include "app/command_table.h"
#include "app/resource_symbols.h"

namespace zema {
namespace {

TEST(CommandTable, EveryMenuCommandHasOneIdentifierAndOneSymbol)
{
    std::set<int32_t> ids;
    std::set<std::string_view> symbols;
    for (const CommandInfo& info : commandTable()) {
        EXPECT_TRUE(ids.insert(info.id).second) << info.symbol;
        EXPECT_TRUE(symbols.insert(info.symbol).second) << info.symbol;
        if (info.id == command::kRecentFirst) continue;  // the recent files are not resource commands
        // The key file and the language files name a command by this same pair.
        const ResourceSymbol* symbol = findResourceSymbol(info.symbol);
        ASSERT_NE(symbol, nullptr) << info.symbol;
        EXPECT_EQ(symbol->id, info.id) << info.symbol;
        EXPECT_EQ(symbol->group, SymbolGroup::Menu) << info.symbol;
    }
}

TEST(CommandTable, IdleOnlyMatchesTheCommands)
{
    for (int32_t id : {command::kFileNew, command::kFileOpen, command::kUndo, command::kRedo, command::kPaste,
                       command::kTrackAdd, command::kTrackDelete, command::kOptimize, command::kExportWav}) {
        EXPECT_TRUE(findCommand(id)->idleOnly) << id;
    }
    for (int32_t id : {command::kFileSave, command::kCopy, command::kPlayToggle, command::kPlayStop,
                       command::kTrackSelectLeft}) {
        EXPECT_FALSE(findCommand(id)->idleOnly) << id;
    }
    EXPECT_EQ(findCommand(command::kRecentLast), findCommand(command::kRecentFirst));
    EXPECT_EQ(findCommand(12345), nullptr);
}

// A registry with one command of each kind: idle-only (New), always allowed
// (Save), a toggle (Loop), a range (recent files) and one that refuses by its
// own rule (the syntax check).
struct Fixture {
    CommandRegistry registry;
    std::vector<int32_t> ran;
    bool loop = false;

    Fixture()
    {
        registry.add(command::kFileNew, [this] { ran.push_back(command::kFileNew); });
        registry.add(command::kFileSave, [this] { ran.push_back(command::kFileSave); });
        registry.add(
            command::kPlayLoop, [this] { loop = !loop; }, {}, [this] { return loop; });
        registry.addRange(command::kRecentFirst, command::kRecentLast, [this](int32_t id) { ran.push_back(id); });
        registry.add(command::kMmlCheck, [this] { ran.push_back(command::kMmlCheck); }, [] { return false; });
    }
};

TEST(CommandRegistry, EnabledStatesFollowBusyIdleOnlyAndRegistration)
{
    Fixture f;
    struct Row {
        int32_t id;
        bool idle;
        bool busy;
    };
    for (const Row& row : {Row{command::kFileNew, true, false}, Row{command::kFileSave, true, true},
                           Row{command::kPlayLoop, true, true}, Row{command::kRecentFirst + 3, true, false},
                           Row{command::kMmlCheck, false, false},
                           Row{command::kExportWav, false, false},  // nobody registered it
                           Row{command::kRecentLast + 1, false, false}}) {
        EXPECT_EQ(f.registry.enabled(row.id, false), row.idle) << row.id;
        EXPECT_EQ(f.registry.enabled(row.id, true), row.busy) << row.id;
    }
}

TEST(CommandRegistry, RunsOnlyWhatIsEnabledAndPassesTheIdentifierOfARange)
{
    Fixture f;
    EXPECT_FALSE(f.registry.run(command::kFileNew, true));
    EXPECT_TRUE(f.registry.run(command::kFileSave, true));
    EXPECT_TRUE(f.registry.run(command::kRecentFirst + 2, false));
    EXPECT_FALSE(f.registry.run(command::kMmlCheck, false));
    EXPECT_FALSE(f.registry.run(command::kSearch, false));
    EXPECT_EQ(f.ran, (std::vector<int32_t>{command::kFileSave, command::kRecentFirst + 2}));

    EXPECT_FALSE(f.registry.checked(command::kPlayLoop));
    EXPECT_TRUE(f.registry.run(command::kPlayLoop, true));
    EXPECT_TRUE(f.registry.checked(command::kPlayLoop));
    EXPECT_FALSE(f.registry.checked(command::kFileSave));
}

// The libraries below the window never include Qt: the command-line tool and
// the tests use them without a display.
TEST(Layering, NoQtHeaderBelowTheWindow)
{
    // The header an #include line names, or "" for any other line.
    const auto included = [](const std::string& line) -> std::string {
        const size_t hash = line.find_first_not_of(" \t");
        if (hash == std::string::npos || line[hash] != '#') return {};
        const size_t word = line.find("include", hash);
        const size_t open = line.find_first_of("<\"", word);
        if (word == std::string::npos || open == std::string::npos) return {};
        return line.substr(open + 1);
    };
    const auto isQt = [](const std::string& header) {
        return (header.size() > 1 && header[0] == 'Q' && std::isalpha(static_cast<unsigned char>(header[1]))) ||
               header.starts_with("qt");
    };
    const auto isWindowCode = [](const std::string& header) {
        return header.starts_with("gui/") || header.starts_with("editor/") || header.starts_with("views/");
    };
    int files = 0;
    for (const char* folder : {"core", "document", "playback", "app"}) {
        const auto root = std::filesystem::path(ZEMA_SOURCE_DIR) / "src" / folder;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            const auto extension = entry.path().extension();
            if (extension != ".h" && extension != ".cpp") continue;
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                const std::string header = included(line);
                EXPECT_FALSE(isQt(header)) << entry.path() << ":" << number << ": " << line;
                EXPECT_FALSE(isWindowCode(header)) << entry.path() << ":" << number << ": " << line;
            }
        }
    }
    EXPECT_GT(files, 50);
}

// The window reaches the output devices only through the playback
// controller, which decides which thread may talk to them: no window file
// names a device class (and so none casts to one).
TEST(Layering, TheWindowNeverTouchesAnOutputDevice)
{
    int files = 0;
    for (const char* folder : {"gui", "views", "editor"}) {
        const auto root = std::filesystem::path(ZEMA_SOURCE_DIR) / "src" / folder;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                for (const char* device : {"CSynthOut", "CMidiOut", "FluidEngine", "synth_out.h"}) {
                    EXPECT_EQ(line.find(device), std::string::npos) << entry.path() << ":" << number << ": " << line;
                }
            }
        }
    }
    EXPECT_GT(files, 20);
}

}  // namespace
}  // namespace zema
