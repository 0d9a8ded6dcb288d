// zema-cli: every capability of the ZEMA libraries, scriptable from a shell.
#include <CLI/CLI.hpp>

#include <string>

#include "app/about_box.h"
#include "cli/cli_common.h"

int main(int argc, char** argv)
{
    CLI::App app{"ZEMA command-line tool: compile, count, convert and inspect Mabinogi MML", "zema-cli"};
    app.set_version_flag("--version", "zema-cli " + std::string(zema::programVersion()));
    app.require_subcommand(1);
    int exitCode = 0;

    zema::cli::addEventsCommand(app, exitCode);
    zema::cli::addCountCommand(app, exitCode);
    zema::cli::addWriterCommands(app, exitCode);
    zema::cli::addEditCommand(app, exitCode);
    zema::cli::addInfoCommand(app, exitCode);
    zema::cli::addConvertCommand(app, exitCode);
    zema::cli::addInstrumentsCommand(app, exitCode);
    zema::cli::addSmfCommands(app, exitCode);
    zema::cli::addBookCommands(app, exitCode);
    zema::cli::addPlaybackCommands(app, exitCode);
    zema::cli::addAppCommands(app, exitCode);
    zema::cli::addAssociateCommands(app, exitCode);
    zema::cli::addLanguageCommands(app, exitCode);

    CLI11_PARSE(app, argc, argv);
    return exitCode;
}
