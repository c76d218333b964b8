#include <CLI/CLI.hpp>

#include "cli/DumpCommand.h"
#include "cli/IdentifyCommand.h"
#include "cli/InspectCommand.h"
#include "cli/ListCommand.h"
#include "cli/RdCommand.h"
#include "cli/ScanCommand.h"
#include "cli/UpdateCommand.h"
#include "cli/Session.h"

int main(int argc, char** argv) {
    CLI::App app{"kxtfw: firmware update utility for Kavrix USB-to-SATA bridges"};
    app.require_subcommand(1);
    kxt::cli::SessionOptions options;
    app.add_option("--emulate", options.emulate, "Use the emulated devices of a scenario file")
        ->check(CLI::ExistingFile);
    app.add_option("--trace", options.trace, "Write the emulated devices' command log to FILE");
    app.add_option("--save-flash", options.saveFlash, "Save each emulated flash into DIR at exit");
    app.add_flag("-v,--verbose", options.verbose, "Show debug traces");

    int exitStatus = 0;
    kxt::cli::AddIdentifyCommand(app, options, exitStatus);
    kxt::cli::AddListCommand(app, options, exitStatus);
    kxt::cli::AddInspectCommand(app, exitStatus);
    kxt::cli::AddDumpCommand(app, options, exitStatus);
    kxt::cli::AddScanCommand(app, options, exitStatus);
    kxt::cli::AddUpdateCommand(app, options, exitStatus);
    kxt::cli::AddRdCommand(app, options, exitStatus);

    CLI11_PARSE(app, argc, argv);
    return exitStatus;
}
