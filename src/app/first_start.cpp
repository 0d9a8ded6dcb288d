#include "app/first_start.h"

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/unicode.h"

namespace zema {

namespace {

constexpr std::string_view kBankInGame = "mp3/MSXspirit.dls";
constexpr std::u16string_view kGamePresets = u"Presets\\MSXspirit.def";

std::optional<std::filesystem::path> bankIn(const std::filesystem::path& gameFolder)
{
    std::error_code error;
    const std::filesystem::path bank = gameFolder / kBankInGame;
    if (std::filesystem::is_regular_file(bank, error)) return bank;
    return std::nullopt;
}

bool readsAsWritablePort(std::string_view line)
{
    // "  Port   0 : "name" (RWe-)": the second flag is 'W' when other clients
    // may subscribe to write to the port.
    const size_t open = line.rfind('(');
    return open != std::string_view::npos && open + 2 < line.size() && line[open + 2] == 'W';
}

}  // namespace

std::optional<std::filesystem::path> findGameBank(const EnvironmentLookup& environment)
{
    if (const auto folder = environment("ZEMA_MABINOGI_DIR"); folder && !folder->empty()) {
        if (auto bank = bankIn(*folder)) return bank;
    }
    std::vector<std::filesystem::path> prefixes;
    if (const auto prefix = environment("WINEPREFIX"); prefix && !prefix->empty()) prefixes.emplace_back(*prefix);
    if (const auto home = environment("HOME"); home && !home->empty()) prefixes.emplace_back(std::filesystem::path(*home) / ".wine");
    constexpr std::array<std::string_view, 3> kInstallFolders = {
        "drive_c/Nexon/Mabinogi", "drive_c/Program Files/Nexon/Mabinogi", "drive_c/Program Files (x86)/Nexon/Mabinogi"};
    for (const auto& prefix : prefixes) {
        for (std::string_view folder : kInstallFolders) {
            if (auto bank = bankIn(prefix / folder)) return bank;
        }
    }
    return std::nullopt;
}

bool sequencerListHasOutputPort(std::string_view clientsText)
{
    bool countable = false;
    while (!clientsText.empty()) {
        const size_t end = clientsText.find('\n');
        const std::string_view line = clientsText.substr(0, end);
        clientsText = end == std::string_view::npos ? std::string_view{} : clientsText.substr(end + 1);
        if (line.starts_with("Client")) {
            const bool system = line.find(": \"System\"") != std::string_view::npos;
            const bool through = line.find("\"Midi Through\"") != std::string_view::npos;
            countable = !system && !through;
        } else if (countable && line.find("Port") != std::string_view::npos && readsAsWritablePort(line)) {
            return true;
        }
    }
    return false;
}

MachineProbe systemMachineProbe(const EnvironmentLookup& environment)
{
    MachineProbe probe;
    probe.findGameBank = [environment] { return findGameBank(environment); };
    probe.synthesizerAvailable = [] { return true; };
    probe.hasMidiOutputPort = [] {
        std::ifstream file("/proc/asound/seq/clients");
        if (!file) return false;
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        return sequencerListHasOutputPort(text);
    };
    return probe;
}

void applyFirstStart(Settings& settings, const MachineProbe& probe)
{
    // The first window is 1100 x 720 pixels; the piano roll gets about half of
    // what the controls and the status bar leave, so a song's notes show at once.
    settings.pianoRollHeight = 320;
    settings.pianoRollWidth = 520;
    settings.instrumentsFile.clear();
    const std::optional<std::filesystem::path> bank = probe.findGameBank ? probe.findGameBank() : std::nullopt;
    if (bank && probe.synthesizerAvailable && probe.synthesizerAvailable()) {
        settings.outputDls = 1;
        settings.dlsFilePath = utf8ToUtf16(bank->string());
        settings.instrumentsFile = std::u16string(kGamePresets);
        return;
    }
    const bool port = probe.hasMidiOutputPort && probe.hasMidiOutputPort();
    settings.outputDls = port ? 0 : 2;
}

}  // namespace zema
