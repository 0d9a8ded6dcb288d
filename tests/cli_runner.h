#pragma once

// Runs zema-cli as the tests' subprocess: what it printed (standard output and
// error together) and its exit status. Needs ZEMA_CLI_PATH.

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace zema::test {

struct CliRun {
    int status = -1;
    std::string out;
};

// `input` becomes the program's standard input.
inline CliRun runCli(const std::string& args, const std::string& input = "")
{
    const auto dir = std::filesystem::temp_directory_path() / ("zema-cli-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto inputFile = dir / "stdin.txt";
    std::ofstream(inputFile, std::ios::binary) << input;
    const std::string command = std::string(ZEMA_CLI_PATH) + " " + args + " < '" + inputFile.string() + "' 2>&1";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace zema::test
