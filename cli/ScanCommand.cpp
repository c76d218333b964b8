#include "cli/ScanCommand.h"

#include <iostream>

#include "app/TK71xFwTool.h"
#include "cli/TerminalView.h"
#include "cli/WindowReport.h"

namespace kxt::cli {
namespace {

int Scan(Session& session) {
    app::ProcessSettings settings;
    app::TK71xFwTool window(session.Platform(), settings);
    if (window.ListedDevices() > 0) {
        std::cout << "Bridges that need the firmware update:\n";
        PrintListedDevices(window);
    }
    std::cout << WindowMessage(window) << '\n';
    PrintScanWarnings(window, session.Platform());
    return 0;
}

}  // namespace

void AddScanCommand(CLI::App& app, const SessionOptions& options, int& exitStatus) {
    auto* command = app.add_subcommand(
        "scan", "Find the bridges and tell which need the firmware update");
    command->callback([&options, &exitStatus] { RunInSession(options, exitStatus, Scan); });
}

}  // namespace kxt::cli
