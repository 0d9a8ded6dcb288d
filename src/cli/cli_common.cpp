#include "cli/cli_common.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include "core/strings.h"
#include "core/unicode.h"
#include "document/smf_file_io.h"

namespace zema::cli {

std::optional<std::string> readInput(const std::string& path)
{
    if (path == "-") {
        std::ostringstream buffer;
        buffer << std::cin.rdbuf();
        return buffer.str();
    }
    int systemError = 0;
    auto bytes = readFileBytes(path, systemError);
    if (!bytes) std::cerr << "zema-cli: cannot read " << path << ": " << std::strerror(systemError) << "\n";
    return bytes;
}

int exitStatusOf(const ReadStatus& status)
{
    switch (status.kind) {
        case ReadStatusKind::Ok: return 0;
        case ReadStatusKind::Unreadable: return 3;
        case ReadStatusKind::Empty: return 4;
        case ReadStatusKind::WrongKind: return 5;
        case ReadStatusKind::BadMidiHeader: return 6;
        case ReadStatusKind::DamagedExtension: return 7;
        case ReadStatusKind::UnknownEncoding: return 8;
        case ReadStatusKind::TruncatedTrack: return 9;
    }
    return 1;
}

void reportRead(const ReadStatus& status, std::u16string_view failureMessage)
{
    if (status.kind == ReadStatusKind::Ok) return;
    const std::u16string first = status.failed() ? std::u16string(failureMessage) : loadString("IDS_READ_PARTIAL");
    std::cerr << utf16ToUtf8(withReadReason(first, status)) << "\n";
}

void addTimingOptions(CLI::App& command, TimingOptions& options)
{
    command.add_option("--timebase", options.timebase, "ticks per quarter note")->check(CLI::Range(1, 960));
    command.add_option("--signature", options.signature, "time signature N/D");
}

std::optional<TimingContext> timingFrom(const TimingOptions& options)
{
    int numerator = 0;
    int denominator = 0;
    char slash = 0;
    std::istringstream in(options.signature);
    if (!(in >> numerator >> slash >> denominator) || slash != '/' || numerator < 1 || denominator < 1 ||
        in.peek() != std::char_traits<char>::eof()) {
        std::cerr << "zema-cli: the signature must be N/D, for example 3/4\n";
        return std::nullopt;
    }
    return TimingContext{options.timebase, numerator, denominator};
}

}  // namespace zema::cli
