#include "cli/cli_common.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace zema::cli {

std::optional<std::string> readInput(const std::string& path)
{
    if (path == "-") {
        std::ostringstream buffer;
        buffer << std::cin.rdbuf();
        return buffer.str();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "zema-cli: cannot read " << path << "\n";
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        std::cerr << "zema-cli: cannot read " << path << "\n";
        return std::nullopt;
    }
    return bytes;
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
