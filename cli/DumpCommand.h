#pragma once

#include <CLI/CLI.hpp>

#include "cli/Session.h"

namespace kxt::cli {

// `kxtfw dump [PATH] -o FILE [--length N]`: the device's flash from address 0 into a
// raw file, written completely or not at all.
void AddDumpCommand(CLI::App& app, const SessionOptions& options, int& exitStatus);

}  // namespace kxt::cli
